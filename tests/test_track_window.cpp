#include "app/form1.h"
#include "app/message_box.h"
#include "app/track_window.h"
#include "demo/demo_fetcher.h"
#include "history/history_store.h"
#include "history/run_log.h"
#include "scratch_home.h"
#include "tools/recorded_run.h"
#include "tools/track_schedule.h"
#include "track/rank_check.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

Figure answer(const QString& engine, const QString& text, std::optional<double> position, Why why,
              const QString& detail = {}) {
    Figure f;
    f.label = engine;
    f.text = text;
    f.number = position;
    f.why = why;
    f.detail = detail;
    return f;
}

class TrackWindowTest : public ::testing::Test {
protected:
    template <class T> T* find(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // A check of site and keyword recorded minutes ago, as a run of the list writes it.
    void recorded(const QString& keyword, const QList<Figure>& figures, int minutesAgo) {
        RunRecord run =
            beginRun(QStringLiteral("rank-track"), QStringLiteral("www.example.cn"), keyword);
        run.started = QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo);
        run.ended = run.started.addSecs(5);
        run.figures = figures;
        store.record(run);
    }

    QString cell(int row, const QString& engine) {
        auto* table = find<QTableWidget>("tracked");
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->horizontalHeaderItem(c)->text() == engine)
                return table->item(row, c) ? table->item(row, c)->text() : QString();
        ADD_FAILURE() << "no column " << engine.toStdString();
        return {};
    }

    void open(bool demo = false) {
        window = std::make_unique<TrackWindow>(&history, fetcher, EndpointTable{}, demo);
        window->setDelay(0ms);
    }

    ScratchHome home;
    QTemporaryDir dir;
    HistoryStore store{dir.filePath(QStringLiteral("history.sqlite"))};
    RunHistory history{[this] { return &store; }, [](const QString&) {}};
    DemoFetcher fetcher;
    std::unique_ptr<TrackWindow> window;
    QStringList boxes;
    Seam<void(QWidget*, const QString&)>::Replaced noBoxes =
        message_box::seam().replace([this](QWidget*, const QString& text) { boxes << text; });
};

// Each engine's newest answer in words, its move against the answer before it (a blocked check
// between them passed over), and an engine whose page was not recognised named below the table.
TEST_F(TrackWindowTest, TheTableShowsEachEnginesLastAnswerAndItsMove) {
    TrackedPair pair;
    pair.site = QStringLiteral("www.example.cn");
    pair.keyword = QStringLiteral("站长工具");
    store.track(pair);
    recorded(pair.keyword,
             {answer(QStringLiteral("baidu"), QStringLiteral("第5位"), 5, Why::None),
              answer(QStringLiteral("bing"), QStringLiteral("第2位"), 2, Why::None)},
             30);
    recorded(pair.keyword,
             {answer(QStringLiteral("baidu"), QStringLiteral("受阻（验证码）"), {}, Why::Blocked,
                     QStringLiteral("wappass")),
              answer(QStringLiteral("bing"), QStringLiteral("第2位"), 2, Why::None)},
             20);
    recorded(pair.keyword,
             {answer(QStringLiteral("baidu"), QStringLiteral("第3位"), 3, Why::None),
              answer(QStringLiteral("bing"), QStringLiteral("页面无法识别"), {}, Why::Unrecognised,
                     QStringLiteral("rank-track.ini 第 52 行")),
              answer(QStringLiteral("sogou"), QStringLiteral("前50位中没有"), {}, Why::NotFound)},
             10);
    open();
    ASSERT_EQ(find<QTableWidget>("tracked")->rowCount(), 1);
    EXPECT_EQ(cell(0, QStringLiteral("百度")), QStringLiteral("第3位 ↑2"));
    EXPECT_EQ(cell(0, QStringLiteral("必应")), QStringLiteral("页面无法识别"));
    EXPECT_EQ(cell(0, QStringLiteral("搜狗")), QStringLiteral("前50位中没有 —"));
    EXPECT_EQ(cell(0, QStringLiteral("360搜索")), QStringLiteral("未检查"));
    auto* warnings = find<QLabel>("engineWarnings");
    EXPECT_FALSE(warnings->isHidden());
    EXPECT_EQ(warnings->text(), QStringLiteral("必应 页面无法识别：rank-track.ini 第 52 行"));
    // A later canary that read Bing's page puts the warning away, and one that did not read
    // Sogou's adds it.
    RunRecord canary = beginRun(QStringLiteral("engines-check"), QStringLiteral("天气"));
    canary.figures = {
        answer(QStringLiteral("bing"), QStringLiteral("前10位中没有"), {}, Why::NotFound),
        answer(QStringLiteral("sogou"), QStringLiteral("页面无法识别"), {}, Why::Unrecognised,
               QStringLiteral("rank-track.ini 第 70 行"))};
    store.record(canary);
    window->reload();
    EXPECT_EQ(warnings->text(), QStringLiteral("搜狗 页面无法识别：rank-track.ini 第 70 行"));

    // The chart follows the chosen keyword: a line for each engine with a place, gaps elsewhere.
    find<QTableWidget>("tracked")->selectRow(0);
    QChart* chart = find<QChartView>("chart")->chart();
    EXPECT_FALSE(chart->series().isEmpty());
    EXPECT_TRUE(chart->title().contains(QStringLiteral("站长工具")));
}

// In the demo the list is offered, added and checked on a thread of its own; every check is
// recorded, marked as the demo's, and the table shows the answers.
TEST_F(TrackWindowTest, CheckingTheListInTheDemoRecordsEveryCheck) {
    open(true);
    EXPECT_EQ(find<QLineEdit>("site")->text(), QStringLiteral("www.example.cn"));
    QTest::mouseClick(find<QPushButton>("add"), Qt::LeftButton);
    ASSERT_EQ(find<QTableWidget>("tracked")->rowCount(), 2);
    QTest::mouseClick(find<QPushButton>("check"), Qt::LeftButton);
    EXPECT_TRUE(window->running());
    EXPECT_EQ(find<QPushButton>("check")->text(), QStringLiteral("停止"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->running(); }, 30000));
    EXPECT_EQ(find<QPushButton>("check")->text(), QStringLiteral("立即检查"));
    HistoryQuery q;
    q.tool = QStringLiteral("rank-track");
    const QList<RunRecord> runs = store.runs(q);
    ASSERT_EQ(runs.size(), 2);
    for (const RunRecord& run : runs)
        EXPECT_TRUE(run.demo);
    // The demo blocks some engines: the second keyword is not asked of them again.
    const RunRecord& first = runs[1];
    ASSERT_EQ(first.figures.size(), rankEngineNames().size());
    const auto blocked = std::count_if(first.figures.cbegin(), first.figures.cend(),
                                       [](const Figure& f) { return f.why == Why::Blocked; });
    EXPECT_GT(blocked, 0);
    EXPECT_EQ(runs[0].figures.size(), first.figures.size() - blocked);
    EXPECT_FALSE(cell(0, QStringLiteral("百度")).isEmpty());
    auto* bar = find<QProgressBar>("progress");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

// 停止 ends a run that waits between two requests to an engine within a second, and the run is
// recorded as stopped.
TEST_F(TrackWindowTest, StopEndsTheChecksWithinASecond) {
    open(true);
    QTest::mouseClick(find<QPushButton>("add"), Qt::LeftButton);
    window->setDelay(60s);
    QTest::mouseClick(find<QPushButton>("check"), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return find<QProgressBar>("progress")->value() > 0; }, 10000));
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->running(); }, 5000));
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(find<QLabel>("status")->text(), QStringLiteral("已停止"));
}

TEST_F(TrackWindowTest, AnEmptySiteOrKeywordIsToldAndNothingIsAdded) {
    open();
    find<QLineEdit>("site")->setText(QStringLiteral("www.example.cn"));
    QTest::mouseClick(find<QPushButton>("add"), Qt::LeftButton);
    EXPECT_EQ(boxes, QStringList{QStringLiteral("请输入网站和至少一个关键词")});
    EXPECT_TRUE(store.tracked().isEmpty());
    QTest::mouseClick(find<QPushButton>("check"), Qt::LeftButton);
    EXPECT_FALSE(window->running());
    EXPECT_EQ(boxes.size(), 2);
}

// A schedule written two days ago that never ran is a missed run, and says so in red.
TEST_F(TrackWindowTest, AMissedScheduledRunIsShownInRed) {
    const QString timer = writeSchedule(
        scheduleFolder(), QTime(8, 0),
        {QStringLiteral("/usr/bin/tessivo-cli"), QStringLiteral("track"), QStringLiteral("run")});
    const QDateTime twoDaysAgo = QDateTime::currentDateTime().addDays(-2);
    for (const QString& unit :
         {timer, QString(timer).replace(QStringLiteral(".timer"), QStringLiteral(".service"))}) {
        QFile f(unit);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(twoDaysAgo, QFileDevice::FileModificationTime));
    }
    open();
    auto* schedule = find<QLabel>("schedule");
    EXPECT_TRUE(schedule->text().contains(QStringLiteral("08:00")))
        << schedule->text().toStdString();
    EXPECT_TRUE(schedule->styleSheet().contains(QStringLiteral("#cf222e")));
    EXPECT_TRUE(find<QPushButton>("removeSchedule")->isEnabled());
}

TEST(TrackWindowForm, TheRankPagesButtonOffersItsSiteAndKeyword) {
    ScratchHome home;
    DemoFetcher fetcher;
    Form1 form(fetcher);
    form.demoRuns = true;
    auto* button = form.findChild<QPushButton*>(QStringLiteral("cmdRankTrack"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget(), form.findChild<QWidget*>(QStringLiteral("Frame3")));
    EXPECT_FALSE(button->geometry().intersects(
        form.findChild<QPushButton*>(QStringLiteral("cmdKeyWord"))->geometry()));
    form.findChild<QLineEdit*>(QStringLiteral("txtKeyWordUrl"))
        ->setText(QStringLiteral("a.example.org"));
    form.findChild<QLineEdit*>(QStringLiteral("txtKeyWord"))->setText(QStringLiteral("网站优化"));
    button->click();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
    const QList<TrackWindow*> windows = form.findChildren<TrackWindow*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_EQ(windows[0]->findChild<QLineEdit*>(QStringLiteral("site"))->text(),
              QStringLiteral("a.example.org"));
    EXPECT_EQ(windows[0]->findChild<QLineEdit*>(QStringLiteral("keywords"))->text(),
              QStringLiteral("网站优化"));
}

} // namespace
