#pragma once

#include <QString>
#include <variant>

// A server spoken to over plain TCP (WHOIS): a host name or address and a port.
struct HostPort {
    QString host; // a name, a dotted IPv4 address or an IPv6 address without brackets
    quint16 port = 0;
};

// "host", "host:port", "[v6]" or "[v6]:port"; defaultPort when none is written. The
// alternative is why text is none of these, in words a user can act on.
std::variant<HostPort, QString> parseHostPort(const QString& text, quint16 defaultPort);
