#pragma once

#include "net/host_port.h"

#include <QString>

// Where a registry's referral may send a lookup. Registries are outside parties: a "refer:", a
// "Registrar WHOIS Server" or an RDAP address they hand out must not turn the user's program
// into a probe of the user's own machine or network, nor of odd ports. A lookup whose starting
// endpoint (WhoisHost, RdapBootstrapHost) is itself local was pointed there on purpose (a
// registry mirrored in the office, the tests' servers on 127.0.0.1), so its referrals may stay
// there. Host names are not resolved: only addresses written out and the name localhost count.

// What kind of local address host is ("回环地址", "链路本地地址", "内网地址", "未指定地址",
// "本机的名字"), empty when it is none of these. host is a name or an address, IPv6 without
// brackets.
QString localAddressKind(const QString& host);

// Raises ToolError when a WHOIS referral to server, given by what, may not be followed from a
// lookup that started at start: a local address, or a port other than 43, from a start that
// is not local.
void allowWhoisReferral(const HostPort& server, const HostPort& start, const QString& what);

// The same for an RDAP address (url), from a lookup that started at startBase (the base of
// RdapBootstrapHost): a local address, or a port other than 80 for http and 443 for https.
void allowRdapReferral(const QString& url, const QString& startBase, const QString& what);
