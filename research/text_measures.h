#pragma once

#include <QString>

// The measures of the keyword-density page.

// 2 for each UTF-16 unit that is a double-byte character of GBK, 1 for every other one,
// including those GBK cannot encode.
qsizetype getByteLength(const QString& text);

// The number of positions in text at which keyword begins; overlapping occurrences count
// separately ("aa" occurs twice in "aaa"). Exact and case-sensitive; linear in both lengths.
// An empty keyword begins at every position.
qsizetype getFrequency(const QString& keyword, const QString& text);

// 100 * keywordTotalLength / pageLength, rounded to two decimals with halves to the even digit,
// in plain decimal without trailing zeros: "69.23", "2.5", "2", "0.07". "0" for an empty page.
QString formatDensity(qsizetype keywordTotalLength, qsizetype pageLength);
