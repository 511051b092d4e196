#include "base/tool_error.h"
#include "history/history_store.h"
#include "history/run_log.h"
#include "history_samples.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TrackListTest : public ::testing::Test {
protected:
    QString file() const { return dir.filePath(QStringLiteral("history.sqlite")); }
    QTemporaryDir dir;
};

TrackedPair pair(const char* site, const char* keyword, QStringList engines = {}, int depth = 50) {
    TrackedPair p;
    p.site = QString::fromUtf8(site);
    p.keyword = QString::fromUtf8(keyword);
    p.engines = std::move(engines);
    p.depth = depth;
    return p;
}

TEST_F(TrackListTest, PairsAreKeptInOrderAndAskingAgainChangesEnginesAndDepthOnly) {
    HistoryStore store(file());
    const qint64 first = store.track(pair("a.cn", "站长工具", {QStringLiteral("baidu")}, 20));
    const qint64 second = store.track(pair("a.cn", "seo"));
    const QDateTime addedFirst = store.tracked()[0].added;
    EXPECT_EQ(store.track(
                  pair("a.cn", "站长工具", {QStringLiteral("bing"), QStringLiteral("sogou")}, 30)),
              first);

    const QList<TrackedPair> list = store.tracked();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].id, first);
    EXPECT_EQ(list[0].engines, (QStringList{QStringLiteral("bing"), QStringLiteral("sogou")}));
    EXPECT_EQ(list[0].depth, 30);
    EXPECT_EQ(list[0].added, addedFirst);
    EXPECT_EQ(list[1].id, second);
    EXPECT_TRUE(list[1].engines.isEmpty());
    EXPECT_EQ(list[1].keyword, QStringLiteral("seo"));

    EXPECT_EQ(store.untrack({second, 999}), QList<qint64>{second});
    ASSERT_EQ(store.tracked().size(), 1);
    EXPECT_EQ(store.untrack({second}), QList<qint64>{});
    // Clearing the runs leaves the list.
    store.clear();
    EXPECT_EQ(store.tracked().size(), 1);
}

TEST_F(TrackListTest, AFileOfTheSecondSchemaGetsTheListAndKeepsItsRuns) {
    {
        HistoryStore store(file());
        store.record(sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 0));
    }
    {
        // As the previous release left it: no list, version 2.
        const QString name = QStringLiteral("raw-v2");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(file());
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("DROP TABLE tracked")));
            ASSERT_TRUE(q.exec(QStringLiteral("PRAGMA user_version=2")));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    HistoryStore store(file());
    EXPECT_EQ(store.runs({}).size(), 1);
    EXPECT_TRUE(store.tracked().isEmpty());
    store.track(pair("a.cn", "站长"));
    EXPECT_EQ(store.tracked().size(), 1);
}

Figure answer(const char* label, std::optional<double> position, Why why) {
    Figure f;
    f.label = QString::fromUtf8(label);
    f.number = position;
    f.why = position ? Why::None : why;
    f.text = position ? QString::number(*position) : whyKey(why);
    return f;
}

// The tracker's change words come from the history's positionChange, compared with the last
// check that answered: a blocked or failed check between two answers is passed over.
TEST_F(TrackListTest, TheChangeComparesWithTheLastAnswerOfTheSameEngine) {
    const struct {
        const char* name;
        std::vector<Figure> earlier; // oldest first, one run each, all of engine "bing"
        Figure now;
        const char* change;
    } cases[] = {
        {"first check", {}, answer("bing", 4, Why::None), "新"},
        {"up", {answer("bing", 7, Why::None)}, answer("bing", 4, Why::None), "↑3"},
        {"down", {answer("bing", 2, Why::None)}, answer("bing", 4, Why::None), "↓2"},
        {"same", {answer("bing", 4, Why::None)}, answer("bing", 4, Why::None), "—"},
        {"out", {answer("bing", 9, Why::None)}, answer("bing", {}, Why::NotFound), "出榜"},
        {"still out", {answer("bing", {}, Why::NotFound)}, answer("bing", {}, Why::NotFound), "—"},
        {"in again", {answer("bing", {}, Why::NotFound)}, answer("bing", 1, Why::None), "新"},
        {"over a block",
         {answer("bing", 5, Why::None), answer("bing", {}, Why::Blocked)},
         answer("bing", 3, Why::None),
         "↑2"},
        {"over a failure and a changed page",
         {answer("bing", 8, Why::None), answer("bing", {}, Why::Failed),
          answer("bing", {}, Why::Unrecognised)},
         answer("bing", {}, Why::NotFound),
         "出榜"},
        {"blocked now", {answer("bing", 5, Why::None)}, answer("bing", {}, Why::Blocked), ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString keyword = QStringLiteral("k%1").arg(++n);
        HistoryStore store(file());
        int minute = 0;
        for (const Figure& f : c.earlier) {
            RunRecord run =
                sampleRun(QStringLiteral("rank-track"), QStringLiteral("a.cn"), minute++, keyword);
            // Another engine's answer in the same run never stands for this one's.
            run.figures = {answer("sogou", 1, Why::None), f};
            store.record(run);
        }
        // The same keyword for another site is another subject.
        RunRecord other =
            sampleRun(QStringLiteral("rank-track"), QStringLiteral("b.cn"), minute, keyword);
        other.figures = {answer("bing", 50, Why::None)};
        store.record(other);

        const std::optional<Figure> before = store.lastAnswer(
            QStringLiteral("rank-track"), QStringLiteral("a.cn"), keyword, QStringLiteral("bing"));
        EXPECT_EQ(positionChange(c.now, before ? &*before : nullptr), QString::fromUtf8(c.change))
            << c.name;
    }
}

} // namespace
