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
