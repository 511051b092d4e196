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
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// UTF-8 as text, as an argument reads: a faulty sequence becomes U+FFFD. A U+FEFF is text
// and stays, as OpenCC keeps it.
QString decodedText(std::string_view utf8) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
    return decode(QByteArrayView(utf8.data(), qsizetype(utf8.size())));
}

bool isBlankEnd(char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

// Converts standard input piece by piece, so a large file neither waits for nor holds the
// whole text. The window trims spaces from both ends; here, in addition, the line end that
// closes piped input is not part of the text. So leading spaces are skipped, and a trailing
// run of spaces and line ends is held back until more text follows it. Returns whether any
// text was converted.
// Pieces are handed over whole lines at a time: a phrase never spans a line end, so a converter
// that reads phrases gives what it would give for the whole text. They stay UTF-8 and go two
// megabytes at a time: OpenCC's dictionaries take nearly all the time, so a round trip through
// UTF-16 and small pieces are what would make us slower than OpenCC's own command.
using TextConversion = std::function<void(std::string_view, std::string&)>;

bool convertStream(std::FILE* in, const TextConversion& convert,
                   const std::function<void(std::string_view)>& write) {
    constexpr size_t kPiece = 2 << 20;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    std::string bytes;
    std::string pending;
    std::string out;
    bool bomChecked = false;
    bool started = false;
    bool converted = false;
    const auto put = [&](std::string_view text) {
        if (text.empty())
            return;
        out.clear();
        convert(text, out);
        if (!out.empty()) {
            write(out);
            converted = true;
        }
    };
    // Text that is not UTF-8 is repaired as an argument is. A line end always ends a
    // sequence, so whole lines are repaired as the whole text would be.
    std::string repaired;
    const auto take = [&](std::string_view piece) {
        if (!QByteArrayView(piece.data(), qsizetype(piece.size())).isValidUtf8()) {
            repaired = decodedText(piece).toStdString();
            piece = repaired;
        }
        if (!started) {
            piece.remove_prefix(std::min(piece.find_first_not_of(' '), piece.size()));
            started = !piece.empty();
        }
        size_t end = piece.size();
        while (end > 0 && isBlankEnd(piece[end - 1]))
            --end;
        if (end > 0) {
            put(pending);
            pending.clear();
            put(piece.substr(0, end));
        }
        pending += piece.substr(end);
    };
    // Only the input's first bytes may be a byte-order mark; later, U+FEFF is text.
    const auto dropBom = [&](bool atEnd) {
        if (bomChecked || (bytes.size() < kBom.size() && !atEnd))
            return;
        if (bytes.starts_with(kBom))
            bytes.erase(0, kBom.size());
        bomChecked = true;
    };
    std::vector<char> block(kPiece);
    size_t n = 0;
    while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) {
        bytes.append(block.data(), n);
        dropBom(false);
        const size_t lineEnd = bytes.rfind('\n');
        if (bomChecked && lineEnd != std::string::npos) {
            take(std::string_view(bytes).substr(0, lineEnd + 1));
            bytes.erase(0, lineEnd + 1);
        }
    }
    dropBom(true);
    take(bytes);
    if (pending.ends_with('\n'))
        pending.resize(pending.size() - (pending.ends_with("\r\n") ? 2 : 1));
    while (pending.ends_with(' '))
        pending.pop_back();
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
    // Appends the conversion of text to out.
    void convertUtf8(std::string_view text, std::string& out) const {
        if (opencc)
            return opencc->convert(text, out);
        QString converted;
        tables->convert(decodedText(text), converted);
        out += converted.toStdString();
    }
};

// Appends the conversion of whole lines to out. OpenCC's dictionaries take nearly all the time
// of a large text; its lines convert independently, so two halves split at a line end go on
// the machine's two cores at once, through dictionaries that are only read.
void convertLines(const Conversion& c, std::string_view text, std::string& out) {
    constexpr size_t kHalf = 1 << 18;
    const size_t middle =
        text.size() < 2 * kHalf ? std::string_view::npos : text.find('\n', text.size() / 2);
    if (!c.opencc || middle == std::string_view::npos)
        return c.convertUtf8(text, out);
    auto first = std::async(std::launch::async, [&c, text, middle] {
        std::string converted;
        c.convertUtf8(text.substr(0, middle + 1), converted);
        return converted;
    });
    std::string second;
    c.convertUtf8(text.substr(middle + 1), second);
    out += first.get();
    out += second;
}

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
        [&c](std::string_view text) {
            std::string out;
            c.convertUtf8(text, out);
            return out;
        },
        lang);
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
             QString result;
             bool converted = false;
             if (!args.isEmpty()) {
                 // As the window's buttons: trimmed, and nothing converted when that leaves
                 // nothing.
                 const QString input = text::trimSpaces(args[0]);
                 converted = !input.isEmpty();
                 if (converted)
                     c.convert(input, result);
             } else {
                 std::string json;
                 converted = convertStream(
                     stdin,
                     [&c](std::string_view text, std::string& out) { convertLines(c, text, out); },
                     [&](std::string_view piece) {
                         if (ctx.json)
                             json += piece;
                         else
                             std::fwrite(piece.data(), 1, piece.size(), stdout);
                     });
                 if (converted && !ctx.json) {
                     std::fputc('\n', stdout);
                     return;
                 }
                 result = decodedText(json);
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
