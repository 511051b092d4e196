#include "base/html_text.h"

#include "base/utf16_lanes.h"

#include <cstring>
#include <string_view>

namespace {

// The three deletions are the regular expressions "<script(.|\n|\t)+?script>",
// "<style(.|\n|\t)+?style>" and "<[^>]*>", global, case-sensitive. They are simple enough to match
// with plain searches, which keeps every page linear (a backtracking engine goes quadratic on a
// page full of unterminated "<script") and runs many times faster than a regex engine:
// - the dot takes every character but a line feed, and line feed and tab are listed beside it,
//   so "(.|\n|\t)+?" is one or more of any character, and a block runs from "<script" past at
//   least one character to the nearest "script>";
// - the leftmost match starts at the first opening that has a closing after it; when the first
//   opening has none, no later one has either, so the search ends there;
// - "<[^>]*>" runs from a "<" to the next ">", across line breaks.
// Each deletion writes over the text it reads, behind the point it has read to.

// The first position at or after from where needle begins, or -1. Needles here hold one angle
// bracket, at index anchor; the unit after an opening bracket ("<s") or before a closing one
// ("t>", "e>") is looked for beside it, which rules out most tags at once.
qsizetype find(const char16_t* s, qsizetype n, qsizetype from, std::u16string_view needle,
               qsizetype anchor) {
    const qsizetype size = qsizetype(needle.size());
    const qsizetype pairAt = anchor == 0 ? 0 : anchor - 1; // the pair's first unit in needle
    const char16_t first = needle[pairAt];
    const char16_t second = needle[pairAt + 1];
    qsizetype at = from + pairAt; // where the pair may begin
    const qsizetype end = n - (size - pairAt - 2);
    for (;;) {
        while (at + 1 + lanes::kWidth <= end &&
               !lanes::any((lanes::load(s + at) == first) & (lanes::load(s + at + 1) == second)))
            at += lanes::kWidth;
        for (; at + 1 < end; ++at)
            if (s[at] == first && s[at + 1] == second)
                break;
        if (at + 1 >= end)
            return -1;
        if (std::u16string_view(s + at - pairAt, size_t(size)) == needle)
            return at - pairAt;
        ++at;
    }
}

// Deletes every block from open past at least one unit to the nearest close after it: reads
// from in, writes to out (which may be in), returns the length written.
qsizetype deleteBlocks(const char16_t* in, qsizetype n, char16_t* out, std::u16string_view open,
                       std::u16string_view close) {
    qsizetype done = 0;
    qsizetype w = 0;
    for (;;) {
        const qsizetype start = find(in, n, done, open, 0);
        if (start < 0)
            break;
        const qsizetype end =
            find(in, n, start + qsizetype(open.size()) + 1, close, qsizetype(close.size()) - 1);
        if (end < 0)
            break;
        std::memmove(out + w, in + done, size_t(start - done) * 2);
        w += start - done;
        done = end + qsizetype(close.size());
    }
    std::memmove(out + w, in + done, size_t(n - done) * 2);
    return w + n - done;
}

// Deletes every tag, in place. A "<" opens one only if some ">" follows it.
qsizetype deleteTags(char16_t* s, qsizetype n) {
    qsizetype lastClose = n - 1;
    while (lastClose >= 0 && s[lastClose] != u'>')
        --lastClose;
    qsizetype w = 0;
    qsizetype i = 0;
    for (;;) {
        // The text up to the next opening, copied eight units at a time while none is among them.
        for (lanes::Block b;
             i + lanes::kWidth <= lastClose && !lanes::any((b = lanes::load(s + i)) == u'<');
             i += lanes::kWidth, w += lanes::kWidth)
            lanes::store(s + w, b);
        while (i < lastClose && s[i] != u'<')
            s[w++] = s[i++];
        if (i >= lastClose)
            break;
        i = lanes::find(s, i + 1, n, u'>') + 1;
    }
    std::memmove(s + w, s + i, size_t(n - i) * 2);
    return w + n - i;
}

} // namespace

QString removeHtml(QStringView html) {
    QString text(html.size(), Qt::Uninitialized);
    char16_t* s = reinterpret_cast<char16_t*>(text.data());
    qsizetype n = deleteBlocks(html.utf16(), html.size(), s, u"<script", u"script>");
    n = deleteBlocks(s, n, s, u"<style", u"style>");
    text.truncate(deleteTags(s, n));
    return text;
}

QString removeBlank(QString& text) {
    // The five deletions in their order, in one pass: spaces and ideographic spaces go first;
    // "&nbsp;" is then looked for in what is left, CR LF in what that leaves, and tabs last, so
    // a tab between CR and LF keeps them. Each stage sees the units the one before lets through,
    // and none of the patterns can overlap itself, so a held "&nbsp;" prefix and whether the last
    // unit let through to the CR LF stage was a CR are all the state there is.
    static constexpr char16_t nbsp[] = u"&nbsp;";
    const qsizetype n = text.size();
    char16_t* const s = reinterpret_cast<char16_t*>(text.data());
    qsizetype w = 0;
    qsizetype afterCr = -1; // w just after the CR last let through to the CR LF stage, or -1
    const auto crLfStage = [s, &w, &afterCr](char16_t c) {
        if (c == u'\n' && afterCr == w) {
            --w;
            afterCr = -1;
        } else if (c == u'\r') {
            s[w++] = c;
            afterCr = w;
        } else if (c == u'\t') {
            afterCr = -1;
        } else {
            s[w++] = c;
        }
    };
    qsizetype held = 0; // units of "&nbsp;" seen and not yet let through
    // Units that only some stage may delete but none joins to others: spaces, ideographic spaces
    // and tabs go without a branch, everything else but "&", CR and LF is written.
    constexpr std::uint64_t one = 1;
    constexpr std::uint64_t joining = one << u'&' | one << u'\r' | one << u'\n';
    constexpr std::uint64_t dropped = one << u' ' | one << u'\t';
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (held == 0 && !(c < 64 && (joining >> c & 1))) {
            const bool drop = (c < 64 && (dropped >> c & 1)) || c == u'\u3000';
            s[w] = c;
            w += !drop;
            afterCr = c == u'\t' ? -1 : afterCr;
            continue;
        }
        if (c == u' ' || c == u'\u3000')
            continue;
        if (held > 0) {
            if (c == nbsp[held]) {
                if (++held == 6)
                    held = 0;
                continue;
            }
            for (qsizetype k = 0; k < held; ++k)
                crLfStage(nbsp[k]);
            held = 0;
        }
        if (c == u'&')
            held = 1;
        else
            crLfStage(c);
    }
    for (qsizetype k = 0; k < held; ++k)
        crLfStage(nbsp[k]);
    text.truncate(w);
    return text;
}
