#include "cli/command.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "script/html_conversion.h"
#include "script/opencc_conversion.h"
#include "script/script_conversion.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

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
// Pieces are handed over whole lines at a time: a phrase never spans a line end, so a converter
// that reads phrases gives what it would give for the whole text.
using TextConversion = std::function<void(QStringView, QString&)>;

bool convertStream(std::FILE* in, const TextConversion& convert,
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
        convert(text, out);
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
    QString lines;
    size_t n = 0;
    while ((n = std::fread(bytes.data(), 1, bytes.size(), in)) > 0) {
        carried.append(bytes.data(), qsizetype(n));
        const qsizetype whole = carried.size() - incompleteTail(carried);
        lines += decode(QByteArrayView(carried).first(whole));
        carried.remove(0, whole);
        const qsizetype lineEnd = lines.lastIndexOf(u'\n') + 1;
        if (lineEnd > 0) {
            take(lines.left(lineEnd));
            lines.remove(0, lineEnd);
        }
    }
    take(lines + decode(carried));
    if (pending.endsWith(u'\n'))
        pending.chop(pending.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
    while (pending.endsWith(u' '))
        pending.chop(1);
    put(pending);
    return converted;
}

// The conversion a command line asks for: OpenCC's configuration with --opencc, else the
// character tables in the direction its first argument names.
struct Conversion {
    std::optional<OpenCcConverter> opencc;
    std::optional<ScriptConverter> tables;
    bool toTraditional = true;
    QString lang; // the tag of what it writes

    void convert(QStringView text, QString& out) const {
        if (opencc)
            opencc->convert(text, out);
        else
            tables->convert(text, out);
    }
    std::string convertUtf8(std::string_view text) const {
        if (opencc)
            return opencc->convert(text);
        QString out;
        tables->convert(QString::fromUtf8(text.data(), qsizetype(text.size())), out);
        return out.toStdString();
    }
};

// Reads the arguments' direction or --opencc, and the tables or dictionaries, before any text.
// Leaves args with the text alone.
Conversion conversionOf(const CliContext& ctx, QStringList& args) {
    Conversion c;
    if (ctx.options.contains(QStringLiteral("--opencc"))) {
        if (args.size() > 1)
            throw UsageError{QStringLiteral("用 --opencc 时不再写 s2t 或 t2s，只写要转换的文字")};
        c.opencc.emplace(ctx.options.value(QStringLiteral("--opencc")));
        c.toTraditional = c.opencc->config().toTraditional;
        c.lang = QString::fromLatin1(c.opencc->config().lang);
        return c;
    }
    if (args.isEmpty() || (args[0] != u"s2t" && args[0] != u"t2s"))
        throw UsageError{QStringLiteral("方向应为 s2t 或 t2s（或用 --opencc 配置名）")};
    c.toTraditional = args.takeFirst() == u"s2t";
    c.tables =
        ScriptConverter::fromTables(c.toTraditional ? ScriptDirection::SimplifiedToTraditional
                                                    : ScriptDirection::TraditionalToSimplified);
    c.lang = c.toTraditional ? QStringLiteral("zh-Hant") : QStringLiteral("zh-Hans");
    return c;
}

void requireOpenCcConfig(const QString& name) {
    if (!findOpenCcConfig(name))
        throw UsageError{QStringLiteral("没有名为“%1”的 OpenCC 转换配置，应为 %2 之一")
                             .arg(echoed(name), openCcConfigNames())};
}

void writeBytes(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// A page is converted whole and written back as it came, without a line end of ours.
void convertPage(CliContext& ctx, const Conversion& c, const QStringList& args) {
    QByteArray page;
    if (!args.isEmpty()) {
        page = args[0].toUtf8();
    } else {
        std::vector<char> bytes(1 << 16);
        size_t n = 0;
        while ((n = std::fread(bytes.data(), 1, bytes.size(), stdin)) > 0)
            page.append(bytes.data(), qsizetype(n));
    }
    if (page.isEmpty())
        throw UsageError{QStringLiteral("网页是空的，没有可转换的文字")};
    std::optional<LangChange> lang;
    if (ctx.options.contains(QStringLiteral("--set-lang")))
        lang = langChangeTo(c.toTraditional, c.lang);
    const std::string out = convertHtml(
        std::string_view(page.constData(), size_t(page.size())),
        [&c](std::string_view text) { return c.convertUtf8(text); }, lang);
    if (ctx.json)
        ctx.printJson({{QStringLiteral("result"), QString::fromStdString(out)}});
    else
        writeBytes(QByteArray::fromStdString(out));
}

} // namespace

std::vector<Command> scriptCommands() {
    return {
        {"convert",
         "s2t|t2s [TEXT] | --opencc 配置 [TEXT]  [--html [--set-lang]]",
         "简繁转换：s2t 简体到繁体，t2s 繁体到简体，逐字查 config/jianti.txt 与 config/fanti.txt。"
         "--opencc 配置：改用 OpenCC 的词库按词转换，配置为 s2t、t2s、s2tw、s2twp（台湾用词）、"
         "tw2s、tw2sp、s2hk、hk2s、t2tw、t2hk 之一（需安装 libopencc-data）。"
         "没有 TEXT "
         "时读标准输入（UTF-8，末尾的换行不算在内）。打印结果；去掉首尾空格后为空时不转换。"
         "--html：把输入当作 UTF-8 网页，只转换正文与 title、alt、placeholder 属性及 meta "
         "description/keywords 的 content，标签、脚本、样式、注释、地址和实体原样保留，"
         "结果原样输出；--set-lang 同时把 lang/hreflang 的 zh-CN、zh-Hans 改为目标的语言代码"
         "（转为简体时把 zh-TW、zh-HK、zh-Hant 改为简体的）。"
         "--json：{\"result\": …}。",
         0,
         2,
         [](CliContext& ctx, const QStringList& arguments) {
             QStringList args = arguments;
             const bool html = ctx.options.contains(QStringLiteral("--html"));
             if (!html && ctx.options.contains(QStringLiteral("--set-lang")))
                 throw UsageError{QStringLiteral("--set-lang 只能与 --html 一起用")};
             const Conversion c = conversionOf(ctx, args);
             if (html)
                 return convertPage(ctx, c, args);
             const auto convert = [&c](QStringView text, QString& out) { c.convert(text, out); };
             QString result;
             bool converted = false;
             if (!args.isEmpty()) {
                 // As the window's buttons: trimmed, and nothing converted when that leaves
                 // nothing.
                 const QString input = text::trimSpaces(args[0]);
                 converted = !input.isEmpty();
                 if (converted)
                     convert(input, result);
             } else {
                 converted = convertStream(stdin, convert, [&](const QString& piece) {
                     if (ctx.json)
                         result += piece;
                     else
                         writeBytes(piece.toUtf8());
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
         },
         {{"--opencc", "配置名", requireOpenCcConfig},
          {"--html", nullptr},
          {"--set-lang", nullptr}}},
    };
}
