#include "app/form1.h"
#include "app/screenshot_tour.h"
#include "app/translations.h"
#include "app/web_view.h"
#include "app/window_options.h"
#include "demo/demo_fetcher.h"
#include "demo/demo_lookups.h"
#include "environment_guard.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

// The window as a new user meets it: its command line, where the keyboard is, the demo, and
// Qt's own texts in the user's language.
namespace {

template <class T> T* find(QWidget* form, const char* name) {
    T* w = form->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void waitForTools(const Form1& form) {
    QDeadlineTimer deadline(20000);
    while (form.toolsRunning() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents(); // what the runs posted last
    EXPECT_FALSE(form.toolsRunning());
}

QString text(QWidget* form, const char* name) {
    if (auto* box = form->findChild<QLineEdit*>(QLatin1String(name)))
        return box->text();
    return find<QLabel>(form, name)->text();
}

} // namespace

TEST(WindowOptions, EachFormOfEachOption) {
    const struct {
        QStringList words;
        WindowOptions expected;
    } cases[] = {
        {{}, {}},
        {{"--demo"}, {.demo = true}},
        {{"--proxy", "http://p:3128", "--demo"}, {.proxy = "http://p:3128", .demo = true}},
        {{"--endpoints=e.ini", "--config-dir", "d"}, {.endpointsFile = "e.ini", .configDir = "d"}},
        {{"--screenshots", "shots"}, {.screenshots = "shots"}},
        {{"--bogus", "--help"}, {.help = true, .unknown = "--bogus"}},
        {{"-h"}, {.help = true}},
        {{"--version"}, {.version = true}},
        {{"--endpoints"}, {.unknown = "--endpoints"}}, // a value is missing
        {{"--endpoints", "--help"}, {.endpointsFile = "--help"}},
        {{"--endpoints=", "e.ini"}, {.unknown = "--endpoints="}},
        {{"--proxy=", "--demo"}, {.demo = true, .unknown = "--proxy="}},
    };
    for (const auto& c : cases) {
        const WindowOptions o = parseWindowOptions(c.words);
        const std::string words = c.words.join(u' ').toStdString();
        EXPECT_EQ(o.screenshots, c.expected.screenshots) << words;
        EXPECT_EQ(o.endpointsFile, c.expected.endpointsFile) << words;
        EXPECT_EQ(o.configDir, c.expected.configDir) << words;
        EXPECT_EQ(o.proxy, c.expected.proxy) << words;
        EXPECT_EQ(o.demo, c.expected.demo) << words;
        EXPECT_EQ(o.help, c.expected.help) << words;
        EXPECT_EQ(o.version, c.expected.version) << words;
        EXPECT_EQ(o.unknown, c.expected.unknown) << words;
    }
}

TEST(WindowStart, TheKeyboardStartsInTheFirstBoxAndTabFollowsEachPagesReadingOrder) {
    DemoFetcher fetcher;
    Form1 form(fetcher);
    form.show();
    EXPECT_EQ(form.focusWidget(), find<QLineEdit>(&form, "txtKeyWordUrl"));

    const struct {
        const char* first;
        QStringList order; // every control Tab reaches on the page, from the first on
    } pages[] = {
        {"txtDomain", {"txtDomain", "cmdQuery", "cmdAudit"}},
        {"txtDomain2", {"txtDomain2", "cmdLink"}},
        {"txtDomain1", {"txtDomain1", "cmbBaiDu", "cmdBaidu"}},
        {"txtKeyWordUrl",
         {"txtKeyWordUrl", "txtKeyWord", "cmdKeyWord", "cmdRankTrack", "txtPage", "chkBaidu",
          "chkGoogle", "chkYahoo", "chkSogou", "chkSoso", "chkYodao", "txtBaidu", "txtGoogle",
          "txtYahoo", "txtSogou", "txtSoso", "txtYodao", "txtZhongSou", "Text1"}},
        {"txtDomainPr", {"txtDomainPr", "cmdPr"}},
        {"cmdCn_search",
         {"cmdCn_search", "cmdEn_Search", "cmdCn_Blog", "cmdEn_blog", "cmdCn_bbs", "cmdCn_btoc",
          "lvHouse"}},
        {"txtChangeS",
         {"txtChangeS", "txtChangeResult", "cboConversion", "chkHtmlPage", "cmdStoT", "cmdTtoS"}},
        {"txtRelateKeyWord", {"txtRelateKeyWord", "cmdRelateAndIndex", "LvKeyword"}},
        {"txtSearchPage", {"txtSearchPage", "txtSearchKeyWord", "cmdFrequency", "txtPageContent"}},
    };
    auto* tabs = find<QTabWidget>(&form, "SSTab1");
    for (const auto& p : pages) {
        QWidget* first = find<QWidget>(&form, p.first);
        QWidget* page = first;
        while (page->parentWidget() && page->parentWidget()->parentWidget() != tabs)
            page = page->parentWidget();
        QStringList reached;
        QWidget* w = first;
        do {
            // The tab control of the station tools page takes Tab too, after its controls.
            const bool tabControl = qobject_cast<QTabWidget*>(w) || qobject_cast<QTabBar*>(w) ||
                                    qobject_cast<QTabBar*>(w->parentWidget());
            if (page->isAncestorOf(w) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
                !tabControl)
                reached << w->objectName();
            w = w->nextInFocusChain();
        } while (w != first);
        EXPECT_EQ(reached.join(u' ').toStdString(), p.order.join(u' ').toStdString());
    }
}

TEST(WindowStart, TheDemoShowsAResultOnEveryToolPage) {
    // The tests run in QStandardPaths' test mode: the tables go to Qt's test cache folder.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    DemoFetcher fetcher;
    DemoResolver resolver;
    DemoWhoisClient whois;
    Form1 form(fetcher);
    form.useLookups(resolver, whois);
    form.show();
    tryEveryTool(&form);
    waitForTools(form);

    for (const char* view : {"webBBS", "webLink"}) {
        QFile table(find<WebView>(&form, view)->address());
        EXPECT_TRUE(table.fileName().startsWith(cache)) << view;
        ASSERT_TRUE(table.open(QIODevice::ReadOnly)) << view;
        const QByteArray document = table.readAll();
        EXPECT_EQ(document.count("target='_blank'>"), 8) << view;
        EXPECT_EQ(document.count("<img src='"), 8) << view;
    }
    EXPECT_TRUE(text(&form, "Label7").startsWith(QStringLiteral("百度在最近 30 日内共收录了 约")));
    EXPECT_FALSE(form.strBaiduUrl.isEmpty());

    EXPECT_FALSE(find<QLabel>(&form, "imgGooglePr")->pixmap().isNull());
    for (const char* badge : {"lblGooglePr", "lblAlexa", "lblSogou", "lblChinaRank"}) {
        EXPECT_FALSE(text(&form, badge).isEmpty()) << badge;
        EXPECT_FALSE(text(&form, badge).startsWith(u'-')) << badge;
    }

    const struct {
        const char* box;
        const char* begins;
    } ranks[] = {
        {"txtBaidu", "排名为第"}, {"txtGoogle", "排名为第"}, {"txtYahoo", "在100位"},
        {"txtSogou", "排名为第"}, {"txtSoso", "排名为第"},   {"txtYodao", "-"},
    };
    for (const auto& r : ranks)
        EXPECT_TRUE(text(&form, r.box).startsWith(QString::fromUtf8(r.begins)))
            << r.box << ' ' << text(&form, r.box).toStdString();

    EXPECT_GT(find<QTreeWidget>(&form, "lvHouse")->topLevelItemCount(), 0);
    EXPECT_FALSE(find<QPlainTextEdit>(&form, "txtChangeResult")->toPlainText().isEmpty());
    EXPECT_EQ(find<QTreeWidget>(&form, "LvKeyword")->topLevelItemCount(), 10);
    EXPECT_TRUE(text(&form, "lblFrequency").startsWith(QStringLiteral("关键字出现频率： ")));
    EXPECT_NE(text(&form, "lblFrequencyResult"), QStringLiteral("密度结果计算： 0"));
    EXPECT_FALSE(find<QPlainTextEdit>(&form, "txtPageContent")->toPlainText().isEmpty());
    EXPECT_EQ(find<QTreeWidget>(&form, "lvIp")->topLevelItemCount(), 3);
    EXPECT_TRUE(text(&form, "lblIpCname").startsWith(QStringLiteral("别名（CNAME）：")));
    EXPECT_TRUE(find<QPlainTextEdit>(&form, "txtWhoisSummary")
                    ->toPlainText()
                    .startsWith(QStringLiteral("域名：example.com.cn\n来源：WHOIS")));
}

TEST(WindowStart, QtsOwnTextsFollowTheUsersLanguage) {
    const QtTranslations chinese(QLocale(QLocale::Chinese, QLocale::China));
    ASSERT_EQ(chinese.loaded(), 2) << "Qt's translations (qt6-translations-l10n) are missing";
    // The message box's button, and a web view's context menu.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    EXPECT_NE(QCoreApplication::translate("RenderViewContextMenuQt", "Copy"),
              QStringLiteral("Copy"));
}

// The history window's export asks through QFileDialog; under Qt's own dialog (no desktop portal,
// or offscreen) its buttons and labels are qtbase's texts.
TEST(WindowStart, TheFileDialogSpeaksChinese) {
    const QtTranslations chinese(QLocale(QLocale::Chinese, QLocale::China));
    for (const auto mode : {QFileDialog::AcceptSave, QFileDialog::AcceptOpen}) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(mode);
        const auto* box = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(box, nullptr);
        QStringList texts;
        for (const QAbstractButton* b : box->buttons())
            texts << b->text();
        for (const QLabel* l : dialog.findChildren<QLabel*>())
            if (!l->text().isEmpty())
                texts << l->text();
        ASSERT_GE(texts.size(), 4);
        static const QRegularExpression han(QStringLiteral("\\p{Han}"));
        for (const QString& t : texts)
            EXPECT_TRUE(t.contains(han)) << t.toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("取消"))) << texts.join(u' ').toStdString();
    }
}

// Every page saved, and the tour ends without leaving anything behind: in a sanitizer build,
// LeakSanitizer fails this test if the tour outlives the application's loop. It is slow, so CI's
// sanitizer stage leaves it out; ctest -L slow runs it in a sanitizer build folder.
TEST(ScreenshotTour, SavesEveryPageAndQuits) {
    QTemporaryDir dir;
    DemoFetcher fetcher;
    Form1 form(fetcher);
    form.show();
    takeScreenshots(&form, dir.path(), false);
    QCoreApplication::exec();
    const QStringList saved = QDir(dir.path()).entryList({QStringLiteral("*.png")}, QDir::Files);
    EXPECT_EQ(saved.size(), 16) << saved.join(u' ').toStdString();
}
