#include "cli_run.h"
#include "demo/demo_figures.h"
#include "net/url_encode.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

// Each tool of tessivo-cli --demo, answered from the demo pages in config/demo/: what comes out
// must be what a user could take for a real answer, and the same for the same question.
namespace {

struct Demo {
    QJsonObject json;
    QString err;
};

Demo runDemo(const QStringList& args) {
    const CliRun r = runCli(QStringList{"--demo", "--json"} + args);
    const Demo d{QJsonDocument::fromJson(r.outBytes).object(), r.err};
    EXPECT_EQ(r.status, 0) << args.join(u' ').toStdString() << d.err.toStdString();
    EXPECT_TRUE(d.json.value(QStringLiteral("demo")).toBool()) << args.join(u' ').toStdString();
    EXPECT_TRUE(d.err.contains(QStringLiteral("演示数据"))) << d.err.toStdString();
    return d;
}

QString field(const Demo& d, const char* key) {
    return d.json.value(QLatin1String(key)).toString();
}

// The figures of a survey's table, column by column.
QStringList surveyFigures(const QString& document) {
    QStringList figures;
    static const QRegularExpression cell(QStringLiteral("target='_blank'>([^<]*)</a>"));
    for (const QRegularExpressionMatch& m : cell.globalMatch(document))
        figures << m.captured(1);
    return figures;
}

const QRegularExpression kGroupedCount(QStringLiteral("^[1-9][0-9]{0,2}(,[0-9]{3})*$"));

} // namespace

TEST(Demo, SurveysCountOnEveryEngineTheSameEachTime) {
    for (const char* command : {"indexed", "backlinks"}) {
        const QString document = field(runDemo({command, "example.cn"}), "document");
        const QStringList figures = surveyFigures(document);
        ASSERT_EQ(figures.size(), 8) << command;
        for (const QString& f : figures)
            EXPECT_TRUE(kGroupedCount.match(f).hasMatch()) << command << ' ' << f.toStdString();
        EXPECT_EQ(document.count(QStringLiteral("<img src='")), 8);
        EXPECT_EQ(field(runDemo({command, "example.cn"}), "document"), document) << command;
        EXPECT_NE(surveyFigures(field(runDemo({command, "example.org"}), "document")), figures);
    }
}

TEST(Demo, BaiduCountsLessForAShorterPeriod) {
    const QStringList indexed =
        surveyFigures(field(runDemo({"indexed", "example.cn"}), "document"));
    ASSERT_FALSE(indexed.isEmpty());
    const struct {
        const char* period;
        const char* shown;
    } periods[] = {{"最近一天", "1"},
                   {"最近一周", "7"},
                   {"最近一月", "30"},
                   {"最近一年", "360"},
                   {"全部时间", "所有时间"}};
    qint64 before = 0;
    for (const auto& p : periods) {
        const QString sentence =
            field(runDemo({"baidu-period", "example.cn", "--period", p.period}), "sentence");
        const QString head = QStringLiteral("百度在最近 %1 日内共收录了 约").arg(p.shown);
        ASSERT_TRUE(sentence.startsWith(head)) << sentence.toStdString();
        ASSERT_TRUE(sentence.endsWith(QStringLiteral(" 个页面"))) << sentence.toStdString();
        const QString count = sentence.mid(head.size()).chopped(4);
        const qint64 n = QString(count).remove(u',').toLongLong();
        EXPECT_GE(n, before) << p.period;
        before = n;
        if (QLatin1String(p.period) == QLatin1String("全部时间")) {
            EXPECT_EQ(count, indexed.front()); // as the survey's Baidu column says
        }
    }
}

TEST(Demo, BadgesShowEveryRatingWithAPageRankThatHasAPicture) {
    const Demo d = runDemo({"badges", "example.cn"});
    const struct {
        const char* badge;
        const char* pattern;
    } badges[] = {
        {"pagerank", "^[1-8]$"},
        {"alexa", "^[1-9][0-9]{0,2}(,[0-9]{3})*$"},
        {"sogou", "^[1-9][0-9]{0,2}/100$"},
        {"chinarank", "^[1-9][0-9]*$"},
    };
    for (const auto& b : badges)
        EXPECT_TRUE(
            QRegularExpression(QLatin1String(b.pattern)).match(field(d, b.badge)).hasMatch())
            << b.badge << ' ' << field(d, b.badge).toStdString();
}

TEST(Demo, KeywordRankFindsTheSiteOnSomeEnginesNotOnOthers) {
    for (const char* site : {"www.example.cn", "http://blog.example.org/"}) {
        const Demo d = runDemo({"keyword-rank", site, "网站优化"});
        const QRegularExpression found(QStringLiteral("^排名为第([1-9]|1[0-2])位"));
        EXPECT_TRUE(found.match(field(d, "baidu")).hasMatch()) << field(d, "baidu").toStdString();
        EXPECT_TRUE(field(d, "baidu").endsWith(QStringLiteral("（有2 个参与竞价推广）")));
        for (const char* engine : {"google", "sogou"})
            EXPECT_TRUE(found.match(field(d, engine)).hasMatch())
                << site << ' ' << engine << ' ' << field(d, engine).toStdString();
        EXPECT_EQ(field(d, "soso"), field(d, "google"));
        EXPECT_EQ(field(d, "yahoo"), QStringLiteral("在100位（1--10页）中未查询到结果"));
        EXPECT_EQ(field(d, "youdao"), QStringLiteral("-"));
    }
}

TEST(Demo, RelatedSearchesEachWithFourFigures) {
    const QJsonArray rows =
        runDemo({"related", "网站 优化"}).json.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[0][QStringLiteral("keyword")].toString(), QStringLiteral("网站 优化"));
    EXPECT_EQ(rows[1][QStringLiteral("keyword")].toString(), QStringLiteral("网站 优化是什么"));
    const QRegularExpression figure(QStringLiteral("^[1-9][0-9]*$"));
    for (const QJsonValue& row : rows)
        for (const char* name : {"today", "week", "month", "quarter"}) {
            const QJsonValue cell = row[QLatin1String(name)];
            EXPECT_TRUE(figure.match(cell[QStringLiteral("text")].toString()).hasMatch())
                << row[QStringLiteral("keyword")].toString().toStdString() << ' ' << name;
            EXPECT_GT(cell[QStringLiteral("number")].toDouble(), 0);
        }
}

TEST(Demo, DensityMeasuresTheSampleArticle) {
    const Demo d = runDemo({"density", "www.example.cn/seo.html", "网站优化"});
    EXPECT_GE(d.json.value(QStringLiteral("frequency")).toInt(), 2);
    EXPECT_TRUE(field(d, "text").contains(QStringLiteral("www.example.cn/seo.html")));
    const double density = field(d, "density").toDouble();
    EXPECT_GE(density, 2.0);
    EXPECT_LE(density, 8.0);
}

TEST(Demo, QueryValuesInGbkPercentEncodingReadBack) {
    for (const char* text : {"seo", "网站 优化", "網站", "a+b&c=d", "100%", "《SEO》—入门"})
        EXPECT_EQ(demo::fromGbkPercent(URLEncode(QString::fromUtf8(text))), QString::fromUtf8(text))
            << text;
}

TEST(Demo, FiguresAreGroupedLikeTheEnginesDo) {
    const struct {
        qint64 n;
        const char* shown;
    } cases[] = {{7, "7"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}};
    for (const auto& c : cases)
        EXPECT_EQ(demo::grouped(c.n), QLatin1String(c.shown));
    for (const char* about : {"example.cn", "example.org", "网站优化"}) {
        const qint64 n = demo::figure(QStringLiteral("x"), QString::fromUtf8(about), 3, 5);
        EXPECT_GE(n, 100) << about;
        EXPECT_LT(n, 100000) << about;
    }
}
