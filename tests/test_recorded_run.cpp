#include "base/tool_error.h"
#include "history/history_store.h"
#include "history_samples.h"
#include "net/stop.h"
#include "tools/recorded_run.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RecordedRunTest : public ::testing::Test {
protected:
    QList<RunRecord> runs(const QString& tool, const QString& input = {}) const {
        HistoryQuery q;
        q.tool = tool;
        q.input = input;
        return store.runs(q);
    }

    QTemporaryDir dir;
    HistoryStore store{dir.filePath(QStringLiteral("history.sqlite"))};
    QStringList failures; // what the store-failure policy was told
    RunHistory history{[this] { return &store; },
                       [this](const QString& description) { failures << description; }};
};

TEST_F(RecordedRunTest, EndsAsTheWorkEnds) {
    const struct {
        const char* name;
        std::function<void()> work;
        RunEnd end;
        const char* error;
    } cases[] = {
        {"done", [] {}, RunEnd::Done, ""},
        {"failed", [] { throw ToolError(QStringLiteral("无法连接 127.0.0.1")); }, RunEnd::Failed,
         "无法连接 127.0.0.1"},
        {"stopped", [] { throw ToolStopped{}; }, RunEnd::Stopped, ""},
        {"other failure", [] { throw std::runtime_error("out of memory"); }, RunEnd::Failed,
         "out of memory"},
    };
    for (const auto& c : cases) {
        const QString input = QString::fromUtf8(c.name) + QStringLiteral(".cn");
        RecordedRun run(&history, toolEntry(Tool::BaiduPeriod), {input},
                        {{QStringLiteral("period"), QStringLiteral("最近一周")}}, true);
        const QDateTime before = QDateTime::currentDateTimeUtc();
        bool raised = false;
        try {
            run.run([&] {
                run.add(countFigure(QStringLiteral("count"), QStringLiteral("约1,234")));
                c.work();
            });
        } catch (...) {
            raised = true;
        }
        EXPECT_EQ(raised, c.end != RunEnd::Done) << c.name;

        const QList<RunRecord> saved = runs(QStringLiteral("baidu-period"), input);
        ASSERT_EQ(saved.size(), 1) << c.name;
        const RunRecord& r = saved[0];
        EXPECT_EQ(r.end, c.end) << c.name;
        EXPECT_EQ(r.error, QString::fromUtf8(c.error)) << c.name;
        EXPECT_TRUE(r.keyword.isEmpty());
        EXPECT_EQ(r.options.value(QStringLiteral("period")).toString(), QStringLiteral("最近一周"));
        EXPECT_TRUE(r.demo);
        EXPECT_EQ(r.started.timeSpec(), Qt::UTC);
        EXPECT_LE(r.started, r.ended);
        EXPECT_GE(r.started.addSecs(1), before);
        // What was reported before the end stays, whatever the end.
        ASSERT_EQ(r.figures.size(), 1) << c.name;
        EXPECT_EQ(r.figures[0].number, 1234);
    }
    EXPECT_TRUE(failures.isEmpty());
}

// A tool that goes to its end with every engine's request failed has not done its work: the
// history says failed or partial, so that a later --resume asks again.
TEST_F(RecordedRunTest, EnginesWhoseRequestsFailedMakeTheRunFailedOrPartial) {
    const Figure ok = countFigure(QStringLiteral("Baidu"), QStringLiteral("12"));
    const Figure refused =
        missingFigure(QStringLiteral("Google"), QStringLiteral("-"), Why::Failed,
                      QStringLiteral("无法连接到服务器（连接被拒绝或无法到达）"));
    const Figure timedOut = missingFigure(QStringLiteral("Yahoo"), QStringLiteral("-"), Why::Failed,
                                          QStringLiteral("连接超时"));
    const Figure unreadable =
        missingFigure(QStringLiteral("Sogou"), QStringLiteral("0"), Why::Unrecognised);
    const struct {
        const char* name;
        Tool tool;
        QList<Figure> figures;
        RunEnd end;
        const char* error;
    } cases[] = {
        {"all failed",
         Tool::KeywordRank,
         {refused, timedOut},
         RunEnd::Failed,
         "Google：无法连接到服务器（连接被拒绝或无法到达）；Yahoo：连接超时"},
        {"some failed",
         Tool::Indexed,
         {ok, refused, unreadable},
         RunEnd::Partial,
         "Google：无法连接到服务器（连接被拒绝或无法到达）"},
        {"unreadable only", Tool::Badges, {ok, unreadable}, RunEnd::Done, ""},
        {"unreadable all", Tool::Backlinks, {unreadable}, RunEnd::Done, ""},
        {"none asked", Tool::KeywordRank, {}, RunEnd::Done, ""},
        // An IP lookup's missing country is one column of an answer, not an engine.
        {"not an engines tool", Tool::Ip, {ok, refused}, RunEnd::Done, ""},
    };
    for (const auto& c : cases) {
        const QString input = QString::fromUtf8(c.name).replace(u' ', u'-') + ".cn";
        RecordedRun run(&history, toolEntry(c.tool), {input, QStringLiteral("seo")});
        run.run([&] { run.add(c.figures); });
        const QList<RunRecord> saved = runs(QLatin1String(toolEntry(c.tool).key), input);
        ASSERT_EQ(saved.size(), 1) << c.name;
        EXPECT_EQ(saved[0].end, c.end) << c.name;
        EXPECT_EQ(saved[0].error, QString::fromUtf8(c.error)) << c.name;
        EXPECT_EQ(saved[0].figures.size(), c.figures.size()) << c.name;
    }
    // A stop keeps its own ending, whatever failed before it.
    RecordedRun stopped(&history, toolEntry(Tool::KeywordRank), {"stopped.cn", "seo"});
    EXPECT_THROW(stopped.run([&] {
        stopped.add(refused);
        throw ToolStopped{};
    }),
                 ToolStopped);
    EXPECT_EQ(runs(QStringLiteral("keyword-rank"), QStringLiteral("stopped.cn"))[0].end,
              RunEnd::Stopped);
    EXPECT_EQ(runEndFromKey(runEndKey(RunEnd::Partial)), RunEnd::Partial);
    EXPECT_EQ(runEndKey(RunEnd::Partial), QStringLiteral("partial"));
}

TEST_F(RecordedRunTest, ComparesWithTheLastDoneRunAboutTheSameSubject) {
    const auto rank = [](int minutes, const QString& keyword, RunEnd end, qint64 baidu) {
        RunRecord r = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), minutes,
                                keyword, end);
        r.figures << numberFigure(QStringLiteral("Baidu"), baidu)
                  << missingFigure(QStringLiteral("Google"), QStringLiteral("未查询到"),
                                   Why::NotFound);
        return r;
    };
    store.record(rank(0, QStringLiteral("seo"), RunEnd::Done, 9));
    store.record(rank(10, QStringLiteral("seo"), RunEnd::Done, 5)); // the one compared with
    store.record(rank(20, QStringLiteral("seo"), RunEnd::Failed, 50));
    store.record(rank(30, QStringLiteral("seo 工具"), RunEnd::Done, 1));

    RecordedRun run(&history, toolEntry(Tool::KeywordRank),
                    {QStringLiteral("a.cn"), QStringLiteral("seo")});
    ASSERT_TRUE(run.compareWithLast());
    const struct {
        Figure now;
        const char* change;
    } cases[] = {
        {numberFigure(QStringLiteral("Baidu"), 3), "↑2"},
        {numberFigure(QStringLiteral("Baidu"), 17), "↓12"},
        {numberFigure(QStringLiteral("Baidu"), 5), "—"},
        {missingFigure(QStringLiteral("Baidu"), QStringLiteral("未查询到"), Why::NotFound), "出榜"},
        {numberFigure(QStringLiteral("Google"), 4), "新"},
        {missingFigure(QStringLiteral("Google"), QStringLiteral("未查询到"), Why::NotFound), "—"},
        {numberFigure(QStringLiteral("Yahoo"), 8), "新"},
        {missingFigure(QStringLiteral("Baidu"), QStringLiteral("-"), Why::Failed), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run.change(c.now), QString::fromUtf8(c.change))
            << c.now.label.toStdString() << " " << c.now.text.toStdString();
}

TEST_F(RecordedRunTest, WithoutAHistoryNothingIsComparedOrKept) {
    RunHistory none{[] { return nullptr; }, [this](const QString& d) { failures << d; }};
    for (RunHistory* h : {&none, static_cast<RunHistory*>(nullptr)}) {
        RecordedRun run(h, toolEntry(Tool::KeywordRank),
                        {QStringLiteral("a.cn"), QStringLiteral("seo")});
        EXPECT_FALSE(run.compareWithLast());
        EXPECT_EQ(run.change(numberFigure(QStringLiteral("Baidu"), 3)), QStringLiteral("新"));
        run.run([] {});
        EXPECT_EQ(run.record().end, RunEnd::Done);
    }
    EXPECT_TRUE(runs(QStringLiteral("keyword-rank")).isEmpty());
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(RecordedRunTest, AFailedWriteIsToldOnceAndNothingIsWrittenAfterIt) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "refuse");
        db.setDatabaseName(store.path());
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE INSERT ON runs BEGIN SELECT RAISE(ABORT, 'full'); END")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("refuse"));

    for (const char* input : {"a.cn", "b.cn"}) {
        RecordedRun run(&history, toolEntry(Tool::Ip), {QString::fromUtf8(input)});
        run.run([] {});
    }
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(store.path())) << failures[0].toStdString();

    // The store takes runs again, but the program was told it would not: none is written.
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "allow");
    db.setDatabaseName(store.path());
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("DROP TRIGGER refuse")));
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("allow"));
    RecordedRun after(&history, toolEntry(Tool::Ip), {QStringLiteral("c.cn")});
    after.run([] {});
    EXPECT_EQ(failures.size(), 1);
    EXPECT_TRUE(runs(QStringLiteral("ip")).isEmpty());
}

} // namespace
