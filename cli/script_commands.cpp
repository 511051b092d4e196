#include "cli/command.h"

#include "script/script_conversion.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// How many bytes at the end of data begin a UTF-8 sequence that more bytes could complete.
qsizetype incompleteTail(QByteArrayView data) {
    for (qsizetype back = 1; back <= std::min<qsizetype>(3, data.size()); ++back) {
        const auto b = static_cast<unsigned char>(data[data.size() - back]);
        if ((b & 0xC0) == 0x80)
            continue; // a continuation byte
        const qsizetype length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

bool isBlankEnd(QChar c) {
    return c == u' ' || c == u'\r' || c == u'\n';
}

// Converts standard input piece by piece, so a large file neither waits for nor holds the
// whole text. The window trims spaces from both ends; here, in addition, the line end that
// closes piped input is not part of the text. So leading spaces are skipped, and a trailing
// run of spaces and line ends is held back until more text follows it. Returns whether any
// text was converted.
bool convertStream(std::FILE* in, const ScriptConverter& converter,
                   const std::function<void(const QString&)>& write) {
    // Each piece is decoded as an argument is, whole, up to a sequence cut at its end, which
    // goes with the next piece; at the end of the input what is left is decoded all the same,
    // so an incomplete last sequence becomes U+FFFD as it would in an argument. Only the
    // input's first bytes may be a byte-order mark; later, U+FEFF is text.
    using Flag = QStringDecoder::Flag;
    QStringDecoder first(QStringDecoder::Utf8, Flag::Stateless);
    QStringDecoder later(QStringDecoder::Utf8, Flag::Stateless | Flag::ConvertInitialBom);
    bool decodedAny = false;
    const auto decode = [&](QByteArrayView piece) {
        const QString text = (decodedAny ? later : first)(piece);
        decodedAny = decodedAny || !piece.isEmpty();
        return text;
    };
    QByteArray carried;
    std::vector<char> bytes(1 << 16);
    QString pending;
    QString out;
    bool started = false;
    bool converted = false;
    const auto put = [&](QStringView text) {
        out.clear();
        converter.convert(text, out);
        if (!out.isEmpty()) {
            write(out);
            converted = true;
        }
    };
    const auto take = [&](const QString& text) {
        QStringView piece(text);
        if (!started) {
            while (!piece.isEmpty() && piece.front() == u' ')
                piece = piece.mid(1);
            started = !piece.isEmpty();
        }
        qsizetype end = piece.size();
        while (end > 0 && isBlankEnd(piece[end - 1]))
            --end;
        if (end > 0) {
            put(pending);
            pending.clear();
            put(piece.left(end));
        }
        pending += piece.mid(end);
    };
    size_t n = 0;
    while ((n = std::fread(bytes.data(), 1, bytes.size(), in)) > 0) {
        carried.append(bytes.data(), qsizetype(n));
        const qsizetype whole = carried.size() - incompleteTail(carried);
        take(decode(QByteArrayView(carried).first(whole)));
        carried.remove(0, whole);
    }
    take(decode(carried));
    if (pending.endsWith(u'\n'))
        pending.chop(pending.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
    while (pending.endsWith(u' '))
        pending.chop(1);
    put(pending);
    return converted;
}

} // namespace

std::vector<Command> scriptCommands() {
    return {
        {"convert", "s2t|t2s [TEXT]",
         "简繁转换：s2t 简体到繁体，t2s 繁体到简体，逐字查 config/jianti.txt 与 config/fanti.txt。"
         "没有 TEXT "
         "时读标准输入（UTF-8，末尾的换行不算在内）。打印结果；去掉首尾空格后为空时不转换。"
         "--json：{\"result\": …}。",
         1, 2,
         [](CliContext& ctx, const QStringList& args) {
             if (args[0] != u"s2t" && args[0] != u"t2s")
                 throw UsageError{QStringLiteral("方向应为 s2t 或 t2s")};
             const auto direction = args[0] == u"s2t" ? ScriptDirection::SimplifiedToTraditional
                                                      : ScriptDirection::TraditionalToSimplified;
             QString result;
             bool converted = false;
             if (args.size() > 1) {
                 const ScriptConversion c = convertScript(direction, args[1]);
                 converted = c.converted;
                 result = c.result;
             } else {
                 const ScriptConverter converter = ScriptConverter::fromTables(direction);
                 converted = convertStream(stdin, converter, [&](const QString& piece) {
                     if (ctx.json) {
                         result += piece;
                     } else {
                         const QByteArray bytes = piece.toUtf8();
                         std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
                     }
                 });
                 if (converted && !ctx.json) {
                     std::fputc('\n', stdout);
                     return;
                 }
             }
             if (!converted)
                 throw UsageError{QStringLiteral("输入去掉首尾空格后为空，没有可转换的文字")};
             if (ctx.json)
                 ctx.printJson({{QStringLiteral("result"), result}});
             else
                 ctx.printText(result);
         }},
    };
}
