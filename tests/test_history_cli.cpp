#include "cli_run.h"
#include "history/history_store.h"
#include "history_samples.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class HistoryCli : public ::testing::Test {
protected:
    void SetUp() override {
        HistoryStore store(file);
        RunRecord rank = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 0,
                                   QStringLiteral("站长工具"));
        rank.figures = {
            numberFigure(QStringLiteral("Baidu"), 3),
            missingFigure(QStringLiteral("Google"), QStringLiteral("未查询到"), Why::NotFound)};
        store.record(rank);
        RunRecord survey = sampleRun(QStringLiteral("indexed"), QStringLiteral("b.cn"), 60 * 24);
        survey.figures = {numberFigure(QStringLiteral("Baidu"), 1234, QStringLiteral("约1,234"))};
        store.record(survey);
    }
    CliRun history(QStringList args) const {
        return runCli(QStringList{QStringLiteral("--history"), file, QStringLiteral("history")} +
                      args);
    }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("history.sqlite"));
};

} // namespace

TEST_F(HistoryCli, JsonIsAnArrayOfRecordsNewestFirst) {
    for (const QStringList& args : {QStringList{QStringLiteral("--format"), QStringLiteral("json")},
                                    QStringList{QStringLiteral("--json")}}) {
        const CliRun r = history(args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QJsonArray runs = QJsonDocument::fromJson(r.outBytes).array();
        ASSERT_EQ(runs.size(), 2);
        EXPECT_EQ(runs[0][QStringLiteral("tool")].toString(), QStringLiteral("indexed"));
        EXPECT_EQ(runs[1][QStringLiteral("keyword")].toString(), QStringLiteral("站长工具"));
        EXPECT_TRUE(runs[1][QStringLiteral("figures")][1][QStringLiteral("number")].isNull());
    }
}

TEST_F(HistoryCli, CsvHasAByteOrderMarkAHeaderAndARowARun) {
    const CliRun r = history({QStringLiteral("--format"), QStringLiteral("csv")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.outBytes.startsWith("\xEF\xBB\xBF"
                                      "id,tool,input,"));
    EXPECT_EQ(r.outBytes.count("\r\n"), 3);
    EXPECT_TRUE(r.outBytes.contains(",Baidu,Google\r\n"));
}

TEST_F(HistoryCli, TableHasAHeaderAndALineARun) {
    const CliRun r = history({});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("编号")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("约1,234")));
}

TEST_F(HistoryCli, FiltersNarrowTheList) {
    const struct {
        QStringList args;
        int runs;
    } cases[] = {
        {{QStringLiteral("--tool"), QStringLiteral("keyword-rank")}, 1},
        {{QStringLiteral("--input"), QStringLiteral("b.cn")}, 1},
        {{QStringLiteral("--input"), QStringLiteral("c.cn")}, 0},
        {{QStringLiteral("--since"), QStringLiteral("2026-11-03T07:00:00Z")}, 1},
        {{QStringLiteral("--since"), QStringLiteral("2026-10-01")}, 2},
        {{QStringLiteral("--since"), QStringLiteral("2027-01-01")}, 0},
    };
    for (const auto& c : cases) {
        const CliRun r = history(c.args + QStringList{QStringLiteral("--json")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(r.outBytes).array().size(), c.runs)
            << c.args.join(u' ').toStdString();
    }
}

TEST_F(HistoryCli, WrongOptionsAreUsageErrors) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{QStringLiteral("--format"), QStringLiteral("xml")}, "--format 应为"},
        {{QStringLiteral("--tool"), QStringLiteral("ping")}, "--tool 应为"},
        {{QStringLiteral("--since"), QStringLiteral("yesterday")}, "--since 应为"},
        {{QStringLiteral("--since")}, "--since 后缺少日期"},
        {{QStringLiteral("extra")}, "参数个数不对"},
    };
    for (const auto& c : cases) {
        const CliRun r = history(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(HistoryCli, AFileThatIsNotOursEndsWithStatusOneNamingIt) {
    const QString other = dir.filePath(QStringLiteral("notes.txt"));
    QFile f(other);
    f.open(QIODevice::WriteOnly);
    f.write("not a database\n");
    f.close();
    const CliRun r = runCli({QStringLiteral("--history"), other, QStringLiteral("history")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(other)) << r.err.toStdString();
}

TEST_F(HistoryCli, AMissingFileListsNothingAndIsNotCreated) {
    const QString missing = dir.filePath(QStringLiteral("none/history.sqlite"));
    const CliRun r = runCli({QStringLiteral("--history"), missing, QStringLiteral("--json"),
                             QStringLiteral("history")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(r.outBytes).array().size(), 0);
    EXPECT_FALSE(QFile::exists(missing));
}
