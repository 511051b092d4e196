#include "demo/demo_fetcher.h"

#include "base/charset.h"
#include "base/program_folder.h"
#include "base/tool_error.h"
#include "demo/demo_figures.h"
#include "demo/demo_pages.h"
#include "net/stop.h"

#include <QFile>
#include <QHash>
#include <optional>

namespace {

// The site the run on this thread looks for; each run's thread tells its own.
thread_local QString sought;

// How a page's holes are filled.
enum class Figures {
    Count,     // a survey's count of a domain's pages or links
    Period,    // Baidu's count of a domain's pages for a period, less for a shorter one
    PageRank,  // 1 to 8
    Alexa,     // a traffic rank
    SogouRank, // 1 to 100
    ChinaRank, // a rank
    Listed,    // ten results of a keyword, the site sought among them
    Unlisted,  // ten results of a keyword, without the site sought
    Related,   // a keyword's related searches
    Index,     // a keyword's four attention figures
    Fixed,     // a page without holes (the RDAP bootstrap files)
    Domain,    // a domain's registration (RDAP)
    Network,   // an address's network (RDAP)
};

// One kind of request and the page that answers it. The tools' requests are told apart by path
// and query alone, so the demo answers whatever hosts the endpoints name.
struct Route {
    const char* name; // what the figures are made up for; two routes never share one
    const char* path; // the request's path; one ending in "/" takes every path it begins
    // "name=prefix" pairs joined by "&": parameters the query holds, each value beginning with its
    // prefix. The last one's value, less its prefix, is what the request asks about.
    const char* asks;
    const char* page; // under config/demo/
    Figures figures;
};

// First match wins. Baidu's rank search must come before its period query, whose "rn=10" is
// also the beginning of the rank search's "rn=100".
const Route kRoutes[] = {
    {"baidu-pages", "/s", "wd=site%3A", "baidu_count.html", Figures::Count},
    {"baidu-links", "/s", "wd=domain%3A", "baidu_count.html", Figures::Count},
    {"baidu-rank", "/s", "rn=100&q1=", "baidu_rank.html", Figures::Listed},
    {"baidu-period", "/s", "rn=10&q1=site%3A", "baidu_count.html", Figures::Period},
    {"yahoo-rank", "/s", "pid=hp&p=", "yahoo_rank.html", Figures::Unlisted},
    {"baidu-related", "/s", "wd=", "baidu_related.html", Figures::Related},
    {"baidu-index", "/main/word.php", "word=", "baidu_index.html", Figures::Index},
    {"google-pages", "/search", "sourceid=navclient&q=site%3a", "google_pages.html",
     Figures::Count},
    {"google-links", "/search", "sourceid=navclient&q=link%3a", "google_links.html",
     Figures::Count},
    {"pagerank", "/search", "features=Rank&q=info:", "pagerank.txt", Figures::PageRank},
    {"google-rank", "/search", "as_q=", "google_rank.html", Figures::Listed},
    {"yahoo-pages", "/search", "bwm=p&p=", "yahoo_pages.html", Figures::Count},
    {"yahoo-links", "/search", "bwm=i&p=", "yahoo_links.html", Figures::Count},
    {"youdao-rank", "/search", "keyfrom=&q=", "youdao_rank.html", Figures::Unlisted},
    {"youdao-pages", "/search", "q=site%3A", "youdao_count.html", Figures::Count},
    {"youdao-links", "/search", "q=inlink%3A", "youdao_count.html", Figures::Count},
    {"sogou-rank", "/web", "fieldtitle=&query=", "sogou_rank.html", Figures::Listed},
    {"sogou-pages", "/web", "query=site%3A", "sogou_count.html", Figures::Count},
    {"sogou-links", "/web", "query=link%3A", "sogou_count.html", Figures::Count},
    {"sogou-badge", "/web", "query=", "sogou_badge.html", Figures::SogouRank},
    {"soso-pages", "/q", "w=site%3A", "soso_count.html", Figures::Count},
    {"soso-links", "/q", "w=link%3A", "soso_count.html", Figures::Count},
    {"zhongsou-pages", "/p", "w=site%3A", "zhongsou_count.html", Figures::Count},
    {"zhongsou-links", "/p", "w=link%3A", "zhongsou_count.html", Figures::Count},
    {"live-pages", "/results.aspx", "q=site%3A", "live_count.html", Figures::Count},
    {"live-links", "/results.aspx", "q=link%3A", "live_count.html", Figures::Count},
    {"alexa", "/data/details/traffic_details/", "", "alexa.html", Figures::Alexa},
    {"chinarank", "/overview/Info.do", "url=", "chinarank.html", Figures::ChinaRank},
    {"rdap-dns", "/rdap/dns.json", "", "rdap_dns.json", Figures::Fixed},
    {"rdap-ipv4", "/rdap/ipv4.json", "", "rdap_ipv4.json", Figures::Fixed},
    {"rdap-ipv6", "/rdap/ipv6.json", "", "rdap_ipv6.json", Figures::Fixed},
    {"rdap-domain", "/domain/", "", "rdap_domain.json", Figures::Domain},
    {"rdap-ip", "/ip/", "", "rdap_ip.json", Figures::Network},
};

// Every other address is a page whose keyword density is measured.
constexpr const char* kArticle = "article.html";

// Sites that fill the result lists around the one sought.
const char* const kResultSites[] = {
    "baike.baidu.com", "zhidao.baidu.com", "www.zhihu.com",     "www.douban.com",
    "www.cnblogs.com", "blog.csdn.net",    "www.jianshu.com",   "www.sohu.com",
    "www.163.com",     "www.sina.com.cn",  "www.qq.com",        "www.ifeng.com",
    "www.chinaz.com",  "www.admin5.com",   "www.seowhy.com",    "www.oschina.net",
    "www.36kr.com",    "www.huxiu.com",    "www.people.com.cn", "www.xinhuanet.com",
};
constexpr int kResultsOnPage = 10;

// Baidu's count for a period, in thousandths of its count for all time.
const struct {
    const char* lm;
    int perMille;
} kPeriodShares[] = {{"0", 1000}, {"1", 4}, {"7", 25}, {"30", 90}, {"360", 700}};

struct Request {
    QString path;
    QString query;

    explicit Request(const QString& address) {
        const qsizetype scheme = address.indexOf(QStringLiteral("://"));
        const qsizetype slash = address.indexOf(u'/', scheme < 0 ? 0 : scheme + 3);
        const QString rest = slash < 0 ? QStringLiteral("/") : address.mid(slash);
        const qsizetype mark = rest.indexOf(u'?');
        path = mark < 0 ? rest : rest.left(mark);
        query = mark < 0 ? QString() : rest.mid(mark + 1);
    }

    // The value of a parameter: after "name=" at the query's start or after an "&", up to the
    // next "&"; nothing when the query does not hold it.
    std::optional<QString> value(QStringView name) const {
        const QString key = name.toString() + u'=';
        for (qsizetype at = query.indexOf(key); at >= 0; at = query.indexOf(key, at + 1)) {
            if (at > 0 && query[at - 1] != u'&')
                continue;
            const qsizetype from = at + key.size();
            const qsizetype end = query.indexOf(u'&', from);
            return query.mid(from, end < 0 ? -1 : end - from);
        }
        return std::nullopt;
    }
};

// What a route's request asks about, when the request is the route's; nothing otherwise.
std::optional<QString> subjectOf(const Route& route, const Request& r) {
    const QString path = QString::fromLatin1(route.path);
    if (path.endsWith(u'/') ? !r.path.startsWith(path) : r.path != path)
        return std::nullopt;
    QString subject = r.path.mid(path.size());
    const QString asks = QString::fromLatin1(route.asks);
    if (asks.isEmpty())
        return subject;
    for (const QString& pair : asks.split(u'&')) {
        const QString name = pair.section(u'=', 0, 0);
        const QString prefix = pair.section(u'=', 1);
        const std::optional<QString> v = r.value(name);
        if (!v || !v->startsWith(prefix))
            return std::nullopt;
        subject = v->mid(prefix.size());
    }
    return subject;
}

using demo::Holes;

// Ten results of keyword from the page that starts at result first (0 for the first page), the
// site sought at a place of its own when listed.
void fillResults(Holes& holes, const Route& route, const QString& keyword, int first, bool listed) {
    const int offset = demo::pick(QLatin1String(route.name), keyword, int(std::size(kResultSites)));
    for (int i = 0; i < kResultsOnPage; ++i)
        holes.insert(QStringLiteral("url%1").arg(i + 1),
                     QLatin1String(kResultSites[(offset + first + i) % std::size(kResultSites)]));
    const QString site = sought;
    if (listed && !site.isEmpty()) {
        const int place =
            demo::pick(QLatin1String(route.name), site + u'\n' + keyword, kResultsOnPage);
        holes.insert(QStringLiteral("url%1").arg(place + 1), site);
    }
    holes.insert(QStringLiteral("keyword"), keyword);
    holes.insert(QStringLiteral("count"),
                 demo::grouped(demo::figure(QLatin1String(route.name), keyword, 5, 8)));
    holes.insert(QStringLiteral("first"), QString::number(first + 1));
    holes.insert(QStringLiteral("last"), QString::number(first + kResultsOnPage));
}

Holes holesFor(const Route& route, const Request& r, const QString& subject) {
    const QLatin1String name(route.name);
    Holes holes;
    switch (route.figures) {
    case Figures::Count:
        holes.insert(QStringLiteral("domain"), subject);
        holes.insert(QStringLiteral("count"), demo::grouped(demo::figure(name, subject, 3, 7)));
        break;
    case Figures::Period: {
        // The same count for all time as the indexed-page survey's Baidu column.
        const qint64 all = demo::figure(QStringLiteral("baidu-pages"), subject, 3, 7);
        const QString lm = r.value(u"lm").value_or(QString());
        int perMille = 1000;
        for (const auto& share : kPeriodShares)
            if (lm == QLatin1String(share.lm))
                perMille = share.perMille;
        holes.insert(QStringLiteral("domain"), subject);
        holes.insert(QStringLiteral("count"), demo::grouped(all * perMille / 1000));
        break;
    }
    case Figures::PageRank:
        holes.insert(QStringLiteral("pagerank"), QString::number(1 + demo::pick(name, subject, 8)));
        break;
    case Figures::Alexa:
        holes.insert(QStringLiteral("domain"), subject);
        holes.insert(QStringLiteral("alexa"), demo::grouped(demo::figure(name, subject, 3, 7)));
        break;
    case Figures::SogouRank:
        holes.insert(QStringLiteral("domain"), subject);
        holes.insert(QStringLiteral("sogourank"),
                     QString::number(1 + demo::pick(name, subject, 100)));
        break;
    case Figures::ChinaRank:
        holes.insert(QStringLiteral("domain"), subject);
        holes.insert(QStringLiteral("chinarank"),
                     QString::number(demo::figure(name, subject, 3, 6)));
        break;
    case Figures::Listed:
    case Figures::Unlisted:
        // Yahoo asks for later pages by the index of their first result.
        fillResults(holes, route, subject, r.value(u"b").value_or(QString()).toInt(),
                    route.figures == Figures::Listed);
        break;
    case Figures::Related: {
        const QString keyword = demo::fromGbkPercent(subject);
        holes.insert(QStringLiteral("keyword"), keyword);
        holes.insert(QStringLiteral("count"), demo::grouped(demo::figure(name, keyword, 5, 8)));
        break;
    }
    case Figures::Index: {
        const QString keyword = demo::fromGbkPercent(subject);
        const qint64 week = demo::figure(name, keyword, 2, 5);
        // Today, the month and the quarter stray from the week's average by up to a fifth.
        const auto near = [&](const char* period) {
            return week * (80 + demo::pick(QLatin1String(period), keyword, 41)) / 100;
        };
        holes.insert(QStringLiteral("keyword"), keyword);
        holes.insert(QStringLiteral("today"), QString::number(near("today")));
        holes.insert(QStringLiteral("week"), QString::number(week));
        holes.insert(QStringLiteral("month"), QString::number(near("month")));
        holes.insert(QStringLiteral("quarter"), QString::number(near("quarter")));
        break;
    }
    case Figures::Fixed:
        break;
    case Figures::Domain:
        holes = demo::registrationHoles(subject);
        break;
    case Figures::Network:
        holes = demo::networkHoles(subject);
        break;
    }
    return holes;
}

} // namespace

HttpResponse DemoFetcher::get(const QString& url) {
    if (stopRequested())
        throw ToolStopped{};
    const Request r(url);
    for (const Route& route : kRoutes)
        if (const std::optional<QString> subject = subjectOf(route, r)) {
            const QString name = QLatin1String(route.page);
            if (name.endsWith(QStringLiteral(".json")))
                return {demo::fill(demo::readPage(name), name, holesFor(route, r, *subject),
                                   demo::Escape::Json)
                            .toUtf8(),
                        "application/rdap+json"};
            const QString page =
                demo::fill(demo::readPage(name), name, holesFor(route, r, *subject));
            const QByteArray type = name.endsWith(QStringLiteral(".txt"))
                                        ? "text/plain; charset=gbk"
                                        : "text/html; charset=gbk";
            return {charset::encodeGbk(page), type};
        }
    const QString name = QLatin1String(kArticle);
    return {charset::encodeGbk(
                demo::fill(demo::readPage(name), name, {{QStringLiteral("address"), url}})),
            "text/html; charset=gbk"};
}

void DemoFetcher::lookingFor(const QString& site) {
    sought = site;
}
