#pragma once

#include "netinfo/ip_lookup.h"
#include "netinfo/whois_lookup.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The lookups' results as the window and the CLI word them alike.

// The date in the user's time zone, "yyyy-MM-dd"; "-" when unknown.
QString localDate(const QDateTime& when);

// ISO 8601 in UTC ("2026-01-31T08:00:00Z"), empty when unknown.
QString isoTime(const QDateTime& when);

// The headings of an address's columns and the row's values, "-" for what is unknown; the owner
// carries the network's country as its registry gives it.
QStringList ipHeadings();
QStringList ipColumns(const IpAddressRow& row);
// Why the row's "-" columns are empty, one text a column (empty where nothing is missing): the
// country's when the database is missing, the RDAP lookup's failure on every column.
QStringList ipColumnNotes(const IpAddressRow& row);

// The summary lines of a record: name, source and server, registrar, dates, name servers,
// status codes, DNSSEC, why the registrar's own record is missing when it is, and why WHOIS
// answered instead of RDAP when it did.
QStringList domainSummary(const DomainRecord& record);

// What to say instead of a record for a "no match" or rate-limit answer; empty for a record.
QString domainNotice(const DomainRecord& record);
