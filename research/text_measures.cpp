#include "research/text_measures.h"

#include "base/gbk_tables.h"

#include <cmath>
#include <cstdint>
#include <vector>

qsizetype getByteLength(const QString& text) {
    // GBK has no character outside the BMP, so each surrogate pair comes back as one "?"; counted
    // unit by unit, as the page measures are, the pair is two characters GBK cannot encode, and
    // the table gives surrogates "?".
    const std::uint16_t* const code = kGbkTables.code;
    qsizetype doubles = 0;
    for (const QChar u : text)
        doubles += code[u.unicode()] >> 8 != 0;
    return text.size() + doubles;
}

qsizetype getFrequency(const QString& keyword, const QString& text) {
    const qsizetype m = keyword.size();
    if (m == 0)
        return text.size();
    // Knuth-Morris-Pratt: an occurrence found by a search that restarts one position further on
    // costs a full comparison each time, which is quadratic on a page of "aaaa…" and a keyword of
    // "aaa…"; the prefix table lets every unit of the text be looked at a bounded number of times.
    const QChar* k = keyword.constData();
    std::vector<qsizetype> border(size_t(m), 0);
    for (qsizetype i = 1, b = 0; i < m; ++i) {
        while (b > 0 && k[i] != k[b])
            b = border[size_t(b - 1)];
        if (k[i] == k[b])
            ++b;
        border[size_t(i)] = b;
    }
    qsizetype count = 0;
    qsizetype matched = 0;
    const QStringView t(text);
    for (qsizetype i = 0; i < t.size();) {
        // Between occurrences, the keyword's first unit is looked for as fast as Qt can.
        if (matched == 0) {
            const qsizetype at = t.indexOf(k[0], i);
            if (at < 0)
                break;
            i = at;
        }
        const QChar c = t[i++];
        while (matched > 0 && c != k[matched])
            matched = border[size_t(matched - 1)];
        if (c == k[matched])
            ++matched;
        if (matched == m) {
            ++count;
            matched = border[size_t(m - 1)];
        }
    }
    return count;
}

QString formatDensity(qsizetype keywordTotalLength, qsizetype pageLength) {
    if (pageLength == 0)
        return QStringLiteral("0");
    // In this order, in doubles: the quotient, times 100, then two decimals the way Round(x, 2)
    // takes them: scaled by 100 and rounded to the nearest integer, a half to the even one (the
    // default rounding mode, which nothing in the program changes).
    const double density = double(keywordTotalLength) / double(pageLength) * 100.0;
    const auto hundredths = static_cast<long long>(std::nearbyint(density * 100.0));
    QString out = QString::number(hundredths / 100);
    const long long cents = hundredths % 100;
    if (cents != 0) {
        out += u'.' + QString::number(cents / 10);
        if (cents % 10 != 0)
            out += QString::number(cents % 10);
    }
    return out;
}
