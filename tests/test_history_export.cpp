#include "environment_guard.h"
#include "history/history_export.h"
#include "history_samples.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QList<QByteArray> csvLines(const QByteArray& csv) {
    QList<QByteArray> lines = csv.split('\n');
    EXPECT_TRUE(lines.last().isEmpty()) << "the last row ends with a line break";
    lines.removeLast();
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        line.chop(1);
    }
    return lines;
}

} // namespace

TEST(HistoryCsv, OneColumnALabelInFirstSeenOrderHoldingTheNumberElseTheText) {
    RunRecord older = sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 0);
    older.figures = {numberFigure(QStringLiteral("Google"), 1234, QStringLiteral("约1,234")),
                     missingFigure(QStringLiteral("Sogou"), QStringLiteral("-"), Why::Failed)};
    RunRecord newer = sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 60);
    newer.id = 9;
    newer.demo = true;
    newer.figures = {numberFigure(QStringLiteral("Baidu"), 5),
                     numberFigure(QStringLiteral("Google"), 1300, QStringLiteral("约1,300"))};
    // Times where the user is, with the offset, as the window shows them.
    const EnvironmentGuard shanghai("TZ", "Asia/Shanghai");
    const struct {
        CsvHeaders headers;
        const char* header;
        const char* newer;
        const char* older;
    } cases[] = {
        {CsvHeaders::Chinese, "编号,工具,输入,关键词,开始,结束,结果,错误,演示,Baidu,Google,Sogou",
         "9,indexed,a.cn,,2026-11-02T17:00:00+08:00,2026-11-02T17:00:01+08:00,完成,,是,5,1300,",
         "0,indexed,a.cn,,2026-11-02T16:00:00+08:00,2026-11-02T16:00:01+08:00,完成,,否,,1234,-"},
        {CsvHeaders::English,
         "id,tool,input,keyword,started,ended,outcome,error,demo,Baidu,Google,Sogou",
         "9,indexed,a.cn,,2026-11-02T17:00:00+08:00,2026-11-02T17:00:01+08:00,done,,true,5,1300,",
         "0,indexed,a.cn,,2026-11-02T16:00:00+08:00,2026-11-02T16:00:01+08:00,done,,false,,1234,"
         "-"},
    };
    for (const auto& c : cases) {
        const QByteArray csv = historyCsv({newer, older}, c.headers);
        EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
        const QList<QByteArray> lines = csvLines(csv.mid(3));
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(QString::fromUtf8(lines[0]), QString::fromUtf8(c.header));
        EXPECT_EQ(QString::fromUtf8(lines[1]), QString::fromUtf8(c.newer));
        EXPECT_EQ(QString::fromUtf8(lines[2]), QString::fromUtf8(c.older));
    }
}

TEST(HistoryTable, EachOutcomeIsShownAsItsWord) {
    const struct {
        RunEnd end;
        const char* word;
    } cases[] = {
        {RunEnd::Done, "完成"},
        {RunEnd::Failed, "失败"},
        {RunEnd::Stopped, "已停止"},
        {RunEnd::Partial, "部分失败"},
    };
    for (const auto& c : cases) {
        RunRecord run = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 0);
        run.end = c.end;
        const QString table = historyTable({run});
        const QStringList cells =
            table.split(u'\n').value(1).split(QRegularExpression(QStringLiteral("\\s{2,}")));
        EXPECT_TRUE(cells.contains(QString::fromUtf8(c.word))) << table.toStdString();
    }
}

TEST(HistoryCsv, FieldsAreQuotedAsRfc4180Says) {
    const struct {
        const char* keyword;
        const char* field;
    } cases[] = {
        {"站长工具", "站长工具"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        // What a spreadsheet would run stays text; "-" and negative numbers stay as they are.
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"+1+1", "'+1+1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"-1+cmd", "'-1+cmd"},
        {"-", "-"},
        {"-3", "-3"},
    };
    for (const auto& c : cases) {
        const QString keyword = QString::fromUtf8(c.keyword);
        const QByteArray csv = historyCsv(
            {sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 0, keyword)});
        EXPECT_TRUE(csv.contains(QByteArray(",a.cn,") + c.field + ",2026-11-02T"))
            << c.keyword << ": " << csv.toStdString();
    }
}

TEST(HistoryJson, HoldsTheFullRecord) {
    RunRecord run = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 0,
                              QStringLiteral("站长"), RunEnd::Stopped);
    run.id = 4;
    run.options = {{QStringLiteral("pages"), 5}};
    run.figures = {numberFigure(QStringLiteral("Baidu"), 3),
                   missingFigure(QStringLiteral("Google"), QStringLiteral("-"), Why::Failed,
                                 QStringLiteral("连接超时"))};
    run.figures[0].address = QStringLiteral("http://127.0.0.1/s");
    const QJsonArray array = QJsonDocument::fromJson(historyJson({run})).array();
    ASSERT_EQ(array.size(), 1);
    const QJsonObject o = array[0].toObject();
    EXPECT_EQ(o.keys(), (QStringList{"demo", "ended", "error", "figures", "id", "input", "keyword",
                                     "options", "outcome", "started", "tool"}));
    EXPECT_EQ(o[QStringLiteral("id")].toInt(), 4);
    EXPECT_EQ(o[QStringLiteral("outcome")].toString(), QStringLiteral("stopped"));
    EXPECT_EQ(o[QStringLiteral("started")].toString(), QStringLiteral("2026-11-02T08:00:00Z"));
    EXPECT_EQ(o[QStringLiteral("options")].toObject()[QStringLiteral("pages")].toInt(), 5);
    const QJsonArray figures = o[QStringLiteral("figures")].toArray();
    ASSERT_EQ(figures.size(), 2);
    const QJsonObject baidu = figures[0].toObject();
    const QJsonObject google = figures[1].toObject();
    EXPECT_EQ(baidu.keys(), (QStringList{"address", "detail", "label", "number", "text", "why"}));
    EXPECT_EQ(baidu[QStringLiteral("number")].toInt(), 3);
    EXPECT_EQ(baidu[QStringLiteral("why")].toString(), QString());
    EXPECT_EQ(baidu[QStringLiteral("address")].toString(), QStringLiteral("http://127.0.0.1/s"));
    EXPECT_TRUE(google[QStringLiteral("number")].isNull());
    EXPECT_EQ(google[QStringLiteral("why")].toString(), QStringLiteral("failed"));
    EXPECT_EQ(google[QStringLiteral("detail")].toString(), QStringLiteral("连接超时"));
}

TEST(DisplayWidth, CountsTheColumnsATerminalGives) {
    const struct {
        const char* text;
        int width;
    } cases[] = {
        {"", 0},
        {"example.cn", 10},
        {"站长工具", 8},
        {"约1,234", 7},
        {"（演示）", 8},
        {"ＡＢ", 4},
        {"한국", 4},
        {"e\xCC\x81", 1}, // e and a combining acute accent
        {"a\xE2\x80\x8B"
         "b",
         2},                     // a zero-width space between
        {"\xF0\xA0\x80\x80", 2}, // a CJK character beyond the BMP
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayWidth(QString::fromUtf8(c.text)), c.width) << c.text;
}

TEST(HistoryTable, ColumnsLineUpWhateverTheScript) {
    RunRecord chinese = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 0,
                                  QStringLiteral("站长工具大全"));
    chinese.id = 2;
    chinese.figures = {
        missingFigure(QStringLiteral("百度"), QStringLiteral("未查询到"), Why::NotFound)};
    RunRecord latin = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("long-site.cn"), 0,
                                QStringLiteral("seo\ttools"));
    latin.id = 1;
    latin.figures = {numberFigure(QStringLiteral("百度"), 12)};
    const QStringList lines = historyTable({chinese, latin}, {QStringLiteral("百度")}).split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    // Where the figure column starts, in terminal columns, is the same on every line.
    QList<int> starts;
    for (const QString& line : lines) {
        const qsizetype at = line.lastIndexOf(QStringLiteral("  ")) + 2;
        starts << displayWidth(line.left(at));
    }
    EXPECT_EQ(starts[0], starts[1]);
    EXPECT_EQ(starts[1], starts[2]);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("百度")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("未查询到")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("12")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("seo tools"))) << "a tab would break the row";
}

TEST(HistoryTable, EveryToolsRunsFitInTheTableWidthWithASummary) {
    RunRecord whois = sampleRun(QStringLiteral("whois"),
                                QStringLiteral("a-very-long-domain-name-for-a-table.com.cn"), 0);
    whois.id = 123456;
    for (const char* label : {"source", "server", "registrar", "name_servers", "status"})
        whois.figures << missingFigure(QString::fromLatin1(label),
                                       QStringLiteral("一段很长的服务器回答，").repeated(6),
                                       Why::NoNumber);
    RunRecord rank = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 60,
                               QStringLiteral("很长很长很长很长的关键词"));
    rank.figures = {numberFigure(QStringLiteral("百度"), 3)};
    const QStringList lines = historyTable({whois, rank}).split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("摘要")));
    for (const QString& line : lines)
        EXPECT_LE(displayWidth(line), HistoryTable::kTableWidth) << line.toStdString();
    EXPECT_TRUE(lines[1].endsWith(u'…')) << "the summary is cut to fit";
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("百度 3")));
    EXPECT_TRUE(lines[1].contains(u'+') || lines[1].contains(u'-')) << "the time has its offset";
}

TEST(HistoryTable, AnAddressOrAKeywordIsARowNotAColumn) {
    RunRecord ip = sampleRun(QStringLiteral("ip"), QStringLiteral("example.cn"), 0);
    ip.figures = {
        missingFigure(QStringLiteral("1.2.3.4/country"), QStringLiteral("中国"), Why::NoNumber),
        missingFigure(QStringLiteral("1.2.3.4/owner"), QStringLiteral("CHINANET"), Why::NoNumber),
        missingFigure(QStringLiteral("2001:db8::1/country"), QStringLiteral("美国"),
                      Why::NoNumber)};
    const QStringList labels{QStringLiteral("1.2.3.4/country"), QStringLiteral("1.2.3.4/owner"),
                             QStringLiteral("2001:db8::1/country")};
    const QStringList lines = historyTable({ip}, labels).split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("项"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("country  owner"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("example.cn")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("1.2.3.4")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("CHINANET")));
    EXPECT_FALSE(lines[2].contains(QStringLiteral("example.cn"))) << "the run is named once";
    EXPECT_TRUE(lines[2].contains(QStringLiteral("2001:db8::1")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("美国")));
}
