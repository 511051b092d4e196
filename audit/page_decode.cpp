#include "audit/page_decode.h"

#include "audit/page_scan.h"
#include "base/charset.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace {

QByteArray headerCharset(const QByteArray& contentType) {
    static const QRegularExpression re(QStringLiteral("charset\\s*=\\s*\"?\\s*([^\";\\s]+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(QString::fromLatin1(contentType));
    return m.hasMatch() ? m.captured(1).toLatin1().toLower() : QByteArray();
}

// Names that read the same bytes the same way for a Chinese page: GB2312 pages are GBK pages.
QByteArray family(const QByteArray& name) {
    if (name == "utf8" || name == "utf-8")
        return "utf-8";
    if (name == "gbk" || name == "gb2312" || name == "gb18030" || name == "cp936" ||
        name == "x-gbk" || name == "euc-cn")
        return "gbk";
    return name;
}

bool validUtf8(const QByteArray& bytes) {
    QStringDecoder d(QStringDecoder::Utf8);
    // The decoding happens when the result becomes a QString.
    [[maybe_unused]] const QString text = d.decode(bytes);
    return !d.hasError();
}

QString decodeAs(const QByteArray& body, const QByteArray& name, bool* known) {
    *known = true;
    if (family(name) == "utf-8")
        return QString::fromUtf8(body.startsWith("\xEF\xBB\xBF") ? body.mid(3) : body);
    if (family(name) == "gbk")
        return charset::decodeGbk(body);
    if (auto text = charset::decode(body, name))
        return *text;
    *known = false;
    return {};
}

} // namespace

DecodedPage decodeAuditPage(const QByteArray& body, const QByteArray& contentType) {
    DecodedPage page;
    const QByteArray header = headerCharset(contentType);
    const QByteArray meta = metaCharset(body);
    if (!header.isEmpty() && !meta.isEmpty() && family(header) != family(meta))
        page.mismatch = QStringLiteral("Content-Type 声明 %1，页面的 <meta> 声明 %2")
                            .arg(QString::fromLatin1(header), QString::fromLatin1(meta));
    for (const QByteArray& declared : {header, meta}) {
        if (declared.isEmpty())
            continue;
        bool known = false;
        page.text = decodeAs(body, declared, &known);
        if (!known)
            continue;
        page.charset = family(declared);
        if (page.charset == "utf-8" && !validUtf8(body) && page.mismatch.isEmpty())
            page.mismatch = QStringLiteral("声明为 %1，但内容不是有效的 UTF-8")
                                .arg(QString::fromLatin1(declared));
        // Chinese text in GBK is almost never valid UTF-8 as well: a page that is, with
        // characters beyond ASCII, was saved as UTF-8 under an old declaration.
        if (page.charset == "gbk" && page.mismatch.isEmpty() && validUtf8(body) &&
            std::any_of(body.begin(), body.end(), [](char c) { return (c & 0x80) != 0; }))
            page.mismatch =
                QStringLiteral("声明为 %1，但内容是 UTF-8").arg(QString::fromLatin1(declared));
        return page;
    }
    if (body.startsWith("\xEF\xBB\xBF")) {
        page.charset = "utf-8";
        page.text = QString::fromUtf8(body.mid(3));
    } else if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF")) {
        page.charset = body.startsWith("\xFF\xFE") ? "utf-16le" : "utf-16be";
        page.text = charset::decode(body.mid(2), page.charset).value_or(QString());
    } else if (validUtf8(body)) {
        page.charset = "utf-8";
        page.text = QString::fromUtf8(body);
    } else {
        page.charset = "gbk";
        page.text = charset::decodeGbk(body);
    }
    return page;
}
