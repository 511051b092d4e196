#pragma once

#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

// RDAP (RFC 9082, 9083) as the lookups use it, and the IANA bootstrap files (RFC 9224) that
// name the server for a top-level domain or an address range.

// The bootstrap files of one run, each fetched from RdapBootstrapHost the first time it is
// needed. Not shared between threads.
class RdapBootstrap {
public:
    RdapBootstrap(Fetcher& fetcher, const EndpointTable& endpoints)
        : fetcher_(fetcher), endpoints_(endpoints) {}

    // The base address of the RDAP service for domain's top-level domain (or a longer suffix
    // the file lists), ending in "/"; empty when the file names none. Raises ToolError when
    // the file cannot be fetched or read.
    QString serviceForDomain(const QString& domain);
    // The same for an IPv4 or IPv6 address, by the longest listed prefix that holds it. A file
    // that could not be fetched is not asked for again in the same run.
    QString serviceForAddress(const QString& address);

private:
    const QJsonArray& services(const char* file);

    Fetcher& fetcher_;
    const EndpointTable& endpoints_;
    struct Fetched {
        std::optional<QJsonArray> services;
        std::optional<QString> failure; // what went wrong the first time
    };
    Fetched dns_, ipv4_, ipv6_;
};

// One answer of an RDAP server.
struct RdapReply {
    enum class Kind { Found, NotFound, RateLimited } kind = Kind::Found;
    QString url;        // what was asked
    QJsonObject object; // the answer, or the error object (RFC 9083, 6)
    QByteArray body;    // the answer as received
    bool json = false;  // body is a JSON object

    // The answer laid out readably, two spaces a level; a body that is no JSON object as
    // received. Made on each call, for the lookups that show it: an IP lookup only reads object.
    // A nested answer would grow by its depth's indentation on every element (a megabyte a
    // thousand levels deep lays out to gigabytes), so the text is at most
    // rdapTextBound(body.size()) long: beyond that it is the body as received.
    QString text() const;
};

// The longest text() of a body of bodyBytes bytes: eight times the body, which holds the
// ordinary answers laid out, but no more than the largest body a fetch takes (unless the body
// itself is longer, from a fetcher that does not cap it).
qsizetype rdapTextBound(qsizetype bodyBytes);

// GETs url. An error object with code 404, or HTTP status 404 whatever the body, is NotFound;
// 429 likewise RateLimited. Any other error code or status of 400 and above, or an answer that
// is no JSON object, raises ToolError naming url.
RdapReply rdapGet(Fetcher& fetcher, const QString& url);

// What a domain object says.
struct RdapDomain {
    QString registrar; // the full name (vCard "fn") of the entity with the role "registrar"
    QDateTime created, expires, updated; // events registration, expiration, last changed (UTC)
    QStringList nameServers;             // lower case
    QStringList status;
    QString dnssec;       // "signedDelegation", "unsigned", or empty when it says nothing
    QString registrarUrl; // the registrar's own RDAP record of the domain ("related" link)
};
RdapDomain readRdapDomain(const QJsonObject& object);

// What an IP network object says.
struct RdapNetwork {
    QString name;    // the network's name, with its range when given
    QString owner;   // the registrant's full name, else the first entity's that has one
    QString country; // ISO 3166-1 alpha-2, upper case; empty when absent
};
RdapNetwork readRdapNetwork(const QJsonObject& object);
