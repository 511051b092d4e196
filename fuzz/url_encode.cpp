// URLEncode and the wire encoding on any text. URLEncode's output is read back byte by byte
// ("+" a space, %XX a byte, any other character its own code) and must give the text's GBK
// bytes; the wire form must be printable ASCII without spaces.
#include "net/url_encode.h"
#include "base/charset.h"
#include "fuzz_support.h"
#include "net/http_fetch.h"

namespace {

QByteArray readBack(const QString& encoded) {
    QByteArray bytes;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char16_t c = encoded[i].unicode();
        if (c == u'+') {
            bytes += ' ';
        } else if (c == u'%') {
            bool ok = i + 2 < encoded.size();
            bool hex = false;
            bytes += char(encoded.mid(i + 1, 2).toUInt(&hex, 16));
            if (!ok || !hex)
                fuzz::mismatch("URLEncode wrote a % without two hex digits", encoded, QString());
            i += 2;
        } else if (c < 0x100) {
            bytes += char(c);
        } else {
            fuzz::mismatch("URLEncode wrote a character above U+00FF", encoded, QString());
        }
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        fuzz::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString encoded = URLEncode(text);
    const QByteArray expected = charset::encodeGbk(text);
    if (readBack(encoded) != expected)
        fuzz::mismatch("URLEncode does not read back as the GBK bytes", encoded,
                       QString::fromLatin1(expected.toHex()));
    for (const char b : wireUrl(text))
        if (b <= 0x20 || b >= 0x7F)
            fuzz::mismatch("wireUrl left a byte an address cannot carry", text, QString());
    return 0;
}
