#include "app/form1.h"

#include "app/busy_pointer.h"
#include "app/desktop_open.h"
#include "app/message_box.h"
#include "app/web_view.h"
#include "base/input_cleaning.h"
#include "base/program_folder.h"
#include "base/tool_error.h"
#include "directories/directory_lists.h"
#include "metrics/backlink_survey.h"
#include "metrics/baidu_period.h"
#include "metrics/indexed_survey.h"
#include "metrics/rank_badges.h"
#include "metrics/scratch_file.h"
#include "rank/keyword_rank.h"
#include "research/keyword_density.h"
#include "research/related_search.h"
#include "script/script_conversion.h"
#include "ui_form1.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTabBar>

namespace {

QString describe(const std::exception& e) {
    if (const auto* t = dynamic_cast<const ToolError*>(&e))
        return t->description();
    return QString::fromUtf8(e.what());
}

// The form's measures are twips, fifteen to a pixel.
constexpr int kTwipsPerPixel = 15;

// Some tools put kErrorPrefix before the description, others show the description alone.
enum class ErrorBox { Prefixed, DescriptionOnly };

// The box every handler shows when its tool fails; start-up appends where to find a new version.
void showError(QWidget* parent, const std::exception& e, ErrorBox kind, const QString& more = {}) {
    const QString description = describe(e);
    message_box::warn(
        parent, (kind == ErrorBox::Prefixed ? kErrorPrefix + description : description) + more);
}

} // namespace

Form1::Form1(Fetcher& fetcher, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::Form1>()), fetcher_(fetcher) {
    ui->setupUi(this);
    // Eleven captions in one row need tighter tabs than Qt's default. The form cannot name a tab
    // control's bar, and a style sheet on the tab control itself would reach every control on its
    // pages, which then lose the form's font for the application's.
    for (QTabWidget* tabs : {ui->SSTab1, ui->SSTab2})
        tabs->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 5px; }"));
    ui->webBBS->setRemoteContent(true);
    ui->webLink->setRemoteContent(true);
    loadArtwork();

    connect(ui->cmdQuery, &QPushButton::clicked, this, &Form1::cmdQuery_Click);
    connect(ui->txtDomain, &QLineEdit::returnPressed, this, &Form1::cmdQuery_Click);
    connect(ui->cmdLink, &QPushButton::clicked, this, &Form1::cmdLink_Click);
    connect(ui->cmdBaidu, &QPushButton::clicked, this, &Form1::cmdBaidu_Click);
    connect(ui->cmdPr, &QPushButton::clicked, this, &Form1::cmdPr_Click);
    connect(ui->cmdKeyWord, &QPushButton::clicked, this, &Form1::cmdKeyWord_Click);
    connect(ui->cmdRelateAndIndex, &QPushButton::clicked, this, &Form1::cmdRelateAndIndex_Click);
    connect(ui->cmdFrequency, &QPushButton::clicked, this, &Form1::cmdFrequency_Click);
    connect(ui->cmdCn_bbs, &QPushButton::clicked, this, &Form1::cmdCn_bbs_Click);
    connect(ui->cmdCn_Blog, &QPushButton::clicked, this, &Form1::cmdCn_Blog_Click);
    connect(ui->cmdCn_btoc, &QPushButton::clicked, this, &Form1::cmdCn_btoc_Click);
    connect(ui->cmdCn_search, &QPushButton::clicked, this, &Form1::cmdCn_search_Click);
    connect(ui->cmdEn_blog, &QPushButton::clicked, this, &Form1::cmdEn_blog_Click);
    connect(ui->cmdEn_Search, &QPushButton::clicked, this, &Form1::cmdEn_Search_Click);
    connect(ui->lvHouse, &QTreeWidget::itemDoubleClicked, this, &Form1::lvHouse_DblClick);
    connect(ui->cmdStoT, &QPushButton::clicked, this, &Form1::cmdStoT_Click);
    connect(ui->cmdTtoS, &QPushButton::clicked, this, &Form1::cmdTtoS_Click);
    ui->lblUrl->setMouseTracking(true);
    ui->lblUrl->installEventFilter(this);

    startUp();
}

Form1::~Form1() = default;

void Form1::startUp() {
    try {
        endpoints_ = EndpointTable::forProgram();
        ui->webBBS->navigate(QStringLiteral("about:blank"));
        ui->webLink->navigate(QStringLiteral("about:blank"));
        ui->WebBrowser1->navigate(endpoints_.base(Endpoint::MakerHost) +
                                  QStringLiteral("/download/vek_1.html"));
        ui->webHTML->navigate(program_folder::file(QStringLiteral("/config/html.html")));
        ui->webHtml_js->navigate(program_folder::file(QStringLiteral("/config/html_js.html")));
        ui->webHtml_ubb->navigate(program_folder::file(QStringLiteral("/config/html_ubb.html")));
        ui->webUbb_html->navigate(program_folder::file(QStringLiteral("/config/ubb_html.html")));

        ui->cmbBaiDu->clear();
        ui->cmbBaiDu->addItems(baiduPeriods());
        ui->cmbBaiDu->setCurrentIndex(0);

        ui->LvKeyword->clear();
        ui->LvKeyword->setColumnCount(0);
        const struct {
            const char* header;
            int twips;
        } columns[] = {{"编号", 800},      {"关键词", 2500},   {"当日关注", 2000},
                       {"一周关注", 2000}, {"一月关注", 2000}, {"一季关注", 2000}};
        QStringList headers;
        for (const auto& c : columns)
            headers << QString::fromUtf8(c.header);
        ui->LvKeyword->setHeaderLabels(headers);
        for (int i = 0; i < int(std::size(columns)); ++i)
            ui->LvKeyword->setColumnWidth(i, columns[i].twips / kTwipsPerPixel);
    } catch (const std::exception& e) {
        showError(this, e, ErrorBox::Prefixed,
                  QStringLiteral("请到：") + endpoints_.base(Endpoint::MakerHost) +
                      QStringLiteral("/download/vek.html查看新版本！"));
    }
}

void Form1::loadArtwork() {
    const QString images = program_folder::file(QStringLiteral("/images/"));
    setWindowIcon(QIcon(images + QStringLiteral("tessivo.png")));
    const struct {
        QLabel* label;
        const char* file;
    } pictures[] = {
        {ui->Image1, "icon_baidu.gif"},    {ui->Image2, "icon_google.gif"},
        {ui->Image3, "icon_yahoo.gif"},    {ui->Image4, "icon_sogou.gif"},
        {ui->Image5, "icon_soso.gif"},     {ui->Image6, "icon_yodao.gif"},
        {ui->Image7, "icon_zhongsou.gif"}, {ui->Image8, "icon_live.gif"},
        {ui->Image9, "head_pagerank.jpg"}, {ui->Image11, "head_alexa.jpg"},
        {ui->Image12, "head_sogou.jpg"},   {ui->Image13, "head_chinarank.jpg"},
        {ui->Image10_0, "separator.jpg"},  {ui->Image10_1, "separator.jpg"},
        {ui->Image10_2, "separator.jpg"},
    };
    for (const auto& p : pictures)
        p.label->setPixmap(QPixmap(images + QLatin1String(p.file)));
}

void Form1::cmdQuery_Click() {
    runSiteSurvey(kIndexedSurvey, ui->txtDomain, ui->webBBS);
}

void Form1::runSiteSurvey(const SurveyKind& kind, QLineEdit* input, WebView* view) {
    BusyPointer busy;
    try {
        const QString d = cleanSite(input->text());
        if (d.isEmpty())
            return;
        view->navigate(program_folder::file(QStringLiteral("/config/wait.html")));
        busy.start();
        const QString document =
            runSurvey(kind, d, fetcher_, endpoints_,
                      [](const QString&, int, int) { QCoreApplication::processEvents(); });
        view->navigate(writeScratchFile(QString::fromLatin1(kind.scratchName), document));
        busy.stop();
    } catch (const std::exception& e) {
        showError(this, e, ErrorBox::Prefixed);
        busy.stop();
    }
}

void Form1::cmdLink_Click() {
    runSiteSurvey(kBacklinkSurvey, ui->txtDomain2, ui->webLink);
}

void Form1::cmdBaidu_Click() {
    try {
        const QString d = cleanSite(ui->txtDomain1->text());
        if (d.isEmpty())
            return;
        const BaiduPeriodResult r =
            runBaiduPeriod(fetcher_, endpoints_, d, ui->cmbBaiDu->currentText());
        ui->Label7->setText(r.sentence);
        ui->Label7->adjustSize(); // the sentence is far wider than the label's designed width
        strBaiduUrl = r.url;
    } catch (const std::exception& e) {
        showError(this, e, ErrorBox::Prefixed);
    }
}

void Form1::cmdPr_Click() {
    const QString d = cleanSite(ui->txtDomainPr->text());
    if (d.isEmpty())
        return;
    BusyPointer busy;
    busy.start();
    runRankBadges(fetcher_, endpoints_, d, [this](Badge badge, const QString& caption) {
        QLabel* label = nullptr;
        switch (badge) {
        case Badge::PageRank:
            label = ui->lblGooglePr;
            // Only a rank has a badge picture; never build a path out of arbitrary page text.
            ui->imgGooglePr->setPixmap(
                isPageRank(caption)
                    ? QPixmap(program_folder::file(QStringLiteral("/images/google_pr_") + caption +
                                                   QStringLiteral(".gif")))
                    : QPixmap());
            ui->Label16->show();
            break;
        case Badge::Alexa:
            label = ui->lblAlexa;
            break;
        case Badge::Sogou:
            label = ui->lblSogou;
            break;
        case Badge::ChinaRank:
            label = ui->lblChinaRank;
            break;
        }
        label->setText(caption);
        label->repaint(); // show each rating before the next request blocks the window again
    });
}

void Form1::setLinkColour(const QColor& colour) {
    QPalette p = ui->lblUrl->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::WindowText, colour);
    ui->lblUrl->setPalette(p);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->lblUrl) {
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
            setLinkColour(QColor(0xFF, 0, 0));
            break;
        case QEvent::Leave:
            setLinkColour(QColor(0, 0, 0xFF));
            break;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                ui->lblUrl->rect().contains(mouse->position().toPoint())) {
                setLinkColour(QColor(0, 0, 0xFF));
                desktop::openWebAddress(QUrl(strBaiduUrl));
            }
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::cmdCn_bbs_Click() {
    loadDirectory("cn_bbs");
}
void Form1::cmdCn_Blog_Click() {
    loadDirectory("cn_blog");
}
void Form1::cmdCn_btoc_Click() {
    loadDirectory("cn_b2c");
}
void Form1::cmdCn_search_Click() {
    loadDirectory("cn_search");
}
void Form1::cmdEn_blog_Click() {
    loadDirectory("en_blog");
}
void Form1::cmdEn_Search_Click() {
    loadDirectory("en_search");
}

void Form1::loadDirectory(const char* name) {
    const DirectoryList& list = *findDirectoryList(QString::fromLatin1(name));
    try {
        ui->lvHouse->clear();
        ui->lvHouse->setColumnCount(0);
        ui->lvHouse->setHeaderLabels({QStringLiteral("编号"), QString::fromUtf8(list.siteHeader),
                                      QStringLiteral("网站地址")});
        const int twips[] = {800, 3500, 6500};
        for (int i = 0; i < int(std::size(twips)); ++i)
            ui->lvHouse->setColumnWidth(i, twips[i] / kTwipsPerPixel);
        readDirectoryList(list, [this](const QString& site, const QString& address) {
            addDatatoLv(site, address);
        });
    } catch (const std::exception& e) {
        showError(this, e, ErrorBox::DescriptionOnly);
    }
}

void Form1::addDatatoLv(const QString& strWebSite, const QString& strWebUrl) {
    BusyPointer busy;
    busy.start();
    auto* row = new QTreeWidgetItem(ui->lvHouse);
    row->setText(0, QString::number(ui->lvHouse->topLevelItemCount()));
    row->setText(1, strWebSite);
    row->setText(2, strWebUrl);
}

void Form1::lvHouse_DblClick() {
    const QTreeWidgetItem* row = ui->lvHouse->currentItem();
    if (!row)
        return;
    // A list file is data from disk: hand only web addresses to the system's opener.
    const QString address = webAddressOf(row->text(2));
    if (!address.isEmpty())
        desktop::openWebAddress(QUrl(address));
}

void Form1::cmdStoT_Click() {
    convertScript(true);
}
void Form1::cmdTtoS_Click() {
    convertScript(false);
}

void Form1::convertScript(bool toTraditional) {
    try {
        const ScriptConversion c =
            ::convertScript(toTraditional ? ScriptDirection::SimplifiedToTraditional
                                          : ScriptDirection::TraditionalToSimplified,
                            ui->txtChangeS->toPlainText());
        if (c.converted)
            ui->txtChangeResult->setPlainText(c.result);
    } catch (const std::exception& e) {
        showError(this, e, ErrorBox::Prefixed);
    }
}

void Form1::cmdRelateAndIndex_Click() {
    const QString keyword = cleanKeyword(ui->txtRelateKeyWord->text());
    if (keyword.isEmpty())
        return;
    BusyPointer busy;
    busy.start();
    try {
        runRelatedSearch(fetcher_, endpoints_, keyword, ui->LvKeyword->topLevelItemCount(),
                         [this](const KeywordRow& row) {
                             new QTreeWidgetItem(ui->LvKeyword, row.columns());
                             ui->LvKeyword->repaint(); // each row shows as soon as it is made
                         });
        busy.stop();
    } catch (const std::exception& e) {
        busy.stop(); // the pointer comes back before the box
        showError(this, e, ErrorBox::DescriptionOnly);
    }
}

void Form1::cmdFrequency_Click() {
    const QString address = cleanKeyword(ui->txtSearchPage->text());
    const QString keyword = cleanKeyword(ui->txtSearchKeyWord->text());
    if (address.isEmpty() || keyword.isEmpty())
        return;
    BusyPointer busy;
    busy.start();
    try {
        const KeywordDensity d = runKeywordDensity(fetcher_, address, keyword);
        ui->txtPageContent->setPlainText(d.pageText);
        ui->lblLenTotal->setText(d.captions.lenTotal);
        ui->lblLenKeyword->setText(d.captions.lenKeyword);
        ui->lblFrequency->setText(d.captions.frequency);
        ui->lblLenKeyWordTotal->setText(d.captions.lenKeyWordTotal);
        ui->lblFrequencyResult->setText(d.captions.frequencyResult);
        // The captions outgrow the labels' designed widths; let them grow, without moving.
        for (QLabel* l : {ui->lblLenTotal, ui->lblLenKeyword, ui->lblFrequency,
                          ui->lblLenKeyWordTotal, ui->lblFrequencyResult})
            l->adjustSize();
        busy.stop();
    } catch (const std::exception& e) {
        busy.stop();
        showError(this, e, ErrorBox::Prefixed);
    }
}

void Form1::cmdKeyWord_Click() {
    // In RankBox order.
    QLineEdit* const boxes[] = {ui->txtBaidu, ui->txtGoogle, ui->txtYahoo,
                                ui->txtSogou, ui->txtSoso,   ui->txtYodao};
    static_assert(std::size(boxes) == kRankBoxCount);
    const QString site = cleanSite(ui->txtKeyWordUrl->text());
    const QString keyword = cleanKeyword(ui->txtKeyWord->text());
    if (site.isEmpty() || keyword.isEmpty())
        return;
    BusyPointer busy;
    busy.start();
    try {
        searchKeywordRank(fetcher_, endpoints_, site, keyword,
                          [&](RankBox box, const QString& answer) {
                              boxes[int(box)]->setText(answer);
                              // each answer shows before the next engine is asked
                              boxes[int(box)]->repaint();
                          });
    } catch (const std::exception& e) {
        showError(this, e, ErrorBox::DescriptionOnly); // the pointer comes back after the box
    }
}
