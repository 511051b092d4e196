#include "base/charset.h"
#include "base/tool_error.h"
#include "endpoints_at.h"
#include "fixture_server.h"
#include "metrics/indexed_survey.h"
#include "metrics/scratch_file.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The logos come from a fixed maker address, so the expected document can spell it out.
EndpointTable surveyEndpoints(const QString& base) {
    EndpointTable t = endpointsAt(base);
    t.set(Endpoint::MakerHost, QStringLiteral("file:///opt/tessivo"));
    return t;
}

// One result page per engine, in each engine's own markers and encoding.
void serveEngines(FixtureServer& s) {
    auto gbk = [](const char* t) { return charset::encodeGbk(QString::fromUtf8(t)); };
    s.add("/s", {200, "text/html; charset=utf-8", gbk("百度为您找到相关网页约1,230篇")});
    s.add("/search", [](const std::string& target) -> FixtureServer::Page {
        if (target.find("sourceid=navclient") != std::string::npos)
            return {200, "text/html; charset=utf-8", QByteArray("约有<b>4,560</b>项符合")};
        if (target.find("bwm=p") != std::string::npos)
            return {200, "text/html; charset=utf-8",
                    QString::fromUtf8("被收录的网页： 共<strong>789</strong>条").toUtf8()};
        return {200, "text/html; charset=utf-8",
                QString::fromUtf8("搜索到结果约<B>12</B>条").toUtf8()};
    });
    s.add("/web", {200, "text/html", gbk("找到 321 个")});
    s.add("/q", {200, "text/html", gbk("搜索到约 55 项结果")});
    s.add("/p", {200, "text/html", gbk("<html>no count here</html>")});
    s.add("/results.aspx",
          {200, "text/html; charset=utf-8", QString::fromUtf8("（共 9,876 条搜索结果）").toUtf8()});
}

} // namespace

TEST(IndexedSurvey, BuildsTheWholeDocumentInEngineOrder) {
    FixtureServer server;
    serveEngines(server);
    CurlFetcher f;
    const EndpointTable endpoints = surveyEndpoints(server.base());
    QStringList steps; // each told before its request goes out
    const QString doc = runSurvey(kIndexedSurvey, QStringLiteral("example.cn"), f, endpoints,
                                  [&](const QString& engine, int step, int of) {
                                      steps << QStringLiteral("%1 %2/%3 after %4")
                                                   .arg(engine)
                                                   .arg(step)
                                                   .arg(of)
                                                   .arg(server.requests().size());
                                  });
    const QString b = server.base();
    auto cell = [](const QString& url, const char* v) {
        return "<td align='center'><a href='" + url + "' target='_blank'>" + QString::fromUtf8(v) +
               "</a></td>";
    };
    QString expected =
        QStringLiteral("<style>td{font-size:12px;}</style><body leftmargin='0' topmargin='0'>"
                       "<table width='100%' cellpadding='0' cellspacing='1' bgcolor='#EEEEEE'>"
                       "<tr height='25'><td align='center'>搜索引擎</td>");
    for (const char* logo :
         {"baidu", "google", "yahoo", "sogou", "soso", "yodao", "zhongsou", "live"})
        expected += QStringLiteral("<td align='center'><img src='file:///opt/tessivo/images/") +
                    QLatin1String(logo) + QStringLiteral(".gif'></td>");
    expected +=
        QStringLiteral("</tr><tr bgcolor='#FFFFFF' height='25'><td align='center'>收录数量</td>");
    expected += cell(b + "/s?wd=site%3Aexample.cn", "1,230");
    expected += cell(b + "/search?sourceid=navclient&hl=zh-CN&ie=UTF-8&rlz=1T4GZHZ_zh-CNCN237CN240&"
                         "q=site%3aexample.cn",
                     "4,560");
    expected += cell(b + "/search?p=example.cn&bwm=p", "789");
    expected += cell(b + "/web?query=site%3Aexample.cn", "321");
    expected += cell(b + "/q?w=site%3Aexample.cn&sc=web&ch=w.ptl&lr=chs", "55");
    expected += cell(b + "/search?q=site%3Aexample.cn", "12");
    expected += cell(b + "/p?w=site%3Aexample.cn&pt=1&k=&jc=&aid=&rt=o", "0");
    expected += cell(b + "/results.aspx?q=site%3Aexample.cn&go=&form=QBNO", "9,876");
    expected += QStringLiteral("</tr></table>");
    EXPECT_EQ(doc, expected);
    EXPECT_EQ(steps, (QStringList{"Baidu 1/8 after 0", "Google 2/8 after 1", "Yahoo 3/8 after 2",
                                  "Sogou 4/8 after 3", "Soso 5/8 after 4", "Youdao 6/8 after 5",
                                  "Zhongsou 7/8 after 6", "Live 8/8 after 7"}));
    EXPECT_EQ(server.requests().size(), 8);
}

TEST(IndexedSurvey, FiguresCarryTheirNumberOrWhyTheyHaveNone) {
    FixtureServer server;
    serveEngines(server);
    CurlFetcher f;
    QStringList figures;
    runSurvey(kIndexedSurvey, QStringLiteral("example.cn"), f, surveyEndpoints(server.base()), {},
              [&](const Figure& figure) {
                  figures << figure.label + u' ' + figure.text + u' ' +
                                 (figure.number ? QString::number(*figure.number)
                                                : whyKey(figure.why));
              });
    // The page without its markers shows "0" as it always did, and is no count of zero.
    EXPECT_EQ(figures, (QStringList{"Baidu 1,230 1230", "Google 4,560 4560", "Yahoo 789 789",
                                    "Sogou 321 321", "Soso 55 55", "Youdao 12 12",
                                    "Zhongsou 0 unrecognised", "Live 9,876 9876"}));
}

// An engine that refuses connections costs its own cell only: the survey asks the others, and
// the failed cell still links to its request.
TEST(IndexedSurvey, AnEngineRefusingConnectionsGetsAFailedCellAndTheOthersAreAsked) {
    FixtureServer server;
    serveEngines(server);
    // Yahoo's sitemap host points at a port nobody listens on.
    EndpointTable endpoints = surveyEndpoints(server.base());
    const QString gone = refusingBase();
    endpoints.set(Endpoint::YahooSitemapHost, gone);
    CurlFetcher f;
    QList<Figure> figures;
    const QString doc = runSurvey(kIndexedSurvey, QStringLiteral("x.cn"), f, endpoints, {},
                                  [&](const Figure& figure) { figures << figure; });
    EXPECT_EQ(server.requests().size(), 7);
    const QString yahoo = gone + QStringLiteral("/search?p=x.cn&bwm=p");
    EXPECT_TRUE(doc.contains(QStringLiteral("<td align='center'><a href='") + yahoo +
                             QStringLiteral("' target='_blank'>失败</a></td>")))
        << doc.toStdString();
    EXPECT_TRUE(doc.contains(QStringLiteral("target='_blank'>9,876</a></td></tr></table>")));
    ASSERT_EQ(figures.size(), 8);
    EXPECT_EQ(figures[0].number, 1230);
    EXPECT_EQ(figures[7].number, 9876);
    const Figure& failed = figures[2];
    EXPECT_EQ(failed.label, QStringLiteral("Yahoo"));
    EXPECT_EQ(failed.text, QStringLiteral("失败"));
    EXPECT_EQ(failed.why, Why::Failed);
    EXPECT_EQ(failed.address, yahoo);
    EXPECT_TRUE(failed.detail.contains(QStringLiteral("无法连接到服务器")))
        << failed.detail.toStdString();
}

TEST(IndexedSurvey, MissingEndMarkerEndsTheSurvey) {
    FixtureServer server;
    serveEngines(server);
    server.add("/s", {200, "text/html", charset::encodeGbk(QStringLiteral("找到相关网页约12"))});
    CurlFetcher f;
    EXPECT_THROW(
        runSurvey(kIndexedSurvey, QStringLiteral("x.cn"), f, surveyEndpoints(server.base())),
        ToolError);
    EXPECT_EQ(server.requests().size(), 1);
}

TEST(ScratchFile, IsOneGbkLineEndingInCrLf) {
    const QString doc = QStringLiteral("<td>收录数量</td>");
    const QString path = writeScratchFile(QStringLiteral("result.html"), doc);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), charset::encodeGbk(doc) + "\r\n");
    EXPECT_TRUE(path.endsWith(QStringLiteral("/result.html")));
    EXPECT_EQ(scratchFileText(QStringLiteral("a\U0001F600")), QStringLiteral("a?"));
}

// The document holds text cut from other people's pages; no other user of the machine reads
// it, even where an earlier run left the folder and the file open to everyone.
TEST(ScratchFile, OnlyItsUserCanReadItAndItsFolder) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder), 0755), 0);
    const QString path =
        writeScratchFile(QStringLiteral("result.html"), QStringLiteral("<td>1</td>"));
    ASSERT_EQ(::chmod(QFile::encodeName(path), 0644), 0);
    writeScratchFile(QStringLiteral("result.html"), QStringLiteral("<td>2</td>"));
    const auto mode = [](const QString& p) {
        struct stat s {};
        return ::stat(QFile::encodeName(p), &s) == 0 ? s.st_mode & 0777 : 0;
    };
    EXPECT_EQ(mode(folder), 0700u);
    EXPECT_EQ(mode(path), 0600u);
}
