#pragma once

#include <QString>
#include <array>

// Every remote request goes to one of these named bases (scheme and host).
enum class Endpoint {
    BaiduSearchHost,
    BaiduIndexHost,
    GoogleHost,
    YahooSearchHost,
    YahooSitemapHost,
    SogouHost,
    SosoHost,
    YoudaoHost,
    ZhongsouHost,
    LiveHost,
    AlexaHost,
    ChinaRankHost,
    MakerHost,
};
inline constexpr int kEndpointCount = 13;

// The compiled-in public hosts, overridden by config/endpoints.ini beside the executable
// (section [endpoints], keys = endpoint names) and by any further file a caller loads.
class EndpointTable {
public:
    // The defaults; MakerHost is the program folder as a file address, since the logos and the
    // version pages ship with the program.
    EndpointTable();

    // Loads config/endpoints.ini from the program folder when it exists.
    static EndpointTable forProgram();

    // Overrides the endpoints the file names; raises ToolError for an unreadable file, an
    // unknown key or a value that is not an http(s) or file address.
    void load(const QString& iniPath);

    QString base(Endpoint e) const { return bases_[size_t(e)]; }
    void set(Endpoint e, const QString& base);

    // The host name of an endpoint without scheme (Sogou's backlink query repeats it).
    QString hostName(Endpoint e) const;

    static QString name(Endpoint e);
    static bool fromName(const QString& name, Endpoint* e);

private:
    std::array<QString, kEndpointCount> bases_;
};
