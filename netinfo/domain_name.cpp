#include "netinfo/domain_name.h"

#include "base/input_cleaning.h"
#include "base/tool_error.h"

#include <QHostAddress>
#include <QUrl>
#include <libpsl.h>

QString typedHost(const QString& typed) {
    QString h = cleanSite(typed);
    // Any other scheme a browser shows ("ftp://", "HTTPS://") goes the same way.
    if (const qsizetype scheme = h.indexOf(QStringLiteral("://")); scheme >= 0)
        h.remove(0, scheme + 3);
    for (const QChar end : {u'/', u'?', u'#'})
        if (const qsizetype at = h.indexOf(end); at >= 0)
            h.truncate(at);
    if (const qsizetype at = h.lastIndexOf(u'@'); at >= 0)
        h.remove(0, at + 1);
    if (h.startsWith(u'[')) {
        const qsizetype close = h.indexOf(u']');
        h = h.mid(1, close < 0 ? -1 : close - 1);
    } else if (h.count(u':') == 1) {
        h.truncate(h.indexOf(u':'));
    }
    h = h.trimmed().toLower();
    while (h.endsWith(u'.'))
        h.chop(1);
    return h;
}

bool isIpAddress(const QString& host) {
    QHostAddress a;
    return !host.isEmpty() && a.setAddress(host);
}

QString registrableDomain(const QString& host) {
    if (isIpAddress(host))
        throw ToolError(
            QStringLiteral("“%1”是 IP 地址，不是域名；查询 IP 地址请用 IP查询").arg(echoed(host)));
    // IDNA first: the list's names are compared in their Unicode form, lower case.
    const QString unicode = QUrl::fromAce(QUrl::toAce(host));
    if (unicode.isEmpty() || !unicode.contains(u'.'))
        throw ToolError(QStringLiteral("“%1”不是有效的域名").arg(echoed(host)));
    // The list of Debian's publicsuffix package, or libpsl's own copy where it is missing.
    static const psl_ctx_t* const list = psl_latest(nullptr);
    if (!list)
        throw ToolError(QStringLiteral("无法读取公共后缀列表，请安装 publicsuffix 软件包"));
    const QByteArray name = unicode.toUtf8();
    const char* registrable = psl_registrable_domain(list, name.constData());
    if (!registrable)
        throw ToolError(
            QStringLiteral("“%1”是公共后缀（如 com.cn），不是可以注册的域名").arg(echoed(host)));
    return QString::fromUtf8(registrable);
}
