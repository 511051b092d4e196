#include "netinfo/ip_lookup.h"

#include "base/tool_error.h"
#include "net/stop.h"
#include "netinfo/country_database.h"
#include "netinfo/country_names.h"
#include "netinfo/domain_name.h"
#include "netinfo/rdap.h"
#include "netinfo/referral_target.h"

#include <QHash>
#include <QHostAddress>

namespace {

// Tells a request that did not get through (no connection, no answer in time) from an answer
// that rdapGet then refuses: only the first says something about the server's other addresses.
class FailureWatch : public Fetcher {
public:
    explicit FailureWatch(Fetcher& inner) : inner_(inner) {}
    HttpResponse get(const QString& url) override {
        try {
            return inner_.get(url);
        } catch (const ToolError&) {
            failed = true;
            throw;
        }
    }
    bool failed = false;

private:
    Fetcher& inner_;
};

// The RDAP servers of one lookup that could not be reached, with why.
using Unreachable = QHash<QString, QString>;

void network(IpAddressRow& row, RdapBootstrap& bootstrap, Fetcher& fetcher,
             const EndpointTable& endpoints, Unreachable& unreachable) {
    QString service;
    FailureWatch watch(fetcher);
    try {
        service = bootstrap.serviceForAddress(row.address);
        if (service.isEmpty()) {
            row.rdapProblem = QStringLiteral("IANA 的 RDAP 引导文件没有列出该地址所在的地址段"
                                             "（私有、保留或未分配的地址）");
            return;
        }
        allowRdapReferral(service, endpoints.base(Endpoint::RdapBootstrapHost),
                          QStringLiteral("IANA 引导文件给出的 RDAP 服务器"));
        if (const auto known = unreachable.constFind(service); known != unreachable.cend()) {
            row.rdapProblem = *known;
            return;
        }
        const RdapReply reply = rdapGet(watch, service + QStringLiteral("ip/") + row.address);
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
        if (watch.failed)
            unreachable.insert(service, row.rdapProblem);
    }
}

} // namespace

IpLookup runIpLookup(const IpLookupServices& services, const QString& host,
                     const std::function<void(const IpAddressRow&)>& onRow,
                     const Progress& progress) {
    const std::shared_ptr<const CountryDatabase> countries = CountryDatabase::forProgram();
    const CountryNames names = CountryNames::forProgram();
    const Deadline deadline(services.timeLimit);
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
    DeadlineFetcher fetcher(services.fetcher, deadline);
    RdapBootstrap bootstrap(fetcher, services.endpoints);
    Unreachable unreachable;
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
        network(row, bootstrap, fetcher, services.endpoints, unreachable);
        if (onRow)
            onRow(row);
        result.addresses.push_back(row);
    }
    return result;
}
