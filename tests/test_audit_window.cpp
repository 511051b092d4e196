#include "app/audit_window.h"
#include "app/form1.h"
#include "app/message_box.h"
#include "app/save_dialog.h"
#include "app/submit_page.h"
#include "demo/demo_fetcher.h"
#include "fixture_server.h"
#include "history/history_export.h"
#include "history/history_store.h"
#include "tools/recorded_run.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>

namespace {

using Page = FixtureServer::Page;

// A home page linking to a missing page and to a page without a title.
void serveSite(FixtureServer& server) {
    server.add("/", Page(200, "text/html; charset=utf-8",
                         "<html><head><title>首页</title><meta name=description content=x>"
                         "</head><body><h1>首页</h1><a href=\"/gone\">坏链</a>"
                         "<a href=\"/untitled\">无题</a></body></html>"));
    server.add("/untitled",
               Page(200, "text/html; charset=utf-8",
                    "<html><head><meta name=description content=y></head><body><h1>无题</h1>"
                    "<a href=\"/\">首页</a></body></html>"));
    server.add("/gone", Page(404, "text/html", "no"));
}

// Pages that never run out, each answered after delayMs.
void serveEndless(FixtureServer& server, int delayMs) {
    server.add("/", [delayMs](const std::string& target) {
        const QString t = QString::fromStdString(target);
        const int n = t.contains(u'=') ? t.mid(t.indexOf(u'=') + 1).toInt() : 0;
        return Page(
            200, "text/html",
            QStringLiteral("<title>%1</title><a href=\"/?p=%2\">a</a><a href=\"/?p=%3\">b</a>")
                .arg(n)
                .arg(2 * n + 1)
                .arg(2 * n + 2)
                .toUtf8(),
            delayMs);
    });
}

QList<RunRecord> auditRunsOf(const HistoryStore& store, const FixtureServer& server) {
    HistoryQuery query;
    query.tool = QStringLiteral("audit");
    query.input = server.base() + "/";
    return store.runs(query);
}

class AuditWindowTest : public ::testing::Test {
protected:
    template <class T> T* find(const char* name) {
        T* w = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void startAt(const QString& address) {
        find<QLineEdit>("address")->setText(address);
        find<QDoubleSpinBox>("rate")->setValue(0);
        QTest::mouseClick(find<QPushButton>("start"), Qt::LeftButton);
    }

    bool waitForEnd(int ms = 20000) {
        return QTest::qWaitFor([this] { return !window.running(); }, ms);
    }

    QStringList visibleKinds() {
        auto* faults = find<QTableWidget>("faults");
        QStringList kinds;
        for (int r = 0; r < faults->rowCount(); ++r)
            if (!faults->isRowHidden(r))
                kinds << faults->item(r, 0)->text();
        return kinds;
    }

    QTemporaryDir dir;
    HistoryStore store{dir.filePath(QStringLiteral("history.sqlite"))};
    RunHistory history{[this] { return &store; }, [](const QString&) {}};
    CurlFetcher fetcher;
    AuditWindow window{&history, false, fetcher, EndpointTable{}};
    QStringList boxes;
    Seam<void(QWidget*, const QString&)>::Replaced noBoxes =
        message_box::seam().replace([this](QWidget*, const QString& text) { boxes << text; });
};

TEST_F(AuditWindowTest, ACrawlFillsTheFaultsWhichFilterByKindAndIsRecorded) {
    FixtureServer server;
    serveSite(server);
    startAt(server.base() + "/");
    EXPECT_EQ(find<QPushButton>("start")->text(), QStringLiteral("停止"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    EXPECT_EQ(find<QPushButton>("start")->text(), QStringLiteral("开始"));

    auto* faults = find<QTableWidget>("faults");
    ASSERT_GE(faults->rowCount(), 2);
    auto* kinds = find<QComboBox>("kinds");
    kinds->setCurrentIndex(kinds->findData(QStringLiteral("broken_link")));
    EXPECT_EQ(visibleKinds(), QStringList{QStringLiteral("broken_link")});
    for (int r = 0; r < faults->rowCount(); ++r)
        if (!faults->isRowHidden(r)) {
            EXPECT_EQ(faults->item(r, 1)->text(), server.base() + "/gone");
            // The page that links to it, and the link's text in the tooltip.
            EXPECT_EQ(faults->item(r, 3)->text(), server.base() + "/");
            EXPECT_TRUE(faults->item(r, 3)->toolTip().contains(QStringLiteral("坏链")));
        }
    kinds->setCurrentIndex(kinds->findData(QStringLiteral("missing_title")));
    EXPECT_EQ(visibleKinds(), QStringList{QStringLiteral("missing_title")});
    kinds->setCurrentIndex(0);
    EXPECT_EQ(visibleKinds().size(), faults->rowCount());
    // The missing page is one of the site's too.
    EXPECT_EQ(find<QTableWidget>("pages")->rowCount(), 3);

    const QList<RunRecord> runs = auditRunsOf(store, server);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].end, RunEnd::Done);
    const Figure* broken = findFigure(runs[0], QStringLiteral("broken_link"));
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->text, QStringLiteral("1"));
}

TEST_F(AuditWindowTest, ExportsWriteTheCsvAndTheDeadLinksWhereTheDialogSays) {
    FixtureServer server;
    serveSite(server);
    startAt(server.base() + "/");
    ASSERT_TRUE(waitForEnd());
    QString asked = dir.filePath(QStringLiteral("faults.csv"));
    const auto dialog = save_dialog::seam().replace(
        [&](QWidget*, const QString&, const QString&, const QString&) { return asked; });
    QTest::mouseClick(find<QPushButton>("exportCsv"), Qt::LeftButton);
    QFile csv(asked);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBFkind,url,from,text,detail"));
    EXPECT_TRUE(bytes.contains("broken_link," + (server.base() + "/gone").toUtf8()));

    asked = dir.filePath(QStringLiteral("dead.txt"));
    QTest::mouseClick(find<QPushButton>("exportDeadLinks"), Qt::LeftButton);
    QFile dead(asked);
    ASSERT_TRUE(dead.open(QIODevice::ReadOnly));
    EXPECT_EQ(dead.readAll(), (server.base() + "/gone\n").toUtf8());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

TEST_F(AuditWindowTest, StopEndsTheCrawlKeepingWhatItFound) {
    FixtureServer server;
    serveEndless(server, 200);
    startAt(server.base() + "/");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests().size() >= 4; }, 20000));
    QElapsedTimer stopping;
    stopping.start();
    QTest::mouseClick(find<QPushButton>("start"), Qt::LeftButton);
    ASSERT_TRUE(waitForEnd(10000));
    EXPECT_LT(stopping.elapsed(), 3000);
    EXPECT_EQ(window.report().stoppedBy, QStringLiteral("stopped"));
    EXPECT_GT(find<QTableWidget>("pages")->rowCount(), 0);
    const QList<RunRecord> runs = auditRunsOf(store, server);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].end, RunEnd::Stopped);
}

TEST_F(AuditWindowTest, ClosingTheWindowStopsTheCrawl) {
    FixtureServer server;
    serveEndless(server, 200);
    window.show();
    startAt(server.base() + "/");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests().size() >= 2; }, 20000));
    window.close();
    ASSERT_TRUE(waitForEnd(10000));
    EXPECT_EQ(window.report().stoppedBy, QStringLiteral("stopped"));
}

TEST_F(AuditWindowTest, ASecondAuditShowsTheFaultsAddedAndMendedSinceTheFirst) {
    FixtureServer server;
    std::atomic<bool> second = false;
    // The first time /a is dead, the second time /b.
    server.add("/", Page(200, "text/html",
                         "<title>首页</title><h1>x</h1><a href=\"/a\">a</a><a href=\"/b\">b</a>"));
    for (const char* path : {"/a", "/b"})
        server.add(path, [&second, path](const std::string&) {
            const bool dead = second == (path == std::string("/b"));
            return Page(dead ? 404 : 200, "text/html",
                        "<title>t</title><meta name=description content=d><h1>x</h1>");
        });
    startAt(server.base() + "/");
    ASSERT_TRUE(waitForEnd());
    auto* kinds = find<QComboBox>("kinds");
    EXPECT_EQ(kinds->findData(QStringLiteral("+added")), -1); // nothing to compare with yet
    second = true;
    startAt(server.base() + "/");
    ASSERT_TRUE(waitForEnd());
    auto* faults = find<QTableWidget>("faults");
    const auto shown = [&](const char* choice) {
        kinds->setCurrentIndex(kinds->findData(QString::fromLatin1(choice)));
        QStringList rows;
        for (int r = 0; r < faults->rowCount(); ++r)
            if (!faults->isRowHidden(r))
                rows << faults->item(r, 0)->text() + u' ' +
                            faults->item(r, 1)->text().mid(server.base().size());
        return rows;
    };
    EXPECT_EQ(shown("+added"), QStringList{QStringLiteral("broken_link /b")});
    EXPECT_EQ(shown("+mended"), QStringList{QStringLiteral("broken_link /a")});
    // The mended fault is no fault of this audit.
    EXPECT_FALSE(shown("broken_link").contains(QStringLiteral("broken_link /a")));
}

TEST_F(AuditWindowTest, AnEmptyAddressIsToldAndNothingStarts) {
    QTest::mouseClick(find<QPushButton>("start"), Qt::LeftButton);
    EXPECT_FALSE(window.running());
    EXPECT_EQ(boxes, QStringList{QStringLiteral("请输入要体检的网址")});
}

TEST(AuditWindowDemo, CrawlsTheBuiltInSiteMarksItsRecordAndPushesItsPages) {
    QTemporaryDir dir;
    HistoryStore store{dir.filePath(QStringLiteral("history.sqlite"))};
    RunHistory history{[&] { return &store; }, [](const QString&) {}};
    DemoFetcher fetcher;
    AuditWindow window{&history, true, fetcher, EndpointTable{}};
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("start")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.running(); }, 30000));
    // Every kind but mixed content, which an https page alone can show, and "全部".
    EXPECT_EQ(window.findChild<QComboBox*>(QStringLiteral("kinds"))->count(),
              auditProblemKinds().size());
    HistoryQuery query;
    query.tool = QStringLiteral("audit");
    const QList<RunRecord> runs = store.runs(query);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_TRUE(runs[0].demo);
    EXPECT_EQ(runs[0].input, QStringLiteral("http://www.example.cn/"));

    // The second page pushes the pages the crawl found to the demo's Baidu, and is recorded too.
    EXPECT_EQ(window.findChild<QTabWidget*>(QStringLiteral("tabs"))->tabText(1),
              QStringLiteral("链接提交"));
    SubmitPage* page = window.submitPage();
    page->findChild<QLineEdit*>(QStringLiteral("token"))->setText(QStringLiteral("demo"));
    QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("pushBaidu")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page->running(); }, 10000));
    const QString told = page->findChild<QPlainTextEdit*>(QStringLiteral("answers"))->toPlainText();
    EXPECT_TRUE(told.contains(QStringLiteral("百度接受："))) << told.toStdString();
    EXPECT_TRUE(page->findChild<QLabel*>(QStringLiteral("quota"))
                    ->text()
                    .startsWith(QStringLiteral("今天剩余配额：")));
    query.tool = QStringLiteral("push-baidu");
    const QList<RunRecord> pushes = store.runs(query);
    ASSERT_EQ(pushes.size(), 1);
    EXPECT_TRUE(pushes[0].demo);
    EXPECT_EQ(pushes[0].input, QStringLiteral("www.example.cn"));
}

TEST(AuditWindowDemo, CtrlJOpensOneWindowOnTheDemoSite) {
    DemoFetcher fetcher;
    Form1 form(fetcher);
    form.demoRuns = true;
    for (int opened = 0; opened < 2; ++opened) {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, Qt::Key_J, Qt::ControlModifier);
    }
    const QList<AuditWindow*> windows = form.findChildren<AuditWindow*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_EQ(windows[0]->findChild<QLineEdit*>(QStringLiteral("address"))->text(),
              QStringLiteral("http://www.example.cn/"));
}

// The button beside the first page's 开始查询 opens the audit on the site typed there, and keeps
// the row's own controls where they were.
TEST(AuditWindowDemo, TheFirstPagesButtonOffersItsSite) {
    DemoFetcher fetcher;
    Form1 form(fetcher);
    auto* button = form.findChild<QPushButton*>(QStringLiteral("cmdAudit"));
    ASSERT_NE(button, nullptr);
    const QRect query = form.findChild<QPushButton*>(QStringLiteral("cmdQuery"))->geometry();
    EXPECT_FALSE(button->geometry().intersects(query));
    EXPECT_EQ(button->parentWidget(), form.findChild<QWidget*>(QStringLiteral("Frame1")));
    form.findChild<QLineEdit*>(QStringLiteral("txtDomain"))
        ->setText(QStringLiteral(" www.example.org "));
    button->click();
    const QList<AuditWindow*> windows = form.findChildren<AuditWindow*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_EQ(windows[0]->findChild<QLineEdit*>(QStringLiteral("address"))->text(),
              QStringLiteral("http://www.example.org/"));
}

} // namespace
