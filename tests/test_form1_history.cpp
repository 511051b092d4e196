// The window records every run it makes, and the rank boxes tell how they moved since the last
// run for the same site and keyword.
#include "app/form1.h"
#include "demo/demo_fetcher.h"
#include "fixture_server.h"
#include "history/history_store.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

HistoryQuery runsOf(const char* tool) {
    HistoryQuery q;
    q.tool = QLatin1String(tool);
    return q;
}

void type(Form1& form, const char* box, const QString& text) {
    form.findChild<QLineEdit*>(QLatin1String(box))->setText(text);
}

void click(Form1& form, const char* button) {
    form.findChild<QPushButton*>(QLatin1String(button))->click();
}

void waitIdle(Form1& form) {
    const QDeadlineTimer deadline(20000);
    while (form.toolsRunning() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(form.toolsRunning());
}

TEST(FormHistory, EachRunIsRecordedWithItsFiguresAndTheRankBoxesTellTheirMove) {
    DemoFetcher demo;
    Form1 form(demo);
    form.demoRuns = true;
    ASSERT_NE(form.history(), nullptr);

    type(form, "txtDomainPr", QStringLiteral("http://example.cn/"));
    click(form, "cmdPr");
    waitIdle(form);
    const QList<RunRecord> badges = form.history()->runs(runsOf("badges"));
    ASSERT_EQ(badges.size(), 1);
    EXPECT_EQ(badges[0].input, QStringLiteral("example.cn"));
    EXPECT_EQ(badges[0].end, RunEnd::Done);
    EXPECT_TRUE(badges[0].demo);
    QStringList labels;
    for (const Figure& f : badges[0].figures)
        labels << f.label;
    EXPECT_EQ(labels, (QStringList{"pagerank", "alexa", "sogou", "chinarank"}));

    type(form, "txtKeyWordUrl", QStringLiteral("example.cn"));
    type(form, "txtKeyWord", QStringLiteral("站长工具"));
    auto* baidu = form.findChild<QLineEdit*>(QStringLiteral("txtBaidu"));
    click(form, "cmdKeyWord");
    waitIdle(form);
    const QString shown = baidu->text();
    EXPECT_EQ(baidu->toolTip(), QStringLiteral("与上次查询相比：新"));
    click(form, "cmdKeyWord");
    waitIdle(form);
    EXPECT_EQ(baidu->text(), shown); // the box itself shows what it always showed
    EXPECT_EQ(baidu->toolTip(), QStringLiteral("与上次查询相比：—"));
    const QList<RunRecord> ranks = form.history()->runs(runsOf("keyword-rank"));
    ASSERT_EQ(ranks.size(), 2);
    EXPECT_EQ(ranks[0].keyword, QStringLiteral("站长工具"));
    EXPECT_EQ(ranks[0].figures.size(), 6);
}

TEST(FormHistory, AStoppedRunIsRecordedAsStopped) {
    FixtureServer server;
    server.add("/search", {200, "text/html", "held", 5000});
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("endpoints.ini"));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[endpoints]\nGoogleHost=" + server.base().toUtf8() + "\n");
    f.close();
    CurlFetcher fetcher;
    Form1 form(fetcher, ini);
    type(form, "txtDomainPr", QStringLiteral("stopped.cn"));
    click(form, "cmdPr");
    const QDeadlineTimer asked(5000);
    while (server.requests().isEmpty() && !asked.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    click(form, "cmdPr"); // the button reads "停止" now
    waitIdle(form);
    HistoryQuery q = runsOf("badges");
    q.input = QStringLiteral("stopped.cn");
    const QList<RunRecord> runs = form.history()->runs(q);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].end, RunEnd::Stopped);
    EXPECT_TRUE(runs[0].figures.isEmpty());
}

} // namespace
