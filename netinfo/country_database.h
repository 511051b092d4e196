#pragma once

#include <QString>
#include <memory>

struct MMDB_s;

// The offline IP-to-country database shipped with the program (config/geo-whois-asn-country.mmdb,
// a MaxMind DB file with a "country_code" per range), read with libmaxminddb. The file is mapped,
// not read: it is far larger than the data files the program reads whole. Lookups are safe from
// several threads.
class CountryDatabase {
public:
    // Opens the program's database; null when the file is not there, which a build from source
    // allows (missingReason() says how to fetch it). Raises ToolError naming a file that is there
    // but cannot be opened.
    static std::shared_ptr<const CountryDatabase> forProgram();
    // Why forProgram() is null: the file's path and the command that fetches it.
    static QString missingReason();
    explicit CountryDatabase(const QString& path); // ToolError likewise
    ~CountryDatabase();
    CountryDatabase(const CountryDatabase&) = delete;
    CountryDatabase& operator=(const CountryDatabase&) = delete;

    // The ISO 3166-1 alpha-2 code of the country address is registered or used in, upper case;
    // empty for an address the database does not cover (private, reserved, unallocated) or that
    // is no address.
    QString countryCode(const QString& address) const;

    // When the database was built, as it says of itself (ISO 8601, UTC).
    QString built() const;

private:
    std::unique_ptr<MMDB_s> db_;
    QString path_;
};
