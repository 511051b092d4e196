// The window's network tools against a loopback server that holds its answers: the window keeps
// turning while they wait, a stop ends them at once, and closing the window ends them all.
#include "app/form1.h"
#include "app/message_box.h"
#include "app/web_view.h"
#include "base/charset.h"
#include "fixture_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>

namespace {

constexpr int kHeldMs = 2000;
// The paths the network tools ask for, with every endpoint at one server.
const char* const kPaths[] = {"/s",
                              "/search",
                              "/web",
                              "/q",
                              "/p",
                              "/results.aspx",
                              "/main/word.php",
                              "/data/details/traffic_details/example.cn",
                              "/overview/Info.do",
                              "/page"};

// Every endpoint at one server whose every answer comes after kHeldMs.
class HeldAnswers : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* path : kPaths)
            server.add(path, {200, "text/html", "held", kHeldMs});
        ini = dir.filePath(QStringLiteral("endpoints.ini"));
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[endpoints]\n");
        for (const char* name :
             {"BaiduSearchHost", "BaiduIndexHost", "GoogleHost", "YahooSearchHost",
              "YahooSitemapHost", "SogouHost", "SosoHost", "YoudaoHost", "ZhongsouHost", "LiveHost",
              "AlexaHost", "ChinaRankHost"})
            f.write(QByteArray(name) + "=" + server.base().toUtf8() + "\n");
        f.close();
        form = std::make_unique<Form1>(fetcher, ini);
        for (const char* input : {"txtDomain", "txtDomain2", "txtDomain1", "txtDomainPr",
                                  "txtKeyWordUrl", "txtKeyWord", "txtRelateKeyWord"})
            form->findChild<QLineEdit*>(QString::fromLatin1(input))
                ->setText(QStringLiteral("example.cn"));
        form->findChild<QLineEdit*>(QStringLiteral("txtSearchPage"))
            ->setText(server.base() + QStringLiteral("/page"));
        form->findChild<QLineEdit*>(QStringLiteral("txtSearchKeyWord"))
            ->setText(QStringLiteral("held"));
    }
    void TearDown() override { form.reset(); }

    QPushButton* button(const char* name) {
        return form->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    // The longest the window's event loop went without turning while it was watched for ms.
    static qint64 worstGapMs(int ms) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 worst = 0;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            worst = std::max(worst, clock.elapsed() - last);
            last = clock.elapsed();
        });
        tick.start();
        while (clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return worst;
    }

    // How long the window's tools took to end after a stop.
    qint64 msUntilIdle() {
        QElapsedTimer clock;
        clock.start();
        while (form->toolsRunning() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return clock.elapsed();
    }

    FixtureServer server;
    QTemporaryDir dir;
    QString ini;
    CurlFetcher fetcher;
    QStringList boxes;
    const Seam<void(QWidget*, const QString&)>::Replaced recordBoxes =
        message_box::seam().replace([this](QWidget*, const QString& t) { boxes << t; });
    std::unique_ptr<Form1> form;
};

} // namespace

TEST_F(HeldAnswers, EachToolLeavesTheWindowTurningAndStopsAtOnce) {
    for (const char* tool : {"cmdQuery", "cmdLink", "cmdBaidu", "cmdPr", "cmdKeyWord",
                             "cmdRelateAndIndex", "cmdFrequency"}) {
        const QString caption = button(tool)->text();
        const qsizetype before = server.requests().size();
        button(tool)->click();
        ASSERT_TRUE(form->toolsRunning()) << tool;
        EXPECT_EQ(button(tool)->text(), QStringLiteral("停止")) << tool;
        QElapsedTimer out; // until the first request waits at the server
        out.start();
        while (server.requests().size() == before && out.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // The busy pointer is on the tool's own page while its request waits.
        QWidget* page = button(tool);
        while (page->parentWidget() && !qobject_cast<QStackedWidget*>(page->parentWidget()))
            page = page->parentWidget();
        EXPECT_TRUE(page->testAttribute(Qt::WA_SetCursor) &&
                    page->cursor().shape() == Qt::WaitCursor)
            << tool;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << tool;
        const qint64 gap = worstGapMs(500);
        EXPECT_LT(gap, 50) << tool;
        button(tool)->click(); // 停止
        const qint64 stopped = msUntilIdle();
        EXPECT_LT(stopped, 500) << tool;
        std::cout << tool << ": worst event-loop gap " << gap << " ms, stopped after " << stopped
                  << " ms\n";
        EXPECT_EQ(button(tool)->text(), caption) << tool;
        EXPECT_FALSE(page->testAttribute(Qt::WA_SetCursor)) << tool;
        EXPECT_TRUE(boxes.isEmpty()) << tool << ": " << boxes.join(u'\n').toStdString();
    }
    // The survey's view says where it stopped instead of showing the waiting page on.
    QFile shown(form->findChild<WebView*>(QStringLiteral("webBBS"))->address());
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
    const QString page = charset::decodeGbk(shown.readAll());
    EXPECT_TRUE(page.contains(QStringLiteral("收录数量在 Baidu（1/8）处查询已停止")))
        << page.toStdString();
}

TEST_F(HeldAnswers, ToolsRunSideBySideAndEscStopsOnlyItsPage) {
    button("cmdKeyWord")->click();
    button("cmdFrequency")->click();
    // The converter answers while both wait.
    form->findChild<QPlainTextEdit*>(QStringLiteral("txtChangeS"))->setPlainText("中国");
    button("cmdTtoS")->click();
    EXPECT_EQ(form->findChild<QPlainTextEdit*>(QStringLiteral("txtChangeResult"))->toPlainText(),
              QStringLiteral("中国"));
    // Esc where the user types on the density page stops the density run only.
    auto* address = form->findChild<QLineEdit*>(QStringLiteral("txtSearchPage"));
    auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(tabs->indexOf(address->parentWidget()->parentWidget()));
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Escape);
    QElapsedTimer clock;
    clock.start();
    while (button("cmdFrequency")->text() == QStringLiteral("停止") && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_TRUE(form->toolsRunning());
    EXPECT_EQ(button("cmdKeyWord")->text(), QStringLiteral("停止"));
    button("cmdKeyWord")->click();
    EXPECT_LT(msUntilIdle(), 500);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(HeldAnswers, EnterDoesNotStartASecondSurvey) {
    auto* domain = form->findChild<QLineEdit*>(QStringLiteral("txtDomain"));
    button("cmdQuery")->click();
    QElapsedTimer clock;
    clock.start();
    while (server.requests().isEmpty() && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(domain, &enter);
    worstGapMs(100);
    EXPECT_TRUE(form->toolsRunning()); // Enter neither stopped it nor started another
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(HeldAnswers, ARunThatStartsClearsThePagesLastAnswers) {
    auto label = [this](const char* name) {
        return form->findChild<QLabel*>(QString::fromLatin1(name));
    };
    const struct {
        const char* button;
        const char* box;
        const char* designed; // a badge label's text once cleared; nullptr: a rank box
    } cases[] = {
        {"cmdKeyWord", "txtBaidu", nullptr},
        {"cmdKeyWord", "txtGoogle", nullptr},
        {"cmdPr", "lblAlexa", ""},
        {"cmdPr", "lblGooglePr", ""},
    };
    for (const auto& c : cases) {
        if (c.designed) {
            label(c.box)->setText(QStringLiteral("上次的结果 123"));
            label(c.box)->setToolTip(QStringLiteral("上次的原因"));
        } else {
            auto* box = form->findChild<QLineEdit*>(QString::fromLatin1(c.box));
            box->setText(QStringLiteral("7"));
            box->setToolTip(QStringLiteral("上次的原因"));
        }
        button(c.button)->click();
        ASSERT_TRUE(form->toolsRunning()) << c.button;
        if (c.designed) {
            EXPECT_EQ(label(c.box)->text(), QString::fromUtf8(c.designed)) << c.box;
        } else {
            auto* box = form->findChild<QLineEdit*>(QString::fromLatin1(c.box));
            EXPECT_TRUE(box->text().isEmpty()) << c.box;
            EXPECT_TRUE(box->toolTip().isEmpty()) << c.box;
        }
        button(c.button)->click(); // stops it
        msUntilIdle();
    }
}

TEST_F(HeldAnswers, ARunsRequestsShareAConnectionAndTheNextRunOpensItsOwn) {
    for (const char* path : kPaths)
        server.add(path, {200, "text/html", "at once"});
    for (int run = 1; run <= 2; ++run) {
        button("cmdQuery")->click();
        msUntilIdle();
        EXPECT_EQ(server.requests().size(), 8 * run);
        EXPECT_EQ(server.connections(), run);
    }
}

TEST_F(HeldAnswers, ClosingStopsEveryToolWithinASecond) {
    for (const char* tool : {"cmdQuery", "cmdLink", "cmdPr", "cmdKeyWord", "cmdRelateAndIndex"})
        button(tool)->click();
    ASSERT_TRUE(form->toolsRunning());
    QElapsedTimer clock;
    clock.start();
    form->close();
    form.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(boxes.isEmpty());
}
