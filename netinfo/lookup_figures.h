#pragma once

#include "base/figure.h"
#include "netinfo/ip_lookup.h"
#include "netinfo/whois_lookup.h"

#include <QList>

// An address row as figures for the history, labelled "<address>/reverse", "/country",
// "/network" and "/owner": the texts the row shows, none of them a number. A network and owner
// the registry did not give are Failed, with the RDAP problem as the detail.
QList<Figure> ipRowFigures(const IpAddressRow& row);

// A registration's summary as figures, labelled as the CLI's JSON keys: "source", "server",
// "registrar", "created", "expires", "updated" (ISO 8601, UTC), "name_servers", "status" and
// "dnssec" (lists joined by spaces); "answer" alone for a name not registered or a refusal.
QList<Figure> domainFigures(const DomainRecord& record);
