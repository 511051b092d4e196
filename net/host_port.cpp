#include "net/host_port.h"

#include "base/tool_error.h"

#include <QHostAddress>

namespace {

// Letters, digits, hyphens and dots: what a host name in a WHOIS referral or an endpoints file
// holds once it is no address.
bool plausibleName(const QString& host) {
    if (host.startsWith(u'.') || host.startsWith(u'-') || host.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'-' && c != u'.' && c != u'_')
            return false;
    return true;
}

} // namespace

std::variant<HostPort, QString> parseHostPort(const QString& text, quint16 defaultPort) {
    const QString t = text.trimmed();
    if (t.contains(QStringLiteral("://")))
        return QStringLiteral("“%1”应为主机名或地址，可带端口（主机:端口），不写协议")
            .arg(echoed(t));
    QString host = t;
    QString port;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0)
            return QStringLiteral("“%1”缺少“]”").arg(echoed(t));
        host = t.mid(1, close - 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return QStringLiteral("“%1”的“]”后只能是“:端口”").arg(echoed(t));
        port = rest.mid(1);
        if (!rest.isEmpty() && port.isEmpty())
            return QStringLiteral("“%1”的“:”后缺少端口").arg(echoed(t));
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return QStringLiteral("“%1”不是 IPv6 地址").arg(echoed(host));
    } else if (t.count(u':') == 1) {
        host = t.section(u':', 0, 0);
        port = t.section(u':', 1);
        if (port.isEmpty())
            return QStringLiteral("“%1”的“:”后缺少端口").arg(echoed(t));
    } else if (t.count(u':') > 1) {
        if (QHostAddress(t).protocol() != QAbstractSocket::IPv6Protocol)
            return QStringLiteral("“%1”不是 IPv6 地址；带端口时写成 [地址]:端口").arg(echoed(t));
    }
    if (host.isEmpty())
        return QStringLiteral("“%1”中没有主机名").arg(echoed(t));
    if (!t.startsWith(u'[') && t.count(u':') <= 1 && !plausibleName(host))
        return QStringLiteral("“%1”不是主机名或 IP 地址").arg(echoed(host));
    HostPort hp{host, defaultPort};
    if (!port.isEmpty()) {
        bool ok = false;
        const uint n = port.toUInt(&ok);
        if (!ok || n < 1 || n > 65535)
            return QStringLiteral("端口须在 1 到 65535 之间");
        hp.port = quint16(n);
    }
    return hp;
}
