#include "base/charset.h"

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

QString toText(UConverter* c, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    // A GBK byte never yields more than one UTF-16 unit; UTF-8 and the rest stay below 2.
    QString out(bytes.size() * 2 + 1, Qt::Uninitialized);
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(c, reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                                    bytes.constData(), int32_t(bytes.size()), &err);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(n);
        err = U_ZERO_ERROR;
        ucnv_toUChars(c, reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                      bytes.constData(), int32_t(bytes.size()), &err);
    }
    out.resize(U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING ? 0 : n);
    return out;
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
    QByteArray out(text.size() * 2 + 1, Qt::Uninitialized);
    err = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(c.get(), out.data(), int32_t(out.size()),
                                      reinterpret_cast<const UChar*>(text.constData()),
                                      int32_t(text.size()), &err);
    out.resize(n);
    return out;
}

std::optional<QString> decode(const QByteArray& bytes, const QByteArray& charsetName) {
    const Converter c = open(charsetName.constData());
    if (!c)
        return std::nullopt;
    return toText(c.get(), bytes);
}

} // namespace charset
