#pragma once

#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"
#include "net/whois_client.h"
#include "netinfo/lookup_deadline.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// A domain's registration: what its registry (and registrar) say of it.
struct DomainRecord {
    enum class Answer {
        Record,      // the record, summarised below
        NoMatch,     // the registry knows no such name
        RateLimited, // the server refused for now
    };
    Answer answer = Answer::Record;
    QString domain; // the registrable name asked about
    QString source; // "rdap" or "whois"
    QString server; // the RDAP address asked, or the WHOIS server ("host" or "host:port")
    QString registrar;
    QDateTime created, expires, updated; // UTC; invalid when the record does not say
    QStringList nameServers;
    QStringList status;
    QString dnssec;
    QString raw;           // RDAP: the JSON laid out; WHOIS: the text as received
    QString registrarNote; // why the registrar's own record is missing, when it was sought
    QString rdapNote;      // why WHOIS answered although RDAP was to be asked first
};

// The registration of the domain host belongs to (host is typed and cleaned by the caller, see
// netinfo/domain_name.h). RDAP first: IANA's bootstrap file names the registry's server, and
// the registry's link to the registrar's record is followed once. A top-level domain without
// RDAP is asked over WHOIS: IANA's server (WhoisHost) names the registry's, and one
// "Registrar WHOIS Server" referral is followed. A failed registrar step leaves the registry's
// answer and says why in registrarNote. A bootstrap file that cannot be fetched sends the
// lookup to WHOIS, saying so in rdapNote. A referral into the user's own machine or network is
// refused as netinfo/referral_target.h says, and fails like one that cannot be reached. Raises
// ToolError when the registry cannot be asked. Every request (bootstrap file, IANA, registry,
// registrar) shares timeLimit: the lookup ends within it, a step that would begin after it
// fails like one that timed out.
DomainRecord runWhoisLookup(Fetcher& fetcher, WhoisClient& whois, const EndpointTable& endpoints,
                            const QString& host, const Progress& progress = {},
                            std::chrono::milliseconds timeLimit = kLookupTimeLimit);
