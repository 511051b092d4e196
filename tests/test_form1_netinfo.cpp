// The 域名IP类 page's two frames against the loopback registries of the core's tests: what each
// shows, that its run keeps to its own frame, and that a stop or an answer without a record
// shows no error box.
#include "app/form1.h"
#include "app/lookup_page.h"
#include "app/message_box.h"
#include "net/resolver.h"
#include "netinfo_fakes.h"
#include "program_folder_guard.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// localhost as the system has it, with an IPv6 address whose registry knows nothing and a
// CNAME chain.
class LocalResolver : public Resolver {
public:
    Resolution resolve(const QString& host) override {
        Resolution r = system_.resolve(host);
        r.aliases = {QStringLiteral("loopback.example.net")};
        r.addresses << QStringLiteral("::1");
        return r;
    }
    QString reverse(const QString& address) override { return system_.reverse(address); }

private:
    SystemResolver system_;
};

class NetinfoPage : public ::testing::Test {
protected:
    explicit NetinfoPage(int whoisDelayMs = 0) : fake(fakes::Referrals::ByName, whoisDelayMs) {}

    void SetUp() override {
        form = std::make_unique<Form1>(fetcher, fake.iniFile(dir));
        form->useLookups(resolver, fake.whois);
        form->show();
    }
    void TearDown() override { form.reset(); }

    template <class T> T* find(const char* name) {
        return form->findChild<T*>(QLatin1String(name));
    }

    void run(const char* box, const char* button, const QString& typed) {
        find<QLineEdit>(box)->setText(typed);
        find<QPushButton>(button)->click();
        QDeadlineTimer deadline(20000);
        while (form->toolsRunning() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        ASSERT_FALSE(form->toolsRunning());
    }

    QString summary() { return find<QPlainTextEdit>("txtWhoisSummary")->toPlainText(); }

    fakes::Registries fake;
    QTemporaryDir dir;
    CurlFetcher fetcher;
    LocalResolver resolver;
    QStringList boxes;
    const Seam<void(QWidget*, const QString&)>::Replaced recordBoxes =
        message_box::seam().replace([this](QWidget*, const QString& t) { boxes << t; });
    std::unique_ptr<Form1> form;
};

class SlowRegistry : public NetinfoPage {
protected:
    SlowRegistry() : NetinfoPage(10000) {}
};

} // namespace

TEST_F(NetinfoPage, IpFrameListsEachAddressAndTellsWhyARegistryColumnIsEmpty) {
    run("txtIpTarget", "cmdIpQuery", QStringLiteral("http://localhost/index.html"));
    auto* list = find<QTreeWidget>("lvIp");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QTreeWidgetItem* v4 = list->topLevelItem(0);
    EXPECT_EQ(v4->text(0), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(v4->text(2), QStringLiteral("localhost"));
    EXPECT_EQ(v4->text(5), QStringLiteral("测试网络（US）"));
    EXPECT_TRUE(v4->toolTip(4).isEmpty() || v4->toolTip(4) == v4->text(4))
        << "a cell the registry filled tells no failure";
    const QTreeWidgetItem* v6 = list->topLevelItem(1);
    EXPECT_EQ(v6->text(4), QStringLiteral("-"));
    EXPECT_TRUE(v6->toolTip(4).startsWith(QStringLiteral("RDAP 查询失败：")));
    EXPECT_EQ(find<QLabel>("lblIpCname")->text(),
              QStringLiteral("别名（CNAME）：localhost → loopback.example.net"));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();

    // A new lookup replaces the list; one whose input cleans to nothing leaves it.
    run("txtIpTarget", "cmdIpQuery", QStringLiteral("127.0.0.1"));
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_TRUE(find<QLabel>("lblIpCname")->text().isEmpty());
    run("txtIpTarget", "cmdIpQuery", QStringLiteral("'"));
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

TEST_F(NetinfoPage, NoFrameBorderCrossesAControlAndEveryAddressColumnShows) {
    auto* tabs = find<QTabWidget>("SSTab1");
    tabs->setCurrentWidget(find<QWidget>("SSTab1_page9"));
    QCoreApplication::processEvents();
    for (const char* name : {"Frame6", "Frame7"}) {
        auto* frame = find<QGroupBox>(name);
        QList<QWidget*> shown;
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible())
                shown << child;
        ASSERT_GE(shown.size(), 4) << name;
        for (QWidget* child : shown) {
            EXPECT_TRUE(frame->contentsRect().contains(child->geometry()))
                << name << ": " << child->objectName().toStdString()
                << " meets the title or border";
            for (QWidget* other : shown)
                EXPECT_TRUE(other == child || !child->geometry().intersects(other->geometry()))
                    << child->objectName().toStdString() << " over "
                    << other->objectName().toStdString();
        }
    }

    auto* list = find<QTreeWidget>("lvIp");
    int total = 0;
    for (int c = 0; c < list->columnCount(); ++c) {
        EXPECT_GE(list->columnWidth(c), 30) << "column " << c;
        total += list->columnWidth(c);
    }
    EXPECT_LE(total, list->viewport()->width()) << "no column is scrolled out of sight";

    // A cell cut by its column shows its whole text when pointed at.
    auto* item = new QTreeWidgetItem(
        list, {QStringLiteral("2001:db8:1234:5678:9abc:def0:1234:5678"), QStringLiteral("IPv6")});
    explainCutCells(item);
    EXPECT_EQ(item->toolTip(0), QStringLiteral("2001:db8:1234:5678:9abc:def0:1234:5678"));
    EXPECT_TRUE(item->toolTip(1).isEmpty());
}

// A server's text is shown as written: the labels take no markup, and a tooltip that merely
// looks like markup is escaped instead of drawn (an <img> would be fetched).
TEST_F(NetinfoPage, ServersTextIsShownAsWrittenNotAsMarkup) {
    for (QLabel* label : form->findChildren<QLabel*>()) {
        if (label->objectName().startsWith(QStringLiteral("Image")) ||
            label->objectName().startsWith(QStringLiteral("img")))
            continue; // pictures
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    }

    fake.http.add("/arin/ip/::1",
                  FixtureServer::Page(500, "application/rdap+json",
                                      R"({"errorCode": 500, "title": "<img src=x><b>down</b>"})"));
    run("txtIpTarget", "cmdIpQuery", QStringLiteral("localhost"));
    auto* list = find<QTreeWidget>("lvIp");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QString tip = list->topLevelItem(1)->toolTip(4);
    QTextDocument shown;
    shown.setHtml(tip);
    EXPECT_TRUE(shown.toPlainText().endsWith(QStringLiteral("：<img src=x><b>down</b>")))
        << tip.toStdString();
    EXPECT_FALSE(tip.contains(QStringLiteral("<img"))) << tip.toStdString();
}

TEST_F(NetinfoPage, TheCountryCellTellsHowToFetchAMissingCountryDatabase) {
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("config")));
    ASSERT_TRUE(QFile::copy(program_folder::file(QStringLiteral("/config/country_names.tsv")),
                            data.filePath(QStringLiteral("config/country_names.tsv"))));
    const ProgramFolderGuard folder(data.path());
    run("txtIpTarget", "cmdIpQuery", QStringLiteral("127.0.0.1"));
    const QTreeWidgetItem* row = find<QTreeWidget>("lvIp")->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(3), QStringLiteral("-"));
    EXPECT_TRUE(row->toolTip(3).contains(QStringLiteral("bash scripts/fetch-ip-data.sh")))
        << row->toolTip(3).toStdString();
    EXPECT_TRUE(row->toolTip(4).isEmpty() || row->toolTip(4) == row->text(4))
        << "the registry answered";
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

TEST_F(NetinfoPage, WhoisFrameShowsTheSummaryThenTheRecordAsReceived) {
    run("txtWhoisDomain", "cmdWhoisQuery", QStringLiteral("http://www.example.cn/x"));
    EXPECT_TRUE(
        summary().startsWith(QStringLiteral("域名：example.cn\n来源：WHOIS（whois.registry.test）\n"
                                            "注册商：北京新网数码信息技术有限公司\n")))
        << summary().toStdString();
    EXPECT_EQ(find<QPlainTextEdit>("txtWhoisRecord")->toPlainText(),
              QString::fromUtf8(fakes::cnnicRecord())
                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    run("txtWhoisDomain", "cmdWhoisQuery", QStringLiteral("example.com"));
    EXPECT_TRUE(summary().contains(QStringLiteral("来源：RDAP（") + fake.http.base()))
        << summary().toStdString();
    EXPECT_TRUE(find<QPlainTextEdit>("txtWhoisRecord")
                    ->toPlainText()
                    .contains(QStringLiteral("\"ldhName\": \"EXAMPLE.COM\"")));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}

TEST_F(NetinfoPage, NoMatchAndRateLimitsAreShownInTheFrameAndFailuresInTheBox) {
    const struct {
        const char* typed;
        const char* summary; // the start of what the frame shows; empty: an error box
        const char* box;
    } cases[] = {
        {"free.cn", "没有找到 free.cn 的注册信息", ""},
        {"busy.com", "RDAP ", ""},
        {"com.cn", "", "发生错误：“com.cn”是公共后缀"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        run("txtWhoisDomain", "cmdWhoisQuery", QString::fromUtf8(c.typed));
        if (*c.summary) {
            EXPECT_TRUE(summary().startsWith(QString::fromUtf8(c.summary)))
                << c.typed << ": " << summary().toStdString();
            EXPECT_TRUE(boxes.isEmpty()) << c.typed;
        } else {
            ASSERT_EQ(boxes.size(), 1) << c.typed;
            EXPECT_TRUE(boxes[0].startsWith(QString::fromUtf8(c.box))) << boxes[0].toStdString();
        }
    }
}

TEST_F(SlowRegistry, EscInTheFrameStopsItsLookupAtOnceWithoutABox) {
    auto* frame = find<QGroupBox>("Frame7");
    auto* button = find<QPushButton>("cmdWhoisQuery");
    find<QLineEdit>("txtWhoisDomain")->setText(QStringLiteral("example.cn"));
    button->click();
    QElapsedTimer waited;
    waited.start();
    while (fake.registry->questions().isEmpty() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(fake.registry->questions().size(), 1);
    EXPECT_EQ(button->text(), QStringLiteral("停止"));
    EXPECT_TRUE(frame->testAttribute(Qt::WA_SetCursor) &&
                frame->cursor().shape() == Qt::WaitCursor);
    EXPECT_FALSE(find<QGroupBox>("Frame6")->testAttribute(Qt::WA_SetCursor))
        << "the other frame's tool is not busy";

    auto* tabs = find<QTabWidget>("SSTab1");
    tabs->setCurrentIndex(tabs->indexOf(frame->parentWidget()));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    auto* box = find<QLineEdit>("txtWhoisDomain");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Escape);
    QElapsedTimer stopping;
    stopping.start();
    while (form->toolsRunning() && stopping.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_LT(stopping.elapsed(), 1000);
    EXPECT_EQ(button->text(), QStringLiteral("查询"));
    EXPECT_TRUE(summary().isEmpty());
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
}
