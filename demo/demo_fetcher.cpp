#include "demo/demo_fetcher.h"

#include "base/charset.h"
#include "base/program_folder.h"
#include "base/tool_error.h"
#include "demo/demo_figures.h"
#include "demo/demo_pages.h"
#include "demo/demo_push.h"
#include "net/engine_files.h"
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

// The requests that are no engine row's: the related searches, the Baidu index and RDAP. First
// match wins.
const Route kRoutes[] = {
    {"baidu-related", "/s", "wd=", "baidu_related.html", Figures::Related},
    {"baidu-index", "/main/word.php", "word=", "baidu_index.html", Figures::Index},
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

// What answers a request: the page, its kind of figures, and the name the figures are made up
// for (two answers never share one).
struct Answer {
    QString name;
    QString page;
    Figures figures;
};

// Baidu's period query counts the same pages as the indexed-page survey's Baidu column.
const QString kBaiduPagesName = QStringLiteral("indexed/baidu");

const struct {
    const char* name;
    Figures figures;
} kRowFigures[] = {
    {"count", Figures::Count},          {"period", Figures::Period},
    {"pagerank", Figures::PageRank},    {"alexa", Figures::Alexa},
    {"sogou-rank", Figures::SogouRank}, {"chinarank", Figures::ChinaRank},
    {"listed", Figures::Listed},        {"unlisted", Figures::Unlisted},
    {"fixed", Figures::Fixed},
};

// How well a request fits an engine row's request template, and what it asks about: the path
// after the endpoint must be the template's (up to a hole in it, whose place the subject takes),
// each parameter the template fixes must have its value, and each holed one must begin with the
// text before its hole; the first holed with the domain or keyword is the subject. More
// parameters, then longer fixed text, fit better. Nothing when the request is not the row's.
std::optional<std::pair<int, QString>> fit(const QString& requestTemplate, const Request& r) {
    QString rest = requestTemplate;
    if (rest.startsWith(u'{'))
        rest = rest.mid(rest.indexOf(u'}') + 1);
    const qsizetype mark = rest.indexOf(u'?');
    const QString path = mark < 0 ? rest : rest.left(mark);
    const QString query = mark < 0 ? QString() : rest.mid(mark + 1);
    int score = 0;
    std::optional<QString> subject;
    if (const qsizetype hole = path.indexOf(u'{'); hole >= 0) {
        if (!r.path.startsWith(path.left(hole)))
            return std::nullopt;
        subject = r.path.mid(hole);
    } else if (r.path != path) {
        return std::nullopt;
    }
    for (const QString& pair : query.split(u'&', Qt::SkipEmptyParts)) {
        const QString name = pair.section(u'=', 0, 0);
        const QString value = pair.section(u'=', 1);
        const std::optional<QString> v = r.value(name);
        if (!v)
            return std::nullopt;
        const qsizetype hole = value.indexOf(u'{');
        const QString fixed = hole < 0 ? value : value.left(hole);
        if (hole < 0 ? *v != value : !v->startsWith(fixed))
            return std::nullopt;
        score += 1000 + int(fixed.size());
        const QString held = value.mid(hole);
        if (!subject && hole >= 0 &&
            (held.startsWith(QStringLiteral("{d}")) || held.startsWith(QStringLiteral("{k"))))
            subject = v->mid(fixed.size());
    }
    return std::pair(score, subject.value_or(QString()));
}

// The engine row whose request fits r best, with what r asks about; rows without a demo answer
// are left out.
std::optional<std::pair<Answer, QString>> rowAnswer(const Request& r) {
    std::optional<std::pair<Answer, QString>> best;
    int bestScore = -1;
    for (const EngineEntry& row : engines::catalog().all()) {
        const QStringList demo = row.value(QStringLiteral("demo")).split(u' ', Qt::SkipEmptyParts);
        if (demo.size() != 2)
            continue;
        const auto fits = fit(row.value(QStringLiteral("request")), r);
        if (!fits || fits->first <= bestScore)
            continue;
        for (const auto& kind : kRowFigures)
            if (demo[0] == QLatin1String(kind.name)) {
                bestScore = fits->first;
                best = {Answer{row.tool + u'/' + row.engine, demo[1], kind.figures}, fits->second};
            }
    }
    return best;
}

using demo::Holes;

// Ten results of keyword from the page that starts at result first (0 for the first page), the
// site sought at a place of its own when listed.
void fillResults(Holes& holes, const Answer& answer, const QString& keyword, int first,
                 bool listed) {
    const int offset = demo::pick(answer.name, keyword, int(std::size(kResultSites)));
    for (int i = 0; i < kResultsOnPage; ++i)
        holes.insert(QStringLiteral("url%1").arg(i + 1),
                     QLatin1String(kResultSites[(offset + first + i) % std::size(kResultSites)]));
    const QString site = sought;
    if (listed && !site.isEmpty()) {
        const int place = demo::pick(answer.name, site + u'\n' + keyword, kResultsOnPage);
        holes.insert(QStringLiteral("url%1").arg(place + 1), site);
    }
    holes.insert(QStringLiteral("keyword"), keyword);
    holes.insert(QStringLiteral("count"), demo::grouped(demo::figure(answer.name, keyword, 5, 8)));
    holes.insert(QStringLiteral("first"), QString::number(first + 1));
    holes.insert(QStringLiteral("last"), QString::number(first + kResultsOnPage));
}

Holes holesFor(const Answer& answer, const Request& r, const QString& subject) {
    const QString& name = answer.name;
    Holes holes;
    switch (answer.figures) {
    case Figures::Count:
        holes.insert(QStringLiteral("domain"), subject);
        holes.insert(QStringLiteral("count"), demo::grouped(demo::figure(name, subject, 3, 7)));
        break;
    case Figures::Period: {
        // The same count for all time as the indexed-page survey's Baidu column.
        const qint64 all = demo::figure(kBaiduPagesName, subject, 3, 7);
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
        // Yahoo asks for later pages by the index of their first result, Baidu by its offset.
        fillResults(holes, answer, subject,
                    r.value(u"b").value_or(r.value(u"pn").value_or(QString())).toInt(),
                    answer.figures == Figures::Listed);
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
    if (std::optional<HttpResponse> key = demo::keyFileAnswer(url))
        return *key;
    const Request r(url);
    std::optional<std::pair<Answer, QString>> found = rowAnswer(r);
    if (!found)
        for (const Route& route : kRoutes)
            if (const std::optional<QString> subject = subjectOf(route, r)) {
                found = {
                    Answer{QLatin1String(route.name), QLatin1String(route.page), route.figures},
                    *subject};
                break;
            }
    if (found) {
        const auto& [answer, subject] = *found;
        const QString& name = answer.page;
        if (name.endsWith(QStringLiteral(".json")))
            return {demo::fill(demo::readPage(name), name, holesFor(answer, r, subject),
                               demo::Escape::Json)
                        .toUtf8(),
                    "application/rdap+json"};
        const QString page = demo::fill(demo::readPage(name), name, holesFor(answer, r, subject));
        const QByteArray type = name.endsWith(QStringLiteral(".txt")) ? "text/plain; charset=gbk"
                                                                      : "text/html; charset=gbk";
        return {charset::encodeGbk(page), type};
    }
    const QString name = QLatin1String(kArticle);
    return {charset::encodeGbk(
                demo::fill(demo::readPage(name), name, {{QStringLiteral("address"), url}})),
            "text/html; charset=gbk"};
}

// A form is answered as the same address with the form for its query: the rows' templates are
// told apart by path and query alone.
PageResponse DemoFetcher::request(const PageRequest& request) {
    const QString url =
        request.form.isEmpty() ? request.url : request.url + u'?' + QString::fromUtf8(request.form);
    return {get(url), {}, {}, request.url};
}

void DemoFetcher::lookingFor(const QString& site) {
    sought = site;
}

HttpResponse DemoFetcher::post(const QString& url, const QByteArray& contentType,
                               const QByteArray& body) {
    if (stopRequested())
        throw ToolStopped{};
    if (std::optional<HttpResponse> answer = demo::pushAnswer(url, body))
        return *answer;
    return Fetcher::post(url, contentType, body);
}
