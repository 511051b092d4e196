#pragma once

#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"
#include "net/resolver.h"
#include "netinfo/lookup_deadline.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One address of the name asked about, or the address asked about.
struct IpAddressRow {
    QString address;
    QString family;      // "IPv4" or "IPv6"
    QString reverse;     // the PTR name, empty when none
    QString countryCode; // from the offline database; empty when it does not cover the address
    QString country;     // its Chinese name
    // Why there is no country for any address: the offline database is missing.
    QString countryProblem;
    // From the regional registry's RDAP record; empty when the lookup failed, and then
    // rdapProblem says why.
    QString network;
    QString owner;
    QString networkCountry;
    QString rdapProblem;
};

struct IpLookup {
    QString query;       // the host asked about, as cleaned
    QStringList aliases; // the CNAME chain, empty for an address or a name without one
    std::vector<IpAddressRow> addresses;
};

// What the IP lookup asks.
struct IpLookupServices {
    Fetcher& fetcher;
    Resolver& resolver;
    const EndpointTable& endpoints;
    // What the RDAP requests of one lookup share: the bootstrap files and every address's query.
    std::chrono::milliseconds timeLimit = kLookupTimeLimit;
};

// Looks host up (a name or an address, cleaned by the caller with typedHost): a name's
// addresses from the resolver, then for each its reverse name, its country from the offline
// database and its network from RDAP. onRow is told each address as soon as it is complete.
// A failed RDAP lookup fills rdapProblem and a missing database countryProblem, and neither
// fails the run; an RDAP server that could not be reached or answered too late is not asked
// again in the same lookup, its later addresses get the same rdapProblem at once, and once the
// time limit is used up no more RDAP requests are made; a name that does not resolve, or a database
// that cannot be opened, raises ToolError.
IpLookup runIpLookup(const IpLookupServices& services, const QString& host,
                     const std::function<void(const IpAddressRow&)>& onRow = {},
                     const Progress& progress = {});
