#pragma once

#include <QString>
#include <QStringView>

// The made-up figures of the demo pages. The same question always gets the same figure and
// another question almost always another one; plain integer arithmetic, so every machine agrees.
namespace demo {

// A number of fewestDigits to mostDigits digits (at least 1), picked by what is asked (an
// engine's page, a rating) and about what (a domain, a keyword).
qint64 figure(const QString& what, const QString& about, int fewestDigits, int mostDigits);

// A number from 0 to n - 1, picked the same way.
int pick(const QString& what, const QString& about, int n);

// n with its digits grouped by commas, as the engines print counts: 1234567 -> "1,234,567".
QString grouped(qint64 n);

// The text behind a query value in GBK percent-encoding (URLEncode): %XX is a byte, "+" a space,
// and any other character below U+0100 the byte of that value (URLEncode leaves some trail bytes
// as they are). Invalid GBK becomes U+FFFD.
QString fromGbkPercent(QStringView encoded);

} // namespace demo
