#pragma once

#include <QByteArray>
#include <QString>

struct DecodedPage {
    QString text;
    QByteArray charset; // what it was read as: "utf-8", "gbk", or the declared name
    // Why the declarations do not fit the page, for charset_mismatch; empty when they do.
    QString mismatch;
};

// A page's bytes as text: the Content-Type's charset, else the page's <meta>, else a
// byte-order mark, else UTF-8 when the bytes are UTF-8, else GBK (Chinese sites that declare
// nothing are GBK far more often than anything else).
DecodedPage decodeAuditPage(const QByteArray& body, const QByteArray& contentType);
