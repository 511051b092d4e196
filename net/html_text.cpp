#include "net/html_text.h"

#include "net/tool_error.h"

#include <re2/re2.h>

namespace {

// RE2 runs in time linear in the page: a backtracking engine goes quadratic on a page full of
// "<script" without a closing tag. Its dot, like the VBScript engine's, takes any character
// but a line feed, so a block with CR LF line ends is removed whole.
const RE2& pattern(int which) {
    static const auto make = [](const char* p) {
        RE2::Options o;
        o.set_encoding(RE2::Options::EncodingUTF8);
        o.set_case_sensitive(true);
        o.set_dot_nl(false);
        o.set_log_errors(false);
        o.set_max_mem(64 << 20);
        return new RE2(p, o);
    };
    static const RE2* const patterns[] = {
        make("<script(.|\n|\t)+?script>"),
        make("<style(.|\n|\t)+?style>"),
        make("<[^>]*>"),
    };
    return *patterns[which];
}

void replaceAll(std::string& s, int which) {
    const RE2& re = pattern(which);
    if (!re.ok())
        throw ToolError(QStringLiteral("正则表达式无效：%1").arg(QString::fromStdString(re.error())));
    RE2::GlobalReplace(&s, re, "");
}

} // namespace

QString removeHtml(const QString& html) {
    std::string s = html.toStdString();
    for (int which = 0; which < 3; ++which)
        replaceAll(s, which);
    return QString::fromStdString(s);
}

QString removeBlank(QString& text) {
    text.remove(u' ');
    text.remove(QChar(0x3000));
    text.remove(QStringLiteral("&nbsp;"));
    text.remove(QStringLiteral("\r\n"));
    text.remove(u'\t');
    return text;
}
