#include "base/html_text.h"

#include "base/utf16_lanes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// memmove of count units; an empty page may have no buffer at all, and memmove must not be
// handed a null pointer even for nothing.
void moveUnits(char16_t* to, const char16_t* from, qsizetype count) {
    if (count > 0)
        std::memmove(to, from, size_t(count) * sizeof(char16_t));
}

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

// Deletes the script blocks, then the style blocks in what that leaves, from in to out (which may
// be in or lie before it); returns the length written. The search for the scripts stops at every
// "<s" anyway, so it notes where each "<style" will land; only across a join, where a deleted
// block was, can one form that it did not see. (It does not reach the last units either, but an
// opening there has no closing after it, and so deletes nothing.)
qsizetype deleteScriptsAndStyles(const char16_t* in, qsizetype n, char16_t* out) {
    static constexpr std::u16string_view script = u"<script", scriptEnd = u"script>";
    static constexpr std::u16string_view style = u"<style", styleEnd = u"style>";
    static constexpr qsizetype styleSize = style.size();
    std::vector<qsizetype> styles; // where each "<style" begins in out
    std::vector<qsizetype> joins;  // where a deleted script was in out
    qsizetype done = 0;
    qsizetype w = 0;
    const auto note = [&](qsizetype at) {
        if (std::u16string_view(in + at, styleSize) == style)
            styles.push_back(w + at - done);
    };
    for (;;) {
        const qsizetype start = lanes::find(in, n, done, script, 0, note);
        if (start < 0)
            break;
        // A closing is looked for by its last two units ("t>", "e>"), which few tags end in.
        const qsizetype end = lanes::find(in, n, start + qsizetype(script.size()) + 1, scriptEnd,
                                          scriptEnd.size() - 2);
        if (end < 0) {
            for (qsizetype at = start; (at = lanes::find(in, n, at, style, 0)) >= 0; ++at)
                styles.push_back(w + at - done);
            break;
        }
        if (out + w != in + done) // nothing has gone yet: a page without blocks is not copied
            moveUnits(out + w, in + done, start - done);
        w += start - done;
        done = end + qsizetype(scriptEnd.size());
        joins.push_back(w);
    }
    if (out + w != in + done)
        moveUnits(out + w, in + done, n - done);
    n = w + n - done;
    // Those across a join come after every one seen before it and before every one after it:
    // merged, not sorted, so that a page of nothing but openings stays linear.
    const auto seen = std::ptrdiff_t(styles.size());
    qsizetype checked = 0;
    for (const qsizetype join : joins)
        for (qsizetype at = std::max(join - styleSize + 1, checked); at < join; ++at) {
            if (at + styleSize <= n && std::u16string_view(out + at, styleSize) == style)
                styles.push_back(at);
            checked = at + 1;
        }
    std::inplace_merge(styles.begin(), styles.begin() + seen, styles.end());
    done = 0;
    w = 0;
    for (const qsizetype start : styles) {
        if (start < done)
            continue;
        const qsizetype end =
            lanes::find(out, n, start + styleSize + 1, styleEnd, styleEnd.size() - 2);
        if (end < 0)
            break; // nor has any later one
        if (w != done)
            moveUnits(out + w, out + done, start - done);
        w += start - done;
        done = end + qsizetype(styleEnd.size());
    }
    if (w != done)
        moveUnits(out + w, out + done, n - done);
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
        for (lanes::Block b; i + lanes::kWidth <= lastClose &&
                             !lanes::any((b = lanes::load(s + i)) == lanes::splat(u'<'));
             i += lanes::kWidth, w += lanes::kWidth)
            lanes::store(s + w, b);
        while (i < lastClose && s[i] != u'<')
            s[w++] = s[i++];
        if (i >= lastClose)
            break;
        i = lanes::find(s, i + 1, n, u'>') + 1;
    }
    moveUnits(s + w, s + i, n - i);
    return w + n - i;
}

#if defined(__x86_64__)
// For each set of kept lanes (a bit each), the byte order that moves them to the front.
constexpr auto kToFront = [] {
    std::array<std::array<std::uint8_t, 16>, 1 << lanes::kWidth> orders{};
    for (unsigned kept = 0; kept < orders.size(); ++kept)
        for (int k = 0, to = 0; k < lanes::kWidth; ++k)
            if ((kept >> k) & 1) {
                orders[kept][to++] = std::uint8_t(2 * k);
                orders[kept][to++] = std::uint8_t(2 * k + 1);
            }
    return orders;
}();

// The units of b whose lanes are set in kept, moved to the front; the lanes after them hold
// whatever is left. pshufb is written out, since the baseline x86-64 the program is built for
// lacks it: the caller asks the processor first (all but the earliest x86-64 have it).
lanes::Block keptToFront(lanes::Block b, unsigned kept) {
    lanes::Block order;
    std::memcpy(&order, kToFront[kept].data(), sizeof order);
    asm("pshufb %1, %0" : "+x"(b) : "xm"(order));
    return b;
}
#endif

// How many lanes are set in each set of eight, which the baseline x86-64 has no instruction for.
constexpr auto kKeptCounts = [] {
    std::array<std::uint8_t, 1 << lanes::kWidth> counts{};
    for (unsigned kept = 0; kept < counts.size(); ++kept)
        counts[kept] = std::uint8_t(std::popcount(kept));
    return counts;
}();

// The units of s[0, n) that the tag deletion lets through, then the five blank deletions on
// them, in place, in one pass. With tags false only the blanks go.
//
// The blank deletions take spaces and ideographic spaces first; "&nbsp;" is then looked for in
// what is left, CR LF in what that leaves, and tabs last, so a tab between CR and LF keeps them.
// Each deletion sees the units the one before lets through, and none of the patterns can overlap
// itself, so a held "&nbsp;" prefix and whether the last unit let through to the CR LF stage was
// a CR are all the state there is. A tag the tag deletion takes out is invisible to them: "&nb"
// and "sp;" on either side of one make an entity.
qsizetype deleteTagsAndBlanks(char16_t* s, qsizetype n, bool tags) {
    static constexpr char16_t nbsp[] = u"&nbsp;";
    // A "<" opens a tag only if some ">" follows it.
    qsizetype lastClose = n - 1;
    while (tags && lastClose >= 0 && s[lastClose] != u'>')
        --lastClose;
    if (!tags)
        lastClose = -1;
    qsizetype w = 0;
    qsizetype afterCr = -1; // w just after the CR last let through to the CR LF stage, or -1
    // A unit the "&nbsp;" stage lets through, and spaces, which never reach it: without a branch,
    // since blanks and line breaks come every few units.
    const auto pass = [s, &w, &afterCr](char16_t c) {
        const bool pairEnd = c == u'\n' && afterCr == w;
        const bool kept = c != u' ' && c != u'\t' && c != u'\u3000' && !pairEnd;
        s[w] = c;
        w += qsizetype(kept) - qsizetype(pairEnd);
        afterCr = c == u'\r' ? w : (c == u'\t' || pairEnd ? -1 : afterCr);
    };
#if defined(__x86_64__)
    static const bool byteShuffle = __builtin_cpu_supports("ssse3");
#endif
    qsizetype held = 0; // units of "&nbsp;" seen and not yet let through
    qsizetype i = 0;
    while (i < n) {
        // Eight units at a time while nothing is held: the units before the first that opens a
        // tag, is a "&" or is a CR or LF other than half of a CR LF among them are each kept or
        // dropped on their own, and one other than a space ends what a CR before them could pair
        // with. The unit that stops the run is taken one at a time below.
        if (held == 0 && i + lanes::kWidth <= n) {
            const lanes::Block b = lanes::load(s + i);
            const auto is = [b](char16_t unit) { return b == lanes::splat(unit); };
            const unsigned breaks = lanes::bits(is(u'\r'), is(u'\n'));
            const unsigned cr = breaks & 0xff;
            const unsigned lf = breaks >> 8;
            const unsigned pairs = (cr & (lf >> 1)) | (lf & (cr << 1));
            const auto openings = i < lastClose ? is(u'<') : decltype(is(u'<')){};
            const unsigned others =
                lanes::bits(is(u'&') | openings, is(u' ') | is(u'\u3000') | is(u'\t'));
            const unsigned stops = (others & 0xff) | ((cr | lf) & ~pairs) | 0x100;
            const int run = std::countr_zero(stops);
            const unsigned inRun = (1u << run) - 1;
            const unsigned spaces = lanes::bits(is(u' ') | is(u'\u3000'));
            const unsigned kept = ~((others >> 8) | pairs) & inRun;
#if defined(__x86_64__)
            if (byteShuffle && w + lanes::kWidth <= i) {
                lanes::store(s + w, keptToFront(b, kept));
                w += kKeptCounts[kept];
            } else
#endif
            {
                // One by one, never past s + i + run, where the unit that stopped the run is put
                // back.
                std::uint16_t units[lanes::kWidth];
                std::memcpy(units, &b, sizeof units);
                for (int k = 0; k < lanes::kWidth; ++k) {
                    s[w] = units[k];
                    w += (kept >> k) & 1;
                }
                if (run < lanes::kWidth)
                    s[i + run] = units[run];
            }
            if ((~spaces & inRun) != 0)
                afterCr = -1;
            if (run == lanes::kWidth) {
                i += lanes::kWidth; // not i += run: the next load need not wait for this one
                continue;
            }
            i += run;
        }
        const char16_t c = s[i++];
        if (c == u'<' && i <= lastClose) {
            // Tags often follow one another with nothing between them.
            for (;;) {
                i = lanes::find(s, i, n, u'>') + 1;
                if (i >= lastClose || s[i] != u'<')
                    break;
                ++i;
            }
            continue;
        }
        if (held > 0) {
            if (c == u' ' || c == u'\u3000')
                continue;
            if (c == nbsp[held]) {
                if (++held == 6)
                    held = 0;
                continue;
            }
            for (qsizetype k = 0; k < held; ++k)
                pass(nbsp[k]);
            held = 0;
        }
        if (c != u'&')
            pass(c);
        else if (std::u16string_view(s + i, size_t(std::min<qsizetype>(5, n - i))) == u"nbsp;")
            i += 5; // a whole "&nbsp;", the usual case, at once
        else
            held = 1;
    }
    for (qsizetype k = 0; k < held; ++k)
        pass(nbsp[k]);
    return w;
}

} // namespace

QString removeHtml(QStringView html) {
    QString text(html.size(), Qt::Uninitialized);
    char16_t* const s = reinterpret_cast<char16_t*>(text.data());
    text.truncate(deleteTags(s, deleteScriptsAndStyles(html.utf16(), html.size(), s)));
    return text;
}

QString removeBlank(QString& text) {
    text.truncate(
        deleteTagsAndBlanks(reinterpret_cast<char16_t*>(text.data()), text.size(), false));
    return text;
}

QString pageText(QStringView html) {
    QString text(html.size(), Qt::Uninitialized);
    char16_t* const s = reinterpret_cast<char16_t*>(text.data());
    text.truncate(
        deleteTagsAndBlanks(s, deleteScriptsAndStyles(html.utf16(), html.size(), s), true));
    return text;
}

void pageTextInPlace(QString& text, qsizetype from) {
    char16_t* const s = reinterpret_cast<char16_t*>(text.data());
    text.truncate(
        deleteTagsAndBlanks(s, deleteScriptsAndStyles(s + from, text.size() - from, s), true));
}
