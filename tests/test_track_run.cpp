#include "history/history_store.h"
#include "net/stop.h"
#include "tools/track_run.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

// Answers from a script: (engine, keyword) → outcome and position; what was asked, in order.
struct ScriptedEngines {
    std::map<std::pair<QString, QString>, EngineCheck> answers;
    QStringList asked;

    RankChecker checker() {
        return [this](const QString& engine, const RankQuery& query) {
            asked << engine + u'/' + query.keyword;
            EngineCheck check = answers.at({engine, query.keyword});
            check.engine = engine;
            return check;
        };
    }
    void answer(const char* engine, const char* keyword, CheckOutcome outcome, int position = 0) {
        EngineCheck check;
        check.outcome = outcome;
        check.position = position;
        check.detail = outcome == CheckOutcome::Blocked ? QStringLiteral("验证码页面") : QString();
        check.url = position ? QStringLiteral("https://a.cn/") : QString();
        check.resultsRead = outcome == CheckOutcome::NotFound ? 50 : position;
        answers[{QString::fromUtf8(engine), QString::fromUtf8(keyword)}] = check;
    }
};

TrackedPair pair(const char* site, const char* keyword, QStringList engines) {
    TrackedPair p;
    p.site = QString::fromUtf8(site);
    p.keyword = QString::fromUtf8(keyword);
    p.engines = std::move(engines);
    return p;
}

class TrackRunTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    HistoryStore store{dir.filePath(QStringLiteral("history.sqlite"))};
    RunHistory history{[this] { return &store; }, [](const QString&) {}};

    QList<RunRecord> runsOf(const char* tool) {
        HistoryQuery q;
        q.tool = QString::fromUtf8(tool);
        return store.runs(q);
    }
};

TEST_F(TrackRunTest, ABlockedEngineIsSkippedForTheRestOfTheRunAndEveryCheckIsRecorded) {
    ScriptedEngines engines;
    engines.answer("baidu", "k1", CheckOutcome::Found, 3);
    engines.answer("bing", "k1", CheckOutcome::Blocked);
    engines.answer("baidu", "k2", CheckOutcome::NotFound);
    engines.answer("sogou", "k2", CheckOutcome::Failed);
    const QStringList both{QStringLiteral("baidu"), QStringLiteral("bing")};
    const QList<TrackedPair> list{
        pair("a.cn", "k1", both),
        pair("a.cn", "k2",
             {QStringLiteral("bing"), QStringLiteral("baidu"), QStringLiteral("sogou")}),
        pair("b.cn", "k3", {QStringLiteral("bing")})};
    QStringList told;
    TrackRunTell tell;
    tell.blocked = [&](const QString& engine, const QString& sign) {
        told << engine + u':' + sign;
    };

    const TrackCounts counts = runTrackedList(&history, list, engines.checker(), false, tell);

    EXPECT_EQ(engines.asked, (QStringList{"baidu/k1", "bing/k1", "baidu/k2", "sogou/k2"}));
    EXPECT_EQ(told, QStringList{"bing:验证码页面"});
    EXPECT_EQ(counts.found, 1);
    EXPECT_EQ(counts.notFound, 1);
    EXPECT_EQ(counts.blocked, 1);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_EQ(counts.skipped, 2);

    // A run a pair that was asked anything, its figures the engines asked, with their reasons.
    const QList<RunRecord> checks = runsOf("rank-track");
    ASSERT_EQ(checks.size(), 2);
    const RunRecord& k2 = checks[0];
    EXPECT_EQ(k2.keyword, QStringLiteral("k2"));
    ASSERT_EQ(k2.figures.size(), 2);
    EXPECT_EQ(k2.figures[0].label, QStringLiteral("baidu"));
    EXPECT_EQ(k2.figures[0].why, Why::NotFound);
    EXPECT_EQ(k2.figures[0].text, QStringLiteral("前50位中没有"));
    EXPECT_EQ(k2.figures[1].why, Why::Failed);
    EXPECT_EQ(k2.end, RunEnd::Partial);
    const RunRecord& k1 = checks[1];
    EXPECT_EQ(k1.input, QStringLiteral("a.cn"));
    ASSERT_EQ(k1.figures.size(), 2);
    EXPECT_EQ(k1.figures[0].number, 3);
    EXPECT_EQ(k1.figures[0].text, QStringLiteral("第3位"));
    EXPECT_EQ(k1.figures[0].address, QStringLiteral("https://a.cn/"));
    EXPECT_EQ(k1.figures[1].why, Why::Blocked);
    EXPECT_EQ(k1.figures[1].detail, QStringLiteral("验证码页面"));

    const QList<RunRecord> runs = runsOf("track-run");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].end, RunEnd::Partial);
    QMap<QString, double> byLabel;
    for (const Figure& f : runs[0].figures)
        byLabel.insert(f.label, f.number.value_or(-1));
    EXPECT_EQ(byLabel, (QMap<QString, double>{{"found", 1},
                                              {"not_found", 1},
                                              {"blocked", 1},
                                              {"unrecognised", 0},
                                              {"failed", 1},
                                              {"skipped", 2}}));
}

TEST_F(TrackRunTest, TheSecondRunComparesWithTheFirstAndReportsCrossings) {
    const QList<TrackedPair> list{
        pair("a.cn", "k", {QStringLiteral("baidu"), QStringLiteral("bing")})};
    ScriptedEngines first;
    first.answer("baidu", "k", CheckOutcome::Found, 5);
    first.answer("bing", "k", CheckOutcome::Found, 9);
    EXPECT_TRUE(runTrackedList(&history, list, first.checker(), false).moves.isEmpty());
    EXPECT_EQ(runsOf("track-run")[0].end, RunEnd::Done);

    ScriptedEngines second;
    second.answer("baidu", "k", CheckOutcome::Found, 2);
    second.answer("bing", "k", CheckOutcome::NotFound);
    QStringList changes;
    TrackRunTell tell;
    tell.checked = [&](const TrackedPair&, const TrackedCheck& c) { changes << c.change; };
    const TrackCounts counts = runTrackedList(&history, list, second.checker(), false, tell);
    EXPECT_EQ(changes, (QStringList{"↑3", "出榜"}));
    ASSERT_EQ(counts.moves.size(), 2);
    EXPECT_EQ(counts.moves[0].engine, QStringLiteral("baidu"));
    EXPECT_EQ(counts.moves[0].top, 3);
    EXPECT_TRUE(counts.moves[0].entered);
    EXPECT_EQ(counts.moves[1].engine, QStringLiteral("bing"));
    EXPECT_EQ(counts.moves[1].top, 10);
    EXPECT_FALSE(counts.moves[1].entered);
}

TEST_F(TrackRunTest, AStoppedRunIsRecordedStoppedWithWhatItCounted) {
    const QList<TrackedPair> list{pair("a.cn", "k1", {QStringLiteral("baidu")}),
                                  pair("a.cn", "k2", {QStringLiteral("baidu")})};
    int calls = 0;
    const RankChecker stopping = [&](const QString& engine, const RankQuery&) -> EngineCheck {
        if (++calls == 2)
            throw ToolStopped();
        return {engine, CheckOutcome::Found, 1, {}, {}, {}, 10, 0};
    };
    EXPECT_THROW(runTrackedList(&history, list, stopping, false), ToolStopped);
    const QList<RunRecord> runs = runsOf("track-run");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].end, RunEnd::Stopped);
    EXPECT_EQ(runs[0].figures[0].number, 1);
    EXPECT_EQ(runsOf("rank-track")[0].end, RunEnd::Stopped);
}

} // namespace
