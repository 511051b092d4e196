#include "rank/keyword_rank.h"

#include "base/input_cleaning.h"
#include "net/url_encode.h"
#include "rank/rank_scanners.h"

#include <array>

namespace {

using Scan = QString (*)(Fetcher&, const QString& url, const QString& site, const QString& keyword);

// Youdao reads its query in GBK; the other engines get the keyword as cleaned and the HTTP layer
// escapes what a URL cannot carry.
enum class KeywordForm { AsCleaned, GbkEscaped };

struct RankEngine {
    RankBox box;
    Endpoint endpoint;
    const char* path; // after the endpoint's base; "{k}" stands for the keyword
    KeywordForm keywordForm;
    Scan scan; // none: the box repeats Google's answer
};

QString baiduRank(Fetcher& f, const QString& url, const QString& site, const QString&) {
    return getBaiduRank(f, url, site);
}

// Baidu, Google and Sogou are asked for 100 results on one page; Yahoo and Youdao are paged by
// their scanners.
const RankEngine kEngines[] = {
    {RankBox::Baidu, Endpoint::BaiduSearchHost,
     "/s?q1={k}&q2=&q3=&q4=&rn=100&lm=0&ct=0&ft=&q5=&q6=&tn=baiduadv", KeywordForm::AsCleaned,
     baiduRank},
    {RankBox::Google, Endpoint::GoogleHost,
     "/search?as_q={k}&hl=zh-CN&newwindow=1&num=100&btnG=Google+%E6%90%9C%E7%B4%A2&as_epq=&as_oq="
     "&as_eq=&lr=&cr=&as_ft=i&as_filetype=&as_qdr=all&as_occt=any&as_dt=i&as_sitesearch="
     "&as_rights=",
     KeywordForm::AsCleaned, getGoogleRank},
    {RankBox::Yahoo, Endpoint::YahooSearchHost, "/s?p={k}&pid=hp&v=web", KeywordForm::AsCleaned,
     getYahooRank},
    {RankBox::Sogou, Endpoint::SogouHost,
     "/web?q={k}&query={k}&fieldtitle=&fieldcontent=&fieldstripurl=&bstype=&exclude=&sitequery="
     "&located=0&tro=off&filetype=&num=100",
     KeywordForm::AsCleaned, getSogouRank},
    {RankBox::Soso, Endpoint::SosoHost, nullptr, KeywordForm::AsCleaned, nullptr}, // no request
    {RankBox::Youdao, Endpoint::YoudaoHost, "/search?q={k}", KeywordForm::GbkEscaped,
     getYoudaoRank},
};

} // namespace

bool searchKeywordRank(Fetcher& fetcher, const EndpointTable& endpoints, const QString& typedSite,
                       const QString& typedKeyword, const RankSink& report,
                       const std::function<void()>& started) {
    const QString site = cleanSite(typedSite);
    if (site.isEmpty())
        return false;
    const QString keyword = cleanKeyword(typedKeyword);
    if (keyword.isEmpty())
        return false;
    if (started)
        started();

    std::array<QString, kRankBoxCount> boxes;
    for (const RankEngine& e : kEngines) {
        QString& answer = boxes[size_t(e.box)];
        if (e.scan) {
            const QString k =
                e.keywordForm == KeywordForm::GbkEscaped ? URLEncode(keyword) : keyword;
            const QString url = endpoints.base(e.endpoint) +
                                QString::fromUtf8(e.path).replace(QStringLiteral("{k}"), k);
            answer = e.scan(fetcher, url, site, keyword);
        } else {
            answer = boxes[size_t(RankBox::Google)];
        }
        report(e.box, answer);
    }
    return true;
}
