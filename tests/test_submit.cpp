#include "audit/sitemap_check.h"
#include "base/tool_error.h"
#include "fixture_server.h"
#include "net/http_fetch.h"
#include "submit/address_list.h"
#include "submit/audit_pages.h"
#include "submit/baidu_push.h"
#include "submit/indexnow.h"
#include "submit/sitemap_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <atomic>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <memory>

namespace {

QStringList addressesOf(const AddressList& list) {
    return list.addresses;
}

// The root element's name and the number of <loc> in a well-formed file; an empty name when
// the XML is not well-formed.
std::pair<QString, int> readSitemap(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&f);
    QString root;
    int locs = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (root.isEmpty())
                root = xml.name().toString();
            if (xml.name() == QLatin1String("loc"))
                ++locs;
        }
    }
    if (xml.hasError())
        return {};
    return {root, locs};
}

// What libxml2's schema validation finds wrong in xml against tests/data/XSD, the sitemaps.org
// rules written out; empty when it passes.
QStringList schemaErrors(const char* xsd, const QByteArray& xml) {
    const QByteArray schemaPath = TESSIVO_SOURCE_DIR "/tests/data/" + QByteArray(xsd);
    const std::unique_ptr<xmlSchemaParserCtxt, decltype(&xmlSchemaFreeParserCtxt)> parser(
        xmlSchemaNewParserCtxt(schemaPath.constData()), &xmlSchemaFreeParserCtxt);
    const std::unique_ptr<xmlSchema, decltype(&xmlSchemaFree)> schema(xmlSchemaParse(parser.get()),
                                                                      &xmlSchemaFree);
    if (!schema)
        return {QStringLiteral("the schema %1 does not load").arg(QLatin1String(xsd))};
    const std::unique_ptr<xmlSchemaValidCtxt, decltype(&xmlSchemaFreeValidCtxt)> valid(
        xmlSchemaNewValidCtxt(schema.get()), &xmlSchemaFreeValidCtxt);
    QStringList errors;
    xmlSchemaSetValidStructuredErrors(
        valid.get(),
        [](void* into, auto* e) {
            static_cast<QStringList*>(into)->append(QString::fromUtf8(e->message).trimmed());
        },
        &errors);
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(xml.constData(), int(xml.size()), "sitemap.xml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_HUGE),
        &xmlFreeDoc);
    if (!doc)
        return {QStringLiteral("not well-formed")};
    if (xmlSchemaValidateDoc(valid.get(), doc.get()) != 0 && errors.isEmpty())
        errors << QStringLiteral("invalid");
    return errors;
}

// The same for a file the writer made: an index against the index's rules, any other against
// the sitemap's.
QStringList fileSchemaErrors(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read ") + path};
    return schemaErrors(
        path.endsWith(QLatin1String("-index.xml")) ? "siteindex.xsd" : "sitemap.xsd", f.readAll());
}

QStringList manyAddresses(int n, int pathLength) {
    QStringList list;
    const QString padding(pathLength, u'p');
    for (int i = 0; i < n; ++i)
        list << QStringLiteral("https://www.example.com/%1/%2").arg(padding).arg(i);
    return list;
}

} // namespace

TEST(AddressList, KeepsOneHostsHttpAddressesOnceAndSaysWhyTheRestWentOut) {
    const QByteArray longOne = "https://www.example.com/" + QByteArray(2048, 'a');
    const struct {
        const char* name;
        QByteArray text;
        QStringList kept;
        QStringList reasons; // of the left-out lines, in order
        int empty;
        int duplicates;
    } cases[] = {
        {"plain",
         "https://www.example.com/a\nhttp://www.example.com/b\n",
         {"https://www.example.com/a", "http://www.example.com/b"},
         {},
         0,
         0},
        {"bom and crlf",
         "\xEF\xBB\xBFhttps://www.example.com/a\r\nhttps://www.example.com/b\r\n",
         {"https://www.example.com/a", "https://www.example.com/b"},
         {},
         0,
         0},
        {"empty lines",
         "\n https://www.example.com/a \n\n\r\n",
         {"https://www.example.com/a"},
         {},
         3,
         0},
        {"duplicates",
         "https://www.example.com/a\nhttps://www.example.com/a\n",
         {"https://www.example.com/a"},
         {},
         0,
         1},
        {"other host",
         "https://www.example.com/a\nhttps://other.example.com/b\n",
         {"https://www.example.com/a"},
         {"不属于主机 www.example.com"},
         0,
         0},
        {"schemes",
         "ftp://www.example.com/a\njavascript:alert(1)\n/relative\n",
         {},
         {"不是 http 或 https 网址", "不是 http 或 https 网址", "不是 http 或 https 网址"},
         0,
         0},
        {"too long",
         longOne + "\nhttps://www.example.com/短\n",
         {"https://www.example.com/短"},
         {"网址超过 2048 个字符"},
         0,
         0},
        {"host in capitals",
         "https://WWW.Example.com/a\n",
         {"https://WWW.Example.com/a"},
         {},
         0,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AddressList list = readAddressList(c.text, QStringLiteral("www.example.com"));
        EXPECT_EQ(addressesOf(list), c.kept);
        QStringList reasons;
        for (const LeftOutLine& l : list.leftOut)
            reasons << l.reason;
        EXPECT_EQ(reasons, c.reasons);
        EXPECT_EQ(list.emptyLines, c.empty);
        EXPECT_EQ(list.duplicates, c.duplicates);
    }
}

TEST(AddressList, WithoutAHostTheFirstAddressNamesIt) {
    const AddressList list =
        readAddressList("https://a.example/1\nhttps://b.example/2\nhttps://a.example/3\n");
    EXPECT_EQ(list.host, QStringLiteral("a.example"));
    EXPECT_EQ(list.addresses.size(), 2);
    ASSERT_EQ(list.leftOut.size(), 1u);
    EXPECT_EQ(list.leftOut[0].line, 2);
    EXPECT_EQ(describeLeftOut(list).value(0),
              QStringLiteral("第 2 行：不属于主机 a.example：https://b.example/2"));
}

TEST(Sitemap, LocsArePercentEncodedAndEscaped) {
    const struct {
        const char* address;
        const char* loc;
    } cases[] = {
        {"https://www.example.com/a?b=1&c=2", "https://www.example.com/a?b=1&amp;c=2"},
        {"https://www.example.com/it's", "https://www.example.com/it&apos;s"},
        {"https://www.example.com/新闻 1", "https://www.example.com/%E6%96%B0%E9%97%BB%201"},
        {"https://www.example.com/a\"<b>{|}", "https://www.example.com/a%22%3Cb%3E%7B%7C%7D"},
        {"https://www.example.com/%E6%96%B0", "https://www.example.com/%E6%96%B0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sitemapLoc(QString::fromUtf8(c.address)), QLatin1String(c.loc)) << c.address;
}

TEST(Sitemap, OneFileWhenEverythingFits) {
    QTemporaryDir dir;
    SitemapOptions options;
    options.base = QStringLiteral("https://www.example.com/");
    options.outDir = dir.path();
    options.lastmod = QStringLiteral("2026-08-01");
    const SitemapResult r = writeSitemaps(manyAddresses(3, 1), options);
    EXPECT_EQ(r.files, QStringList{dir.filePath(QStringLiteral("sitemap.xml"))});
    EXPECT_EQ(readSitemap(r.files[0]), std::make_pair(QStringLiteral("urlset"), 3));
    QFile f(r.files[0]);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("<lastmod>2026-08-01</lastmod>"));
}

TEST(Sitemap, ManyAddressesGoToFilesOfFiftyThousandAndAnIndex) {
    QTemporaryDir dir;
    SitemapOptions options;
    options.base = QStringLiteral("https://www.example.com");
    options.outDir = dir.path();
    const SitemapResult r = writeSitemaps(manyAddresses(120'000, 200), options);
    ASSERT_EQ(r.files.size(), 4);
    EXPECT_EQ(r.written, 120'000);
    const int expected[] = {50'000, 50'000, 20'000};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.files[i], dir.filePath(QStringLiteral("sitemap-%1.xml").arg(i + 1)));
        EXPECT_EQ(readSitemap(r.files[i]), std::make_pair(QStringLiteral("urlset"), expected[i]));
    }
    EXPECT_EQ(r.files[3], dir.filePath(QStringLiteral("sitemap-index.xml")));
    EXPECT_EQ(readSitemap(r.files[3]), std::make_pair(QStringLiteral("sitemapindex"), 3));
    for (const QString& file : r.files)
        EXPECT_EQ(fileSchemaErrors(file), QStringList()) << file.toStdString();
    QFile index(r.files[3]);
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    EXPECT_TRUE(index.readAll().contains("<loc>https://www.example.com/sitemap-2.xml</loc>"));

    // 50,000 of these addresses are over 10 MB, so Baidu's limit makes smaller files.
    QTemporaryDir baiduDir;
    options.outDir = baiduDir.path();
    options.limit = SitemapLimit::Baidu;
    const SitemapResult baidu = writeSitemaps(manyAddresses(120'000, 200), options);
    ASSERT_GE(baidu.files.size(), 4);
    EXPECT_GT(QFileInfo(r.files[0]).size(), 10'485'760);
    EXPECT_LT(readSitemap(baidu.files[0]).second, 50'000);
    int locs = 0;
    for (const QString& file : baidu.files.mid(0, baidu.files.size() - 1)) {
        EXPECT_LT(QFileInfo(file).size(), 10'485'760) << file.toStdString();
        EXPECT_EQ(fileSchemaErrors(file), QStringList()) << file.toStdString();
        locs += readSitemap(file).second;
    }
    EXPECT_EQ(locs, 120'000);
    EXPECT_EQ(fileSchemaErrors(baidu.files.last()), QStringList());
}

// The schema check must refuse what the engines refuse, or passing it proves nothing.
TEST(Sitemap, TheSchemaCheckRefusesWhatTheProtocolDoes) {
    const QByteArray open = R"(<urlset xmlns="http://www.sitemaps.org/schemas/sitemap/0.9">)";
    const auto url = [&](const QByteArray& inside) {
        return open + "<url>" + inside + "</url></urlset>";
    };
    const struct {
        const char* xsd;
        QByteArray xml;
        bool valid;
    } cases[] = {
        {"sitemap.xsd",
         url("<loc>https://www.example.com/a?b=1&amp;c=%E4%B8%AD</loc><lastmod>2026-08-01</lastmod>"
             "<changefreq>daily</changefreq><priority>0.8</priority>"),
         true},
        {"sitemap.xsd",
         url("<loc>https://www.example.com/a</loc><lastmod>2026-08-01T10:20+08:00</lastmod>"),
         true},
        {"sitemap.xsd",
         url("<loc>https://www.example.com/a</loc><lastmod>2026-08-01T10:20:30Z</lastmod>"), true},
        {"sitemap.xsd", url("<loc>https://www.example.com/a</loc><lastmod>01/08/2026</lastmod>"),
         false},
        {"sitemap.xsd", url("<loc>https://www.example.com/a</loc><lastmod>2026-13-01</lastmod>"),
         false},
        {"sitemap.xsd",
         url("<loc>https://www.example.com/a</loc><changefreq>sometimes</changefreq>"), false},
        {"sitemap.xsd", url("<loc>https://www.example.com/a</loc><priority>1.5</priority>"), false},
        {"sitemap.xsd", url("<lastmod>2026-08-01</lastmod>"), false},
        {"sitemap.xsd", url("<loc>/a</loc>"), false},
        {"sitemap.xsd", url("<loc>https://www.example.com/中文 a</loc>"), false},
        {"sitemap.xsd", url("<loc>https://www.example.com/" + QByteArray(2048, 'a') + "</loc>"),
         false},
        {"sitemap.xsd", open + "</urlset>", false},
        {"sitemap.xsd", "<urlset><url><loc>https://www.example.com/a</loc></url></urlset>", false},
        {"siteindex.xsd",
         R"(<sitemapindex xmlns="http://www.sitemaps.org/schemas/sitemap/0.9"><sitemap>)"
         "<loc>https://www.example.com/sitemap-1.xml</loc><lastmod>2026-08-01</lastmod>"
         "</sitemap></sitemapindex>",
         true},
        {"siteindex.xsd", url("<loc>https://www.example.com/a</loc>"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(schemaErrors(c.xsd, c.xml).isEmpty(), c.valid) << c.xml.toStdString();
}

TEST(Sitemap, BaiduLeavesOutLocsOver256Bytes) {
    QTemporaryDir dir;
    SitemapOptions options;
    options.outDir = dir.path();
    options.limit = SitemapLimit::Baidu;
    // 24 bytes of "https://www.example.com/" and a path: 232 and 233 bytes of path.
    const QString fits = QStringLiteral("https://www.example.com/") + QString(232, u'a');
    const QString over = QStringLiteral("https://www.example.com/") + QString(233, u'a');
    const SitemapResult r = writeSitemaps({fits, over}, options);
    EXPECT_EQ(r.written, 1);
    EXPECT_EQ(r.tooLong, QStringList{over});
}

TEST(Sitemap, AnAuditGivesItsIndexablePagesOnly) {
    const QByteArray audit = R"({"start":"https://s.example/","pages":[
        {"url":"https://s.example/","status":200,"canonical":null},
        {"url":"https://s.example/self","status":200,"canonical":"https://s.example/self"},
        {"url":"https://s.example/moved","status":301,"canonical":null},
        {"url":"https://s.example/copy","status":200,"canonical":"https://s.example/"},
        {"url":"https://s.example/hidden","status":200,"canonical":null},
        {"url":"https://s.example/private","status":200,"canonical":null}],
      "problems":[{"kind":"noindex","url":"https://s.example/hidden"},
                  {"kind":"blocked_by_robots","url":"https://s.example/private"}]})";
    EXPECT_EQ(sitemapPagesOfAudit(audit), (QStringList{QStringLiteral("https://s.example/"),
                                                       QStringLiteral("https://s.example/self")}));
    EXPECT_THROW(sitemapPagesOfAudit("[1,2]"), ToolError);
}

TEST(Sitemap, DeadLinksAreTheAuditsGonePagesInFilesWithoutAnIndex) {
    const QByteArray audit = R"({"pages":[
        {"url":"https://s.example/","status":200},
        {"url":"https://s.example/gone","status":404},
        {"url":"https://s.example/removed","status":410},
        {"url":"https://s.example/busy","status":503},
        {"url":"https://s.example/silent","status":0}]})";
    EXPECT_EQ(deadLinksOfAudit(audit), (QStringList{QStringLiteral("https://s.example/gone"),
                                                    QStringLiteral("https://s.example/removed")}));
    QTemporaryDir dir;
    SitemapOptions options;
    options.outDir = dir.path();
    options.name = QStringLiteral("silian");
    options.index = false;
    const SitemapResult r = writeSitemaps(manyAddresses(50'001, 1), options);
    EXPECT_EQ(r.files, (QStringList{dir.filePath(QStringLiteral("silian-1.xml")),
                                    dir.filePath(QStringLiteral("silian-2.xml"))}));
}

namespace {

// Baidu's push interface as its documentation describes it: each answer taken from the list in
// turn, the last one repeated.
struct BaiduFake {
    explicit BaiduFake(std::vector<FixtureServer::Page> answers) : answers(std::move(answers)) {
        server.add("/urls", [this](const std::string&) {
            const size_t n = calls++;
            return this->answers[std::min(n, this->answers.size() - 1)];
        });
    }
    BaiduPushOptions options() const {
        BaiduPushOptions o;
        o.pushBase = server.base();
        o.site = QStringLiteral("https://www.example.com");
        o.token = QStringLiteral("s3cretT0ken");
        o.retryAfter = std::chrono::milliseconds(0);
        return o;
    }
    std::vector<FixtureServer::Page> answers;
    std::atomic<size_t> calls{0};
    FixtureServer server;
};

FixtureServer::Page baiduAnswer(int status, const char* json) {
    return {status, "application/json", json};
}

} // namespace

TEST(BaiduPush, SendsBatchesOf2000AndStopsAtOverQuotaNamingWhatWasLeft) {
    BaiduFake fake({baiduAnswer(200, R"({"remain":5000,"success":2000})"),
                    baiduAnswer(200, R"({"remain":3000,"success":1998,"not_valid":["x"],
                                        "not_same_site":["https://b.example/"]})"),
                    baiduAnswer(400, R"({"error":400,"message":"over quota"})")});
    const QStringList addresses = manyAddresses(4500, 1);
    CurlFetcher fetcher;
    int told = 0;
    const BaiduPushReport r =
        pushToBaidu(fetcher, fake.options(), addresses, [&](const BaiduPushReport&) { ++told; });
    const QList<QByteArray> bodies = fake.server.requestBodies();
    ASSERT_EQ(bodies.size(), 3);
    EXPECT_EQ(bodies[0], addresses.mid(0, 2000).join(u'\n').toUtf8());
    EXPECT_EQ(bodies[1], addresses.mid(2000, 2000).join(u'\n').toUtf8());
    EXPECT_EQ(bodies[2], addresses.mid(4000).join(u'\n').toUtf8());
    EXPECT_EQ(fake.server.requests().value(0),
              QStringLiteral("/urls?site=https%3A%2F%2Fwww.example.com&token=s3cretT0ken"));
    EXPECT_EQ(fake.server.requestHeader("Content-Type").value(0), QStringLiteral("text/plain"));
    EXPECT_EQ(told, 2);
    EXPECT_EQ(r.sent, 4000);
    EXPECT_EQ(r.accepted, 3998);
    EXPECT_EQ(r.notValid, QStringList{QStringLiteral("x")});
    EXPECT_EQ(r.notSameSite, QStringList{QStringLiteral("https://b.example/")});
    EXPECT_TRUE(r.overQuota);
    EXPECT_EQ(r.remain, 0);
    EXPECT_EQ(r.unsent, addresses.mid(4000));
    EXPECT_TRUE(r.error.isEmpty());
}

TEST(BaiduPush, RemainZeroStopsBeforeTheNextBatch) {
    BaiduFake fake({baiduAnswer(200, R"({"remain":0,"success":2000})")});
    CurlFetcher fetcher;
    const QStringList addresses = manyAddresses(2500, 1);
    const BaiduPushReport r = pushToBaidu(fetcher, fake.options(), addresses);
    EXPECT_EQ(fake.server.requests().size(), 1);
    EXPECT_TRUE(r.overQuota);
    EXPECT_EQ(r.unsent, addresses.mid(2000));
}

TEST(BaiduPush, EachRefusalIsExplainedAndNeverShowsTheToken) {
    const struct {
        const char* name;
        std::vector<FixtureServer::Page> answers;
        const char* says;
        size_t requests;
    } cases[] = {
        {"site", {baiduAnswer(400, R"({"error":400,"message":"site error"})")}, "站点未在百度", 1},
        {"token",
         {baiduAnswer(401, R"({"error":401,"message":"token is not valid"})")},
         "准入密钥（token）无效",
         1},
        {"empty", {baiduAnswer(400, R"({"error":400,"message":"empty content"})")}, "内容为空", 1},
        {"batch",
         {baiduAnswer(400, R"({"error":400,"message":"only 2000 urls are allowed once"})")},
         "一次最多推送 2000 个网址",
         1},
        {"500 twice",
         {baiduAnswer(500, R"({"error":500,"message":"internal error, please try later"})")},
         "重试一次后仍然失败",
         2},
        {"html", {{200, "text/html", "<html>s3cretT0ken</html>"}}, "不是 JSON", 1},
        {"unknown",
         {baiduAnswer(400, R"({"error":400,"message":"s3cretT0ken odd"})")},
         "*** odd",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BaiduFake fake(c.answers);
        CurlFetcher fetcher;
        const QStringList addresses = manyAddresses(3, 1);
        const BaiduPushReport r = pushToBaidu(fetcher, fake.options(), addresses);
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.says))) << r.error.toStdString();
        EXPECT_FALSE(r.error.contains(QLatin1String("s3cretT0ken")));
        EXPECT_EQ(r.unsent, addresses);
        EXPECT_EQ(size_t(fake.server.requests().size()), c.requests);
    }
}

TEST(BaiduPush, A500IsRetriedOnce) {
    BaiduFake fake(
        {baiduAnswer(500, R"({"error":500,"message":"internal error, please try later"})"),
         baiduAnswer(200, R"({"remain":10,"success":3})")});
    CurlFetcher fetcher;
    const BaiduPushReport r = pushToBaidu(fetcher, fake.options(), manyAddresses(3, 1));
    EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.accepted, 3);
    EXPECT_EQ(r.remain, 10);
    EXPECT_EQ(fake.server.requestBodies().size(), 2);
}

TEST(BaiduPush, AnUnreachableServerIsDescribedWithoutTheToken) {
    BaiduPushOptions o;
    o.pushBase = QStringLiteral("http://127.0.0.1:1");
    o.site = QStringLiteral("https://www.example.com");
    o.token = QStringLiteral("s3cretT0ken");
    CurlFetcher fetcher;
    const BaiduPushReport r = pushToBaidu(fetcher, o, manyAddresses(1, 1));
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_FALSE(r.error.contains(QLatin1String("s3cretT0ken"))) << r.error.toStdString();
}

TEST(BaiduPush, ATokenFileOthersCanReadIsRefused) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("token"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("s3cretT0ken\n");
    f.close();
    const struct {
        QFile::Permissions permissions;
        bool refused;
    } cases[] = {
        {QFile::ReadOwner | QFile::WriteOwner, false},
        {QFile::ReadOwner | QFile::ReadGroup, true},
        {QFile::ReadOwner | QFile::ReadOther, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(QFile::setPermissions(file, c.permissions));
        QString error;
        QString token;
        try {
            token = readTokenFile(file);
        } catch (const ToolError& e) {
            error = e.description();
        }
        EXPECT_EQ(!error.isEmpty(), c.refused) << error.toStdString();
        if (c.refused) {
            EXPECT_TRUE(error.contains(QLatin1String("chmod 600")));
            EXPECT_FALSE(error.contains(QLatin1String("s3cretT0ken")));
        } else {
            EXPECT_EQ(token, QStringLiteral("s3cretT0ken"));
        }
    }
}

TEST(IndexNow, KeysAreEightTo128LettersDigitsOrHyphens) {
    const struct {
        QString key;
        bool valid;
    } cases[] = {
        {QStringLiteral("abcd-123"), true},
        {QStringLiteral("abc-123"), false},
        {QString(128, u'K'), true},
        {QString(129, u'K'), false},
        {QStringLiteral("abcd_1234"), false},
        {QStringLiteral("abcd 1234"), false},
        {QStringLiteral("密钥密钥密钥密钥"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(validIndexNowKey(c.key), c.valid) << c.key.toStdString();
}

TEST(IndexNow, ANewKeyComesWithAFileHoldingOnlyIt) {
    QTemporaryDir dir;
    const QString key = makeIndexNowKeyFile(dir.path());
    EXPECT_TRUE(validIndexNowKey(key));
    QFile f(dir.filePath(key + QStringLiteral(".txt")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), key.toLatin1());
    EXPECT_NE(makeIndexNowKeyFile(dir.path()), key);
}

namespace {

const QString kKey = QStringLiteral("0123abcd0123abcd");

IndexNowOptions indexNowAt(const FixtureServer& server) {
    IndexNowOptions o;
    o.apiBase = server.base();
    o.key = kKey;
    o.backOff = std::chrono::milliseconds(0);
    return o;
}

QStringList siteAddresses(const FixtureServer& server, int n) {
    QStringList list;
    for (int i = 0; i < n; ++i)
        list << server.base() + QStringLiteral("/page/%1").arg(i);
    return list;
}

} // namespace

TEST(IndexNow, ChecksTheKeyFileThenPostsBatchesOf10000) {
    FixtureServer server;
    server.add("/" + kKey.toStdString() + ".txt", {200, "text/plain", kKey.toLatin1() + "\n"});
    server.add("/indexnow", {202, "text/plain", ""});
    const QStringList addresses = siteAddresses(server, 25'000);
    CurlFetcher fetcher;
    const IndexNowReport r = pushToIndexNow(fetcher, indexNowAt(server), addresses);
    EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.sent, 25'000);
    EXPECT_TRUE(r.pending);
    const QStringList requests = server.requests();
    ASSERT_EQ(requests.size(), 4);
    EXPECT_EQ(requests[0], QStringLiteral("/") + kKey + QStringLiteral(".txt"));
    const QList<QByteArray> bodies = server.requestBodies();
    const qsizetype sizes[] = {10'000, 10'000, 5'000};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(requests[i + 1], QStringLiteral("/indexnow"));
        const QJsonObject json = QJsonDocument::fromJson(bodies[i + 1]).object();
        EXPECT_EQ(json.value(u"host").toString(), QStringLiteral("127.0.0.1"));
        EXPECT_EQ(json.value(u"key").toString(), kKey);
        EXPECT_FALSE(json.contains(u"keyLocation"));
        const QJsonArray list = json.value(u"urlList").toArray();
        ASSERT_EQ(list.size(), sizes[i]);
        EXPECT_EQ(list.first().toString(), addresses[i * 10'000]);
    }
    EXPECT_EQ(server.requestHeader("Content-Type").value(1),
              QStringLiteral("application/json; charset=utf-8"));
}

TEST(IndexNow, AKeyFileWithoutTheKeyStopsBeforeAnyPost) {
    const struct {
        const char* name;
        FixtureServer::Page file;
        const char* says;
    } cases[] = {
        {"other key", {200, "text/plain", "ffffffffffffffff"}, "中不是这个密钥"},
        {"html", {200, "text/html", "<html>0123abcd0123abcd</html>"}, "中不是这个密钥"},
        {"missing", {404, "text/html", "gone"}, "HTTP 404"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureServer server;
        server.add("/keys/k.txt", c.file);
        server.add("/indexnow", {200, "text/plain", ""});
        IndexNowOptions o = indexNowAt(server);
        o.keyLocation = server.base() + QStringLiteral("/keys/k.txt");
        CurlFetcher fetcher;
        QString error;
        try {
            pushToIndexNow(fetcher, o, siteAddresses(server, 3));
        } catch (const ToolError& e) {
            error = e.description();
        }
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
        EXPECT_EQ(server.requests(), QStringList{QStringLiteral("/keys/k.txt")});
    }
}

TEST(IndexNow, EachRefusalStopsWithItsMeaning) {
    const struct {
        int status;
        const char* says;
        int posts;
    } cases[] = {
        {400, "请求格式不对", 1},
        {403, "密钥无效", 1},
        {422, "网址不属于该主机", 1},
        {429, "退避后仍被拒绝", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        FixtureServer server;
        server.add("/" + kKey.toStdString() + ".txt", {200, "text/plain", kKey.toLatin1()});
        server.add("/indexnow", {c.status, "text/plain", ""});
        CurlFetcher fetcher;
        const QStringList addresses = siteAddresses(server, 3);
        const IndexNowReport r = pushToIndexNow(fetcher, indexNowAt(server), addresses);
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.says))) << r.error.toStdString();
        EXPECT_EQ(r.unsent, addresses);
        EXPECT_EQ(server.requests().size(), 1 + c.posts);
    }
}

TEST(SitemapCheck, FindsWhatTheAuditsSitemapRulesRefuse) {
    const QByteArray open = "<?xml version=\"1.0\"?><urlset "
                            "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">";
    auto urlset = [&](const QByteArray& locs) { return open + locs + "</urlset>"; };
    const QString at = QStringLiteral("https://s.example/blog/sitemap.xml");
    const struct {
        const char* name;
        QByteArray body;
        QString location;
        int entries;
        QStringList says; // a piece of each problem, in order
    } cases[] = {
        {"fine", urlset("<url><loc>https://s.example/blog/a</loc></url>"), at, 1, {}},
        {"not xml", "<urlset><url>", at, 0, {QStringLiteral("")}},
        {"other host",
         urlset("<url><loc>https://t.example/blog/a</loc></url>"),
         at,
         1,
         {QStringLiteral("别的网站")}},
        {"above its folder",
         urlset("<url><loc>https://s.example/a</loc></url>"),
         at,
         1,
         {QStringLiteral("之下的网址")}},
        {"a local file keeps to its first host",
         urlset(
             "<url><loc>https://s.example/a</loc></url><url><loc>https://t.example/b</loc></url>"),
         QStringLiteral("/tmp/sitemap.xml"),
         2,
         {QStringLiteral("别的网站")}},
        {"ftp",
         urlset("<url><loc>ftp://s.example/blog/a</loc></url>"),
         at,
         1,
         {QStringLiteral("不是 http 或 https")}},
        {"too long",
         urlset("<url><loc>https://s.example/blog/" + QByteArray(2100, 'a') + "</loc></url>"),
         at,
         1,
         {QStringLiteral("超过 2047 个字符")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SitemapCheck check = checkSitemapFile(c.body, c.location);
        EXPECT_EQ(check.entries, c.entries);
        ASSERT_EQ(check.problems.size(), c.says.size()) << check.problems.join(u'\n').toStdString();
        for (qsizetype i = 0; i < c.says.size(); ++i)
            EXPECT_TRUE(check.problems[i].contains(c.says[i])) << check.problems[i].toStdString();
    }
}

TEST(SitemapCheck, WhatTheWriterWritesPassesIndexIncluded) {
    QTemporaryDir dir;
    SitemapOptions options;
    options.base = QStringLiteral("https://www.example.com/");
    options.outDir = dir.path();
    options.gzip = true;
    const SitemapResult r = writeSitemaps(manyAddresses(60'000, 1), options);
    ASSERT_EQ(r.files.size(), 3);
    for (const QString& file : r.files) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const SitemapCheck check = checkSitemapFile(
            f.readAll(), QStringLiteral("https://www.example.com/") + QFileInfo(file).fileName());
        EXPECT_TRUE(check.problems.isEmpty()) << check.problems.join(u'\n').toStdString();
        EXPECT_EQ(check.index, file.endsWith(QLatin1String("sitemap-index.xml.gz")));
    }
}
