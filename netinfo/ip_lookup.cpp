#include "netinfo/ip_lookup.h"

#include "base/tool_error.h"
#include "net/stop.h"
#include "netinfo/country_database.h"
#include "netinfo/country_names.h"
#include "netinfo/domain_name.h"
#include "netinfo/rdap.h"
#include "netinfo/referral_target.h"

#include <QHostAddress>

namespace {

void network(IpAddressRow& row, RdapBootstrap& bootstrap, Fetcher& fetcher,
             const EndpointTable& endpoints) {
    try {
        const QString service = bootstrap.serviceForAddress(row.address);
        if (service.isEmpty()) {
            row.rdapProblem = QStringLiteral("IANA 的 RDAP 引导文件没有列出该地址所在的地址段"
                                             "（私有、保留或未分配的地址）");
            return;
        }
        allowRdapReferral(service, endpoints.base(Endpoint::RdapBootstrapHost),
                          QStringLiteral("IANA 引导文件给出的 RDAP 服务器"));
        const RdapReply reply = rdapGet(fetcher, service + QStringLiteral("ip/") + row.address);
        if (reply.kind != RdapReply::Kind::Found) {
            row.rdapProblem =
                reply.kind == RdapReply::Kind::NotFound
                    ? QStringLiteral("RDAP 服务器 %1 没有该地址的记录").arg(service)
                    : QStringLiteral("RDAP 服务器 %1 拒绝了查询（查询过于频繁）").arg(service);
            return;
        }
        const RdapNetwork n = readRdapNetwork(reply.object);
        row.network = n.name;
        row.owner = n.owner;
        row.networkCountry = n.country;
    } catch (const ToolError& e) {
        row.rdapProblem = e.description();
    }
}

} // namespace

IpLookup runIpLookup(const IpLookupServices& services, const QString& host,
                     const std::function<void(const IpAddressRow&)>& onRow,
                     const Progress& progress) {
    const std::shared_ptr<const CountryDatabase> countries = CountryDatabase::forProgram();
    const CountryNames names = CountryNames::forProgram();
    IpLookup result;
    result.query = host;
    QStringList addresses;
    if (isIpAddress(host)) {
        addresses << QHostAddress(host).toString();
    } else {
        if (progress)
            progress(QStringLiteral("解析 %1").arg(host), 1, 0);
        const Resolution r = services.resolver.resolve(host);
        result.aliases = r.aliases;
        addresses = r.addresses;
        if (addresses.isEmpty())
            throw ToolError(QStringLiteral("域名“%1”没有 IP 地址").arg(echoed(host)));
    }
    RdapBootstrap bootstrap(services.fetcher, services.endpoints);
    const int steps = int(addresses.size());
    for (int i = 0; i < steps; ++i) {
        if (progress)
            progress(addresses[i], i + 1, steps);
        IpAddressRow row;
        row.address = addresses[i];
        row.family = QHostAddress(row.address).protocol() == QAbstractSocket::IPv6Protocol
                         ? QStringLiteral("IPv6")
                         : QStringLiteral("IPv4");
        row.reverse = services.resolver.reverse(row.address);
        if (countries)
            row.countryCode = countries->countryCode(row.address);
        else
            row.countryProblem = CountryDatabase::missingReason();
        if (!row.countryCode.isEmpty())
            row.country = names.name(row.countryCode);
        network(row, bootstrap, services.fetcher, services.endpoints);
        if (onRow)
            onRow(row);
        result.addresses.push_back(row);
    }
    return result;
}
