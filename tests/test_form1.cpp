#include "app/desktop_open.h"
#include "app/form1.h"
#include "app/message_box.h"
#include "app/web_view.h"
#include "base/charset.h"
#include "base/program_folder.h"
#include "base/tool_error.h"
#include "metrics/scratch_file.h"
#include "net/engine_files.h"
#include "program_folder_guard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

// Answers from a table of address fragments; counts what it was asked.
class FakeFetcher : public Fetcher {
public:
    HttpResponse get(const QString& url) override {
        asked << url;
        if (!failOn.isEmpty() && url.contains(failOn))
            throw ToolError(QStringLiteral("无法连接到服务器：") + url);
        for (const auto& [fragment, body] : pages)
            if (url.contains(fragment))
                return {charset::encodeGbk(body), "text/html; charset=gbk"};
        return {"nothing", "text/html"};
    }
    std::map<QString, QString> pages;
    QString failOn;
    QStringList asked;
};

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<Form1>(fetcher); }

    // Clicks a tool's button and waits for the run it starts beside the window to end.
    void press(const char* button) {
        find<QPushButton>(button)->click();
        settle();
    }
    void settle() {
        QDeadlineTimer deadline(10000);
        while (form->toolsRunning() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents(); // what the run posted last
        EXPECT_FALSE(form->toolsRunning());
    }
    // Whether a page of the window shows the busy pointer.
    bool pageBusy() const {
        auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->testAttribute(Qt::WA_SetCursor) &&
                tabs->widget(i)->cursor().shape() == Qt::WaitCursor)
                return true;
        return false;
    }

    template <class T> T* find(const char* name) {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    FakeFetcher fetcher;
    QStringList boxes;
    QList<bool> busyAtBox; // whether the hourglass was still up when each box came
    const Seam<void(QWidget*, const QString&)>::Replaced recordBoxes =
        message_box::seam().replace([this](QWidget*, const QString& t) {
            boxes << t;
            busyAtBox << pageBusy();
        });
    std::unique_ptr<Form1> form;
};

} // namespace

TEST_F(Form1Test, StartUpState) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tessivo_V2.3"));
    EXPECT_EQ(find<QTabWidget>("SSTab1")->currentIndex(), 3);
    EXPECT_EQ(find<QTabWidget>("SSTab1")->tabText(3), QStringLiteral("关键词排名"));
    EXPECT_EQ(find<QTabWidget>("SSTab2")->currentIndex(), 3);
    EXPECT_EQ(find<QTabWidget>("SSTab2")->tabText(3), QStringLiteral("HTML转UBB"));
    EXPECT_EQ(find<QTabWidget>("SSTab1")->count(), 11);
    EXPECT_EQ(find<QTabWidget>("SSTab2")->count(), 5);

    auto* periods = find<QComboBox>("cmbBaiDu");
    ASSERT_EQ(periods->count(), 5);
    EXPECT_EQ(periods->currentText(), QStringLiteral("全部时间"));
    EXPECT_EQ(periods->itemText(4), QStringLiteral("最近一年"));

    auto* lv = find<QTreeWidget>("LvKeyword");
    ASSERT_EQ(lv->columnCount(), 6);
    const char* headers[] = {"编号", "关键词", "当日关注", "一周关注", "一月关注", "一季关注"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(lv->headerItem()->text(i), QString::fromUtf8(headers[i]));
    EXPECT_EQ(lv->columnWidth(1), 166); // 2500 twips
    EXPECT_EQ(lv->topLevelItemCount(), 0);

    EXPECT_EQ(find<WebView>("webBBS")->address(), QStringLiteral("about:blank"));
    EXPECT_EQ(find<WebView>("webLink")->address(), QStringLiteral("about:blank"));
    EXPECT_TRUE(
        find<WebView>("WebBrowser1")->address().endsWith(QStringLiteral("/download/vek_1.html")));
    EXPECT_TRUE(
        find<WebView>("webUbb_html")->address().endsWith(QStringLiteral("/config/ubb_html.html")));
    for (const char* hidden : {"lblDay", "Label8", "lblCount", "Label10", "Label16"})
        EXPECT_TRUE(find<QWidget>(hidden)->isHidden()) << hidden;
    EXPECT_EQ(find<QLabel>("lblUrl")->text(),
              QString(33, u' ') + QStringLiteral("查看具体收录情况请点击这里！  "));
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(Form1Test, FramesSitWhereTheLayoutPutsThem) {
    // Controls inside frames keep the form's coordinates exactly.
    EXPECT_EQ(find<QWidget>("txtKeyWordUrl")->geometry(), QRect(96, 12, 305, 21));
    EXPECT_EQ(find<QWidget>("chkLive")->geometry(), QRect(616, 84, 57, 21));
    // Page controls sit the same distance below the tab strip on every page.
    const QPoint a = find<QWidget>("Frame1")->pos() - QPoint(8, 28);
    const QPoint b = find<QWidget>("cmdCn_search")->pos() - QPoint(12, 32);
    EXPECT_EQ(a, b);
}

TEST_F(Form1Test, SurveyShowsTheTableFromTheScratchFile) {
    fetcher.pages[QStringLiteral("/s?wd=site%3Aexample.cn")] =
        QStringLiteral("找到相关网页约1,230篇");
    find<QLineEdit>("txtDomain")->setText(QStringLiteral("  http://example.cn/ "));
    press("cmdQuery");
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    ASSERT_EQ(fetcher.asked.size(), 8);
    const QString shown = find<WebView>("webBBS")->address();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/result.html")));
    QFile f(shown);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = charset::decodeGbk(f.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("target='_blank'>1,230</a>")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("</tr></table>\r\n")));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Test, EnterInTheDomainBoxRunsTheSurvey) {
    find<QLineEdit>("txtDomain")->setText(QStringLiteral("example.cn"));
    QTest::keyClick(find<QLineEdit>("txtDomain"), Qt::Key_Return);
    settle();
    EXPECT_EQ(fetcher.asked.size(), 8);
    QTest::keyClick(find<QLineEdit>("txtDomain2"), Qt::Key_Return);
    settle();
    EXPECT_EQ(fetcher.asked.size(), 8);
}

TEST_F(Form1Test, EnterInAPagesOneInputRunsItsTool) {
    for (const char* input : {"txtDomain2", "txtDomain1", "txtDomainPr", "txtRelateKeyWord"}) {
        const qsizetype before = fetcher.asked.size();
        find<QLineEdit>(input)->setText(QStringLiteral("example.cn"));
        QTest::keyClick(find<QLineEdit>(input), Qt::Key_Return);
        settle();
        EXPECT_GT(fetcher.asked.size(), before) << input;
    }
}

TEST_F(Form1Test, EmptyDomainDoesNothingAtAll) {
    for (const char* typed : {"", "   ", "'", "http://", "///"}) {
        find<QLineEdit>("txtDomain")->setText(QString::fromUtf8(typed));
        press("cmdQuery");
    }
    EXPECT_TRUE(fetcher.asked.isEmpty());
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(find<WebView>("webBBS")->address(), QStringLiteral("about:blank"));
}

// A refused engine costs only its own cell (test_form1_outcomes.cpp); a count whose start
// marker has no end marker after it still does.
TEST_F(Form1Test, AFailureShowsTheBoxAndSaysWhereTheSurveyEnded) {
    fetcher.pages[QStringLiteral("/s?wd=site%3Aexample.cn")] = QStringLiteral("找到相关网页约12");
    find<QLineEdit>("txtDomain")->setText(QStringLiteral("example.cn"));
    press("cmdQuery");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("发生错误：无效的过程调用或参数：")))
        << boxes[0].toStdString();
    EXPECT_EQ(fetcher.asked.size(), 1);
    // The waiting page gives way to one that says where the survey ended and why.
    QFile ended(find<WebView>("webBBS")->address());
    ASSERT_TRUE(ended.open(QIODevice::ReadOnly)) << ended.fileName().toStdString();
    EXPECT_TRUE(
        charset::decodeGbk(ended.readAll())
            .contains(QStringLiteral("收录数量在 Baidu（1/8）处查询出错：无效的过程调用或参数")));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Test, EachToolRestoresThePointerBeforeOrAfterItsBox) {
    const struct {
        const char* button;
        bool prefixed;
        bool busyAtBox;
    } tools[] = {
        {"cmdQuery", true, true},
        {"cmdBaidu", true, false},
        {"cmdRelateAndIndex", false, false},
        {"cmdFrequency", true, false},
    };
    for (const char* input :
         {"txtDomain", "txtDomain1", "txtRelateKeyWord", "txtSearchPage", "txtSearchKeyWord"})
        find<QLineEdit>(input)->setText(QStringLiteral("example.cn"));
    fetcher.failOn = QStringLiteral("/");
    for (const auto& tool : tools) {
        boxes.clear();
        busyAtBox.clear();
        press(tool.button);
        ASSERT_EQ(boxes.size(), 1) << tool.button;
        EXPECT_EQ(boxes[0].startsWith(kErrorPrefix), tool.prefixed) << tool.button;
        EXPECT_TRUE(boxes[0].contains(QStringLiteral("无法连接到服务器："))) << tool.button;
        EXPECT_EQ(busyAtBox[0], tool.busyAtBox) << tool.button;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << tool.button;
    }
}

TEST(DesktopOpen, OnlyWebAddressesAreHandedOn) {
    QList<QUrl> opened;
    const auto opening = desktop::opener().replace([&](const QUrl& u) { opened << u; });
    EXPECT_TRUE(desktop::openWebAddress(QUrl(QStringLiteral("http://www.baidu.com/s?wd=x"))));
    EXPECT_TRUE(desktop::openWebAddress(QUrl(QStringLiteral("HTTPS://example.cn"))));
    EXPECT_FALSE(desktop::openWebAddress(QUrl(QStringLiteral("file:///etc/passwd"))));
    EXPECT_FALSE(desktop::openWebAddress(QUrl(QStringLiteral("javascript:alert(1)"))));
    EXPECT_FALSE(desktop::openWebAddress(QUrl()));
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(Form1Test, BacklinkSurveyGoesToItsOwnView) {
    find<QLineEdit>("txtDomain2")->setText(QStringLiteral("example.cn"));
    press("cmdLink");
    ASSERT_EQ(fetcher.asked.size(), 8);
    EXPECT_TRUE(fetcher.asked[0].endsWith(QStringLiteral("/s?wd=domain%3Aexample.cn")));
    EXPECT_TRUE(find<WebView>("webLink")->address().endsWith(QStringLiteral("/result_links.html")));
    EXPECT_EQ(find<WebView>("webBBS")->address(), QStringLiteral("about:blank"));
}

TEST_F(Form1Test, BaiduPeriodWritesTheSentenceAndKeepsItOnFailure) {
    fetcher.pages[QStringLiteral("lm=7&")] = QStringLiteral("找到相关网页约1,234篇");
    find<QLineEdit>("txtDomain1")->setText(QStringLiteral("http://example.cn/"));
    find<QComboBox>("cmbBaiDu")->setCurrentIndex(2);
    auto* label = find<QLabel>("Label7");
    const QPoint designed = label->pos();
    press("cmdBaidu");
    const QString sentence = QStringLiteral("百度在最近 7 日内共收录了 约1,234 个页面");
    EXPECT_EQ(label->text(), sentence);
    EXPECT_GE(label->width(), label->sizeHint().width());
    EXPECT_EQ(label->pos(), designed); // the label grows to the sentence without moving
    EXPECT_TRUE(
        form->strBaiduUrl.contains(QStringLiteral("site%3Aexample.cn&q2=&q3=&q4=&rn=10&lm=7&")));
    EXPECT_TRUE(boxes.isEmpty());

    const QString url = form->strBaiduUrl;
    find<QComboBox>("cmbBaiDu")->setCurrentIndex(1); // this page holds no count
    press("cmdBaidu");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("发生错误：")));
    EXPECT_EQ(label->text(), sentence);
    EXPECT_EQ(form->strBaiduUrl, url);
}

TEST_F(Form1Test, RankBadgesFillTheFourLabels) {
    fetcher.pages[QStringLiteral("features=Rank")] = QStringLiteral("Rank_1:1:5\r\n");
    fetcher.pages[QStringLiteral("/web?query=")] = QStringLiteral("<dt>Sogou Rank</dt><dd>42</dd>");
    fetcher.failOn = QStringLiteral("traffic_details");
    find<QLineEdit>("txtDomainPr")->setText(QStringLiteral("example.cn"));
    press("cmdPr");
    EXPECT_EQ(find<QLabel>("lblGooglePr")->text(), QStringLiteral("5"));
    EXPECT_FALSE(find<QLabel>("imgGooglePr")->pixmap().isNull());
    EXPECT_FALSE(find<QLabel>("Label16")->isHidden());
    EXPECT_EQ(find<QLabel>("lblAlexa")->text(), QStringLiteral("-"));
    EXPECT_EQ(find<QLabel>("lblSogou")->text(), QStringLiteral("42/100"));
    EXPECT_EQ(find<QLabel>("lblChinaRank")->text(), QStringLiteral("-"));
    EXPECT_EQ(find<QLabel>("lblGooglePr")->textFormat(), Qt::PlainText);
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Page text that is not a rank never becomes part of a picture path.
    fetcher.pages[QStringLiteral("features=Rank")] = QStringLiteral("../../tessivo");
    press("cmdPr");
    EXPECT_EQ(find<QLabel>("lblGooglePr")->text(), QStringLiteral("../../tessivo"));
    EXPECT_TRUE(find<QLabel>("imgGooglePr")->pixmap().isNull());
}

TEST_F(Form1Test, EmptyInputStartsNoMetricsTool) {
    find<QLineEdit>("txtDomainPr")->setText(QStringLiteral("'"));
    press("cmdPr");
    find<QLineEdit>("txtDomain1")->setText(QStringLiteral("/"));
    press("cmdBaidu");
    find<QLineEdit>("txtDomain2")->setText(QStringLiteral(" "));
    press("cmdLink");
    EXPECT_TRUE(fetcher.asked.isEmpty());
    EXPECT_TRUE(find<QLabel>("Label16")->isHidden());
    EXPECT_EQ(find<QLabel>("Label7")->text(), QStringLiteral("百度在最近"));
}

TEST_F(Form1Test, LinkLabelColoursAndClick) {
    QList<QUrl> opened;
    const auto opening = desktop::opener().replace([&](const QUrl& u) { opened << u; });
    auto* link = find<QLabel>("lblUrl");
    auto colour = [&] { return link->palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour(), QColor(0, 0, 0xC0));

    QTest::mouseClick(link, Qt::LeftButton); // nothing queried yet: nothing opens
    EXPECT_TRUE(opened.isEmpty());

    QTest::mouseMove(link);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(link, &move);
    EXPECT_EQ(colour(), QColor(0xFF, 0, 0));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(link, &leave);
    EXPECT_EQ(colour(), QColor(0, 0, 0xFF));

    form->strBaiduUrl = QStringLiteral("http://www.baidu.com/s?q1=site%3Aexample.cn&lm=7");
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), form->strBaiduUrl);
    EXPECT_FALSE(link->font().underline());
}

TEST_F(Form1Test, DirectoryButtonsFillTheListView) {
    auto* lv = find<QTreeWidget>("lvHouse");
    find<QPushButton>("cmdCn_btoc")->click();
    ASSERT_EQ(lv->columnCount(), 3);
    EXPECT_EQ(lv->headerItem()->text(0), QStringLiteral("编号"));
    EXPECT_EQ(lv->headerItem()->text(1), QStringLiteral("论坛网站名称"));
    EXPECT_EQ(lv->headerItem()->text(2), QStringLiteral("网站地址"));
    EXPECT_EQ(lv->columnWidth(2), 433); // 6500 twips
    const int rows = lv->topLevelItemCount();
    EXPECT_GE(rows, 20);
    EXPECT_EQ(lv->topLevelItem(rows - 1)->text(0), QString::number(rows));
    find<QPushButton>("cmdCn_btoc")->click(); // the same list twice shows it once
    EXPECT_EQ(lv->topLevelItemCount(), rows);
    find<QPushButton>("cmdCn_bbs")->click();
    EXPECT_TRUE(lv->topLevelItem(0)->text(2).startsWith(QStringLiteral("http")));
    EXPECT_FALSE(lv->topLevelItem(0)->text(1).startsWith(QStringLiteral("http")));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Test, DoubleClickOpensOnlyWebAddresses) {
    QList<QUrl> opened;
    const auto opening = desktop::opener().replace([&](const QUrl& u) { opened << u; });
    auto* lv = find<QTreeWidget>("lvHouse");
    form->lvHouse_DblClick(); // no rows: nothing happens
    form->addDatatoLv(QStringLiteral("百度"), QStringLiteral("www.baidu.com"));
    form->addDatatoLv(QStringLiteral("坏"), QStringLiteral("file:///etc/passwd"));
    EXPECT_EQ(lv->topLevelItem(1)->text(0), QStringLiteral("2"));
    lv->setCurrentItem(lv->topLevelItem(0));
    form->lvHouse_DblClick();
    lv->setCurrentItem(lv->topLevelItem(1));
    form->lvHouse_DblClick();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://www.baidu.com")));
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(Form1Test, ConversionButtons) {
    auto* in = find<QPlainTextEdit>("txtChangeS");
    auto* out = find<QPlainTextEdit>("txtChangeResult");
    in->setPlainText(QStringLiteral(" 国家发展 "));
    find<QPushButton>("cmdStoT")->click();
    EXPECT_EQ(out->toPlainText(), QStringLiteral("國家發展"));
    in->setPlainText(out->toPlainText());
    find<QPushButton>("cmdTtoS")->click();
    EXPECT_EQ(out->toPlainText(), QStringLiteral("国家发展"));
    in->setPlainText(QStringLiteral("   "));
    find<QPushButton>("cmdStoT")->click();
    EXPECT_EQ(out->toPlainText(), QStringLiteral("国家发展"));
    // No-break spaces and a line separator are text like any other; a line break stays one.
    const auto raw = [](const QPlainTextEdit* box) { return box->document()->toRawText(); };
    in->setPlainText(QStringLiteral("\u00A0中国\u00A0人\u2028x\u00A0\n国"));
    find<QPushButton>("cmdStoT")->click();
    EXPECT_EQ(raw(out), QStringLiteral("\u00A0中國\u00A0人\u2028x\u00A0\u2029國"));
    in->setPlainText(QStringLiteral("\u00A0\u00A0"));
    find<QPushButton>("cmdStoT")->click();
    EXPECT_EQ(raw(out), QStringLiteral("\u00A0\u00A0"));
    EXPECT_TRUE(boxes.isEmpty());
}

// The page's choice: the tables by default, else OpenCC's configuration whichever button is
// pressed; the check box converts a page and keeps its markup.
TEST_F(Form1Test, ConversionChoices) {
    auto* in = find<QPlainTextEdit>("txtChangeS");
    auto* out = find<QPlainTextEdit>("txtChangeResult");
    auto* choice = find<QComboBox>("cboConversion");
    ASSERT_EQ(choice->currentIndex(), 0);
    EXPECT_EQ(choice->currentText(), QStringLiteral("逐字（原表）"));
    const struct {
        const char* caption; // nullptr: the tables
        const char* button;
        const char* in;
        const char* out;
    } cases[] = {
        {nullptr, "cmdStoT", "头发 鼠标", "頭發 鼠標"},
        {"简体→繁体（台湾用词）", "cmdStoT", " 头发 鼠标 ", "頭髮 滑鼠"},
        {"简体→繁体（台湾用词）", "cmdTtoS", "软件", "軟體"},
        {"简体→繁体（香港字形）", "cmdStoT", "头发", "頭髮"},
        {"台湾繁体→简体（大陆用词）", "cmdStoT", "滑鼠", "鼠标"},
    };
    for (const auto& c : cases) {
        choice->setCurrentIndex(c.caption ? choice->findText(QString::fromUtf8(c.caption)) : 0);
        ASSERT_GE(choice->currentIndex(), 0) << c.caption;
        in->setPlainText(QString::fromUtf8(c.in));
        find<QPushButton>(c.button)->click();
        EXPECT_EQ(out->toPlainText(), QString::fromUtf8(c.out)) << c.in;
    }

    auto* page = find<QCheckBox>("chkHtmlPage");
    auto* lang = find<QCheckBox>("chkSetLang");
    EXPECT_FALSE(lang->isEnabled());
    page->setChecked(true);
    EXPECT_TRUE(lang->isEnabled());
    lang->setChecked(true);
    choice->setCurrentIndex(choice->findText(QStringLiteral("简体→繁体（台湾用词）")));
    in->setPlainText(QStringLiteral(" <p lang=\"zh-CN\" title=\"鼠标\"><!-- 软件 -->软件</p> "));
    find<QPushButton>("cmdTtoS")->click();
    EXPECT_EQ(out->toPlainText(),
              QStringLiteral(" <p lang=\"zh-TW\" title=\"滑鼠\"><!-- 软件 -->軟體</p> "));
    EXPECT_TRUE(boxes.isEmpty());
}

// A program folder whose config/ lacks the data files.
class Form1WithoutData : public Form1Test {
protected:
    void SetUp() override {
        folder.emplace(empty.path());
        Form1Test::SetUp();
    }
    void TearDown() override {
        form.reset();
        folder.reset();
    }
    QTemporaryDir empty;
    std::optional<ProgramFolderGuard> folder;
};

TEST_F(Form1WithoutData, MissingFilesShowTheBox) {
    find<QPushButton>("cmdEn_blog")->click();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_FALSE(boxes[0].startsWith(QStringLiteral("发生错误："))); // the description alone
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("en_blog.ini")));
    auto* lv = find<QTreeWidget>("lvHouse");
    EXPECT_EQ(lv->columnCount(), 3);
    EXPECT_EQ(lv->headerItem()->text(1), QStringLiteral("博客网站名称"));
    EXPECT_EQ(lv->topLevelItemCount(), 0);

    find<QPushButton>("cmdTtoS")->click(); // even with nothing to convert
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[1].startsWith(QStringLiteral("发生错误：")));
    EXPECT_TRUE(boxes[1].contains(QStringLiteral("fanti.txt")));
}

TEST_F(Form1Test, RelatedSearchesAppendNumberedRows) {
    fetcher.pages[QStringLiteral("/s?wd=")] = QStringLiteral(
        "相关搜索<table><tr><td><a href=\"/1\">alpha</a></td><td><a href=\"/2\">beta</a></td>"
        "</tr></table>");
    fetcher.pages[QStringLiteral("word.php")] =
        QStringLiteral("时间范围<td>今日12</td>1周<td><span>34</td>1个月<td><span>56</"
                       "td>1季度<td><span>78</td></table>");
    auto* lv = find<QTreeWidget>("LvKeyword");
    find<QLineEdit>("txtRelateKeyWord")->setText(QStringLiteral(" seo "));
    press("cmdRelateAndIndex");
    press("cmdRelateAndIndex");
    ASSERT_EQ(lv->topLevelItemCount(), 6);
    EXPECT_EQ(lv->topLevelItem(0)->text(1), QStringLiteral("seo"));
    EXPECT_EQ(lv->topLevelItem(2)->text(1), QStringLiteral("beta"));
    EXPECT_EQ(lv->topLevelItem(5)->text(0), QStringLiteral("6"));
    EXPECT_EQ(lv->topLevelItem(0)->text(2), QStringLiteral("12"));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();

    fetcher.failOn = QStringLiteral("word=beta");
    press("cmdRelateAndIndex");
    EXPECT_EQ(lv->topLevelItemCount(), 8); // seo and alpha made it before beta failed
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("无法连接到服务器："))); // the description alone
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Test, KeywordDensityFillsTheLabelsAndText) {
    fetcher.pages[QStringLiteral("example.cn")] = QStringLiteral(
        "<html><head><title>x</title></head><body><p>seo 工具 seo</p></body></html>");
    find<QLineEdit>("txtSearchPage")->setText(QStringLiteral("example.cn/a.html"));
    find<QLineEdit>("txtSearchKeyWord")->setText(QStringLiteral("seo"));
    press("cmdFrequency");
    ASSERT_EQ(fetcher.asked.size(), 1);
    EXPECT_EQ(fetcher.asked[0], QStringLiteral("http://example.cn/a.html"));
    EXPECT_EQ(find<QPlainTextEdit>("txtPageContent")->toPlainText(), QStringLiteral("seo工具seo"));
    EXPECT_EQ(find<QLabel>("lblLenTotal")->text(), QStringLiteral("页面代码总长度： 10"));
    EXPECT_EQ(find<QLabel>("lblFrequency")->text(), QStringLiteral("关键字出现频率： 2"));
    EXPECT_EQ(find<QLabel>("lblFrequencyResult")->text(), QStringLiteral("密度结果计算： 60"));
    EXPECT_TRUE(boxes.isEmpty());

    fetcher.failOn = QStringLiteral("example.cn");
    press("cmdFrequency");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("发生错误：")));
    EXPECT_EQ(find<QLabel>("lblFrequency")->text(), QStringLiteral("关键字出现频率： 2"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Test, KeywordRankFillsSixBoxesAndLeavesTheOtherTwo) {
    fetcher.pages[QStringLiteral("as_q=")] =
        QStringLiteral("<b>seo 工具</b><li class=g><h3 class=r>example.cn");
    fetcher.failOn = QStringLiteral("/s?q1=");
    find<QLineEdit>("txtZhongSou")->setText(QStringLiteral("kept"));
    find<QLineEdit>("txtKeyWordUrl")->setText(QStringLiteral("http://www.example.cn/"));
    find<QLineEdit>("txtKeyWord")->setText(QStringLiteral("seo 工具"));
    press("cmdKeyWord");
    EXPECT_EQ(find<QLineEdit>("txtBaidu")->text(), QStringLiteral("-")); // its request failed
    EXPECT_EQ(find<QLineEdit>("txtGoogle")->text(), QStringLiteral("排名为第1位"));
    EXPECT_EQ(find<QLineEdit>("txtSoso")->text(), QStringLiteral("排名为第1位"));
    for (const char* box : {"txtYahoo", "txtSogou", "txtYodao"})
        EXPECT_FALSE(find<QLineEdit>(box)->text().isEmpty()) << box;
    EXPECT_EQ(find<QLineEdit>("txtZhongSou")->text(), QStringLiteral("kept"));
    EXPECT_TRUE(find<QLineEdit>("Text1")->text().isEmpty());
    EXPECT_TRUE(fetcher.asked.last().contains(QStringLiteral("/search?q=seo+%B9%A4%BE%DF")));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    const qsizetype asked = fetcher.asked.size();
    find<QLineEdit>("txtKeyWord")->setText(QStringLiteral(" '' "));
    press("cmdKeyWord");
    EXPECT_EQ(fetcher.asked.size(), asked);
}

TEST(Form1StartUp, ABadEndpointsFileIsReportedOnceAndStartUpGoesOn) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("config"));
    QFile ini(folder.path() + QStringLiteral("/config/endpoints.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[endpoints]\nNoSuchHost=http://127.0.0.1:1\nGoogleHost=ftp://x\n"
              "SogouHost=http://127.0.0.1:9\n");
    ini.close();
    const ProgramFolderGuard guard(folder.path());
    QStringList boxes;
    const auto recording =
        message_box::seam().replace([&](QWidget*, const QString& t) { boxes << t; });
    FakeFetcher fetcher;
    Form1 form(fetcher);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("发生错误：")));
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("NoSuchHost")));
    EXPECT_TRUE(boxes[0].endsWith(QStringLiteral("/download/vek.html查看新版本！")));
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("请到：file://")));
    EXPECT_TRUE(boxes[0].contains(QStringLiteral("GoogleHost")));
    // The rest of start-up ran, and the right line of the file was taken.
    EXPECT_EQ(form.findChild<QComboBox*>(QStringLiteral("cmbBaiDu"))->count(), 5);
    EXPECT_EQ(form.findChild<QTreeWidget*>(QStringLiteral("LvKeyword"))->columnCount(), 6);
    form.findChild<QLineEdit*>(QStringLiteral("txtDomain1"))->setText(QStringLiteral("a.cn"));
    form.findChild<QPushButton*>(QStringLiteral("cmdBaidu"))->click();
    while (form.toolsRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(fetcher.asked.size(), 1);
    EXPECT_TRUE(fetcher.asked[0].startsWith(QStringLiteral("http://www.baidu.com/s?")));
}

TEST(Form1StartUp, AWrongUserEnginesFileIsToldAndTheShippedRowsServe) {
    const QString path = engines::userFolder() + QStringLiteral("/baidu-period.ini");
    QDir().mkpath(engines::userFolder());
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[baidu]\nstart = 百度为您找到\nfinish = 个\n");
    }
    struct Remove {
        QString path;
        ~Remove() { QFile::remove(path); }
    } remove{path};
    QStringList boxes;
    const auto recording =
        message_box::seam().replace([&](QWidget*, const QString& t) { boxes << t; });
    FakeFetcher fetcher;
    fetcher.pages[QStringLiteral("/s?q1=")] = QStringLiteral("找到相关网页约1,230篇");
    Form1 form(fetcher);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(path + QStringLiteral(" 第 3 行：未知的键“finish”")))
        << boxes[0].toStdString();
    form.findChild<QLineEdit*>(QStringLiteral("txtDomain1"))->setText(QStringLiteral("a.cn"));
    form.findChild<QPushButton*>(QStringLiteral("cmdBaidu"))->click();
    while (form.toolsRunning())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_TRUE(form.findChild<QLabel*>(QStringLiteral("Label7"))
                    ->text()
                    .contains(QStringLiteral("约1,230")));
}

TEST_F(Form1Test, RankSearchAsksTheCheckedEnginesForThePagesChosen) {
    find<QLineEdit>("txtKeyWordUrl")->setText(QStringLiteral("example.cn"));
    find<QLineEdit>("txtKeyWord")->setText(QStringLiteral("seo"));
    find<QLineEdit>("txtBaidu")->setText(QStringLiteral("an old answer"));
    // Ten results a page without the site: the paged engines read on to the cap.
    fetcher.pages[QStringLiteral("/s?p=")] = QStringLiteral("<div class=\"yst-web\"><li>a</div>");
    fetcher.pages[QStringLiteral("/search?q=")] =
        QStringLiteral("one result<table>a</table>relatedQuery");
    for (const char* engine : {"chkBaidu", "chkGoogle", "chkSogou"})
        find<QCheckBox>(engine)->setChecked(false);
    auto* pages = find<QScrollBar>("VScroll1");
    pages->setValue(3);
    EXPECT_EQ(find<QLineEdit>("txtPage")->text(), QStringLiteral("3"));
    press("cmdKeyWord");
    // Yahoo and Youdao read three pages each; Soso copies nothing without Google.
    EXPECT_EQ(fetcher.asked.size(), 6);
    for (const char* empty : {"txtBaidu", "txtGoogle", "txtSogou", "txtSoso"})
        EXPECT_TRUE(find<QLineEdit>(empty)->text().isEmpty()) << empty;
    EXPECT_EQ(find<QLineEdit>("txtYahoo")->text(),
              QStringLiteral("在100位（1--10页）中未查询到结果"));

    find<QLineEdit>("txtPage")->setText(QStringLiteral("1"));
    fetcher.asked.clear();
    press("cmdKeyWord");
    EXPECT_EQ(fetcher.asked.size(), 2);
    for (const char* unsupported : {"chkZhongSou", "chkLive"}) {
        EXPECT_FALSE(find<QCheckBox>(unsupported)->isEnabled()) << unsupported;
        EXPECT_FALSE(find<QCheckBox>(unsupported)->toolTip().isEmpty()) << unsupported;
    }
}
