#include "netinfo/referral_target.h"

#include "base/tool_error.h"
#include "net/endpoint_table.h"

#include <QHostAddress>
#include <QUrl>

namespace {

QString ipv4Kind(const QHostAddress& a) {
    const auto in = [&a](const char* net, int bits) {
        return a.isInSubnet(QHostAddress(QLatin1String(net)), bits);
    };
    if (in("0.0.0.0", 8))
        return QStringLiteral("未指定地址");
    if (a.isLoopback())
        return QStringLiteral("回环地址");
    if (a.isLinkLocal())
        return QStringLiteral("链路本地地址");
    if (in("10.0.0.0", 8) || in("172.16.0.0", 12) || in("192.168.0.0", 16))
        return QStringLiteral("内网地址");
    return {};
}

QString shown(const QString& host) {
    return echoed(host.contains(u':') ? u'[' + host + u']' : host);
}

void allow(const QString& host, int port, const QList<int>& ports, const QString& startHost,
           const QString& protocol, const QString& endpoint, const QString& what) {
    if (!localAddressKind(startHost).isEmpty())
        return;
    const QString rule =
        QStringLiteral("只有端点 %1 本身是本机或内网地址时才会前往这样的服务器").arg(endpoint);
    if (const QString kind = localAddressKind(host); !kind.isEmpty())
        throw ToolError(
            QStringLiteral("%1“%2”是%3，已拒绝查询：%4").arg(what, shown(host), kind, rule));
    if (!ports.contains(port))
        throw ToolError(QStringLiteral("%1“%2”用的端口 %3 不是 %4 的端口，已拒绝查询：%5")
                            .arg(what, shown(host))
                            .arg(port)
                            .arg(protocol, rule));
}

} // namespace

QString localAddressKind(const QString& host) {
    QString name = host.toLower();
    if (name.endsWith(u'.'))
        name.chop(1);
    if (name == u"localhost" || name.endsWith(QStringLiteral(".localhost")))
        return QStringLiteral("本机的名字");
    const QHostAddress a(host);
    if (a.protocol() == QAbstractSocket::IPv4Protocol)
        return ipv4Kind(a);
    if (a.protocol() != QAbstractSocket::IPv6Protocol)
        return {};
    // "::ffff:10.0.0.1" reaches the IPv4 address it carries.
    bool mapped = false;
    const quint32 v4 = a.toIPv4Address(&mapped);
    if (mapped)
        return ipv4Kind(QHostAddress(v4));
    if (a == QHostAddress(QHostAddress::AnyIPv6))
        return QStringLiteral("未指定地址");
    if (a.isLoopback())
        return QStringLiteral("回环地址");
    if (a.isLinkLocal())
        return QStringLiteral("链路本地地址");
    if (a.isUniqueLocalUnicast() || a.isSiteLocal())
        return QStringLiteral("内网地址");
    return {};
}

void allowWhoisReferral(const HostPort& server, const HostPort& start, const QString& what) {
    allow(server.host, server.port, {kWhoisPort}, start.host, QStringLiteral("WHOIS"),
          QStringLiteral("WhoisHost"), what);
}

void allowRdapReferral(const QString& url, const QString& startBase, const QString& what) {
    const QUrl u(url);
    const int port = u.port(u.scheme() == u"https" ? 443 : 80);
    allow(u.host(), port, {80, 443}, QUrl(startBase).host(), QStringLiteral("RDAP"),
          QStringLiteral("RdapBootstrapHost"), what);
}
