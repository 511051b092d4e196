// What the window's texts cannot say by themselves: a "-" or "0" whose request failed or whose
// page was unreadable gets a tooltip with the reason, the page's status line counts them, and a
// survey goes on past an engine that refuses connections, with one box at its end.
#include "app/form1.h"
#include "app/message_box.h"
#include "app/web_view.h"
#include "base/charset.h"
#include "fixture_server.h"
#include "history/history_store.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* const kEndpoints[] = {"BaiduSearchHost",  "GoogleHost",   "YahooSearchHost",
                                  "YahooSitemapHost", "SogouHost",    "SosoHost",
                                  "YoudaoHost",       "ZhongsouHost", "LiveHost",
                                  "AlexaHost",        "ChinaRankHost"};

const QString kRefused = QStringLiteral("失败：无法连接到服务器");
const QString kUnreadable = QStringLiteral("页面中没有找到标记：引擎可能已改版或关闭");

// A window whose endpoints are the fixture server, or a closed port for those a test names.
class FormOutcomes : public ::testing::Test {
protected:
    void open(const QStringList& dead) {
        gone = refusingBase();
        const QString ini = dir.filePath(QStringLiteral("endpoints.ini"));
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[endpoints]\n");
        for (const char* name : kEndpoints)
            f.write(QByteArray(name) + "=" +
                    (dead.contains(QLatin1String(name)) ? gone : server.base()).toUtf8() + "\n");
        f.close();
        form = std::make_unique<Form1>(fetcher, ini);
    }

    void type(const char* box, const QString& text) {
        form->findChild<QLineEdit*>(QLatin1String(box))->setText(text);
    }

    void press(const char* button) {
        form->findChild<QPushButton*>(QLatin1String(button))->click();
        const QDeadlineTimer deadline(20000);
        while (form->toolsRunning() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        ASSERT_FALSE(form->toolsRunning());
    }

    // The status line of the page a control sits on, when it shows.
    QString statusBeside(const char* control) const {
        QWidget* page = form->findChild<QWidget*>(QLatin1String(control));
        while (page->parentWidget() && !qobject_cast<QStackedWidget*>(page->parentWidget()))
            page = page->parentWidget();
        const auto* status = page->findChild<QLabel*>(QStringLiteral("runStatus"));
        return status && !status->isHidden() ? status->text() : QString();
    }

    RunRecord lastRun(const char* tool, const QString& input) {
        HistoryQuery q;
        q.tool = QLatin1String(tool);
        q.input = input;
        q.limit = 1;
        const QList<RunRecord> runs = form->history()->runs(q);
        return runs.isEmpty() ? RunRecord{} : runs.front();
    }

    FixtureServer server;
    QString gone; // a port nobody listens on
    QTemporaryDir dir;
    CurlFetcher fetcher;
    QStringList boxes;
    const Seam<void(QWidget*, const QString&)>::Replaced recordBoxes =
        message_box::seam().replace([this](QWidget*, const QString& t) { boxes << t; });
    std::unique_ptr<Form1> form;
};

} // namespace

TEST_F(FormOutcomes, ASurveyGoesOnPastARefusingEngineAndTellsItInOneBoxAtTheEnd) {
    server.add("/s",
               {200, "text/html", charset::encodeGbk(QStringLiteral("找到相关网页约1,230篇"))});
    server.add("/web", {200, "text/html", charset::encodeGbk(QStringLiteral("找到 321 个"))});
    open({"YahooSitemapHost"});
    type("txtDomain", QStringLiteral("refused-survey.cn"));
    press("cmdQuery");

    EXPECT_EQ(server.requests().size(), 7);
    QFile shown(form->findChild<WebView*>(QStringLiteral("webBBS"))->address());
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly)) << shown.fileName().toStdString();
    const QString table = charset::decodeGbk(shown.readAll());
    EXPECT_TRUE(table.contains(QStringLiteral("<a href='") + gone +
                               QStringLiteral("/search?p=refused-survey.cn&bwm=p' "
                                              "target='_blank'>失败</a>")))
        << table.toStdString();
    EXPECT_TRUE(table.contains(QStringLiteral("target='_blank'>1,230</a>")));
    EXPECT_TRUE(table.contains(QStringLiteral("target='_blank'>321</a>")));

    ASSERT_EQ(boxes.size(), 1) << boxes.join(u'\n').toStdString();
    EXPECT_TRUE(boxes[0].startsWith(
        QStringLiteral("发生错误：1 个引擎请求失败（表格中为“失败”）：\nYahoo：无法连接到服务器")))
        << boxes[0].toStdString();
    EXPECT_EQ(statusBeside("txtDomain"),
              QStringLiteral("8 个引擎中 1 个请求失败，5 个页面无法识别"));
    const RunRecord run = lastRun("indexed", QStringLiteral("refused-survey.cn"));
    EXPECT_EQ(run.end, RunEnd::Partial);
    EXPECT_EQ(run.figures.size(), 8);
}

TEST_F(FormOutcomes, RankBoxesWhoseRequestsFailedSayWhyAndTheRunIsRecordedFailed) {
    open({"BaiduSearchHost", "GoogleHost", "YahooSearchHost", "SogouHost", "YoudaoHost"});
    type("txtKeyWordUrl", QStringLiteral("all-refused.cn"));
    type("txtKeyWord", QStringLiteral("seo"));
    press("cmdKeyWord");
    for (const char* name :
         {"txtBaidu", "txtGoogle", "txtYahoo", "txtSogou", "txtSoso", "txtYodao"}) {
        const auto* box = form->findChild<QLineEdit*>(QLatin1String(name));
        EXPECT_EQ(box->text(), QStringLiteral("-")) << name;
        EXPECT_TRUE(box->toolTip().startsWith(kRefused)) << name << box->toolTip().toStdString();
    }
    EXPECT_EQ(statusBeside("txtKeyWord"), QStringLiteral("6 个引擎中 6 个请求失败"));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    EXPECT_EQ(lastRun("keyword-rank", QStringLiteral("all-refused.cn")).end, RunEnd::Failed);
}

TEST_F(FormOutcomes, BadgesOfPagesWithoutMarkersAreUnreadableNotAnswers) {
    for (const char* path :
         {"/search", "/data/details/traffic_details/no-markers.cn", "/web", "/overview/Info.do"})
        server.add(path, {200, "text/html", "<html>维护中</html>"});
    open({});
    type("txtDomainPr", QStringLiteral("no-markers.cn"));
    press("cmdPr");
    // PageRank's answer is the page itself, cut by no marker.
    for (const char* name : {"lblAlexa", "lblSogou", "lblChinaRank"}) {
        const auto* label = form->findChild<QLabel*>(QLatin1String(name));
        EXPECT_TRUE(label->text().startsWith(u'-')) << name; // Sogou's is "-/100"
        EXPECT_EQ(label->toolTip(), kUnreadable) << name;
    }
    EXPECT_EQ(statusBeside("txtDomainPr"), QStringLiteral("4 个引擎中 3 个页面无法识别"));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    // Unreadable pages are no failed requests: the run did its work.
    EXPECT_EQ(lastRun("badges", QStringLiteral("no-markers.cn")).end, RunEnd::Done);
}
