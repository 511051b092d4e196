#include "app/form1.h"
#include "app/history_window.h"
#include "app/message_box.h"
#include "app/save_dialog.h"
#include "environment_guard.h"
#include "history/history_store.h"
#include "history_samples.h"

#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>
#include <gtest/gtest.h>

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
    ASSERT_EQ(series(QStringLiteral("Google")).size(), 1);
    EXPECT_EQ(series(QStringLiteral("Google"))[0]->count(), 4);

    auto* value = qobject_cast<QValueAxis*>(window.chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(value->isReverse());
    window.selectTool(QStringLiteral("indexed"));
    value = qobject_cast<QValueAxis*>(window.chart()->axes(Qt::Vertical).value(0));
    ASSERT_NE(value, nullptr);
    EXPECT_FALSE(value->isReverse()) << "more pages indexed is better";
    EXPECT_EQ(window.chart()->series().size(), 1);
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

TEST_F(HistoryWindowTest, DeleteRemovesTheSelectedRunsFromStoreAndTable) {
    auto* table = find<QTableView>("runTable");
    table->selectRow(0);
    const qint64 newest = window.shownRuns()[0].id;
    find<QPushButton>("deleteRuns")->click();
    EXPECT_EQ(table->model()->rowCount(), 3);
    HistoryQuery aCn;
    aCn.input = QStringLiteral("a.cn");
    EXPECT_EQ(store.runs(aCn).size(), 3);
    for (const RunRecord& r : store.runs({}))
        EXPECT_NE(r.id, newest);
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
