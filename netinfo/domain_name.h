#pragma once

#include <QString>

// What the IP and WHOIS lookups make of what was typed.

// The host part of a typed site or address: cleaned as every site box cleans
// (base/input_cleaning.h), then without path, query, fragment, user name, port or the brackets
// of an IPv6 address, in lower case and without a final dot. Empty when nothing is left.
QString typedHost(const QString& typed);

// Whether host is an IPv4 or IPv6 address rather than a name.
bool isIpAddress(const QString& host);

// The name a registry registered, which host belongs to: "www.example.com.cn" gives
// "example.com.cn", from the Public Suffix List of Debian's publicsuffix package (through
// libpsl). Raises ToolError when host is an address, a public suffix itself or not a domain.
QString registrableDomain(const QString& host);
