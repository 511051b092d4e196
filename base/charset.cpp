#include "base/charset.h"

#include <algorithm>
#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace charset {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter open(const char* name) {
    UErrorCode err = U_ZERO_ERROR;
    Converter c(ucnv_open(name, &err));
    if (U_FAILURE(err))
        return nullptr;
    return c;
}

// One call of the library takes sizes that fit in 32 bits (and a target of at most 2^30 units),
// so a long text is converted a piece at a time; the converter carries a character split
// between two pieces over to the next.
constexpr qsizetype kPieceSize = 1 << 20;

QString toText(UConverter* c, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    QString out;
    out.reserve(bytes.size() + 16);
    qsizetype used = 0;
    const char* source = bytes.constData();
    const char* const end = source + bytes.size();
    for (;;) {
        const char* const pieceEnd = source + std::min(kPieceSize, qsizetype(end - source));
        const bool last = pieceEnd == end;
        UErrorCode err = U_ZERO_ERROR;
        do {
            // GBK and UTF-8 give at most one UTF-16 unit per byte; a charset that gives more
            // fills the room, and the rest of the piece gets more.
            const qsizetype room = (pieceEnd - source) + 16;
            if (out.size() - used < room)
                out.resize(used + room);
            auto* target = reinterpret_cast<UChar*>(out.data() + used);
            err = U_ZERO_ERROR;
            ucnv_toUnicode(c, &target, target + room, &source, pieceEnd, nullptr, last, &err);
            used = reinterpret_cast<QChar*>(target) - out.data();
        } while (err == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(err) || last)
            break;
    }
    out.truncate(used);
    return out;
}

// GBK has no code for them, so they become "?" like every other such character. ICU's own
// substitution skips the default-ignorable ones (zero-width space, soft hyphen, byte-order
// mark, variation selectors), which would make them count nothing and vanish from addresses.
void substituteEveryUnencodable(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                                UChar32, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR)
        return; // reset, close and clone calls
    *err = U_ZERO_ERROR;
    ucnv_cbFromUWriteSub(args, 0, err);
}

QByteArray charsetOf(const QByteArray& contentType) {
    const QByteArray lower = contentType.toLower();
    const qsizetype at = lower.indexOf("charset=");
    if (at < 0)
        return {};
    QByteArray name = contentType.mid(at + 8);
    const qsizetype end = name.indexOf(';');
    if (end >= 0)
        name.truncate(end);
    name = name.trimmed();
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\''))
        name = name.mid(1, name.size() - 2);
    const QByteArray n = name.trimmed().toLower();
    // Browsers read pages labelled GB2312 as GBK, its superset; so do we.
    if (n == "gb2312" || n == "gb_2312-80" || n == "x-gbk" || n == "cp936")
        return "GBK";
    return name.trimmed();
}

QByteArray charsetFromBom(const QByteArray& body) {
    if (body.startsWith("\xEF\xBB\xBF"))
        return "UTF-8";
    if (body.startsWith("\xFF\xFE"))
        return "UTF-16LE";
    if (body.startsWith("\xFE\xFF"))
        return "UTF-16BE";
    return {};
}

} // namespace

QString decodeGbk(const QByteArray& bytes) {
    const Converter c = open("GBK");
    return toText(c.get(), bytes);
}

QByteArray encodeGbk(const QString& text) {
    if (text.isEmpty())
        return {};
    const Converter c = open("GBK");
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setSubstChars(c.get(), "?", 1, &err);
    ucnv_setFromUCallBack(c.get(), substituteEveryUnencodable, nullptr, nullptr, nullptr, &err);
    // At most two bytes for each UTF-16 unit: a double-byte character or a "?" per unit.
    QByteArray out(text.size() * 2 + 16, Qt::Uninitialized);
    char* target = out.data();
    const auto* source = reinterpret_cast<const UChar*>(text.constData());
    const auto* const end = source + text.size();
    while (U_SUCCESS(err)) {
        const UChar* const pieceEnd = source + std::min(kPieceSize, qsizetype(end - source));
        ucnv_fromUnicode(c.get(), &target, target + 2 * (pieceEnd - source) + 16, &source, pieceEnd,
                         nullptr, pieceEnd == end, &err);
        if (pieceEnd == end)
            break;
    }
    out.truncate(U_SUCCESS(err) ? target - out.constData() : 0);
    return out;
}

std::optional<QString> decode(const QByteArray& bytes, const QByteArray& charsetName) {
    const Converter c = open(charsetName.constData());
    if (!c)
        return std::nullopt;
    return toText(c.get(), bytes);
}

QString decodePage(const QByteArray& body, const QByteArray& contentType, Decode mode) {
    if (mode == Decode::Gbk)
        return decodeGbk(body);
    QByteArray name = charsetOf(contentType);
    std::optional<QString> text;
    if (!name.isEmpty())
        text = decode(body, name);
    if (!text) {
        name = charsetFromBom(body);
        text = decode(body, name.isEmpty() ? QByteArray("UTF-8") : name);
    }
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return *text;
}

} // namespace charset
