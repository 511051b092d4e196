#pragma once

#include <QString>

// The host an address or a site as typed names, lower case and in its ASCII form, without a
// trailing dot: "https://WWW.Example.com:8080/a" and "www.example.com" give "www.example.com".
// Empty when there is none.
QString addressHost(const QString& address);

// Whether a result's host is the site's: the same host or a subdomain of it, a leading "www."
// of either ignored; with exactHost the same host alone.
bool hostMatches(const QString& resultHost, const QString& siteHost, bool exactHost);
