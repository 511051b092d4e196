#include "base/charset.h"

#include "base/gbk_tables.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unicode/ucnv.h>

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

// Whether a page read as GBK is a UTF-8 page after all: the Content-Type says UTF-8 or a UTF-8
// byte-order mark opens it, and its bytes are UTF-8. A GBK page under a server's wrong
// "charset=utf-8" label fails the second test; a page that says nothing stays GBK even when its
// bytes happen to be UTF-8. The label is looked at first, so most pages are never scanned.
bool gbkPageIsUtf8(const QByteArray& body, const QByteArray& contentType) {
    const QByteArray name = charsetOf(contentType);
    const bool saysUtf8 = body.startsWith("\xEF\xBB\xBF") ||
                          (!name.isEmpty() && ucnv_compareNames(name.constData(), "UTF-8") == 0);
    return saysUtf8 && QByteArrayView(body).isValidUtf8();
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
    if (bytes.isEmpty())
        return {};
    const GbkTables& t = kGbkTables;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out(n, Qt::Uninitialized); // never more units than bytes
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* w = begin;
    qsizetype i = 0;
    // A branch, not a select: on Chinese text it is nearly always a pair, and a predicted branch
    // lets the next character start before this one's lookups are done.
    const auto step = [&](unsigned next) {
        const unsigned b = in[i];
        if (t.lead[b] & t.trail[next]) {
            *w++ = t.pair[b << 8 | next];
            i += 2;
        } else {
            *w++ = t.single[b];
            ++i;
        }
    };
    while (i + 17 <= n) {
        // Markup is mostly ASCII, which ICU reads as itself: sixteen bytes are widened at once
        // and kept up to the first that is not ASCII; from there a run of such bytes is
        // decoded a character at a time.
        std::uint64_t halves[2];
        std::memcpy(halves, in + i, 16);
        const std::uint64_t high0 = halves[0] & 0x8080808080808080u;
        const std::uint64_t high1 = halves[1] & 0x8080808080808080u;
        const int ascii = std::countr_zero(high0) / 8 + (high0 ? 0 : std::countr_zero(high1) / 8);
        if (ascii > 0) {
            for (int k = 0; k < 16; ++k)
                w[k] = in[i + k];
            w += ascii;
            i += ascii;
            continue;
        }
        for (const qsizetype stop = i + 16; i < stop && in[i] >= 0x80;)
            step(in[i + 1]);
    }
    while (i < n)
        step(i + 1 < n ? in[i + 1] : 0u);
    out.truncate(w - begin);
    return out;
}

QByteArray encodeGbk(const QString& text) {
    if (text.isEmpty())
        return {};
    const GbkTables& t = kGbkTables;
    const auto* const in = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    QByteArray out(n * 2, Qt::Uninitialized); // two bytes per unit at most
    auto* const begin = reinterpret_cast<unsigned char*>(out.data());
    unsigned char* w = begin;
    qsizetype i = 0;
    while (i < n) {
        for (std::uint64_t word; i + 4 <= n; i += 4, w += 4) {
            std::memcpy(&word, in + i, 8);
            if (word & 0xFF80FF80FF80FF80u)
                break;
            for (int k = 0; k < 4; ++k)
                w[k] = static_cast<unsigned char>(in[i + k]);
        }
        if (i == n)
            break;
        const char16_t u = in[i++];
        // GBK has no character outside the BMP: a surrogate pair is one "?", as a lone
        // surrogate is.
        if (QChar::isHighSurrogate(u) && i < n && QChar::isLowSurrogate(in[i]))
            ++i;
        const std::uint16_t code = t.code[u];
        if (code >= 0x100)
            *w++ = static_cast<unsigned char>(code >> 8);
        *w++ = static_cast<unsigned char>(code);
    }
    out.truncate(w - begin);
    return out;
}

std::optional<QString> decode(const QByteArray& bytes, const QByteArray& charsetName) {
    const Converter c = open(charsetName.constData());
    if (!c)
        return std::nullopt;
    return toText(c.get(), bytes);
}

QString decodePage(const QByteArray& body, const QByteArray& contentType, Decode mode) {
    std::optional<QString> text;
    if (mode == Decode::Gbk) {
        if (!gbkPageIsUtf8(body, contentType))
            return decodeGbk(body);
        text = decode(body, "UTF-8");
    } else {
        QByteArray name = charsetOf(contentType);
        if (!name.isEmpty())
            text = decode(body, name);
        if (!text) {
            name = charsetFromBom(body);
            text = decode(body, name.isEmpty() ? QByteArray("UTF-8") : name);
        }
    }
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return *text;
}

} // namespace charset
