#include "app/form1.h"

#include "app/audit_window.h"
#include "app/busy_pointer.h"
#include "app/desktop_open.h"
#include "app/form_fonts.h"
#include "app/history_window.h"
#include "app/lookup_page.h"
#include "app/message_box.h"
#include "app/plain_tooltip.h"
#include "app/tool_run.h"
#include "app/track_window.h"
#include "app/web_view.h"
#include "base/figure_problems.h"
#include "base/program_folder.h"
#include "base/text_ops.h"
#include "base/tool_error.h"
#include "base/version.h"
#include "directories/directory_lists.h"
#include "history/history_store.h"
#include "metrics/baidu_period.h"
#include "metrics/rank_badges.h"
#include "metrics/scratch_file.h"
#include "metrics/site_survey.h"
#include "net/engine_files.h"
#include "netinfo/ip_lookup.h"
#include "netinfo/lookup_figures.h"
#include "netinfo/lookup_text.h"
#include "netinfo/whois_lookup.h"
#include "rank/keyword_rank.h"
#include "research/keyword_density.h"
#include "research/related_search.h"
#include "research/research_figures.h"
#include "script/html_conversion.h"
#include "script/opencc_conversion.h"
#include "script/script_conversion.h"
#include "tools/rank_options.h"
#include "ui_form1.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <algorithm>
#include <optional>

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
void showError(QWidget* parent, const QString& description, ErrorBox kind,
               const QString& more = {}) {
    message_box::warn(
        parent, (kind == ErrorBox::Prefixed ? kErrorPrefix + description : description) + more);
}

// What a tool's run does when it ends: the error box when it failed, nothing when it was done
// or stopped.
ToolRun::Finished boxOnFailure(QWidget* parent, ErrorBox kind) {
    return [parent, kind](const ToolRun::Outcome& o) {
        if (o.end == ToolRun::End::Failed)
            showError(parent, o.error, kind);
    };
}

RunEnd runEndOf(ToolRun::End end) {
    switch (end) {
    case ToolRun::End::Done:
        return RunEnd::Done;
    case ToolRun::End::Failed:
        return RunEnd::Failed;
    case ToolRun::End::Stopped:
        break;
    }
    return RunEnd::Stopped;
}

// A text box's text as typed: toPlainText() would turn no-break spaces into spaces and a line
// separator into a line feed; only the box's own paragraph breaks become line feeds.
QString plainTextOf(const QPlainTextEdit* box) {
    return box->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// The tab page a control sits on.
QWidget* pageOf(QWidget* control) {
    QWidget* w = control;
    while (w->parentWidget() && !qobject_cast<QStackedWidget*>(w->parentWidget()))
        w = w->parentWidget();
    return w;
}

// finished, after the run's record is ended and saved.
ToolRun::Finished recorded(const std::shared_ptr<RecordedRun>& record, ToolRun::Finished finished) {
    return [record, finished](const ToolRun::Outcome& o) {
        record->finish(runEndOf(o.end), o.error);
        finished(o);
    };
}

// A survey's one box at its end for the engines whose request failed, each with why; the table
// shows the others' figures and "失败" in their cells.
void boxForFailedEngines(QWidget* parent, const QList<Figure>& figures) {
    const FigureProblems problems = countProblems(figures);
    if (problems.failed > 0)
        showError(parent,
                  QStringLiteral("%1 个引擎请求失败（表格中为“失败”）：\n").arg(problems.failed) +
                      failureList(figures, QStringLiteral("\n")),
                  ErrorBox::Prefixed);
}

// finished, after the run's status line has said how many of its engines failed or were
// unreadable, which their "-" and "0" cannot say.
ToolRun::Finished summarised(ToolRun* run, const std::shared_ptr<RecordedRun>& record,
                             ToolRun::Finished finished) {
    return [run, record, finished](const ToolRun::Outcome& o) {
        if (o.end == ToolRun::End::Done)
            run->showSummary(problemSummary(record->record().figures));
        finished(o);
    };
}

// A result's tooltip: why it holds no figure, then what else there is to say, each where there
// is something.
QString resultToolTip(const Figure& figure, const QString& more = {}) {
    QStringList lines{figureProblem(figure), more};
    lines.removeAll(QString());
    return lines.isEmpty() ? QString() : plainToolTip(lines.join(u'\n'));
}

// The typed inputs cleaned as the tool's entry says; empty when one of them is cleaned to
// nothing, and the handler ends silently.
QStringList cleaned(Tool tool, const QStringList& typed) {
    const QStringList inputs = cleanInputs(toolEntry(tool), typed);
    return allGiven(inputs) ? inputs : QStringList();
}

// What a survey's view shows when the survey ended without its table: where it ended and why,
// in place of the waiting page.
QString surveyEndedPage(const SurveyKind& kind, const ToolRun::Outcome& o) {
    const QString where = o.step.isEmpty() ? QString() : QStringLiteral("在 %1处").arg(o.step);
    const QString why = o.end == ToolRun::End::Stopped ? QStringLiteral("查询已停止")
                                                       : QStringLiteral("查询出错：") + o.error;
    return QStringLiteral("<body style='font-size:12px'><p>%1%2%3。</p></body>")
        .arg(QString::fromUtf8(kind.caption).toHtmlEscaped(), where.toHtmlEscaped(),
             why.toHtmlEscaped());
}

} // namespace

Form1::Form1(Fetcher& fetcher, const QString& endpointsFile, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::Form1>()), fetcher_(fetcher),
      runHistory_([this] { return history(); },
                  [this](const QString& description) {
                      // Told once: the tools go on working without their history.
                      showError(this, QStringLiteral("结果未能记入历史记录：") + description,
                                ErrorBox::DescriptionOnly);
                  }) {
    ui->setupUi(this);
    setWindowTitle(QStringLiteral(TESSIVO_TITLE));
    // The audit of the site typed on the first page, from the free end of its row, so that the
    // page's own controls keep their places.
    auto* audit = new QPushButton(QStringLiteral("网站体检…"), ui->Frame1);
    audit->setObjectName(QStringLiteral("cmdAudit"));
    audit->setGeometry(428, 16, 85, 21);
    connect(audit, &QPushButton::clicked, this, [this] {
        showAudit();
        auditWindow_->offerSite(ui->txtDomain->text());
    });
    // The same for the tracker on the rank page, to the right of 开始查询.
    auto* tracker = new QPushButton(QStringLiteral("排名跟踪…"), ui->Frame3);
    tracker->setObjectName(QStringLiteral("cmdRankTrack"));
    tracker->setGeometry(540, 48, 101, 25);
    connect(tracker, &QPushButton::clicked, this, &Form1::showTracker);
    setTabOrder(ui->cmdKeyWord, tracker);
    // The form's own font was changed as it was set (changeEvent); these are the controls that
    // name a family of their own.
    for (QWidget* control : findChildren<QWidget*>())
        useInstalledFamily(control);
    // Eleven captions in one row need tighter tabs than Qt's default. The form cannot name a tab
    // control's bar, and a style sheet on the tab control itself would reach every control on its
    // pages, which then lose the form's font for the application's.
    for (QTabWidget* tabs : {ui->SSTab1, ui->SSTab2})
        tabs->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 5px; }"));
    ui->webBBS->setRemoteContent(true);
    ui->webLink->setRemoteContent(true);
    setWindowIcon(QIcon(program_folder::file(QStringLiteral("/images/tessivo.png"))));
    loadArtwork(ui->SSTab1->currentWidget());
    connect(ui->SSTab1, &QTabWidget::currentChanged, this,
            [this](int index) { loadArtwork(ui->SSTab1->widget(index)); });

    indexedRun_ = std::make_unique<ToolRun>(pageOf(ui->cmdQuery), ui->cmdQuery);
    backlinkRun_ = std::make_unique<ToolRun>(pageOf(ui->cmdLink), ui->cmdLink);
    periodRun_ = std::make_unique<ToolRun>(pageOf(ui->cmdBaidu), ui->cmdBaidu);
    badgesRun_ = std::make_unique<ToolRun>(pageOf(ui->cmdPr), ui->cmdPr);
    rankRun_ = std::make_unique<ToolRun>(pageOf(ui->cmdKeyWord), ui->cmdKeyWord);
    relatedRun_ = std::make_unique<ToolRun>(pageOf(ui->cmdRelateAndIndex), ui->cmdRelateAndIndex);
    densityRun_ = std::make_unique<ToolRun>(pageOf(ui->cmdFrequency), ui->cmdFrequency);
    // Two tools share their page: each frame is its tool's page, with its own status line, busy
    // pointer and Esc.
    layOutLookupPage(ui->SSTab1_page9, ui->Frame6, ui->Frame7);
    fitAddressColumns(ui->lvIp);
    ipRun_ = std::make_unique<ToolRun>(ui->Frame6, ui->cmdIpQuery);
    whoisRun_ = std::make_unique<ToolRun>(ui->Frame7, ui->cmdWhoisQuery);
    wireRankChoices();

    connect(ui->cmdQuery, &QPushButton::clicked, this, &Form1::cmdQuery_Click);
    // Enter in a page's one input starts its tool; it never stops the one running, as the
    // button does.
    const auto enterStarts = [this](QLineEdit* input, const std::unique_ptr<ToolRun>& run,
                                    void (Form1::*start)()) {
        connect(input, &QLineEdit::returnPressed, this, [this, &run, start] {
            if (!run->running())
                (this->*start)();
        });
    };
    enterStarts(ui->txtDomain, indexedRun_, &Form1::cmdQuery_Click);
    enterStarts(ui->txtDomain2, backlinkRun_, &Form1::cmdLink_Click);
    enterStarts(ui->txtDomain1, periodRun_, &Form1::cmdBaidu_Click);
    enterStarts(ui->txtDomainPr, badgesRun_, &Form1::cmdPr_Click);
    enterStarts(ui->txtRelateKeyWord, relatedRun_, &Form1::cmdRelateAndIndex_Click);
    enterStarts(ui->txtIpTarget, ipRun_, &Form1::cmdIpQuery_Click);
    enterStarts(ui->txtWhoisDomain, whoisRun_, &Form1::cmdWhoisQuery_Click);
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
    wireConversionChoices();
    connect(ui->cmdIpQuery, &QPushButton::clicked, this, &Form1::cmdIpQuery_Click);
    connect(ui->cmdWhoisQuery, &QPushButton::clicked, this, &Form1::cmdWhoisQuery_Click);
    ui->lblUrl->setMouseTracking(true);
    ui->lblUrl->installEventFilter(this);

    startUp(endpointsFile);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this, this, &Form1::showHistory);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_J), this, this, &Form1::showAudit);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this, this, &Form1::showTracker);
    focusFirstInput();
}

// Without its history the window still does everything else: the user is told once, and again
// when asking for the history.
HistoryStore* Form1::history() {
    if (!historyOpened_)
        openHistory();
    return history_.get();
}

void Form1::openHistory() {
    historyOpened_ = true;
    try {
        history_ = std::make_unique<HistoryStore>(HistoryStore::defaultPath());
    } catch (const ToolError& e) {
        historyProblem_ = e.description();
        message_box::warn(this, QStringLiteral("历史记录不可用：") + historyProblem_);
    }
}

void Form1::showHistory() {
    if (!history()) {
        message_box::warn(this, QStringLiteral("历史记录不可用：") + historyProblem_);
        return;
    }
    if (!historyWindow_)
        historyWindow_ = new HistoryWindow(*history_, this);
    else
        historyWindow_->reload();
    historyWindow_->showNormal();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

// The audit's records go to the history when it opens; the window works without one.
void Form1::showAudit() {
    if (!auditWindow_)
        auditWindow_ = new AuditWindow(&runHistory_, demoRuns, fetcher_, endpoints_, this);
    auditWindow_->showNormal();
    auditWindow_->raise();
    auditWindow_->activateWindow();
}

void Form1::showTracker() {
    if (!trackWindow_)
        trackWindow_ = new TrackWindow(&runHistory_, fetcher_, endpoints_, demoRuns, this);
    else if (!trackWindow_->running())
        trackWindow_->reload();
    trackWindow_->offer(ui->txtKeyWordUrl->text(), ui->txtKeyWord->text());
    trackWindow_->showNormal();
    trackWindow_->raise();
    trackWindow_->activateWindow();
}

void Form1::focusFirstInput() {
    // The first box of the page shown, in tab order, takes the keyboard when the window opens.
    QWidget* page = ui->SSTab1->currentWidget();
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain())
        if (page->isAncestorOf(w) && w->isEnabled() &&
            (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))) {
            w->setFocus();
            return;
        }
}

// The history, audit and tracker windows go before the store they use.
Form1::~Form1() {
    delete trackWindow_;
    delete auditWindow_;
    delete historyWindow_;
}

void Form1::startUp(const QString& endpointsFile) {
    const auto startUpError = [this](const QString& description) {
        showError(this, description, ErrorBox::Prefixed,
                  QStringLiteral("请到：") + endpoints_.base(Endpoint::MakerHost) +
                      QStringLiteral("/download/vek.html查看新版本！"));
    };
    // A wrong endpoints file is told once; its right lines are taken, its wrong keys keep their
    // defaults, and start-up goes on.
    QString problem;
    endpoints_ = EndpointTable::forProgram(&problem);
    if (!endpointsFile.isEmpty()) {
        const QString given = endpoints_.apply(endpointsFile);
        problem +=
            (problem.isEmpty() || given.isEmpty() ? QString() : QStringLiteral("\n")) + given;
    }
    // The engines are read now, on the window's thread, so that a wrong engines file is told with
    // the endpoints; a wrong user file leaves its tool with the shipped rows.
    for (const QString& wrong : engines::catalog().problems())
        problem += (problem.isEmpty() ? QString() : QStringLiteral("\n")) + wrong;
    if (!problem.isEmpty())
        startUpError(problem);
    try {
        const QString logos = endpoints_.base(Endpoint::MakerHost) + QStringLiteral("/images/");
        ui->webBBS->setRemoteContent(true, logos);
        ui->webLink->setRemoteContent(true, logos);
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
        startUpError(describe(e));
    }
}

void Form1::loadArtwork(const QWidget* page) {
    const QString images = program_folder::file(QStringLiteral("/images/"));
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
        if (p.label->pixmap().isNull() && (!page || page->isAncestorOf(p.label)))
            p.label->setPixmap(QPixmap(images + QLatin1String(p.file)));
}

void Form1::cmdQuery_Click() {
    runSiteSurvey(*indexedRun_, Tool::Indexed, ui->txtDomain, ui->webBBS);
}

void Form1::runSiteSurvey(ToolRun& run, Tool tool, QLineEdit* input, WebView* view) {
    if (run.stopIfRunning())
        return;
    const QStringList in = cleaned(tool, {input->text()});
    if (in.isEmpty())
        return;
    view->navigate(program_folder::file(QStringLiteral("/config/wait.html")));
    const SurveyKind& kind = *toolEntry(tool).survey;
    const QString scratch = QString::fromLatin1(kind.scratchName);
    const Recording record = beginRecording(tool, in);
    run.start(
        [&kind, d = in[0], scratch, view, record, fetcher = &fetcher_,
         endpoints = endpoints_](ToolRun& r) {
            const QString document =
                runSurvey(kind, d, *fetcher, endpoints, r.progress(),
                          [record](const Figure& figure) { record->add(figure); });
            const QString path = writeScratchFile(scratch, document);
            r.post([view, path] { view->navigate(path); });
        },
        recorded(record,
                 summarised(&run, record,
                            [this, &kind, scratch, view, record](const ToolRun::Outcome& o) {
                                if (o.end == ToolRun::End::Done) {
                                    boxForFailedEngines(this, record->record().figures);
                                    return;
                                }
                                // The waiting page would otherwise go on saying the survey is at
                                // work.
                                try {
                                    view->navigate(
                                        writeScratchFile(scratch, surveyEndedPage(kind, o)));
                                } catch (const ToolError&) {
                                    view->navigate(QStringLiteral("about:blank"));
                                }
                                if (o.end == ToolRun::End::Failed)
                                    showError(this, o.error, ErrorBox::Prefixed);
                            })),
        ToolRun::Pointer::AfterBox);
}

Form1::Recording Form1::beginRecording(Tool tool, const QStringList& inputs,
                                       const QJsonObject& asked) {
    return std::make_shared<RecordedRun>(&runHistory_, toolEntry(tool), inputs, asked, demoRuns);
}

void Form1::cmdLink_Click() {
    runSiteSurvey(*backlinkRun_, Tool::Backlinks, ui->txtDomain2, ui->webLink);
}

void Form1::cmdBaidu_Click() {
    if (periodRun_->stopIfRunning())
        return;
    const QStringList in = cleaned(Tool::BaiduPeriod, {ui->txtDomain1->text()});
    if (in.isEmpty())
        return;
    const QString period = ui->cmbBaiDu->currentText();
    const Recording record =
        beginRecording(Tool::BaiduPeriod, in, {{QStringLiteral("period"), period}});
    periodRun_->start(
        [this, d = in[0], period, record, endpoints = endpoints_](ToolRun& r) {
            const BaiduPeriodResult result = runBaiduPeriod(fetcher_, endpoints, d, period);
            record->add(result.count);
            r.post([this, result] {
                ui->Label7->setText(result.sentence);
                ui->Label7->adjustSize(); // the sentence is far wider than the label's design
                strBaiduUrl = result.url;
            });
        },
        recorded(record, boxOnFailure(this, ErrorBox::Prefixed)));
}

void Form1::cmdPr_Click() {
    if (badgesRun_->stopIfRunning())
        return;
    const QStringList in = cleaned(Tool::Badges, {ui->txtDomainPr->text()});
    if (in.isEmpty())
        return;
    const auto show = [this](Badge badge, const QString& caption, const QString& toolTip) {
        QLabel* const labels[] = {ui->lblGooglePr, ui->lblAlexa, ui->lblSogou, ui->lblChinaRank};
        static_assert(std::size(labels) == std::size(kBadges));
        if (badge == Badge::PageRank) {
            // Only a rank has a badge picture; never build a path out of arbitrary page text.
            ui->imgGooglePr->setPixmap(
                isPageRank(caption)
                    ? QPixmap(program_folder::file(QStringLiteral("/images/google_pr_") + caption +
                                                   QStringLiteral(".gif")))
                    : QPixmap());
            ui->Label16->show();
        }
        labels[size_t(badge)]->setText(caption);
        labels[size_t(badge)]->setToolTip(toolTip);
    };
    // The last run's badges are not this run's.
    for (QLabel* label : {ui->lblGooglePr, ui->lblAlexa, ui->lblSogou, ui->lblChinaRank}) {
        label->clear();
        label->setToolTip({});
    }
    ui->imgGooglePr->setPixmap(QPixmap());
    const Recording record = beginRecording(Tool::Badges, in);
    badgesRun_->start(
        [this, d = in[0], show, record, endpoints = endpoints_](ToolRun& r) {
            runRankBadges(
                fetcher_, endpoints, d,
                [&r, show, record](Badge badge, const Figure& figure) {
                    record->add(figure);
                    r.post([show, badge, caption = figure.text, tip = resultToolTip(figure)] {
                        show(badge, caption, tip);
                    });
                },
                r.progress());
        },
        recorded(record,
                 summarised(badgesRun_.get(), record, boxOnFailure(this, ErrorBox::Prefixed))));
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
        showError(this, describe(e), ErrorBox::DescriptionOnly);
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

void Form1::wireConversionChoices() {
    ui->cboConversion->addItem(QStringLiteral("逐字（原表）"));
    for (const OpenCcConfig& c : openCcConfigs())
        ui->cboConversion->addItem(QString::fromUtf8(c.caption), QString::fromLatin1(c.name));
    ui->cboConversion->setToolTip(
        QStringLiteral("逐字（原表）：两个按钮照旧逐字查表，“简体到繁体”或“繁体到简体”。\n"
                       "其余为 OpenCC 的按词转换：方向由所选项决定，两个按钮都按它转换。"));
    ui->chkHtmlPage->setToolTip(
        QStringLiteral("把原文字当作网页：只转换正文与 title、alt、placeholder 属性及 meta "
                       "description/keywords，标签、脚本、样式、注释、地址和实体原样保留。"));
    ui->chkSetLang->setToolTip(QStringLiteral(
        "按网页转换时，把 lang/hreflang 的语言代码改为转换结果的（如 zh-CN 改为 zh-TW）。"));
    connect(ui->chkHtmlPage, &QCheckBox::toggled, ui->chkSetLang, &QWidget::setEnabled);
}

void Form1::convertScript(bool toTraditional) {
    try {
        const QString name = ui->cboConversion->currentData().toString();
        std::optional<OpenCcConverter> opencc;
        std::optional<ScriptConverter> tables;
        QString lang;
        if (name.isEmpty()) {
            tables = ScriptConverter::fromTables(toTraditional
                                                     ? ScriptDirection::SimplifiedToTraditional
                                                     : ScriptDirection::TraditionalToSimplified);
            lang = toTraditional ? QStringLiteral("zh-Hant") : QStringLiteral("zh-Hans");
        } else {
            opencc.emplace(name);
            toTraditional = opencc->config().toTraditional;
            lang = QString::fromLatin1(opencc->config().lang);
        }
        const QString text = plainTextOf(ui->txtChangeS);
        if (ui->chkHtmlPage->isChecked()) {
            // A page keeps every byte outside its text, the spaces at its ends included.
            if (text.isEmpty())
                return;
            std::optional<LangChange> change;
            if (ui->chkSetLang->isChecked())
                change = langChangeTo(toTraditional, lang);
            const QByteArray page = text.toUtf8();
            const std::string out = convertHtml(
                std::string_view(page.constData(), size_t(page.size())),
                [&](std::string_view piece) {
                    if (opencc)
                        return opencc->convert(piece);
                    return tables->convert(QString::fromUtf8(piece)).toStdString();
                },
                change);
            ui->txtChangeResult->setPlainText(QString::fromStdString(out));
            return;
        }
        const QString input = text::trimSpaces(text);
        if (input.isEmpty())
            return;
        QString out;
        if (opencc)
            opencc->convert(input, out);
        else
            tables->convert(input, out);
        ui->txtChangeResult->setPlainText(out);
    } catch (const std::exception& e) {
        showError(this, describe(e), ErrorBox::Prefixed);
    }
}

void Form1::cmdRelateAndIndex_Click() {
    if (relatedRun_->stopIfRunning())
        return;
    const QStringList in = cleaned(Tool::Related, {ui->txtRelateKeyWord->text()});
    if (in.isEmpty())
        return;
    const Recording record = beginRecording(Tool::Related, in);
    relatedRun_->start(
        [this, keyword = in[0], record, rows = ui->LvKeyword->topLevelItemCount(),
         endpoints = endpoints_](ToolRun& r) {
            runRelatedSearch(
                fetcher_, endpoints, keyword, rows,
                [this, &r, record](const KeywordRow& row) {
                    record->add(keywordRowFigures(row));
                    r.post([this, row] { new QTreeWidgetItem(ui->LvKeyword, row.columns()); });
                },
                r.progress());
        },
        recorded(record, boxOnFailure(this, ErrorBox::DescriptionOnly)),
        ToolRun::Pointer::BeforeBox);
}

void Form1::cmdFrequency_Click() {
    if (densityRun_->stopIfRunning())
        return;
    const QStringList in =
        cleaned(Tool::Density, {ui->txtSearchPage->text(), ui->txtSearchKeyWord->text()});
    if (in.isEmpty())
        return;
    const Recording record = beginRecording(Tool::Density, in);
    densityRun_->start(
        [this, in, record](ToolRun& r) {
            const KeywordDensity d = runKeywordDensity(fetcher_, in[0], in[1]);
            record->add(densityFigures(d));
            r.post([this, d] {
                ui->txtPageContent->setPlainText(d.pageText);
                ui->lblLenTotal->setText(d.captions.lenTotal);
                ui->lblLenKeyword->setText(d.captions.lenKeyword);
                ui->lblFrequency->setText(d.captions.frequency);
                ui->lblLenKeyWordTotal->setText(d.captions.lenKeyWordTotal);
                ui->lblFrequencyResult->setText(d.captions.frequencyResult);
                // The captions outgrow the labels' designed widths; let them grow in place.
                for (QLabel* l : {ui->lblLenTotal, ui->lblLenKeyword, ui->lblFrequency,
                                  ui->lblLenKeyWordTotal, ui->lblFrequencyResult})
                    l->adjustSize();
            });
        },
        recorded(record, boxOnFailure(this, ErrorBox::Prefixed)), ToolRun::Pointer::BeforeBox);
}

void Form1::cmdKeyWord_Click() {
    if (rankRun_->stopIfRunning())
        return;
    const QStringList in =
        cleaned(Tool::KeywordRank, {ui->txtKeyWordUrl->text(), ui->txtKeyWord->text()});
    if (in.isEmpty())
        return;
    const RankChoice choice = rankChoice();
    // No box shows the last run's answer, nor why that one had none: an engine not asked stays
    // empty, an asked one fills as its answer comes.
    for (const RankBoxName& b : kRankBoxes) {
        rankBox(b.box)->clear();
        rankBox(b.box)->setToolTip({});
    }
    const Recording record = beginRecording(Tool::KeywordRank, in, rankOptions(choice));
    // Each box's tooltip tells how its answer moved since the last run recorded for the same
    // site and keyword; the page itself shows what it always showed.
    try {
        record->compareWithLast();
    } catch (const ToolError&) {
        // The run goes on without comparisons.
    }
    rankRun_->start(
        [this, in, choice, record, endpoints = endpoints_](ToolRun& r) {
            searchKeywordRank(
                fetcher_, endpoints, in[0], in[1],
                [this, &r, record](RankBox box, const Figure& answer) {
                    record->add(answer);
                    const QString change = record->change(answer);
                    const QString tip = resultToolTip(
                        answer, change.isEmpty()
                                    ? QString()
                                    : QStringLiteral("与上次查询相比：%1").arg(change));
                    r.post([this, box, text = answer.text, tip] {
                        rankBox(box)->setText(text);
                        rankBox(box)->setToolTip(tip);
                    });
                },
                choice, r.progress());
        },
        recorded(record,
                 summarised(rankRun_.get(), record, boxOnFailure(this, ErrorBox::DescriptionOnly))),
        ToolRun::Pointer::AfterBox);
}

QLineEdit* Form1::rankBox(RankBox box) const {
    // In RankBox order.
    QLineEdit* const boxes[] = {ui->txtBaidu, ui->txtGoogle, ui->txtYahoo,
                                ui->txtSogou, ui->txtSoso,   ui->txtYodao};
    static_assert(std::size(boxes) == kRankBoxCount);
    return boxes[size_t(box)];
}

QCheckBox* Form1::rankCheckBox(RankBox box) const {
    QCheckBox* const boxes[] = {ui->chkBaidu, ui->chkGoogle, ui->chkYahoo,
                                ui->chkSogou, ui->chkSoso,   ui->chkYodao};
    static_assert(std::size(boxes) == kRankBoxCount);
    return boxes[size_t(box)];
}

void Form1::wireRankChoices() {
    // The page count and its spin arrows hold the same number; the up arrow counts up.
    ui->VScroll1->setRange(1, kMaxRankPages);
    ui->VScroll1->setInvertedAppearance(true);
    ui->VScroll1->setInvertedControls(true);
    ui->VScroll1->setValue(kMaxRankPages);
    connect(ui->VScroll1, &QScrollBar::valueChanged, this,
            [this](int pages) { ui->txtPage->setText(QString::number(pages)); });
    connect(ui->txtPage, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool ok = false;
        const int pages = text.toInt(&ok);
        if (ok && pages >= 1 && pages <= kMaxRankPages) {
            const QSignalBlocker quiet(ui->VScroll1);
            ui->VScroll1->setValue(pages);
        }
    });
    for (QCheckBox* unsupported : {ui->chkZhongSou, ui->chkLive}) {
        unsupported->setEnabled(false);
        unsupported->setToolTip(QStringLiteral("关键词排名不支持此搜索引擎"));
    }
}

RankChoice Form1::rankChoice() const {
    RankChoice choice;
    for (const RankBoxName& b : kRankBoxes)
        choice.asked[size_t(b.box)] = rankCheckBox(b.box)->isChecked();
    // What the box says when it holds a page count, else where its arrows stand.
    bool ok = false;
    const int typed = ui->txtPage->text().trimmed().toInt(&ok);
    choice.pages = ok && typed >= 1 && typed <= kMaxRankPages ? typed : ui->VScroll1->value();
    return choice;
}

std::array<ToolRun*, 9> Form1::runs() const {
    return {indexedRun_.get(), backlinkRun_.get(), periodRun_.get(),
            badgesRun_.get(),  rankRun_.get(),     relatedRun_.get(),
            densityRun_.get(), ipRun_.get(),       whoisRun_.get()};
}

void Form1::useLookups(Resolver& resolver, WhoisClient& whois) {
    resolver_ = &resolver;
    whois_ = &whois;
}

void Form1::cmdIpQuery_Click() {
    if (ipRun_->stopIfRunning())
        return;
    const QStringList in = cleaned(Tool::Ip, {ui->txtIpTarget->text()});
    if (in.isEmpty())
        return;
    ui->lvIp->clear();
    ui->lblIpCname->clear();
    const Recording record = beginRecording(Tool::Ip, in);
    ipRun_->start(
        [this, host = in[0], record, endpoints = endpoints_](ToolRun& r) {
            const IpLookup result = runIpLookup(
                {fetcher_, *resolver_, endpoints}, host,
                [this, &r, record](const IpAddressRow& row) {
                    record->add(ipRowFigures(row));
                    r.post([this, row] {
                        auto* item = new QTreeWidgetItem(ui->lvIp, ipColumns(row));
                        // Why a column is empty, where the user looks for it.
                        const QStringList notes = ipColumnNotes(row);
                        for (int c = 0; c < item->columnCount(); ++c)
                            if (!notes[c].isEmpty())
                                item->setToolTip(c, plainToolTip(notes[c]));
                        explainCutCells(item);
                    });
                },
                r.progress());
            if (!result.aliases.isEmpty())
                r.post([this, host, aliases = result.aliases] {
                    ui->lblIpCname->setText(QStringLiteral("别名（CNAME）：%1 → %2")
                                                .arg(host, aliases.join(QStringLiteral(" → "))));
                });
        },
        recorded(record, boxOnFailure(this, ErrorBox::Prefixed)));
}

void Form1::cmdWhoisQuery_Click() {
    if (whoisRun_->stopIfRunning())
        return;
    const QStringList in = cleaned(Tool::Whois, {ui->txtWhoisDomain->text()});
    if (in.isEmpty())
        return;
    ui->txtWhoisSummary->clear();
    ui->txtWhoisRecord->clear();
    const Recording recording = beginRecording(Tool::Whois, in);
    whoisRun_->start(
        [this, host = in[0], recording, endpoints = endpoints_](ToolRun& r) {
            const DomainRecord record =
                runWhoisLookup(fetcher_, *whois_, endpoints, host, r.progress());
            recording->add(domainFigures(record));
            r.post([this, record] {
                const QString notice = domainNotice(record);
                ui->txtWhoisSummary->setPlainText(
                    notice.isEmpty() ? domainSummary(record).join(u'\n') : notice);
                ui->txtWhoisRecord->setPlainText(record.raw);
            });
        },
        recorded(recording, boxOnFailure(this, ErrorBox::Prefixed)));
}

bool Form1::event(QEvent* event) {
    if (event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        // The other pages' pictures (and the image plugins they need) and the history database
        // wait until the window is on the screen.
        QTimer::singleShot(0, this, [this] {
            loadArtwork(nullptr);
            history();
        });
    }
    return QWidget::event(event);
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        useInstalledFamily(this);
    QWidget::changeEvent(event);
}

bool Form1::toolsRunning() const {
    const auto all = runs();
    return std::any_of(all.begin(), all.end(), [](const ToolRun* run) { return run->running(); });
}

void Form1::closeEvent(QCloseEvent* event) {
    for (ToolRun* run : runs())
        run->stopAndWait(1000);
    // A window of its own, it would otherwise keep the program running with the main one gone.
    if (historyWindow_)
        historyWindow_->close();
    if (auditWindow_)
        auditWindow_->close();
    QWidget::closeEvent(event);
}
