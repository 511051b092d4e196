#include "audit/audit_checks.h"
#include "audit/page_decode.h"
#include "audit/page_scan.h"
#include "audit/robots_rules.h"
#include "audit/site_audit.h"
#include "audit/sitemap.h"
#include "base/charset.h"
#include "certificate.h"
#include "fixture_server.h"
#include "net/stop.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <zlib.h>

namespace {

using Page = FixtureServer::Page;

QByteArray html(const QString& title, const QString& body, const QString& head = {}) {
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                          "<meta name=\"description\" content=\"关于%1的说明\">%3</head>"
                          "<body><h1>%1</h1>%2</body></html>")
        .arg(title, body, head)
        .toUtf8();
}

Page htmlPage(const QByteArray& body) {
    return Page(200, "text/html; charset=utf-8", body);
}

AuditOptions quick() {
    AuditOptions o;
    o.rate = 0;
    return o;
}

struct Audit {
    QTemporaryDir dir;
    AuditReport report;
    Audit(const QString& start, const AuditOptions& options = quick()) {
        report = runSiteAudit(start, options, dir.filePath(QStringLiteral("audit.sqlite")), false);
    }
    const AuditProblem* find(const QString& kind, const QString& url) const {
        for (const AuditProblem& p : report.problems)
            if (p.kind == kind && p.url == url)
                return &p;
        return nullptr;
    }
    int count(const QString& kind) const {
        int n = 0;
        for (const AuditProblem& p : report.problems)
            n += p.kind == kind;
        return n;
    }
};

QByteArray gzip(const QByteArray& data) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size()))) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

TEST(RobotsRules, LongestMatchWinsAndAllowWinsATie) {
    const QByteArray file = "User-agent: *\n"
                            "Disallow: /private\n"
                            "Allow: /private/open\n"
                            "Disallow: /*.pdf$\n"
                            "Disallow: /search?q=\n"
                            "Allow: /same\n"
                            "Disallow: /same\n"
                            "Disallow: /中文\n";
    const RobotsRules rules = RobotsRules::parse(file, QStringLiteral("Tessivo"));
    const struct {
        const char* path;
        bool allowed;
    } cases[] = {
        {"/", true},
        {"/private", false},
        {"/private/x.html", false},
        {"/private/open/x.html", true}, // the longer allow wins
        {"/privately", false},          // patterns are prefixes
        {"/a/b.pdf", false},
        {"/a/b.pdf?x=1", true}, // "$" ends the pattern
        {"/search?q=seo", false},
        {"/search", true},
        {"/same", true}, // equal length: allow
        {"/%E4%B8%AD%E6%96%87/x", false},
        {"/%e4%b8%ad%e6%96%87/x", false}, // escapes compare in either case
        {"/robots.txt", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rules.allows(c.path), c.allowed) << c.path;
}

TEST(RobotsRules, OurGroupOverridesTheStarAndGroupsMerge) {
    const QByteArray file = "User-agent: *\nDisallow: /\n\n"
                            "User-agent: tessivo/2.0\nUser-agent: Other\nDisallow: /a\n"
                            "Crawl-delay: 2\n\n"
                            "# comment\nUser-agent: TESSIVO\nDisallow: /b # not /c\n"
                            "Sitemap: http://example.cn/sm.xml\n";
    const RobotsRules ours = RobotsRules::parse(file, QStringLiteral("Tessivo"));
    EXPECT_TRUE(ours.allows("/"));
    EXPECT_FALSE(ours.allows("/a/1"));
    EXPECT_FALSE(ours.allows("/b/1"));
    EXPECT_TRUE(ours.allows("/c"));
    EXPECT_EQ(ours.crawlDelaySeconds(), 2.0);
    EXPECT_EQ(ours.sitemaps(), QStringList{QStringLiteral("http://example.cn/sm.xml")});
    const RobotsRules others = RobotsRules::parse(file, QStringLiteral("Baiduspider"));
    EXPECT_FALSE(others.allows("/c"));
    EXPECT_TRUE(
        RobotsRules::parse("User-agent: Baiduspider\nDisallow: /\n", QStringLiteral("Tessivo"))
            .allows("/x"));
}

TEST(RobotsRules, ReadsOnlyTheFirst500KiB) {
    QByteArray file = "User-agent: *\n";
    while (file.size() < kMaxRobotsBytes)
        file += "Allow: /filler\n";
    file += "Disallow: /late\n";
    EXPECT_TRUE(RobotsRules::parse(file, QStringLiteral("Tessivo")).allows("/late"));
    EXPECT_FALSE(RobotsRules::disallowAll().allows("/"));
    EXPECT_TRUE(RobotsRules::disallowAll().allows("/robots.txt"));
}

TEST(PageDecode, TakesTheFirstDeclarationThenTheBytes) {
    const QString text = QStringLiteral("中文网页");
    const QByteArray gbk = charset::encodeGbk(text);
    const QByteArray utf8 = text.toUtf8();
    const struct {
        QByteArray body;
        QByteArray contentType;
        const char* charset;
        bool mismatch;
    } cases[] = {
        {gbk, "text/html; charset=GBK", "gbk", false},
        {"<meta charset=\"gb2312\">" + gbk, "text/html", "gbk", false},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + utf8,
         "text/html", "utf-8", false},
        {"\xEF\xBB\xBF" + utf8, "text/html", "utf-8", false},
        {utf8, "text/html", "utf-8", false},
        {gbk, "text/html", "gbk", false}, // not UTF-8, nothing declared: GBK
        {gbk, "text/html; charset=utf-8", "utf-8", true},
        {"<meta charset=\"gbk\">" + utf8, "text/html; charset=utf-8", "utf-8", true},
        {utf8, "text/html; charset=gb2312", "gbk", true},
        {"<meta charset=\"gbk\">" + gbk, "text/html; charset=GB2312", "gbk", false},
    };
    for (const auto& c : cases) {
        const DecodedPage page = decodeAuditPage(c.body, c.contentType);
        EXPECT_EQ(page.charset, QByteArray(c.charset)) << c.contentType.constData();
        EXPECT_EQ(!page.mismatch.isEmpty(), c.mismatch) << c.contentType.constData();
        if (!c.mismatch) {
            EXPECT_TRUE(page.text.endsWith(text)) << c.contentType.constData();
        }
    }
}

TEST(PageScan, ResolvesAgainstBaseAndSkipsWhatIsNoFetch) {
    const QString page = QStringLiteral(
        "<html><head><base href=\"/dir/\"><title>T</title>"
        "<link rel=\"canonical\" href=\"c.html#top\"><link rel=\"stylesheet\" href=\"s.css\">"
        "</head><body><a href=\"a.html#x\">A <b>link</b></a><a href=\"javascript:void(0)\">j</a>"
        "<a href=\"mailto:x@example.cn\">m</a><a href=\"tel:110\">t</a>"
        "<img src=\"data:image/png;base64,AA\"><img src=\"http://cdn.example.cn/i.png\">"
        "<area href=\"../area.html\" alt=\"区\"><iframe src=\"f.html\"></iframe>"
        "<script src=\"/s.js\"></script><a "
        "href=\"https://Example.CN:443#top\">h</a></body></html>");
    const PageScan scan = scanPage(page, QUrl(QStringLiteral("https://example.cn/x/y.html")));
    QStringList urls;
    for (const PageLink& l : scan.links)
        urls << l.url.toString() + (l.kind == LinkKind::Page ? QStringLiteral(" page") : QString());
    EXPECT_EQ(urls, (QStringList{QStringLiteral("https://example.cn/dir/c.html page"),
                                 QStringLiteral("https://example.cn/dir/s.css"),
                                 QStringLiteral("https://example.cn/dir/a.html page"),
                                 QStringLiteral("http://cdn.example.cn/i.png"),
                                 QStringLiteral("https://example.cn/area.html page"),
                                 QStringLiteral("https://example.cn/dir/f.html page"),
                                 QStringLiteral("https://example.cn/s.js"),
                                 QStringLiteral("https://example.cn/ page")}));
    EXPECT_EQ(scan.links[2].text, QStringLiteral("A link"));
    EXPECT_EQ(scan.canonical, QUrl(QStringLiteral("https://example.cn/dir/c.html")));
    EXPECT_EQ(scan.insecure, QStringList{QStringLiteral("http://cdn.example.cn/i.png")});
    EXPECT_EQ(scan.imagesNoAlt.size(), 2);
}

TEST(Sitemap, ReadsUrlsetsIndexesTextAndGzip) {
    const QByteArray urlset = "<?xml version=\"1.0\"?><urlset "
                              "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
                              "<url><loc> http://a.cn/1 </loc></url><url><loc>http://a.cn/2</loc>"
                              "</url></urlset>";
    EXPECT_EQ(parseSitemap(urlset).pages,
              (QStringList{QStringLiteral("http://a.cn/1"), QStringLiteral("http://a.cn/2")}));
    EXPECT_EQ(parseSitemap(gzip(urlset)).pages.size(), 2);
    EXPECT_EQ(parseSitemap("<sitemapindex><sitemap><loc>http://a.cn/s.xml</loc></sitemap>"
                           "</sitemapindex>")
                  .sitemaps,
              QStringList{QStringLiteral("http://a.cn/s.xml")});
    EXPECT_EQ(parseSitemap("http://a.cn/1\r\nhttp://a.cn/2\n").pages.size(), 2);
    EXPECT_FALSE(parseSitemap("<urlset><url>").error.isEmpty());
    EXPECT_FALSE(parseSitemap("<html></html>").error.isEmpty());
    EXPECT_FALSE(parseSitemap("\x1F\x8B garbage").error.isEmpty());
}

// One fault of each kind the crawl of a plain HTTP site can meet, each on its own address.
struct FaultySite {
    FixtureServer server;
    QString b = server.base();
    FaultySite() {
        server.add("/robots.txt", Page(200, "text/plain",
                                       ("User-agent: *\nDisallow: /private\nSitemap: " + b +
                                        "/sitemap.xml\nSitemap: " + b + "/broken-sitemap.xml\n")
                                           .toUtf8()));
        server.add("/sitemap.xml", Page(200, "application/xml",
                                        ("<urlset><url><loc>" + b + "/</loc></url><url><loc>" + b +
                                         "/about.html</loc></url><url><loc>" + b +
                                         "/orphan.html</loc></url>"
                                         "</urlset>")
                                            .toUtf8()));
        server.add("/broken-sitemap.xml", Page(200, "application/xml", "<urlset><url>"));
        server.add("/", htmlPage(html(
                            QStringLiteral("首页"),
                            QStringLiteral(
                                "<a href=\"/about.html\">关于</a>"
                                "<a href=\"/missing.html\">坏链接</a>"
                                "<a href=\"/chain1\">链</a><a href=\"/temp\">临时</a>"
                                "<a href=\"/loop-a\">环</a><a href=\"/private/secret.html\">私</a>"
                                "<a href=\"/notitle.html\">无标题</a>"
                                "<a href=\"/dup1.html\">重1</a><a href=\"/dup2.html\">重2</a>"
                                "<a href=\"/long.html\">长</a><a href=\"/twoh1.html\">两个</a>"
                                "<a href=\"/noindex.html\">不索引</a>"
                                "<a href=\"/canon.html\">规范</a>"
                                "<a href=\"/canonbad.html\">坏规范</a>"
                                "<a href=\"/mismatch.html\">编码</a>"
                                "<a href=\"/big.html\">大</a><a href=\"/slow.html\">慢</a>"
                                "<img src=\"/logo.png\">"))));
        server.add("/about.html", htmlPage(html(QStringLiteral("关于我们"), {})));
        server.add("/orphan.html", htmlPage(html(QStringLiteral("孤儿"), {})));
        server.add("/chain1", Page(301, "text/html", "", 0, "/chain2"));
        server.add("/chain2", Page(301, "text/html", "", 0, "/about.html"));
        server.add("/temp", Page(302, "text/html", "", 0, "/about.html"));
        server.add("/loop-a", Page(301, "text/html", "", 0, "/loop-b"));
        server.add("/loop-b", Page(301, "text/html", "", 0, "/loop-a"));
        server.add("/private/secret.html", htmlPage(html(QStringLiteral("秘密"), {})));
        server.add("/notitle.html", htmlPage("<html><body><p>没有标题</p></body></html>"));
        const QByteArray dup = "<html><head><title>重复</title><meta name=\"description\" "
                               "content=\"一样\"></head><body><h1>x</h1></body></html>";
        server.add("/dup1.html", htmlPage(dup));
        server.add("/dup2.html", htmlPage(dup));
        server.add("/long.html", htmlPage(html(QString(31, QChar(0x957F)), {})));
        server.add("/twoh1.html",
                   htmlPage(html(QStringLiteral("两个"), QStringLiteral("<h1>又一个</h1>"))));
        server.add(
            "/noindex.html",
            htmlPage(html(QStringLiteral("不索引"), {},
                          QStringLiteral("<meta name=\"robots\" content=\"noindex,follow\">"))));
        server.add("/canon.html",
                   htmlPage(html(QStringLiteral("规范"), {},
                                 QStringLiteral("<link rel=\"canonical\" href=\"/about.html\">"))));
        server.add("/canonbad.html",
                   htmlPage(html(QStringLiteral("坏规范"), {},
                                 QStringLiteral("<link rel=\"canonical\" href=\"/gone.html\">"))));
        server.add("/mismatch.html",
                   htmlPage("<html><head><meta charset=\"gbk\"><title>编码</title></head>"
                            "<body><h1>x</h1></body></html>"));
        server.add("/big.html", htmlPage(html(QStringLiteral("大"), QString(3'500'000, u'x'))));
        server.add("/logo.png", Page(200, "image/png", "png"));
        server.add("/slow.html", Page(200, "text/html; charset=utf-8",
                                      html(QStringLiteral("慢"), {}), int(kSlowPageMs) + 200));
    }
};

TEST(SiteAudit, ReportsEachFaultOnItsAddressWithItsLinks) {
    FaultySite site;
    const QString& b = site.b;
    Audit a(b + "/");
    const QString home = b + "/";
    const struct {
        const char* kind;
        QString url;
        QString from; // the page linking to it; empty: none is checked
        QString text;
    } cases[] = {
        {"broken_link", b + "/missing.html", home, QStringLiteral("坏链接")},
        {"redirect_chain", b + "/chain1", home, QStringLiteral("链")},
        {"redirect_loop", b + "/loop-a", home, QStringLiteral("环")},
        {"temporary_redirect", b + "/temp", home, QStringLiteral("临时")},
        {"missing_title", b + "/notitle.html", home, QStringLiteral("无标题")},
        {"missing_description", b + "/notitle.html", home, QStringLiteral("无标题")},
        {"missing_h1", b + "/notitle.html", home, QStringLiteral("无标题")},
        {"duplicate_title", b + "/dup1.html", home, QStringLiteral("重1")},
        {"duplicate_title", b + "/dup2.html", home, QStringLiteral("重2")},
        {"duplicate_description", b + "/dup2.html", home, QStringLiteral("重2")},
        {"title_too_long", b + "/long.html", home, QStringLiteral("长")},
        {"multiple_h1", b + "/twoh1.html", home, QStringLiteral("两个")},
        {"noindex", b + "/noindex.html", home, QStringLiteral("不索引")},
        {"canonical_elsewhere", b + "/canon.html", home, QStringLiteral("规范")},
        {"canonical_broken", b + "/canonbad.html", home, QStringLiteral("坏规范")},
        {"broken_link", b + "/gone.html", b + "/canonbad.html",
         QStringLiteral("<link rel=canonical>")},
        {"blocked_by_robots", b + "/private/secret.html", home, QStringLiteral("私")},
        {"in_sitemap_not_linked", b + "/orphan.html", {}, {}},
        {"linked_not_in_sitemap", b + "/dup1.html", home, QStringLiteral("重1")},
        {"sitemap_error", b + "/broken-sitemap.xml", {}, {}},
        {"charset_mismatch", b + "/mismatch.html", home, QStringLiteral("编码")},
        {"image_without_alt", b + "/logo.png", home, {}},
        {"large_page", b + "/big.html", home, QStringLiteral("大")},
        {"slow_page", b + "/slow.html", home, QStringLiteral("慢")},
    };
    for (const auto& c : cases) {
        const AuditProblem* p = a.find(QLatin1String(c.kind), c.url);
        ASSERT_TRUE(p) << c.kind << " " << c.url.toStdString();
        if (c.from.isEmpty())
            continue;
        ASSERT_FALSE(p->from.empty()) << c.kind;
        EXPECT_EQ(p->from.front().from, c.from) << c.kind;
        if (!c.text.isEmpty()) {
            EXPECT_EQ(p->from.front().text, c.text) << c.kind;
        }
    }
    // Faults nowhere else: a good page is no problem, and a redirect's target is no chain.
    EXPECT_FALSE(a.find(QStringLiteral("redirect_chain"), b + "/chain2"));
    EXPECT_FALSE(a.find(QStringLiteral("missing_title"), b + "/about.html"));
    EXPECT_FALSE(a.find(QStringLiteral("linked_not_in_sitemap"), b + "/about.html"));
    EXPECT_FALSE(a.find(QStringLiteral("in_sitemap_not_linked"), b + "/about.html"));
    EXPECT_EQ(a.count(QStringLiteral("redirect_loop")), 1);
    EXPECT_TRUE(
        a.find(QStringLiteral("redirect_chain"), b + "/chain1")->detail.contains(b + "/chain2"));
    EXPECT_TRUE(a.report.stoppedBy.isEmpty());
    EXPECT_FALSE(site.server.requests().contains(QStringLiteral("/private/secret.html")));
    // Every address once.
    QStringList asked = site.server.requests();
    asked.removeDuplicates();
    EXPECT_EQ(asked.size(), site.server.requests().size());
}

TEST(SiteAudit, FetchesNothingTheRobotsFileForbids) {
    const struct {
        int status;
        QByteArray body;
        QStringList fetched; // besides /robots.txt and /sitemap.xml
    } cases[] = {
        {200,
         "User-agent: *\nDisallow: /a\nAllow: /a/open\n",
         {QStringLiteral("/"), QStringLiteral("/a/open"), QStringLiteral("/b")}},
        {503, "", {}}, // unreachable: nothing at all
        {500, "", {}},
        {404,
         "",
         {QStringLiteral("/"), QStringLiteral("/a"), QStringLiteral("/a/open"),
          QStringLiteral("/b")}}, // unavailable: everything
        {301, "", {QStringLiteral("/"), QStringLiteral("/a"), QStringLiteral("/a/open")}},
    };
    for (const auto& c : cases) {
        FixtureServer server;
        server.add("/robots.txt", Page(c.status, "text/plain", c.body, 0, "/moved-robots.txt"));
        server.add("/moved-robots.txt", Page(200, "text/plain", "User-agent: *\nDisallow: /b\n"));
        server.add("/", htmlPage(html(QStringLiteral("首页"),
                                      QStringLiteral("<a href=\"/a\">a</a><a href=\"/a/open\">o</a>"
                                                     "<a href=\"/b\">b</a>"))));
        for (const char* path : {"/a", "/a/open", "/b"})
            server.add(path, htmlPage(html(QString::fromLatin1(path), {})));
        Audit a(server.base() + "/");
        QStringList fetched = server.requests();
        fetched.removeAll(QStringLiteral("/robots.txt"));
        fetched.removeAll(QStringLiteral("/moved-robots.txt"));
        fetched.removeAll(QStringLiteral("/sitemap.xml"));
        fetched.sort();
        EXPECT_EQ(fetched, c.fetched) << c.status;
        if (c.status >= 500) {
            EXPECT_TRUE(a.find(QStringLiteral("blocked_by_robots"), server.base() + "/"))
                << c.status;
        }
    }
}

TEST(SiteAudit, ADifferentUserAgentIsItsOwnRobotsGroup) {
    FixtureServer server;
    server.add("/robots.txt", Page(200, "text/plain", "User-agent: MyBot\nDisallow: /b\n"));
    server.add("/", htmlPage(html(QStringLiteral("首页"), QStringLiteral("<a href=\"/b\">b</a>"))));
    server.add("/b", htmlPage(html(QStringLiteral("b"), {})));
    AuditOptions o = quick();
    o.userAgent = QStringLiteral("MyBot/1.0 (+http://example.cn)");
    Audit a(server.base() + "/", o);
    EXPECT_FALSE(server.requests().contains(QStringLiteral("/b")));
    EXPECT_EQ(server.requestHeader("User-Agent").value(0), o.userAgent);
    o.obeyRobots = false;
    server.clearRequests();
    Audit ignoring(server.base() + "/", o);
    EXPECT_TRUE(server.requests().contains(QStringLiteral("/b")));
}

// A page of an endless site: "?p=…" links to two pages one letter deeper, or (narrow) to one
// page whose address is ten letters longer.
Page endless(const std::string& target, bool narrow, int delayMs = 0) {
    const QString t = QString::fromStdString(target);
    const QString p = t.contains(u'=') ? t.mid(t.indexOf(u'=') + 1) : QString();
    const QString links =
        narrow ? QStringLiteral("<a href=\"?p=%1xxxxxxxxxx\">n</a>").arg(p)
               : QStringLiteral("<a href=\"?p=%1a\">a</a><a href=\"?p=%1b\">b</a>").arg(p);
    return Page(200, "text/html", html(t, links), delayMs);
}

TEST(SiteAudit, AnEndlessSiteEndsAtItsBound) {
    struct {
        AuditOptions options;
        bool narrow;
        const char* bound;
        size_t pages;
    } cases[3] = {{quick(), false, "max_pages", 20},
                  {quick(), false, "max_depth", 15}, // 1 + 2 + 4 + 8
                  {quick(), true, "max_url_length", 0}};
    cases[0].options.maxPages = 20;
    cases[1].options.maxDepth = 3;
    cases[2].options.maxUrlLength = 80;
    for (auto& c : cases) {
        FixtureServer server;
        const bool narrow = c.narrow;
        server.add("/", [narrow](const std::string& target) { return endless(target, narrow); });
        Audit a(server.base() + "/", c.options);
        EXPECT_EQ(a.report.stoppedBy, QLatin1String(c.bound));
        EXPECT_EQ(a.count(QStringLiteral("trap")), 1) << c.bound;
        if (c.pages > 0) {
            EXPECT_EQ(a.report.pages.size(), c.pages) << c.bound;
        }
    }
}

TEST(SiteAudit, AStopEndsTheCrawlWithinASecondKeepingWhatItFound) {
    FixtureServer server;
    server.add("/", [](const std::string& target) { return endless(target, false, 200); });
    StopFlag flag;
    const StopScope scope(flag);
    QThread* stopper = QThread::create([&flag] {
        QThread::msleep(700);
        flag.request();
    });
    stopper->start();
    QElapsedTimer timer;
    timer.start();
    Audit a(server.base() + "/");
    const qint64 after = timer.elapsed();
    stopper->wait();
    delete stopper;
    EXPECT_LT(after, 1700);
    EXPECT_EQ(a.report.stoppedBy, QStringLiteral("stopped"));
    EXPECT_FALSE(a.report.pages.empty());
}

TEST(SiteAudit, ResumeFetchesNoFinishedPageAgain) {
    FixtureServer server;
    server.add("/", [](const std::string& target) {
        const QString t = QString::fromStdString(target);
        const QString p = t.contains(u'=') ? t.mid(t.indexOf(u'=') + 1) : QString();
        return htmlPage(
            p.size() >= 4
                ? html(t, {})
                : html(t,
                       QStringLiteral("<a href=\"?p=%1a\">a</a><a href=\"?p=%1b\">b</a>").arg(p)));
    });
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("state.sqlite"));
    AuditOptions o = quick();
    o.maxPages = 10;
    const AuditReport first = runSiteAudit(server.base() + "/", o, file, false);
    EXPECT_EQ(first.stoppedBy, QStringLiteral("max_pages"));
    const QStringList before = server.requests();
    o.maxPages = 1000;
    const AuditReport rest = runSiteAudit(server.base() + "/", o, file, true);
    QStringList all = server.requests();
    // The robots.txt is read again: a day-old copy is the most RFC 9309 lets a crawler keep.
    all.removeAll(QStringLiteral("/robots.txt"));
    EXPECT_EQ(all.size(), QSet<QString>(all.begin(), all.end()).size())
        << "an address was fetched twice";
    EXPECT_EQ(rest.pages.size(), 31u); // 1 + 2 + 4 + 8 + 16
    EXPECT_GT(all.size(), before.size());
}

// A frontier far larger than what the crawl reads of it at a time: past the page bound the pages
// wait in the state file, the images linked after them are still checked, and a resumed audit
// given more pages takes the next ones in order, none twice.
TEST(SiteAudit, AFrontierLargerThanItsWindowKeepsItsOrderPastThePageBound) {
    constexpr int kLinked = 6000;
    FixtureServer server;
    server.add("/", [](const std::string& target) {
        if (target != "/")
            return htmlPage(html(QString::fromStdString(target), {}));
        QString links;
        for (int i = 1; i <= kLinked; ++i)
            links += QStringLiteral("<a href=\"/p%1\">%1</a>").arg(i);
        return htmlPage(html(QStringLiteral("首页"),
                             links + QStringLiteral("<img src=\"/gone.png\" alt=\"x\">")));
    });
    server.add("/gone.png", [](const std::string&) { return Page(404, "text/plain", "gone"); });
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("state.sqlite"));
    AuditOptions o = quick();
    o.maxPages = 5;
    const AuditReport first = runSiteAudit(server.base() + "/", o, file, false);
    EXPECT_EQ(first.stoppedBy, QStringLiteral("max_pages"));
    // The first pages in the order they were found, whichever answered first.
    const auto firstPages = [&](int n) {
        std::set<std::string> urls{(server.base() + "/").toStdString()};
        for (int i = 1; i < n; ++i)
            urls.insert((server.base() + QStringLiteral("/p%1").arg(i)).toStdString());
        return urls;
    };
    const auto fetched = [](const AuditReport& r) {
        std::set<std::string> urls;
        for (const FetchResult& page : r.pages)
            urls.insert(page.url.toStdString());
        return urls;
    };
    EXPECT_EQ(fetched(first), firstPages(5));
    bool gone = false;
    for (const AuditProblem& p : first.problems) {
        gone = gone ||
               (p.kind == QLatin1String("broken_link") && p.url == server.base() + "/gone.png");
        if (p.kind == QLatin1String("trap")) {
            EXPECT_EQ(p.url, server.base() + "/p5");
            EXPECT_TRUE(p.detail.contains(QStringLiteral("还有 %1 个网址未抓取").arg(kLinked - 4)))
                << p.detail.toStdString();
        }
    }
    EXPECT_TRUE(gone) << "the image after the kept-out pages was not checked";

    o.maxPages = 4200;
    const AuditReport rest = runSiteAudit(server.base() + "/", o, file, true);
    EXPECT_EQ(fetched(rest), firstPages(4200));
    QStringList all = server.requests();
    all.removeAll(QStringLiteral("/robots.txt"));
    EXPECT_EQ(all.size(), QSet<QString>(all.begin(), all.end()).size())
        << "an address was fetched twice";
}

TEST(SiteAudit, ReadsGzipPagesAndPagesInGbkOrBrokenUtf8) {
    FixtureServer server;
    const QString title = QStringLiteral("中文标题");
    server.add("/",
               htmlPage(html(title, QStringLiteral("<a href=\"/gbk\">g</a><a href=\"/bad\">b</a>"
                                                   "<a href=\"/sm.xml.gz\">s</a>") +
                                        QString(5000, u' '))));
    server.add("/gbk", Page(200, "text/html",
                            charset::encodeGbk(QStringLiteral("<html><head><title>简体</title>"
                                                              "</head><body></body></html>"))));
    server.add("/bad", Page(200, "text/html; charset=utf-8",
                            "<html><head><title>\xFF\xFE bad</title></head></html>"));
    server.add("/robots.txt",
               Page(200, "text/plain", ("Sitemap: " + server.base() + "/sm.xml.gz\n").toUtf8()));
    server.add(
        "/sm.xml.gz",
        Page(200, "application/gzip",
             gzip(("<urlset><url><loc>" + server.base() + "/</loc></url></urlset>").toUtf8())));
    Audit a(server.base() + "/");
    EXPECT_TRUE(server.responseEncodings().contains(QStringLiteral("gzip")) ||
                server.responseEncodings().contains(QStringLiteral("br")));
    QMap<QString, FetchResult> pages;
    for (const FetchResult& p : a.report.pages)
        pages.insert(p.url.mid(server.base().size()), p);
    EXPECT_EQ(pages.value(QStringLiteral("/")).title, title);
    EXPECT_EQ(pages.value(QStringLiteral("/gbk")).title, QStringLiteral("简体"));
    EXPECT_EQ(pages.value(QStringLiteral("/gbk")).charset, QStringLiteral("gbk"));
    EXPECT_TRUE(a.find(QStringLiteral("charset_mismatch"), server.base() + "/bad"));
    EXPECT_FALSE(a.find(QStringLiteral("sitemap_error"), server.base() + "/sm.xml.gz"));
    EXPECT_FALSE(a.find(QStringLiteral("in_sitemap_not_linked"), server.base() + "/"));
}

TEST(SiteAudit, BacksOffWhenTheServerAsksToComeBackLater) {
    FixtureServer server;
    std::atomic<int> asked{0};
    server.add("/", [&asked](const std::string&) {
        if (asked++ == 0) {
            Page busy(503, "text/plain", "busy");
            busy.headers = {{"Retry-After", "1"}};
            return busy;
        }
        return htmlPage(html(QStringLiteral("首页"), {}));
    });
    QElapsedTimer timer;
    timer.start();
    Audit a(server.base() + "/");
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_EQ(asked.load(), 2);
    EXPECT_FALSE(a.find(QStringLiteral("broken_link"), server.base() + "/"));
}

TEST(SiteAudit, APageOverTheSizeBoundIsReportedNotRead) {
    FixtureServer server;
    server.add("/",
               htmlPage(html(QStringLiteral("首页"), QStringLiteral("<a href=\"/huge\">h</a>"))));
    server.add("/huge",
               htmlPage(html(QStringLiteral("巨大"),
                             QStringLiteral("<a href=\"/behind\">b</a>") + QString(20'000, u'x'))));
    server.add("/behind", htmlPage(html(QStringLiteral("后面"), {})));
    AuditOptions o = quick();
    o.maxPageBytes = 10'000;
    Audit a(server.base() + "/", o);
    const AuditProblem* large = a.find(QStringLiteral("large_page"), server.base() + "/huge");
    ASSERT_TRUE(large);
    EXPECT_EQ(large->from.front().from, server.base() + "/");
    EXPECT_FALSE(a.find(QStringLiteral("missing_title"), server.base() + "/huge"));
    EXPECT_FALSE(server.requests().contains(QStringLiteral("/behind")));
}

TEST(SiteAudit, KeepsTheCrawlDelayOfTheRobotsFile) {
    FixtureServer server;
    server.add("/robots.txt", Page(200, "text/plain", "User-agent: *\nCrawl-delay: 0.3\n"));
    server.add("/", htmlPage(html(QStringLiteral("首页"), QStringLiteral("<a href=\"/a\">a</a>"
                                                                         "<a href=\"/b\">b</a>"))));
    server.add("/a", htmlPage(html(QStringLiteral("a"), {})));
    server.add("/b", htmlPage(html(QStringLiteral("b"), {})));
    QElapsedTimer timer;
    timer.start();
    Audit a(server.base() + "/");
    // Three pages, each at least 0.3 s after the one before.
    EXPECT_GE(timer.elapsed(), 600);
    EXPECT_EQ(a.report.pages.size(), 3u);
}

TEST(SiteAudit, AnHttpsPageWithHttpResourcesIsMixedContent) {
    const Certificate certificate;
    FixtureServer secure(&certificate);
    FixtureServer plain;
    plain.add("/i.png", Page(200, "image/png", "png"));
    secure.add("/", htmlPage(html(QStringLiteral("首页"),
                                  QStringLiteral("<img alt=\"图\" src=\"%1/i.png\">"
                                                 "<a href=\"%1/page\">外站</a>")
                                      .arg(plain.base()))));
    AuditOptions o = quick();
    o.limits.caFile = certificate.certFile();
    Audit a(secure.base() + "/", o);
    const AuditProblem* mixed = a.find(QStringLiteral("mixed_content"), plain.base() + "/i.png");
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->from.front().from, secure.base() + "/");
    // A link to another site is no resource of the page; it is only checked.
    EXPECT_FALSE(a.find(QStringLiteral("mixed_content"), plain.base() + "/page"));
    EXPECT_TRUE(a.find(QStringLiteral("broken_link"), plain.base() + "/page"));
    EXPECT_EQ(plain.requests().count(QStringLiteral("/page")), 1);
}

TEST(SiteAudit, ASitemapListsOnlyItsOwnFolderOfItsOwnSite) {
    FixtureServer server;
    FixtureServer other;
    const QString b = server.base();
    server.add("/robots.txt",
               Page(200, "text/plain", ("Sitemap: " + b + "/dir/sm.txt\n").toUtf8()));
    server.add("/dir/sm.txt",
               Page(200, "text/plain",
                    (b + "/dir/in.html\n" + b + "/out.html\n" + other.base() + "/elsewhere.html\n")
                        .toUtf8()));
    server.add("/", htmlPage(html(QStringLiteral("首页"), {})));
    server.add("/dir/in.html", htmlPage(html(QStringLiteral("内"), {})));
    server.add("/out.html", htmlPage(html(QStringLiteral("外"), {})));
    Audit a(b + "/");
    EXPECT_FALSE(a.find(QStringLiteral("sitemap_error"), b + "/dir/in.html"));
    EXPECT_TRUE(a.find(QStringLiteral("sitemap_error"), b + "/out.html"));
    EXPECT_TRUE(a.find(QStringLiteral("sitemap_error"), other.base() + "/elsewhere.html"));
    EXPECT_TRUE(other.requests().isEmpty());
    // Listed but linked from nowhere: fetched all the same, and told.
    EXPECT_TRUE(a.find(QStringLiteral("in_sitemap_not_linked"), b + "/dir/in.html"));
    EXPECT_TRUE(server.requests().contains(QStringLiteral("/dir/in.html")));
}

// libcurl answers *.localhost with the loopback address itself, so one server is two hosts.
TEST(SiteAudit, SubdomainsArePagesOfTheSiteOnlyWhenAsked) {
    FixtureServer server;
    const QString site = QStringLiteral("http://localhost:%1").arg(server.port());
    const QString sub = QStringLiteral("http://www.localhost:%1").arg(server.port());
    server.add("/", htmlPage(html(QStringLiteral("首页"),
                                  QStringLiteral("<a href=\"%1/x\">x</a>").arg(sub))));
    server.add("/x", htmlPage(html(QStringLiteral("x"), QStringLiteral("<a href=\"/y\">y</a>"))));
    server.add("/y", htmlPage(html(QStringLiteral("y"), {})));
    for (const bool wide : {false, true}) {
        server.clearRequests();
        AuditOptions o = quick();
        o.includeSubdomains = wide;
        Audit a(site + "/", o);
        EXPECT_EQ(server.requests().contains(QStringLiteral("/y")), wide) << wide;
        EXPECT_EQ(a.report.pages.size(), wide ? 3u : 1u) << wide;
        // The program's own User-Agent by default.
        EXPECT_TRUE(server.requestHeader("User-Agent").value(0).contains(QLatin1String("Tessivo")));
    }
}

} // namespace
