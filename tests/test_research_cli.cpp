#include "base/charset.h"
#include "cli_run.h"
#include "fixture_server.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Index pages show the word as sent; "r5", the fifth related keyword, has a broken one.
class CliResearch : public ::testing::Test {
protected:
    void SetUp() override {
        server.add("/main/word.php", [](const std::string& target) -> FixtureServer::Page {
            const QString w = QString::fromStdString(target.substr(target.find("word=") + 5));
            const QString span = w == u"r5" ? QString() : QStringLiteral("<span>");
            return {
                200, "text/html",
                charset::encodeGbk(QStringLiteral("时间范围<td>今日%1</td>1周<td>%1%2</td>"
                                                  "1个月<td>%1%2</td>1季度<td>%1%2</td></table>")
                                       .arg(w, span))};
        });
        QString result = QStringLiteral("相关搜索<table><tr>");
        for (const char* r : {"r1", "r2", "r3", "r4", "r5", "r6"})
            result += QStringLiteral("<td><a href=x>%1</a></td>").arg(QLatin1String(r));
        server.add("/s", {200, "text/html", charset::encodeGbk(result + "</tr></table>")});
        server.add("/page", {200, "text/html",
                             charset::encodeGbk("<head>seo</head><body>SEO 关键词 seo</body>")});
        QFile f(ini);
        f.open(QIODevice::WriteOnly);
        f.write("[endpoints]\nBaiduIndexHost=" + server.base().toUtf8() +
                "\nBaiduSearchHost=" + server.base().toUtf8() + "\n");
    }

    CliRun run(const QStringList& args) { return runCli(QStringList{"--endpoints", ini} + args); }

    FixtureServer server;
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("endpoints.ini"));
};

} // namespace

TEST_F(CliResearch, RelatedPrintsTheRowsMadeBeforeTheError) {
    CliRun r = run({"related", " seo "});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral("1\tseo\tseo\tseo\tseo\tseo\n2\tr1\tr1\tr1\tr1\tr1\n"
                                    "3\tr2\tr2\tr2\tr2\tr2\n4\tr3\tr3\tr3\tr3\tr3\n"
                                    "5\tr4\tr4\tr4\tr4\tr4\n"));
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("发生错误：百度指数页面"))) << r.err.toStdString();
    EXPECT_EQ(server.requests().size(), 7);

    r = run({"--json", "related", "seo"});
    EXPECT_EQ(r.status, 1);
    const QJsonArray rows =
        QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 5);
    const QJsonObject fifth = rows[4].toObject();
    EXPECT_EQ(fifth.keys(),
              (QStringList{"keyword", "month", "number", "quarter", "today", "week"}));
    EXPECT_EQ(fifth[QStringLiteral("number")].toString(), QStringLiteral("5"));
    EXPECT_EQ(fifth[QStringLiteral("keyword")].toString(), QStringLiteral("r4"));
    EXPECT_EQ(fifth[QStringLiteral("week")][QStringLiteral("text")].toString(),
              QStringLiteral("r4"));
    EXPECT_TRUE(fifth[QStringLiteral("week")][QStringLiteral("number")].isNull());
}

TEST_F(CliResearch, DensityPrintsTheCaptionsThenTheText) {
    CliRun r = run({"density", server.base() + "/page", "seo"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("页面代码总长度： 12\n关键字符串长度： 3\n关键字出现频率： 2\n"
                                    "关键字符总长度： 6\n密度结果计算： 50\nseo关键词seo\n"));
    r = run({"--json", "density", server.base() + "/page", "关键词"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object(),
              (QJsonObject{{"text", "seo关键词seo"},
                           {"page_length", 12},
                           {"keyword_length", 6},
                           {"frequency", 1},
                           {"keyword_total_length", 6},
                           {"density", "50"}}));
}

TEST_F(CliResearch, EmptyInputsRequestNothing) {
    for (const QStringList& args :
         {QStringList{"related", " ' "}, QStringList{"density", "''", "seo"},
          QStringList{"density", "x.cn", "   "}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1);
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(CliResearch, RelatedSaysOnStandardErrorThatTheListWasCut) {
    QString result = QStringLiteral("相关搜索<table><tr>");
    for (int i = 1; i <= 130; ++i)
        result += QStringLiteral("<td><a href=x>k%1</a></td>").arg(i);
    server.add("/s", {200, "text/html", charset::encodeGbk(result + "</tr></table>")});
    const CliRun r = run({"related", "seo"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count(u'\n'), 101);
    EXPECT_EQ(r.err, QStringLiteral("tessivo-cli：结果页列出 130 个相关搜索，只查询了前 100 个\n"));
}
