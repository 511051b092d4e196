#include "app/form1.h"
#include "app/history_window.h"
#include "app/message_box.h"
#include "app/save_dialog.h"
#include "environment_guard.h"
#include "history/history_store.h"
#include "history/run_log.h"
#include "history_samples.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

class NoFetch : public Fetcher {
public:
    HttpResponse get(const QString&) override { return {}; }
};

RunRecord rankRun(const QString& site, const QString& keyword, int day, std::optional<qint64> baidu,
                  qint64 google) {
    RunRecord run = sampleRun(QStringLiteral("keyword-rank"), site, day * 24 * 60, keyword);
    run.figures = {
        baidu ? numberFigure(QStringLiteral("百度"), *baidu)
              : missingFigure(QStringLiteral("百度"), QStringLiteral("未查询到"), Why::NotFound),
        numberFigure(QStringLiteral("Google"), google)};
    return run;
}

class HistoryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Days 0…3 about a.cn, Baidu not found on day 2; one day about b.cn; one survey.
        store.record(rankRun(QStringLiteral("a.cn"), QStringLiteral("站长"), 0, 5, 20));
        store.record(rankRun(QStringLiteral("a.cn"), QStringLiteral("站长"), 1, 4, 18));
        store.record(rankRun(QStringLiteral("a.cn"), QStringLiteral("站长"), 2, std::nullopt, 15));
        store.record(rankRun(QStringLiteral("a.cn"), QStringLiteral("站长"), 3, 2, 11));
        store.record(rankRun(QStringLiteral("b.cn"), QStringLiteral("工具"), 4, 9, 30));
        RunRecord survey = sampleRun(QStringLiteral("indexed"), QStringLiteral("c.cn"), 0);
        survey.figures = {numberFigure(QStringLiteral("Baidu"), 1234, QStringLiteral("约1,234"))};
        store.record(survey);
        window.selectTool(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"),
                          QStringLiteral("站长"));
    }

    template <class T> T* find(const char* name) {
        T* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QList<QLineSeries*> series(const QString& name) const {
        QList<QLineSeries*> found;
        for (QAbstractSeries* s : window.chart()->series())
            if (s->name() == name)
                found << static_cast<QLineSeries*>(s);
        return found;
    }

    QTemporaryDir dir;
    HistoryStore store{dir.filePath(QStringLiteral("history.sqlite"))};
    HistoryWindow window{store};
};

} // namespace

TEST_F(HistoryWindowTest, PickersListTheRecordedSubjectsOfTheTool) {
    auto* subjects = find<QComboBox>("subjectPicker");
    ASSERT_EQ(subjects->count(), 2);
    EXPECT_EQ(subjects->itemText(0), QStringLiteral("b.cn — 工具"));
    EXPECT_EQ(subjects->itemText(1), QStringLiteral("a.cn — 站长"));
    window.selectTool(QStringLiteral("indexed"));
    ASSERT_EQ(subjects->count(), 1);
    EXPECT_EQ(subjects->itemText(0), QStringLiteral("c.cn"));
    window.selectTool(QStringLiteral("density"));
    EXPECT_EQ(subjects->count(), 0);
    EXPECT_TRUE(window.shownRuns().isEmpty());
    EXPECT_FALSE(find<QPushButton>("exportCsv")->isEnabled());
    window.selectTool(QStringLiteral("keyword-rank"));
    ASSERT_FALSE(window.shownRuns().isEmpty());
    EXPECT_EQ(window.shownRuns()[0].input, QStringLiteral("b.cn")) << "the most recent subject";
}

TEST_F(HistoryWindowTest, TheTableShowsTheSubjectsRunsNewestFirstAsText) {
    auto* table = find<QTableView>("runTable");
    const QAbstractItemModel* m = table->model();
    ASSERT_EQ(m->rowCount(), 4);
    ASSERT_EQ(m->columnCount(), 4);
    EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), QStringLiteral("百度"));
    EXPECT_EQ(m->index(0, 2).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(m->index(1, 2).data().toString(), QStringLiteral("未查询到"));
    EXPECT_EQ(m->index(0, 1).data().toString(), QStringLiteral("完成"));
    EXPECT_EQ(m->index(3, 0).data().toString(), sampleRun({}, {}, 0).started.toLocalTime().toString(
                                                    QStringLiteral("yyyy-MM-dd HH:mm:ss")));

    window.selectSubject(QStringLiteral("b.cn"), QStringLiteral("工具"));
    ASSERT_EQ(m->rowCount(), 1);
    EXPECT_EQ(m->index(0, 3).data().toString(), QStringLiteral("30"));
}

TEST_F(HistoryWindowTest, AMissingNumberIsAGapNotAZeroAndRanksRiseUpwards) {
    const QList<QLineSeries*> baidu = series(QStringLiteral("百度"));
    ASSERT_EQ(baidu.size(), 2) << "the line breaks where Baidu did not find the site";
    EXPECT_EQ(baidu[0]->count(), 2);
    EXPECT_EQ(baidu[1]->count(), 1);
    EXPECT_EQ(baidu[1]->at(0).y(), 2);
    EXPECT_EQ(baidu[0]->color(), baidu[1]->color());
    for (QLineSeries* s : baidu)
        for (const QPointF& p : s->points())
            EXPECT_NE(p.y(), 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int entries = 0;
    for (QLegendMarker* marker : window.chart()->legend()->markers())
        entries += marker->isVisible();
    EXPECT_EQ(entries, 2) << "one legend entry a label, however often its line breaks";
    ASSERT_EQ(series(QStringLiteral("谷歌")).size(), 1);
    EXPECT_EQ(series(QStringLiteral("谷歌"))[0]->count(), 4);

    auto* value = qobject_cast<QValueAxis*>(window.chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(value->isReverse());
    window.selectTool(QStringLiteral("indexed"));
    value = qobject_cast<QValueAxis*>(window.chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(value, nullptr);
    EXPECT_FALSE(value->isReverse()) << "more pages indexed is better";
    EXPECT_EQ(window.chart()->series().size(), 1);
}

// The tracker's checks are positions as well, named by today's engines in Chinese.
TEST_F(HistoryWindowTest, TheTrackersPositionsRiseUpwardsToo) {
    RunRecord run =
        beginRun(QStringLiteral("rank-track"), QStringLiteral("a.cn"), QStringLiteral("站长"));
    run.figures = {
        countFigure(QStringLiteral("bing"), QStringLiteral("3")),
        missingFigure(QStringLiteral("sogou"), QStringLiteral("受阻（验证码）"), Why::Blocked)};
    store.record(run);
    window.reload();
    window.selectTool(QStringLiteral("rank-track"));
    ASSERT_EQ(series(QStringLiteral("必应")).size(), 1);
    EXPECT_TRUE(series(QStringLiteral("搜狗")).isEmpty()) << "a blocked check has no point";
    auto* value = qobject_cast<QValueAxis*>(window.chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(value->isReverse());
}

TEST_F(HistoryWindowTest, ExportWritesTheShownRunsWhereTheDialogSays) {
    for (const bool json : {false, true}) {
        const QString path =
            dir.filePath(json ? QStringLiteral("out.json") : QStringLiteral("out.csv"));
        QString suggested;
        const auto dialog = save_dialog::seam().replace(
            [&](QWidget*, const QString&, const QString& s, const QString&) {
                suggested = s;
                return path;
            });
        find<QPushButton>(json ? "exportJson" : "exportCsv")->click();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = f.readAll();
        if (json) {
            EXPECT_EQ(suggested, QStringLiteral("history.json"));
            EXPECT_EQ(QJsonDocument::fromJson(bytes).array().size(), 4);
        } else {
            EXPECT_EQ(suggested, QStringLiteral("history.csv"));
            EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
            EXPECT_EQ(bytes.count("\r\n"), 5);
        }
    }
}

TEST_F(HistoryWindowTest, DeleteAsksFirstThenRemovesTheSelectedRunsFromStoreAndTable) {
    auto* table = find<QTableView>("runTable");
    for (const bool yes : {false, true}) {
        QString asked;
        const auto confirm = message_box::confirmSeam().replace([&](QWidget*, const QString& t) {
            asked = t;
            return yes;
        });
        table->selectRow(0);
        const qint64 newest = window.shownRuns()[0].id;
        find<QPushButton>("deleteRuns")->click();
        EXPECT_FALSE(asked.isEmpty());
        EXPECT_EQ(table->model()->rowCount(), yes ? 3 : 4);
        HistoryQuery aCn;
        aCn.input = QStringLiteral("a.cn");
        EXPECT_EQ(store.runs(aCn).size(), yes ? 3 : 4);
        EXPECT_EQ(store.runs({}).size(), yes ? 5 : 6);
        const QList<RunRecord> left = store.runs({});
        EXPECT_EQ(std::any_of(left.begin(), left.end(),
                              [&](const RunRecord& r) { return r.id == newest; }),
                  !yes);
    }
}

TEST_F(HistoryWindowTest, ClearAllAsksFirst) {
    for (const bool yes : {false, true}) {
        QString asked;
        const auto confirm = message_box::confirmSeam().replace([&](QWidget*, const QString& t) {
            asked = t;
            return yes;
        });
        find<QPushButton>("clearAll")->click();
        EXPECT_FALSE(asked.isEmpty());
        EXPECT_EQ(store.runs({}).size(), yes ? 0 : 6);
        EXPECT_EQ(find<QComboBox>("subjectPicker")->count(), yes ? 0 : 2);
    }
}

TEST_F(HistoryWindowTest, ASubjectsOlderRunsAreShownOnAsking) {
    auto* more = find<QPushButton>("showEveryRun");
    EXPECT_TRUE(more->isHidden()) << "four runs are all shown";
    for (int day = 10; day < 10 + HistoryWindow::kShownRuns; ++day)
        store.record(rankRun(QStringLiteral("a.cn"), QStringLiteral("站长"), day, 1, 1));
    window.reload();
    EXPECT_EQ(window.shownRuns().size(), HistoryWindow::kShownRuns);
    EXPECT_EQ(window.shownRuns().last().started, sampleRun({}, {}, 10 * 24 * 60).started)
        << "the newest are shown";
    ASSERT_FALSE(more->isHidden());
    more->click();
    EXPECT_EQ(window.shownRuns().size(), HistoryWindow::kShownRuns + 4);
    EXPECT_TRUE(more->isHidden());
    window.selectSubject(QStringLiteral("b.cn"), QStringLiteral("工具"));
    window.selectSubject(QStringLiteral("a.cn"), QStringLiteral("站长"));
    EXPECT_EQ(window.shownRuns().size(), HistoryWindow::kShownRuns) << "asked for one subject only";
}

namespace {

// The main window, with the user's data folder in a folder of the test's own.
class FormHistoryTest : public ::testing::Test {
protected:
    QString defaultPath() const { return HistoryStore::defaultPath(); }

    QTemporaryDir home;
    EnvironmentGuard homeGuard{"HOME", home.path().toLocal8Bit()};
};

// Where the user would press it: in the box that has the keyboard.
void pressCtrlH(QWidget* form) {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, Qt::Key_H, Qt::ControlModifier);
}

} // namespace

TEST_F(FormHistoryTest, CtrlHOpensTheHistoryOfTheStoreTheFormHolds) {
    ASSERT_TRUE(defaultPath().startsWith(home.path())) << defaultPath().toStdString();
    NoFetch fetcher;
    Form1 form(fetcher);
    ASSERT_NE(form.history(), nullptr);
    EXPECT_EQ(form.history()->path(), defaultPath());
    form.history()->record(rankRun(QStringLiteral("a.cn"), QStringLiteral("站长"), 0, 3, 4));

    pressCtrlH(&form);
    auto* window = form.findChild<HistoryWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    window->selectTool(QStringLiteral("keyword-rank"));
    EXPECT_EQ(window->shownRuns().size(), 1);

    form.history()->record(rankRun(QStringLiteral("a.cn"), QStringLiteral("站长"), 1, 2, 4));
    pressCtrlH(&form);
    EXPECT_EQ(form.findChildren<HistoryWindow*>().size(), 1);
    EXPECT_EQ(window->shownRuns().size(), 2) << "opened again, it shows the runs since";

    form.close();
    EXPECT_FALSE(window->isVisible()) << "it would keep the program running";
}

TEST_F(FormHistoryTest, AnUnusableDatabaseIsToldOnceAndAgainOnCtrlH) {
    QDir().mkpath(QFileInfo(defaultPath()).absolutePath());
    QFile f(defaultPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("my notes, not a database\n");
    f.close();

    QStringList boxes;
    const auto box =
        message_box::seam().replace([&](QWidget*, const QString& text) { boxes << text; });
    NoFetch fetcher;
    Form1 form(fetcher);
    EXPECT_EQ(form.history(), nullptr);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("历史记录不可用：")));
    EXPECT_TRUE(boxes[0].contains(defaultPath()));

    pressCtrlH(&form);
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1], boxes[0]);
    EXPECT_EQ(form.findChild<HistoryWindow*>(), nullptr);
}

namespace {

constexpr const char* kSurveyEngines[] = {"Baidu", "Google", "Yahoo",    "Sogou",
                                          "Soso",  "Youdao", "Zhongsou", "Live"};

// One run a day about c.cn, each figure the engine's number that day.
class HistoryChartTest : public HistoryWindowTest {
protected:
    void recordDays(const QString& tool, const QStringList& labels,
                    const QList<QList<qint64>>& days) {
        for (qsizetype d = 0; d < days.size(); ++d) {
            RunRecord run = sampleRun(tool, QStringLiteral("c.cn"), int(d + 10) * 24 * 60);
            for (qsizetype l = 0; l < labels.size(); ++l)
                run.figures << numberFigure(labels[l], days[d][l]);
            store.record(run);
        }
        window.selectTool(tool, QStringLiteral("c.cn"));
    }
    QAbstractAxis* valueAxis() const { return window.chart()->axes(Qt::Vertical).value(0); }
    QStringList headers() const {
        const QAbstractItemModel* m = window.findChild<QTableView*>()->model();
        QStringList names;
        for (int c = 0; c < m->columnCount(); ++c)
            names << m->headerData(c, Qt::Horizontal).toString();
        return names;
    }
};

} // namespace

TEST_F(HistoryChartTest, EachOfASurveysEightEnginesHasAColourOfItsOwnAndAChineseName) {
    QStringList engines;
    QList<qint64> day;
    for (const char* e : kSurveyEngines) {
        engines << QLatin1String(e);
        day << 100 + engines.size();
    }
    recordDays(QStringLiteral("indexed"), engines, {day, day});
    const QStringList chinese = {QStringLiteral("百度"), QStringLiteral("谷歌"),
                                 QStringLiteral("雅虎"), QStringLiteral("搜狗"),
                                 QStringLiteral("搜搜"), QStringLiteral("有道"),
                                 QStringLiteral("中搜"), QStringLiteral("必应")};
    EXPECT_EQ(headers(), QStringList({QStringLiteral("时间"), QStringLiteral("结果")}) + chinese);
    QSet<QRgb> colours;
    for (const QString& name : chinese) {
        ASSERT_EQ(series(name).size(), 1) << name.toStdString();
        colours.insert(series(name)[0]->color().rgb());
    }
    EXPECT_EQ(colours.size(), 8);
    HistoryQuery query;
    query.tool = QStringLiteral("indexed");
    EXPECT_EQ(store.runs(query)[0].figures[0].label, QStringLiteral("Baidu"))
        << "the record keeps the name it was written with";
}

TEST_F(HistoryChartTest, TheValueAxisFitsWhatTheFiguresAre) {
    const struct {
        const char* tool;
        qint64 low, high;
        bool logarithmic;
        double from; // the linear axis's first value
    } cases[] = {
        {"indexed", 10, 900, false, 0},      // counts start from 0, not below
        {"backlinks", 1200, 1500, false, 0}, // however far from it they are
        {"indexed", 5, 123456, true, 1},     // three orders of magnitude apart
        {"backlinks", 0, 123456, false, 0},  // a zero has no place on a logarithmic axis
        {"keyword-rank", 3, 4000, false, 1}, // ranks: reversed, from the first place
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tool + std::string(" ") + std::to_string(c.low) + "…" +
                     std::to_string(c.high));
        store.clear();
        recordDays(QLatin1String(c.tool), {QStringLiteral("Baidu")}, {{c.low}, {c.high}});
        ASSERT_EQ(window.shownRuns().size(), 2);
        if (c.logarithmic) {
            auto* axis = qobject_cast<QLogValueAxis*>(valueAxis());
            ASSERT_NE(axis, nullptr);
            EXPECT_LE(axis->min(), double(c.low));
            EXPECT_GE(axis->max(), double(c.high));
            continue;
        }
        auto* axis = qobject_cast<QValueAxis*>(valueAxis());
        ASSERT_NE(axis, nullptr);
        EXPECT_EQ(axis->min(), c.from);
        EXPECT_GE(axis->max(), double(c.high));
        EXPECT_EQ(axis->isReverse(), QLatin1String(c.tool) == QStringLiteral("keyword-rank"));
    }
}

TEST_F(HistoryChartTest, ARelatedSearchChartsTheFiguresOfTheChosenRowsKeyword) {
    const QStringList captions = {QStringLiteral("当日关注"), QStringLiteral("一周关注"),
                                  QStringLiteral("一月关注"), QStringLiteral("一季关注")};
    const QStringList keywords = {QStringLiteral("站长"), QStringLiteral("站长/工具")};
    for (int day = 0; day < 2; ++day) {
        RunRecord run = sampleRun(QStringLiteral("related"), QStringLiteral("站长"), day * 24 * 60);
        for (qsizetype k = 0; k < keywords.size(); ++k)
            for (qsizetype c = 0; c < captions.size(); ++c)
                run.figures << numberFigure(keywords[k] + u'/' + captions[c],
                                            1000 * (k + 1) + 10 * c + day);
        store.record(run);
    }
    window.selectTool(QStringLiteral("related"));
    EXPECT_EQ(headers(), QStringList({QStringLiteral("时间"), QStringLiteral("结果"),
                                      QStringLiteral("关键词")}) +
                             captions);
    auto* table = find<QTableView>("runTable");
    ASSERT_EQ(table->model()->rowCount(), 4) << "a row a keyword of each run";
    EXPECT_EQ(table->model()->index(1, 2).data().toString(), QStringLiteral("站长/工具"));
    EXPECT_EQ(table->model()->index(1, 4).data().toString(), QStringLiteral("2011"));

    const auto charted = [&](const QString& keyword) {
        ASSERT_EQ(window.chart()->series().size(), 4);
        for (qsizetype c = 0; c < captions.size(); ++c) {
            const QList<QLineSeries*> line = series(keyword + u'/' + captions[c]);
            ASSERT_EQ(line.size(), 1) << captions[c].toStdString();
            ASSERT_EQ(line[0]->count(), 2);
            EXPECT_EQ(line[0]->at(1).y(), (keyword == keywords[0] ? 1000 : 2000) + 10 * c + 1);
        }
    };
    // As a click chooses a row: whatever else was chosen is no longer.
    const auto choose = [&](int row) {
        table->selectionModel()->setCurrentIndex(table->model()->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    };
    charted(keywords[0]); // the newest run's first row
    choose(3);
    charted(keywords[1]);
    choose(0);
    charted(keywords[0]);

    const auto confirm =
        message_box::confirmSeam().replace([](QWidget*, const QString&) { return true; });
    choose(1);
    find<QPushButton>("deleteRuns")->click();
    EXPECT_EQ(table->model()->rowCount(), 2) << "a keyword's row deletes its run";
}

TEST_F(HistoryChartTest, LookupsOfTextsShowTheirTableAlone) {
    for (const char* tool : {"ip", "whois"}) {
        SCOPED_TRACE(tool);
        RunRecord run = sampleRun(QLatin1String(tool), QStringLiteral("c.cn"), 0);
        run.figures = {countFigure(QStringLiteral("registrar"), QStringLiteral("某注册商"))};
        store.record(run);
        window.selectTool(QLatin1String(tool));
        EXPECT_EQ(find<QTableView>("runTable")->model()->rowCount(), 1);
        EXPECT_TRUE(find<QChartView>("chartView")->isHidden());
        window.selectTool(QStringLiteral("keyword-rank"));
        EXPECT_FALSE(find<QChartView>("chartView")->isHidden());
    }
}

TEST_F(HistoryWindowTest, EscapeClosesTheWindow) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    find<QTableView>("runTable")->setFocus();
    QTest::keyClick(find<QTableView>("runTable"), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}
