#include "rank_pages.h"

#include "base/charset.h"

#include <QStringList>
#include <atomic>

namespace {

QString snippet(int n) {
    return QStringLiteral(
               "网站优化（SEO）是让网站在搜索引擎的自然结果中排名靠前的方法，第 %1 条结果"
               "介绍关键词、外链、收录和排名的基础知识，以及站长常用的查询工具……")
        .arg(n);
}

// The inline scripts and styles that make up most of a real result page.
QString padding(qsizetype utf8Bytes) {
    const QString chunk = QStringLiteral(
        "<script>window.bds=window.bds||{};bds.comm={domain:\"http://www.baidu.com\",ubsurl:"
        "\"/w.gif\",tn:\"baidu\",queryEnc:\"%CD%F8%D5%BE\",queryId:\"a1b2c3\",sid:\"1421_21094\"};"
        "function h(obj){obj.style.behavior='url(#default#homepage)';}</script>\n<style>.result{"
        "width:33.7em;table-layout:fixed}.f{line-height:115%;font-size:100%}.t{font-weight:normal;"
        "font-size:medium;margin-bottom:1px}</style>\n");
    return chunk.repeated(utf8Bytes / chunk.size() + 1); // all ASCII: one byte a character
}

// One page holding results first..first+count-1; the site stands at result siteAt (0: nowhere).
HttpResponse page(const Layout& l, int first, int count, int siteAt) {
    QStringList results;
    for (int n = first; n < first + count; ++n)
        results << l.result(n, n == siteAt ? QStringLiteral("www.") + kRankSite
                                           : QStringLiteral("www.site-%1.com.cn").arg(n));
    const QString body = l.beforeResults + results.join(l.separator) + l.afterResults;
    const qsizetype rest = kRankPageBytes - body.toUtf8().size();
    const QString text = QStringLiteral("<html><head>") + padding(rest * 2 / 3) +
                         QStringLiteral("</head><body>") + body + padding(rest / 3) +
                         QStringLiteral("</body></html>");
    return l.gbk ? HttpResponse{charset::encodeGbk(text), "text/html"}
                 : HttpResponse{text.toUtf8(), "text/html; charset=utf-8"};
}

} // namespace

const Layout kBaiduLayout{
    QStringLiteral("<div id=\"tool\">百度一下，找到相关网页约1,230,000篇，用时0.028秒</div>"
                   "<DIV id=ScriptDiv></DIV>"),
    [](int n, const QString& d) {
        return QStringLiteral(
                   "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"%1\">"
                   "<tr><td class=f><h3 class=\"t\"><a href=\"http://%2/\" "
                   "target=\"_blank\">%2 的网站优化工具</a></h3><font size=-1>%3<br>"
                   "<span class=\"g\">%2/ 12K 2009-5-1</span></font></td></tr></table>")
            .arg(n)
            .arg(d, snippet(n));
    },
    QStringLiteral("<br>"),
    QStringLiteral("<br><div id=\"rs\"><table><tr><th>相关搜索</th><td><a href=\"s?wd=seo\">seo"
                   "</a></td></tr></table></div>"),
    true};

const Layout kGoogleLayout{
    QStringLiteral("<div id=ssb>约有 1,230,000 项符合<b>网站优化</b>的查询结果</div><ol>"),
    [](int n, const QString& d) {
        return QStringLiteral("<li class=g><h3 class=r><a href=\"http://%1/\" class=l>%1 的网站优化"
                              "工具</a></h3><div class=\"s\">%2<br><cite>%1/</cite></div></li>")
            .arg(d, snippet(n));
    },
    QString(), QStringLiteral("</ol>"), false};

const Layout kYahooLayout{
    QStringLiteral("<div id=\"info\">1 - 10 of 1,230,000</div><div class=\"yst-web\"><ol><li>"),
    [](int n, const QString& d) {
        return QStringLiteral("<h3><a class=\"yschttl\" href=\"http://%1/\">%1 的网站优化工具</a>"
                              "</h3><span class=\"abstr\">%2</span><span class=\"url\">%1</span>")
            .arg(d, snippet(n));
    },
    QStringLiteral("</li><li>"), QStringLiteral("</li></ol></div>"), false};

const Layout kSogouLayout{
    QStringLiteral("<div id=\"content\">"),
    [](int n, const QString& d) {
        return QStringLiteral(
                   "<div class=\"rb\"><h3 class=\"pt\"><a href=\"http://%1/\">%1 的网站优化"
                   "工具</a></h3><p class=\"ft\">%2</p><cite>%1</cite></div>")
            .arg(d, snippet(n));
    },
    QString(), QStringLiteral("<!--z-->"), false};

const Layout kYoudaoLayout{
    QStringLiteral("<div id=\"results\">"),
    [](int n, const QString& d) {
        return QStringLiteral("<table class=\"one result\"><tr><td><h3><a href=\"http://%1/\">%1 的"
                              "网站优化工具</a></h3><p>%2</p><span>%1</span></td></tr></table>")
            .arg(d, snippet(n));
    },
    QString(), QStringLiteral("</div><div id=\"relatedQuery\">相关搜索</div>"), false};

std::vector<HttpResponse> resultPages(const Layout& l, bool paged, int siteAt) {
    if (!paged)
        return {page(l, 1, 100, siteAt)};
    std::vector<HttpResponse> v;
    for (int p = 0; p < 10; ++p)
        v.push_back(page(l, p * 10 + 1, 10, siteAt));
    return v;
}

std::vector<EngineServer> serveRankSearch(int delayMs, const Certificate* tls) {
    struct Engine {
        Endpoint endpoint;
        const char* path;
        const Layout& layout;
        bool paged;
    };
    const Engine engines[] = {
        {Endpoint::BaiduSearchHost, "/s", kBaiduLayout, false},
        {Endpoint::GoogleHost, "/search", kGoogleLayout, false},
        {Endpoint::YahooSearchHost, "/s", kYahooLayout, true},
        {Endpoint::SogouHost, "/web", kSogouLayout, false},
        {Endpoint::YoudaoHost, "/search", kYoudaoLayout, true},
    };
    std::vector<EngineServer> servers;
    for (const Engine& e : engines) {
        auto s = std::make_unique<FixtureServer>(tls);
        auto served =
            std::make_shared<std::vector<HttpResponse>>(resultPages(e.layout, e.paged, 0));
        auto next = std::make_shared<std::atomic<size_t>>(0);
        s->add(e.path, [served, next, delayMs](const std::string&) {
            const HttpResponse& r = (*served)[(*next)++ % served->size()];
            // Not a text/ type, so the server leaves the body uncompressed.
            QByteArray type = r.contentType;
            type.replace("text/html", "application/octet-stream");
            return FixtureServer::Page{200, type, r.body, delayMs};
        });
        servers.push_back({e.endpoint, std::move(s)});
    }
    return servers;
}
