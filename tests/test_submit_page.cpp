#include "app/message_box.h"
#include "app/save_dialog.h"
#include "app/submit_page.h"
#include "history/history_store.h"
#include "submit_fakes.h"
#include "tools/recorded_run.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr char kToken[] = "s3cretT0ken";
constexpr char kKey[] = "0123abcd0123abcd";

// Removes the token a test had the page keep, so that the next test starts without one.
struct ForgetToken {
    QString file;
    ~ForgetToken() { QFile::remove(file); }
};

class SubmitPageTest : public ::testing::Test {
protected:
    SubmitPageTest() {
        endpoints.set(Endpoint::BaiduPushHost, server.base());
        endpoints.set(Endpoint::IndexNowHost, server.base());
    }

    template <class T> T* find(const char* name) {
        T* w = page->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // A page on the fake's site whose last audit found n pages.
    void open(int n) {
        for (int i = 0; i < n; ++i)
            auditPages << server.base() + QStringLiteral("/page/%1").arg(i);
        page = std::make_unique<SubmitPage>(&history, false, fetcher, endpoints,
                                            [this] { return auditPages; });
        find<QLineEdit>("site")->setText(server.base());
        find<QLineEdit>("token")->setText(QLatin1String(kToken));
    }

    void click(const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }

    bool waitForEnd(int ms = 20000) {
        return QTest::qWaitFor([this] { return !page->running(); }, ms);
    }

    QString answers() { return find<QPlainTextEdit>("answers")->toPlainText(); }

    QList<RunRecord> runsOf(const char* tool) {
        HistoryQuery query;
        query.tool = QLatin1String(tool);
        return store.runs(query);
    }

    QTemporaryDir dir;
    HistoryStore store{dir.filePath(QStringLiteral("history.sqlite"))};
    RunHistory history{[this] { return &store; }, [](const QString&) {}};
    FixtureServer server;
    CurlFetcher fetcher;
    EndpointTable endpoints;
    QStringList auditPages;
    std::unique_ptr<SubmitPage> page;
    ForgetToken forget{SubmitPage::tokenFile(server.base())};
    QStringList boxes;
    Seam<void(QWidget*, const QString&)>::Replaced noBoxes =
        message_box::seam().replace([this](QWidget*, const QString& text) { boxes << text; });
};

TEST_F(SubmitPageTest, BaiduPushRunsOnItsThreadStopsAtTheQuotaAndIsRecorded) {
    serveBaiduPush(server, 2, 100);
    open(4500);
    click("pushBaidu");
    // The answer comes on the window's thread later: the click returned at once.
    EXPECT_TRUE(page->running());
    EXPECT_FALSE(find<QPushButton>("pushBaidu")->isEnabled());
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(server.requestBodies().size(), 3);
    const QString told = answers();
    EXPECT_TRUE(told.contains(QStringLiteral("今天的推送配额已用完"))) << told.toStdString();
    EXPECT_TRUE(told.contains(server.base() + QStringLiteral("/page/4499")));
    EXPECT_FALSE(told.contains(server.base() + QStringLiteral("/page/3999")));
    EXPECT_TRUE(find<QLabel>("quota")->text().startsWith(QStringLiteral("今天剩余配额：0")))
        << find<QLabel>("quota")->text().toStdString();

    const QList<RunRecord> runs = runsOf("push-baidu");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].input, QStringLiteral("127.0.0.1"));
    QMap<QString, double> figures;
    for (const Figure& f : runs[0].figures)
        figures.insert(f.label, f.number.value_or(-1));
    EXPECT_EQ(figures.value(QStringLiteral("sent")), 4000);
    EXPECT_EQ(figures.value(QStringLiteral("remain")), 0);
    EXPECT_EQ(figures.value(QStringLiteral("unsent")), 500);

    // The token went to Baidu and nowhere else: not shown, not recorded, not kept.
    EXPECT_TRUE(server.requests().front().contains(QLatin1String(kToken)));
    EXPECT_EQ(find<QLineEdit>("token")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(told.contains(QLatin1String(kToken)));
    EXPECT_FALSE(QJsonDocument(runs[0].options).toJson().contains(kToken));
    EXPECT_FALSE(QFile::exists(SubmitPage::tokenFile(server.base())));
}

TEST_F(SubmitPageTest, TheTokenIsKeptOnlyWhenAskedAndOnlyForTheUser) {
    serveBaiduPush(server, 100, 50);
    open(1);
    const QString file = SubmitPage::tokenFile(server.base());
    const struct {
        bool keep;
        bool kept;
    } cases[] = {{true, true}, {false, false}, {true, true}};
    for (const auto& c : cases) {
        find<QCheckBox>("keepToken")->setChecked(c.keep);
        click("pushBaidu");
        ASSERT_TRUE(waitForEnd());
        ASSERT_EQ(QFile::exists(file), c.kept) << c.keep;
        if (!c.kept)
            continue;
        EXPECT_EQ(QFile::permissions(file) &
                      ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                  QFile::Permissions());
        // A new page on the same site takes the kept token.
        SubmitPage again(&history, false, fetcher, endpoints, [] { return QStringList(); });
        auto* site = again.findChild<QLineEdit*>(QStringLiteral("site"));
        site->setText(server.base());
        emit site->editingFinished();
        EXPECT_EQ(again.findChild<QLineEdit*>(QStringLiteral("token"))->text(),
                  QLatin1String(kToken));
        EXPECT_TRUE(again.findChild<QCheckBox*>(QStringLiteral("keepToken"))->isChecked());
        // And the quota Baidu gave in its last answer, from the history.
        EXPECT_TRUE(again.findChild<QLabel*>(QStringLiteral("quota"))
                        ->text()
                        .startsWith(QStringLiteral("今天剩余配额：50（")));
    }
}

TEST_F(SubmitPageTest, StopEndsAStalledPushAtOnce) {
    serveBaiduPush(server, 100, 50, 30'000);
    open(10);
    click("pushBaidu");
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.requests().size() == 1; }, 5000));
    QElapsedTimer timer;
    timer.start();
    click("stop");
    // Far sooner than Baidu's held answer: the stop ended the transfer, with room for a busy
    // machine.
    ASSERT_TRUE(waitForEnd(10'000));
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(find<QLabel>("status")->text(), QStringLiteral("已停止"));
    const QList<RunRecord> runs = runsOf("push-baidu");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].end, RunEnd::Stopped);
}

TEST_F(SubmitPageTest, IndexNowShowsItsKeyCheckAndSendsOnlyAfterIt) {
    const struct {
        const char* held;
        const char* check;
        int posts;
    } cases[] = {
        {kKey, "中是这个密钥", 1},
        {"<html>another</html>", "密钥检查未通过：", 0},
    };
    for (const auto& c : cases) {
        FixtureServer site;
        serveIndexNow(site, QLatin1String(kKey), QLatin1String(c.held));
        endpoints.set(Endpoint::IndexNowHost, site.base());
        auditPages.clear();
        page.reset();
        auditPages << site.base() + QStringLiteral("/a") << site.base() + QStringLiteral("/b");
        page = std::make_unique<SubmitPage>(&history, false, fetcher, endpoints,
                                            [this] { return auditPages; });
        find<QLineEdit>("site")->setText(site.base());
        find<QLineEdit>("key")->setText(QLatin1String(kKey));
        click("pushIndexNow");
        ASSERT_TRUE(waitForEnd());
        EXPECT_TRUE(find<QLabel>("keyCheck")->text().contains(QString::fromUtf8(c.check)))
            << find<QLabel>("keyCheck")->text().toStdString();
        EXPECT_EQ(site.requests().filter(QStringLiteral("/indexnow")).size(), c.posts);
    }
    ASSERT_EQ(runsOf("push-indexnow").size(), 2);
    EXPECT_EQ(runsOf("push-indexnow")[0].end, RunEnd::Failed);
    EXPECT_EQ(runsOf("push-indexnow")[1].end, RunEnd::Done);
}

TEST_F(SubmitPageTest, SitemapsGoToTheFolderTheDialogNames) {
    open(3);
    const QString list = dir.filePath(QStringLiteral("list.txt"));
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write((server.base() + QStringLiteral("/x\nhttps://other.example/y\n")).toUtf8());
    }
    QTemporaryDir out;
    const auto dialog =
        save_dialog::seam().replace([&](QWidget*, const QString&, const QString& suggested,
                                        const QString&) { return out.filePath(suggested); });
    const struct {
        bool fromList;
        const char* holds;
        const char* told;
    } cases[] = {
        {false, "/page/2</loc>", "写入 3 个网址"},
        {true, "/x</loc>", "第 2 行"},
    };
    for (const auto& c : cases) {
        (c.fromList ? find<QRadioButton>("fromList") : find<QRadioButton>("fromAudit"))
            ->setChecked(true);
        find<QLineEdit>("listFile")->setText(list);
        click("writeSitemap");
        QFile written(out.filePath(QStringLiteral("sitemap.xml")));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll().contains(c.holds)) << c.holds;
        EXPECT_TRUE(answers().contains(QString::fromUtf8(c.told))) << answers().toStdString();
    }
    EXPECT_TRUE(boxes.isEmpty());
}

} // namespace
