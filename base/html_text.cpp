#include "base/html_text.h"

namespace {

// The three deletions are the regular expressions "<script(.|\n|\t)+?script>",
// "<style(.|\n|\t)+?style>" and "<[^>]*>", global, case-sensitive. They are simple enough to match
// with plain searches, which keeps every page linear (a backtracking engine goes quadratic on a
// page full of unterminated "<script") and runs several times faster than a regex engine:
// - the dot takes every character but a line feed, and line feed and tab are listed beside it,
//   so "(.|\n|\t)+?" is one or more of any character, and a block runs from "<script" past at
//   least one character to the nearest "script>";
// - the leftmost match starts at the first opening that has a closing after it; when the first
//   opening has none, no later one has either, so the search ends there;
// - "<[^>]*>" runs from a "<" to the next ">", across line breaks.
QString deleteBlocks(const QString& text, QStringView open, QStringView close, qsizetype minInner) {
    QString out;
    qsizetype done = 0;
    for (;;) {
        const qsizetype start = text.indexOf(open, done);
        if (start < 0)
            break;
        const qsizetype end = text.indexOf(close, start + open.size() + minInner);
        if (end < 0)
            break;
        if (out.isEmpty())
            out.reserve(text.size());
        out.append(QStringView(text).mid(done, start - done));
        done = end + close.size();
    }
    if (done == 0)
        return text;
    out.append(QStringView(text).mid(done));
    return out;
}

} // namespace

QString removeHtml(const QString& html) {
    QString text = deleteBlocks(html, u"<script", u"script>", 1);
    text = deleteBlocks(text, u"<style", u"style>", 1);
    return deleteBlocks(text, u"<", u">", 0);
}

QString removeBlank(QString& text) {
    text.remove(u' ');
    text.remove(QChar(0x3000));
    text.remove(QStringLiteral("&nbsp;"));
    text.remove(QStringLiteral("\r\n"));
    text.remove(u'\t');
    return text;
}
