// removeHtml, removeBlank and pageText on any page. On short pages without surrogates, removeHtml
// is checked against the three regular expressions it stands for, run by a regex engine.
#include "base/html_text.h"
#include "fuzz_support.h"

#include <QRegularExpression>

namespace {

QString byRegularExpressions(QString html) {
    static const QRegularExpression script(QStringLiteral("<script(.|\\n|\\t)+?script>"));
    static const QRegularExpression style(QStringLiteral("<style(.|\\n|\\t)+?style>"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return html.remove(script).remove(style).remove(tag);
}

bool hasSurrogates(const QString& s) {
    for (const QChar c : s)
        if (c.isSurrogate())
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString html =
        fuzz::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QString text = removeHtml(html);
    if (html.size() <= 256 && !hasSurrogates(html)) {
        const QString expected = byRegularExpressions(html);
        if (text != expected)
            fuzz::mismatch("removeHtml differs from its regular expressions", text, expected);
    }
    // Spaces and tabs go for good; a CR LF pair or "&nbsp;" may form again as later deletions
    // join what was around them, and so they stay, as in the deletions the spider makes.
    const QString blank = removeBlank(text);
    if (blank != text || blank.contains(u' ') || blank.contains(QChar(0x3000)) ||
        blank.contains(u'\t'))
        fuzz::mismatch("removeBlank left a blank", blank, QString());
    if (const QString page = pageText(html); page != blank)
        fuzz::mismatch("pageText differs from removeHtml then removeBlank", page, blank);
    return 0;
}
