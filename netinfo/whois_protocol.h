#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Reading the text WHOIS servers answer with (RFC 3912 sets no format: these are the shapes of
// IANA, the thin and thick gTLD registries and CNNIC).

// The answer's bytes as text: UTF-8 when they are UTF-8, GBK otherwise (CNNIC and older
// Chinese registrars answer in GBK).
QString decodeWhois(const QByteArray& bytes);

// IANA's "refer:" line: the WHOIS server of the top-level domain asked; empty when none.
QString whoisReferral(const QString& text);

// A thin registry's "Registrar WHOIS Server:" line, empty when none.
QString registrarWhoisServer(const QString& text);

// What the server says of the name, beyond its record.
enum class WhoisVerdict {
    Record,      // a record follows
    NoMatch,     // no such name is registered
    RateLimited, // the server refuses for now: too many queries
};
WhoisVerdict whoisVerdict(const QString& text);

// The summary fields of a record, as the registries label them.
struct WhoisSummary {
    QString registrar;
    QDateTime created, expires, updated; // UTC
    QStringList nameServers;             // lower case, without a final dot
    QStringList status;                  // the codes, without the explaining address
    QString dnssec;
};
WhoisSummary readWhoisSummary(const QString& text);
