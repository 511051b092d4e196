#pragma once

#include <QHash>
#include <QString>

// The sample pages under config/demo/ and how their "{{holes}}" are filled.
namespace demo {

using Holes = QHash<QString, QString>;

// The page's text (UTF-8 on disk); raises ToolError naming the file when it is missing.
QString readPage(const QString& name);

// How a hole's value is written into its page.
enum class Escape {
    Html, // as an engine's page would
    Json, // inside a JSON string
    None, // plain text (WHOIS)
};

// The page with each "{{name}}" replaced by its value; a hole without a value raises ToolError.
QString fill(const QString& page, const QString& name, const Holes& holes,
             Escape escape = Escape::Html);

// The holes of a made-up registration of domain (RDAP and WHOIS pages alike): registrar,
// created, expires, updated (ISO 8601, and the same as "yyyy-MM-dd HH:mm:ss" in Beijing time
// with the suffix _cn), ns1, ns2, domain.
Holes registrationHoles(const QString& domain);

// The holes of a made-up network around address: name, owner, start, end, country.
Holes networkHoles(const QString& address);

} // namespace demo
