#pragma once

#include "net/resolver.h"
#include "net/whois_client.h"

// The demo's answers to the IP and WHOIS lookups' own requests, made up like its pages: the same
// name always gets the same addresses and the same registration. Nothing goes on the network.

// Two made-up public IPv4 addresses and one IPv6 address for any name, a CNAME for names
// starting with "www."; reverse names for some addresses.
class DemoResolver : public Resolver {
public:
    Resolution resolve(const QString& host) override;
    QString reverse(const QString& address) override;
};

// IANA's server refers every top-level domain to a demo registry, whose records are in CNNIC's
// layout (config/demo/whois_registry.txt), and "no match" for names starting with "free".
class DemoWhoisClient : public WhoisClient {
public:
    QByteArray query(const HostPort& server, const QString& question) override;
};
