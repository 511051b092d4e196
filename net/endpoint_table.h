#pragma once

#include "base/enum_table.h"
#include "net/host_port.h"

#include <QString>
#include <array>

// WHOIS's well-known port (RFC 3912).
inline constexpr quint16 kWhoisPort = 43;

// Every remote request goes to one of these named bases (scheme and host); WhoisHost, which is
// spoken to over TCP and not HTTP, is a host with an optional port instead.
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
    RdapBootstrapHost,
    WhoisHost,
    BaiduPushHost,
    IndexNowHost,
    BaiduWebHost,
    BaiduMobileHost,
    BingHost,
    SogouWebHost,
    So360Host,
    DuckDuckGoHost,
};

// Each endpoint's name, as the endpoints files and request templates write it, and the public
// host it goes to unless configured otherwise. MakerHost has none: it is the program folder.
inline constexpr struct EndpointInfo {
    Endpoint endpoint;
    const char* name;
    const char* defaultBase;
} kEndpoints[] = {
    {Endpoint::BaiduSearchHost, "BaiduSearchHost", "http://www.baidu.com"},
    {Endpoint::BaiduIndexHost, "BaiduIndexHost", "http://index.baidu.com"},
    {Endpoint::GoogleHost, "GoogleHost", "http://www.google.com"},
    {Endpoint::YahooSearchHost, "YahooSearchHost", "http://search.yahoo.com"},
    {Endpoint::YahooSitemapHost, "YahooSitemapHost", "http://sitemap.cn.yahoo.com"},
    {Endpoint::SogouHost, "SogouHost", "http://www.sogou.com"},
    {Endpoint::SosoHost, "SosoHost", "http://www.soso.com"},
    {Endpoint::YoudaoHost, "YoudaoHost", "http://www.youdao.com"},
    {Endpoint::ZhongsouHost, "ZhongsouHost", "http://p.zhongsou.com"},
    {Endpoint::LiveHost, "LiveHost", "http://cn.bing.com"},
    {Endpoint::AlexaHost, "AlexaHost", "http://www.alexa.com"},
    {Endpoint::ChinaRankHost, "ChinaRankHost", "http://www.chinarank.org.cn"},
    {Endpoint::MakerHost, "MakerHost", nullptr},
    {Endpoint::RdapBootstrapHost, "RdapBootstrapHost", "https://data.iana.org"},
    {Endpoint::WhoisHost, "WhoisHost", "whois.iana.org"},
    {Endpoint::BaiduPushHost, "BaiduPushHost", "http://data.zz.baidu.com"},
    {Endpoint::IndexNowHost, "IndexNowHost", "https://api.indexnow.org"},
    {Endpoint::BaiduWebHost, "BaiduWebHost", "https://www.baidu.com"},
    {Endpoint::BaiduMobileHost, "BaiduMobileHost", "https://m.baidu.com"},
    {Endpoint::BingHost, "BingHost", "https://www.bing.com"},
    {Endpoint::SogouWebHost, "SogouWebHost", "https://www.sogou.com"},
    {Endpoint::So360Host, "So360Host", "https://www.so.com"},
    {Endpoint::DuckDuckGoHost, "DuckDuckGoHost", "https://html.duckduckgo.com"},
};
inline constexpr size_t kEndpointCount = std::size(kEndpoints);
static_assert(rowsInEnumOrder(kEndpoints, &EndpointInfo::endpoint));

// The compiled-in public hosts, overridden by config/endpoints.ini in the data folder, then by
// endpoints.ini in the user's configuration folder (~/.config/tessivo), each with a section
// [endpoints] whose keys are endpoint names (UTF-8), and by any further file a caller loads.
class EndpointTable {
public:
    // The defaults; MakerHost is the program folder as a file address, since the logos and the
    // version pages ship with the program.
    EndpointTable();

    // The defaults with the data folder's and the user's endpoints.ini applied, those that
    // exist. Raises ToolError when one of them is wrong (see load).
    static EndpointTable forProgram();

    // The same for a caller that goes on with a wrong file: *problem receives what is wrong
    // with it (see apply), empty when nothing is, so that it can be reported once.
    static EndpointTable forProgram(QString* problem);

    // Applies every right line of an endpoints file and returns one description of what is
    // wrong with it, naming the file and each wrong line; empty when nothing is. A wrong line
    // changes nothing, so its endpoint keeps the value it had. A file that cannot be read, or
    // is UTF-16 or ends its lines with CR alone, changes nothing at all.
    QString apply(const QString& iniPath);

    // apply, raising ToolError with the description when there is one.
    void load(const QString& iniPath);

    QString base(Endpoint e) const { return bases_[size_t(e)]; }
    void set(Endpoint e, const QString& base);

    // The host name of an endpoint without scheme (Sogou's backlink query repeats it).
    QString hostName(Endpoint e) const;

    // WhoisHost as host and port, 43 when none is written. Raises ToolError when it is no
    // such value (only set() lets one in).
    HostPort whoisServer() const;

    static bool fromName(const QString& name, Endpoint* e);

    // Why value cannot be e's base: an http or https address with a host, and for MakerHost
    // also a file address, without user name, password, port 0, query or fragment; for
    // WhoisHost a host name or address with an optional port ("host:port", "[v6]:port"). Empty
    // when it can.
    static QString refusal(Endpoint e, const QString& value);

private:
    std::array<QString, kEndpointCount> bases_;
};
