#include "script/html_conversion.h"

#include "base/tool_error.h"

#include <QStringDecoder>
#include <algorithm>
#include <vector>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool startsWithNoCase(std::string_view text, size_t at, std::string_view prefix) {
    return text.size() - at >= prefix.size() &&
           equalsNoCase(text.substr(at, prefix.size()), prefix);
}

// A stretch of the page replaced in the result: by the conversion of its own bytes (piece >= 0)
// or by fixed bytes.
struct Edit {
    size_t at;
    size_t length;
    int piece;
    std::string fixed;
};

class HtmlScanner {
public:
    HtmlScanner(std::string_view page, const std::optional<LangChange>& lang)
        : page_(page), lang_(lang) {}

    void scan() {
        size_t pos = page_.starts_with("\xEF\xBB\xBF") ? 3 : 0;
        size_t textStart = pos;
        while ((pos = page_.find('<', pos)) != std::string_view::npos) {
            const size_t end = markupEnd(pos);
            if (end == pos) {
                ++pos; // a "<" that opens nothing is text
                continue;
            }
            addText(textStart, pos);
            pos = end;
            textStart = pos;
        }
        addText(textStart, page_.size());
    }

    std::vector<Edit> edits;
    std::vector<std::string_view> pieces;

private:
    // Where the markup at pos ("<" …) ends; pos itself when it is no markup.
    size_t markupEnd(size_t pos) {
        const auto closing = [&](std::string_view mark, size_t from) {
            const size_t at = page_.find(mark, from);
            return at == std::string_view::npos ? page_.size() : at + mark.size();
        };
        if (page_.substr(pos, 4) == "<!--")
            return closing("-->", pos + 4);
        if (page_.substr(pos, 9) == "<![CDATA[")
            return closing("]]>", pos + 9);
        const char next = pos + 1 < page_.size() ? page_[pos + 1] : '\0';
        if (next == '!' || next == '?')
            return closing(">", pos + 2);
        if (next == '/')
            return pos + 2 < page_.size() && isAsciiLetter(page_[pos + 2]) ? closing(">", pos + 2)
                                                                           : pos;
        if (!isAsciiLetter(next))
            return pos;
        return startTag(pos);
    }

    size_t startTag(size_t pos) {
        size_t i = pos + 1;
        while (i < page_.size() && !isSpace(page_[i]) && page_[i] != '/' && page_[i] != '>')
            ++i;
        const std::string_view name = page_.substr(pos + 1, i - pos - 1);
        struct Attribute {
            std::string_view name;
            size_t at = 0;
            size_t length = 0;
        };
        std::vector<Attribute> attributes;
        while (i < page_.size()) {
            while (i < page_.size() && (isSpace(page_[i]) || page_[i] == '/'))
                ++i;
            if (i >= page_.size() || page_[i] == '>')
                break;
            const size_t nameStart = i++; // a name may begin with "="
            while (i < page_.size() && !isSpace(page_[i]) && page_[i] != '/' && page_[i] != '>' &&
                   page_[i] != '=')
                ++i;
            Attribute a{page_.substr(nameStart, i - nameStart), i, 0};
            size_t j = i;
            while (j < page_.size() && isSpace(page_[j]))
                ++j;
            if (j < page_.size() && page_[j] == '=') {
                ++j;
                while (j < page_.size() && isSpace(page_[j]))
                    ++j;
                if (j < page_.size() && (page_[j] == '"' || page_[j] == '\'')) {
                    const size_t close = page_.find(page_[j], j + 1);
                    a.at = j + 1;
                    a.length = (close == std::string_view::npos ? page_.size() : close) - a.at;
                    i = close == std::string_view::npos ? page_.size() : close + 1;
                } else {
                    a.at = j;
                    while (j < page_.size() && !isSpace(page_[j]) && page_[j] != '>')
                        ++j;
                    a.length = j - a.at;
                    i = j;
                }
            }
            attributes.push_back(a);
        }
        const size_t end = i < page_.size() ? i + 1 : page_.size();

        const bool meta = equalsNoCase(name, "meta");
        bool describes = false;
        for (const Attribute& a : attributes)
            if (meta && equalsNoCase(a.name, "name")) {
                const std::string_view v = page_.substr(a.at, a.length);
                describes = equalsNoCase(v, "description") || equalsNoCase(v, "keywords");
            }
        for (const Attribute& a : attributes) {
            if (equalsNoCase(a.name, "title") || equalsNoCase(a.name, "alt") ||
                equalsNoCase(a.name, "placeholder") ||
                (describes && equalsNoCase(a.name, "content")))
                addText(a.at, a.at + a.length);
            else if (lang_ && (equalsNoCase(a.name, "lang") || equalsNoCase(a.name, "hreflang")))
                changeLang(a.at, a.length);
        }

        // The text of a script or style is not the reader's; that of a title or textarea is,
        // though no tag starts inside it.
        for (const std::string_view raw : {"script", "style", "title", "textarea"}) {
            if (!equalsNoCase(name, raw))
                continue;
            size_t close = end;
            while ((close = page_.find("</", close)) != std::string_view::npos &&
                   !startsWithNoCase(page_, close + 2, raw))
                close += 2;
            if (close == std::string_view::npos)
                close = page_.size();
            if (raw == "title" || raw == "textarea")
                addText(end, close);
            return close;
        }
        return end;
    }

    void changeLang(size_t at, size_t length) {
        const QString value = QString::fromUtf8(page_.substr(at, length));
        if (lang_->from.contains(value, Qt::CaseInsensitive))
            edits.push_back({at, length, -1, lang_->to.toStdString()});
    }

    // The pieces of [from, to) between entities that hold more than ASCII.
    void addText(size_t from, size_t to) {
        size_t start = from;
        const auto piece = [&](size_t end) {
            const std::string_view text = page_.substr(start, end - start);
            if (std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; })) {
                edits.push_back({start, text.size(), int(pieces.size()), {}});
                pieces.push_back(text);
            }
        };
        for (size_t i = from; i < to; ++i) {
            if (page_[i] != '&')
                continue;
            size_t j = i + 1;
            if (j < to && page_[j] == '#')
                ++j;
            while (j < to && (isAsciiLetter(page_[j]) || (page_[j] >= '0' && page_[j] <= '9')))
                ++j;
            if (j == i + 1 || (j == i + 2 && page_[i + 1] == '#'))
                continue; // a lone "&"
            if (j < to && page_[j] == ';')
                ++j;
            piece(i);
            start = j;
            i = j - 1;
        }
        piece(to);
    }

    std::string_view page_;
    const std::optional<LangChange>& lang_;
};

// Every piece converted, in one call when a separator that no dictionary holds can keep them
// apart (a call costs more than its text), else one by one.
std::vector<std::string> convertPieces(std::string_view page,
                                       const std::vector<std::string_view>& pieces,
                                       const Utf8Conversion& convert) {
    constexpr char kSeparator = '\x01';
    std::vector<std::string> out;
    if (page.find(kSeparator) == std::string_view::npos) {
        std::string joined;
        for (const std::string_view p : pieces) {
            joined += p;
            joined += kSeparator;
        }
        const std::string converted = convert(joined);
        size_t start = 0;
        size_t end = 0;
        while ((end = converted.find(kSeparator, start)) != std::string::npos) {
            out.emplace_back(converted, start, end - start);
            start = end + 1;
        }
        if (out.size() == pieces.size() && start == converted.size())
            return out;
        out.clear();
    }
    for (const std::string_view p : pieces)
        out.push_back(convert(p));
    return out;
}

} // namespace

LangChange langChangeTo(bool toTraditional, const QString& target) {
    if (toTraditional)
        return {{QStringLiteral("zh-CN"), QStringLiteral("zh-Hans")}, target};
    return {{QStringLiteral("zh-TW"), QStringLiteral("zh-HK"), QStringLiteral("zh-Hant")}, target};
}

std::string convertHtml(std::string_view page, const Utf8Conversion& convert,
                        const std::optional<LangChange>& lang) {
    QStringDecoder check(QStringDecoder::Utf8);
    const QString decoded = check(QByteArrayView(page.data(), qsizetype(page.size())));
    if (check.hasError())
        throw ToolError(QStringLiteral("网页不是 UTF-8 编码，无法按网页转换（请先另存为 UTF-8）"));

    HtmlScanner scanner(page, lang);
    scanner.scan();
    // A tag's edits are found before those of the text in front of it.
    std::sort(scanner.edits.begin(), scanner.edits.end(),
              [](const Edit& a, const Edit& b) { return a.at < b.at; });
    const std::vector<std::string> converted = convertPieces(page, scanner.pieces, convert);
    std::string out;
    out.reserve(page.size() + page.size() / 8);
    size_t copied = 0;
    for (const Edit& e : scanner.edits) {
        out += page.substr(copied, e.at - copied);
        out += e.piece >= 0 ? converted[size_t(e.piece)] : e.fixed;
        copied = e.at + e.length;
    }
    out += page.substr(copied);
    return out;
}
