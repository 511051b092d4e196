#include "net/url_encode.h"

#include "base/charset.h"

namespace {

bool isAlnum(unsigned char b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

void appendHex(QString& out, unsigned char b) {
    static const char hex[] = "0123456789ABCDEF";
    out.append(u'%');
    out.append(QLatin1Char(hex[b >> 4]));
    out.append(QLatin1Char(hex[b & 15]));
}

} // namespace

QString URLEncode(const QString& strEnc) {
    const QByteArray gbk = charset::encodeGbk(strEnc);
    QString out;
    out.reserve(gbk.size() * 3);
    for (qsizetype i = 0; i < gbk.size(); ++i) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size()) {
            // A lead byte: GBK's single bytes above 0x7F are only 0x80 (the euro sign) and 0xFF.
            const auto trail = static_cast<unsigned char>(gbk[++i]);
            appendHex(out, b);
            if (trail >= 0xA0)
                appendHex(out, trail);
            else
                out.append(QChar(char16_t(trail)));
        } else if (isAlnum(b)) {
            out.append(QLatin1Char(char(b)));
        } else if (b == ' ') {
            out.append(u'+');
        } else {
            appendHex(out, b);
        }
    }
    return out;
}
