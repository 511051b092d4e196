#include "base/charset.h"
#include "base/tool_error.h"
#include "failure_of.h"
#include "fixture_server.h"
#include "net/http_fetch.h"
#include "net/resolver.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netdb.h>

namespace {

QByteArray gbk(const char* utf8) {
    return charset::encodeGbk(QString::fromUtf8(utf8));
}

} // namespace

TEST(HttpFetch, ModeZeroReadsGbkBytesAsGbkWhateverTheHeadersSay) {
    FixtureServer server;
    server.add("/gbk-says-utf8", {200, "text/html; charset=utf-8", gbk("找到相关网页约1,234篇")});
    server.add("/gbk-no-type", {200, "", gbk("中国網站")});
    CurlFetcher fetcher;
    EXPECT_EQ(HttpFetch(fetcher, server.base() + "/gbk-says-utf8", Decode::Gbk),
              QStringLiteral("找到相关网页约1,234篇"));
    EXPECT_EQ(HttpFetch(fetcher, server.base() + "/gbk-no-type", Decode::Gbk),
              QStringLiteral("中国網站"));
}

TEST(HttpFetch, ModeZeroReadsUtf8WhenTheHeaderOrABomSaysSo) {
    const QByteArray utf8 = QStringLiteral("找到相关网页约1,234篇").toUtf8();
    FixtureServer server;
    const struct {
        std::string path;
        QByteArray contentType;
        QByteArray body;
        QString text;
    } cases[] = {
        {"/header", "text/html; charset=utf-8", utf8, QStringLiteral("找到相关网页约1,234篇")},
        {"/capitals", "text/html; charset=UTF-8", utf8, QStringLiteral("找到相关网页约1,234篇")},
        {"/quoted", "text/html; charset=\"utf-8\"", utf8, QStringLiteral("找到相关网页约1,234篇")},
        {"/bom", "text/html", "\xEF\xBB\xBF" + utf8, QStringLiteral("找到相关网页约1,234篇")},
        {"/gbk-header", "text/html; charset=gbk", utf8, charset::decodeGbk(utf8)},
        {"/no-header", "", utf8, charset::decodeGbk(utf8)},
    };
    for (const auto& c : cases)
        server.add(c.path, {200, c.contentType, c.body});
    CurlFetcher f;
    for (const auto& c : cases)
        EXPECT_EQ(HttpFetch(f, server.base() + QString::fromStdString(c.path), Decode::Gbk), c.text)
            << c.path;
}

TEST(HttpFetch, OtherModesFollowCharsetThenBomThenUtf8) {
    FixtureServer server;
    server.add("/declared-gbk", {200, "text/html; charset=GBK", gbk("约有 5 项符合")});
    server.add("/declared-gb2312", {200, "text/html;charset=\"gb2312\"", gbk("網站")});
    server.add("/utf8-bom", {200, "text/html", QByteArray("\xEF\xBB\xBF") + "条目"});
    server.add("/utf16-bom", {200, "text/html", QByteArray("\xFF\xFE\x61\x00\x2D\x4E", 6)});
    server.add("/plain", {200, "text/html", QByteArray("共 <strong>7</strong> 条")});
    server.add("/unknown-charset", {200, "text/html; charset=x-nonsense", QByteArray("条")});
    CurlFetcher f;
    EXPECT_EQ(HttpFetch(f, server.base() + "/declared-gbk", Decode::Declared),
              QStringLiteral("约有 5 项符合"));
    EXPECT_EQ(HttpFetch(f, server.base() + "/declared-gb2312", Decode::Declared),
              QStringLiteral("網站"));
    EXPECT_EQ(HttpFetch(f, server.base() + "/utf8-bom", Decode::Declared), QStringLiteral("条目"));
    EXPECT_EQ(HttpFetch(f, server.base() + "/utf16-bom", Decode::Declared), QStringLiteral("a中"));
    EXPECT_EQ(HttpFetch(f, server.base() + "/plain", Decode::Declared),
              QStringLiteral("共 <strong>7</strong> 条"));
    EXPECT_EQ(HttpFetch(f, server.base() + "/unknown-charset", Decode::Declared),
              QStringLiteral("条"));
}

TEST(HttpFetch, InvalidBytesBecomeReplacementCharacters) {
    FixtureServer server;
    server.add("/bad", {200, "text/html; charset=utf-8",
                        QByteArray("a\xFF\xFE"
                                   "b\xE4",
                                   5)});
    server.add("/cut-gbk", {200, "text/html", QByteArray("a\xD6", 2)});
    CurlFetcher f;
    const QString utf8 = HttpFetch(f, server.base() + "/bad", Decode::Declared);
    EXPECT_TRUE(utf8.startsWith(u'a'));
    EXPECT_TRUE(utf8.contains(u'b'));
    EXPECT_TRUE(utf8.contains(QChar(0xFFFD)));
    EXPECT_EQ(HttpFetch(f, server.base() + "/cut-gbk", Decode::Gbk), QStringLiteral("a\uFFFD"));
}

TEST(HttpFetch, ErrorStatusBodiesAreResultsAndRedirectsAreFollowed) {
    FixtureServer server;
    server.add("/missing", {404, "text/html", gbk("找到相关网页0篇")});
    server.add("/moved", {302, "text/html", "", 0, "/target"});
    server.add("/target", {200, "text/html", "arrived"});
    CurlFetcher f;
    EXPECT_EQ(HttpFetch(f, server.base() + "/missing", Decode::Gbk),
              QStringLiteral("找到相关网页0篇"));
    EXPECT_EQ(HttpFetch(f, server.base() + "/moved", Decode::Declared), QStringLiteral("arrived"));
}

TEST(HttpFetch, CompressionIsOfferedAndDecoded) {
    // The fixture server compresses text responses, with brotli or gzip, when the client offers
    // either.
    FixtureServer server;
    server.add("/big", {200, "text/html", QByteArray(200000, 'x')});
    CurlFetcher f;
    EXPECT_EQ(HttpFetch(f, server.base() + "/big", Decode::Declared), QString(200000, u'x'));
    const QStringList encodings = server.responseEncodings();
    ASSERT_EQ(encodings.size(), 1);
    EXPECT_TRUE(encodings[0] == u"br" || encodings[0] == u"gzip") << encodings[0].toStdString();
}

TEST(HttpFetch, SpacesAndChineseAreEscapedOnTheWire) {
    FixtureServer server;
    server.add("/s", {200, "text/html", "ok"});
    CurlFetcher f;
    HttpFetch(f, server.base() + QStringLiteral("/s?q1=seo 工具&x=%B9%A4\u0081W"), Decode::Gbk);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0], QStringLiteral("/s?q1=seo%20%E5%B7%A5%E5%85%B7&x=%B9%A4%81W"));
}

TEST(HttpFetch, EveryFailureNamesWhatHappenedAndTheAddress) {
    FetchLimits quick;
    quick.connectTimeout = std::chrono::milliseconds(300);
    quick.totalTimeout = std::chrono::milliseconds(700);
    quick.maxBodyBytes = 64 * 1024;
    CurlFetcher f(quick);
    FixtureServer server;
    server.add("/stall", {200, "text/html", "late", 3000});
    server.add("/huge", {200, "text/html", QByteArray(200 * 1024, 'x')});
    server.add("/loop", {302, "text/html", "", 0, "/loop"});
    server.add("/to-file", {302, "text/html", "", 0, "file:///etc/hostname"});

    // A port nobody listens on: bind one, then close it.
    QString refused;
    {
        RawServer gone(QByteArray(), false);
        refused = gone.base() + "/x";
    }
    RawServer reset(QByteArray(), true);
    RawServer cut("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly a little", false);
    RawServer nothing(QByteArray(), false);
    UnansweringServer silent;

    const struct {
        QString url;
        const char* expected;
    } cases[] = {
        {refused, "无法连接到服务器"},
        {reset.base() + "/r", "连接被重置"},
        {cut.base() + "/c", "响应不完整"},
        {nothing.base() + "/n", "没有返回任何数据"},
        {server.base() + "/stall", "请求超时（0.7 秒内未完成）"},
        {silent.base() + "/s", "连接超时（0.3 秒内未连上服务器）"},
        {server.base() + "/huge", "响应超过"},
        {server.base() + "/loop", "重定向次数过多"},
        {QStringLiteral("ftp://127.0.0.1/x"), "网址无效"},
        {server.base() + "/to-file", "网址无效"},
    };
    for (const auto& c : cases) {
        const QString message = failureOf(f, c.url);
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.expected))) << message.toStdString();
        EXPECT_TRUE(message.contains(c.url)) << message.toStdString();
    }
}

TEST(HttpFetch, UnknownHostIsDescribedAsSuch) {
    // Resolving a made-up name would ask a DNS server off this machine, so check the text only.
    const QString m = describeFetchFailure(CURLE_COULDNT_RESOLVE_HOST, false, {},
                                           "Could not resolve host: nowhere.invalid",
                                           QStringLiteral("http://nowhere.invalid/s"), false);
    EXPECT_TRUE(m.contains(QStringLiteral("找不到服务器")));
    EXPECT_TRUE(m.contains(QStringLiteral("http://nowhere.invalid/s")));
}

TEST(HttpFetch, WireUrlEscapesOnlyWhatAUrlCannotCarry) {
    EXPECT_EQ(wireUrl(QStringLiteral("http://h/s?a=b%3A+c")), QByteArray("http://h/s?a=b%3A+c"));
    EXPECT_EQ(wireUrl(QStringLiteral("a b\tc")), QByteArray("a%20b%09c"));
    EXPECT_EQ(wireUrl(QStringLiteral("中")), QByteArray("%E4%B8%AD"));
    EXPECT_EQ(wireUrl(QStringLiteral("\U0001F600")), QByteArray("%F0%9F%98%80"));
    EXPECT_EQ(wireUrl(QStringLiteral("%BE\u0080")), QByteArray("%BE%80"));
}

TEST(HttpFetch, RequestsGoThroughTheProxyGiven) {
    // The proxy answers for a host that does not exist, so the answer can only have come from it.
    RawServer proxy("HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\nproxied!", false);
    CurlFetcher f(FetchLimits{.proxy = proxy.base()});
    EXPECT_EQ(f.get(QStringLiteral("http://nowhere.invalid/s")).body, QByteArray("proxied!"));

    const QString refused = refusingBase();
    CurlFetcher viaNothing(FetchLimits{.proxy = refused});
    const QString m = failureOf(viaNothing, QStringLiteral("http://nowhere.invalid/s"));
    EXPECT_TRUE(m.startsWith(QStringLiteral("无法连接到代理服务器 ") + refused)) << m.toStdString();
}

TEST(HttpFetch, LibcurlsEnglishOnlyWhereItTellsMoreThanTheDescription) {
    const QString url = QStringLiteral("http://h/s");
    const struct {
        int code;
        const char* detail;
        const char* proxy;
        const char* expected;
    } cases[] = {
        {CURLE_COULDNT_RESOLVE_HOST, "Could not resolve host: h", "",
         "找不到服务器（主机名无法解析）：http://h/s"},
        {CURLE_OPERATION_TIMEDOUT, "Operation timed out after 30000 milliseconds", "",
         "请求超时（30 秒内未完成）：http://h/s"},
        {CURLE_COULDNT_RESOLVE_PROXY, "Could not resolve proxy: p", "http://p:3128",
         "找不到代理服务器 http://p:3128（代理主机名无法解析）：http://h/s"},
        // A proxy's password is never shown, whatever it holds.
        {CURLE_COULDNT_RESOLVE_PROXY, "Could not resolve proxy: p", "http://u:secret@p:3128",
         "找不到代理服务器 http://u:***@p:3128（代理主机名无法解析）：http://h/s"},
        {CURLE_COULDNT_RESOLVE_PROXY, "Could not resolve proxy: p", "socks5://u:s:e@c@r@p:1080",
         "找不到代理服务器 socks5://u:***@p:1080（代理主机名无法解析）：http://h/s"},
        {CURLE_COULDNT_RESOLVE_PROXY, "Could not resolve proxy: p", "u:secret@p:3128",
         "找不到代理服务器 u:***@p:3128（代理主机名无法解析）：http://h/s"},
        {CURLE_COULDNT_RESOLVE_PROXY, "Could not resolve proxy: p", "http://u@p:3128",
         "找不到代理服务器 http://u@p:3128（代理主机名无法解析）：http://h/s"},
        {CURLE_COULDNT_CONNECT, "Failed to connect to p port 3128: Connection refused",
         "http://u:secret@p:3128",
         "无法连接到代理服务器 http://u:***@p:3128 或经它连接到服务器：http://h/s（Failed to "
         "connect to p port 3128: Connection refused）"},
        {CURLE_COULDNT_CONNECT, "Failed to connect to h port 80: Connection refused", "",
         "无法连接到服务器（连接被拒绝或无法到达）：http://h/s（Failed to connect to h port 80: "
         "Connection refused）"},
        {CURLE_PARTIAL_FILE, "transfer closed with 987 bytes remaining to read", "",
         "响应不完整（连接在传输中途断开）：http://h/s（transfer closed with 987 bytes remaining "
         "to read）"},
        {CURLE_PEER_FAILED_VERIFICATION, "SSL certificate problem: certificate has expired", "",
         "SSL 证书无效（服务器的证书未通过验证）：http://h/s（SSL certificate problem: certificate "
         "has expired）"},
        {CURLE_SSL_CONNECT_ERROR, "", "",
         "SSL 握手失败（无法与服务器建立加密连接）：http://h/s（SSL connect error）"},
        {CURLE_WEIRD_SERVER_REPLY, "Unsupported HTTP version in response", "",
         "服务器的回答无法识别（不是 HTTP 回答）：http://h/s（Unsupported HTTP version in "
         "response）"},
        {CURLE_GOT_NOTHING, "Empty reply from server", "", "服务器没有返回任何数据：http://h/s"},
        {CURLE_OUT_OF_MEMORY, "", "", "内存不足：http://h/s"},
        // A failure the table does not know still says in Chinese that the request failed.
        {CURLE_FTP_WEIRD_PASV_REPLY, "FTP: unknown PASV reply", "",
         "请求失败：http://h/s（FTP: unknown PASV reply）"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeFetchFailure(c.code, false,
                                       FetchLimits{.proxy = QString::fromUtf8(c.proxy)}, c.detail,
                                       url, true),
                  QString::fromUtf8(c.expected))
            << c.code;
}

TEST(HttpFetch, ResolverFailuresAreChineseWithTheResolversWordsAfter) {
    const struct {
        int code;
        const char* expected;
    } cases[] = {
        {EAI_NONAME, "找不到该主机名，域名不存在或拼写有误（Name or service not known）"},
        {EAI_AGAIN, "域名服务器暂时无法应答，请检查网络连接后再试（Temporary failure in name "
                    "resolution）"},
        {EAI_FAIL, "域名服务器无法应答，请检查网络设置中的 DNS 服务器（Non-recoverable failure in "
                   "name resolution）"},
        {EAI_NODATA, "该主机名没有地址记录（No address associated with hostname）"},
        {EAI_SERVICE, "域名解析失败（Servname not supported for ai_socktype）"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeResolveFailure(c.code), QString::fromUtf8(c.expected)) << c.code;
}

TEST(HttpFetch, AnUnusedLoopbackPortIsRefusedInChinese) {
    const QString refused = refusingBase();
    CurlFetcher f;
    const QString m = failureOf(f, refused + QStringLiteral("/s"));
    EXPECT_TRUE(
        m.startsWith(QStringLiteral("无法连接到服务器（连接被拒绝或无法到达）：") + refused))
        << m.toStdString();
}

TEST(HttpFetch, AHopFollowsNoRedirectAndReadsTheCrawlersHeaders) {
    FixtureServer server;
    FixtureServer::Page moved(301, "text/html", "moved", 0, "/there#top");
    moved.headers = {{"Retry-After", "7"}, {"X-Robots-Tag", "noindex"}};
    server.add("/here", moved);
    server.add("/there", {200, "text/html", "arrived"});
    server.add("/big", {200, "text/plain", QByteArray(5000, 'x')});
    FetchLimits limits;
    limits.maxBodyBytes = 1000;
    CurlFetcher fetcher(limits);
    const HopResponse hop = fetcher.hop({server.base() + "/here", false, "Crawler/1.0"});
    EXPECT_EQ(hop.response.status, 301);
    EXPECT_EQ(hop.location, QByteArray("/there#top"));
    EXPECT_EQ(hop.retryAfter, QByteArray("7"));
    EXPECT_EQ(hop.robotsTag, QByteArray("noindex"));
    EXPECT_EQ(server.requests(), QStringList{QStringLiteral("/here")});
    EXPECT_EQ(server.requestHeader("User-Agent"), QStringList{QStringLiteral("Crawler/1.0")});
    // Past the cap the body keeps its head and says so, where get() would fail.
    const HopResponse big = fetcher.hop({server.base() + "/big", false, {}});
    EXPECT_EQ(big.response.status, 200);
    EXPECT_TRUE(big.truncated);
    EXPECT_EQ(big.response.body, QByteArray(1000, 'x'));
    const HopResponse head = fetcher.hop({server.base() + "/big", true, {}});
    EXPECT_EQ(head.response.status, 200);
    EXPECT_TRUE(head.response.body.isEmpty());
    EXPECT_FALSE(head.truncated);
    EXPECT_TRUE(server.requestHeader("User-Agent").last().contains(QLatin1String("Tessivo/")));
}

TEST(HttpFetch, APostSendsItsBodyAsTheGivenTypeAndFollowsNoRedirect) {
    FixtureServer server;
    server.add("/submit", {202, "application/json", "{\"ok\":1}"});
    server.add("/moved", {301, "text/html", "moved", 0, "/submit"});
    CurlFetcher fetcher;
    const QByteArray body = "第一行\nsecond";
    const HttpResponse r = fetcher.post(server.base() + "/submit?x=1", "text/plain", body);
    EXPECT_EQ(r.status, 202);
    EXPECT_EQ(r.body, QByteArray("{\"ok\":1}"));
    EXPECT_EQ(server.requestBodies(), QList<QByteArray>{body});
    EXPECT_EQ(server.requestHeader("Content-Type"), QStringList{QStringLiteral("text/plain")});
    EXPECT_EQ(fetcher.post(server.base() + "/moved", "text/plain", body).status, 301);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST(HttpFetch, APageRequestSendsItsHeadersAndFormAndHandsBackRedirectsAndCookies) {
    FixtureServer server;
    FixtureServer::Page moved(302, "text/html", "", 0, "https://wappass.example.invalid/captcha");
    moved.headers = {{"Set-Cookie", "BAIDUID=abc:FG=1; expires=Thu, 31-Dec-37 23:55:55 GMT"},
                     {"Set-Cookie", "H_PS=1"}};
    server.add("/s", moved);
    FixtureServer::Page home(302, "text/html", "", 0, "/there");
    home.headers = {{"Set-Cookie", "sid=7; path=/"}};
    server.add("/home", home);
    server.add("/there", {200, "text/html", "arrived"});
    server.add("/html/", {202, "text/html", "challenge"});
    CurlFetcher fetcher;

    const PageResponse held = fetcher.request(
        {server.base() + "/s?wd=x",
         {{"User-Agent", "Browser/1.0"}, {"Accept-Language", "zh-CN"}, {"Referer", "https://r/"}},
         {},
         false});
    EXPECT_EQ(held.response.status, 302);
    EXPECT_EQ(held.location, QByteArray("https://wappass.example.invalid/captcha"));
    EXPECT_EQ(held.cookies, (QList<QByteArray>{"BAIDUID=abc:FG=1", "H_PS=1"}));
    EXPECT_EQ(server.requestHeader("User-Agent").last(), QStringLiteral("Browser/1.0"));
    EXPECT_EQ(server.requestHeader("Accept-Language").last(), QStringLiteral("zh-CN"));
    EXPECT_EQ(server.requestHeader("Referer").last(), QStringLiteral("https://r/"));

    // Followed, a redirect's cookie goes on to the next request and the answer says where it
    // came from.
    const PageResponse followed = fetcher.request({server.base() + "/home"});
    EXPECT_EQ(followed.response.body, QByteArray("arrived"));
    EXPECT_EQ(followed.finalUrl, server.base() + "/there");
    EXPECT_EQ(server.requestHeader("Cookie").last(), QStringLiteral("sid=7"));
    EXPECT_TRUE(server.requestHeader("User-Agent").last().contains(QLatin1String("Tessivo/")));

    const PageResponse posted = fetcher.request({server.base() + "/html/", {}, "q=%E5%A4%A9&b="});
    EXPECT_EQ(posted.response.status, 202);
    EXPECT_EQ(server.requestBodies().last(), QByteArray("q=%E5%A4%A9&b="));
    EXPECT_EQ(server.requestHeader("Content-Type").last(),
              QStringLiteral("application/x-www-form-urlencoded"));
    // Nothing is kept between calls: the cookie of an earlier call is not sent.
    EXPECT_EQ(server.requestHeader("Cookie").last(), QString());
}
