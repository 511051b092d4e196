#include "demo/demo_figures.h"

#include "base/charset.h"

namespace demo {
namespace {

// FNV-1a over both texts' UTF-16 units, with a separator no text holds between them.
quint64 hashOf(const QString& what, const QString& about) {
    quint64 h = 14695981039346656037ULL;
    const auto mix = [&h](char16_t u) {
        h ^= u;
        h *= 1099511628211ULL;
    };
    for (const QChar c : what)
        mix(c.unicode());
    mix(0xFFFF);
    for (const QChar c : about)
        mix(c.unicode());
    // FNV's low bits change little between similar texts; fold the high half in.
    return h ^ (h >> 29);
}

qint64 powerOfTen(int n) {
    qint64 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

} // namespace

qint64 figure(const QString& what, const QString& about, int fewestDigits, int mostDigits) {
    const quint64 h = hashOf(what, about);
    const int digits = fewestDigits + int(h % quint64(mostDigits - fewestDigits + 1));
    const qint64 unit = powerOfTen(digits - 1);
    const qint64 lead = 1 + qint64((h >> 8) % 9);
    return lead * unit + qint64((h >> 16) % quint64(unit));
}

int pick(const QString& what, const QString& about, int n) {
    return int(hashOf(what, about) % quint64(n));
}

QString grouped(qint64 n) {
    QString digits = QString::number(n);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return digits;
}

QString fromGbkPercent(QStringView encoded) {
    const auto hex = [](QChar c) {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            return u - '0';
        if (u >= 'A' && u <= 'F')
            return u - 'A' + 10;
        if (u >= 'a' && u <= 'f')
            return u - 'a' + 10;
        return -1;
    };
    QByteArray bytes;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QChar c = encoded[i];
        if (c == u'%' && i + 2 < encoded.size() && hex(encoded[i + 1]) >= 0 &&
            hex(encoded[i + 2]) >= 0) {
            bytes.append(char(hex(encoded[i + 1]) * 16 + hex(encoded[i + 2])));
            i += 2;
        } else if (c == u'+') {
            bytes.append(' ');
        } else if (c.unicode() < 0x100) {
            bytes.append(char(c.unicode()));
        } else {
            bytes.append(charset::encodeGbk(QString(c)));
        }
    }
    return charset::decodeGbk(bytes);
}

} // namespace demo
