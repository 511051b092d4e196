#include "app/audit_window.h"

#include "app/message_box.h"
#include "app/plain_tooltip.h"
#include "app/save_dialog.h"
#include "app/submit_page.h"
#include "base/saved_file.h"
#include "base/tool_error.h"
#include "demo/demo_site.h"
#include "submit/audit_pages.h"
#include "tools/audit_files.h"
#include "tools/recorded_run.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QTableWidget* table(const char* name, const QStringList& headers) {
    auto* t = named(new QTableWidget(0, int(headers.size())), name);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->hide();
    // A row a line: addresses are long, and their full text is a tooltip away.
    t->setWordWrap(false);
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QTableWidgetItem* cell(const QString& text) {
    return new QTableWidgetItem(text);
}

QTableWidgetItem* number(qint64 n) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, n);
    return item;
}

// What every row of the faults' table keeps for the filter: its kind, and whether the last
// audit of the site did not have it ("added") or had it and this one has not ("mended").
constexpr int kKindRole = Qt::UserRole;
constexpr int kChangeRole = Qt::UserRole + 1;
// The filter's choices besides the kinds.
const QString kAdded = QStringLiteral("+added");
const QString kMended = QStringLiteral("+mended");

} // namespace

AuditWindow::AuditWindow(RunHistory* history, bool demo, Fetcher& fetcher,
                         const EndpointTable& endpoints, QWidget* parent)
    : QWidget(parent, Qt::Window), history_(history), demo_(demo) {
    setWindowTitle(QStringLiteral("网站体检"));
    resize(1000, 700);
    address_ = named(new QLineEdit, "address");
    address_->setPlaceholderText(QStringLiteral("http://www.example.cn/"));
    maxPages_ = named(new QSpinBox, "maxPages");
    maxPages_->setRange(1, 10'000'000);
    maxPages_->setValue(int(AuditOptions{}.maxPages));
    maxDepth_ = named(new QSpinBox, "maxDepth");
    maxDepth_->setRange(-1, 1000);
    maxDepth_->setSpecialValueText(QStringLiteral("不限"));
    maxDepth_->setValue(-1);
    concurrency_ = named(new QSpinBox, "concurrency");
    concurrency_->setRange(1, 32);
    concurrency_->setValue(AuditOptions{}.concurrency);
    rate_ = named(new QDoubleSpinBox, "rate");
    rate_->setRange(0, 1000);
    rate_->setSpecialValueText(QStringLiteral("不限"));
    rate_->setValue(AuditOptions{}.rate);
    resume_ = named(new QCheckBox(QStringLiteral("接着上次")), "resume");
    start_ = named(new QPushButton(QStringLiteral("开始")), "start");
    bar_ = named(new QProgressBar, "progress");
    bar_->setRange(0, 1);
    bar_->setValue(0);
    status_ = named(new QLabel, "status");
    kinds_ = named(new QComboBox, "kinds");
    faults_ = table("faults", {QStringLiteral("类型"), QStringLiteral("网址"),
                               QStringLiteral("说明"), QStringLiteral("来自")});
    pages_ = table("pages", {QStringLiteral("网址"), QStringLiteral("状态"), QStringLiteral("深度"),
                             QStringLiteral("标题"), QStringLiteral("字节"), QStringLiteral("毫秒"),
                             QStringLiteral("入链")});
    for (const auto& [column, width] : {std::pair{0, 170}, {1, 330}, {2, 260}})
        faults_->setColumnWidth(column, width);
    // In the order they were fetched until a column is clicked.
    pages_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    pages_->setColumnWidth(0, 380);
    pages_->setColumnWidth(3, 220);
    exportCsv_ = named(new QPushButton(QStringLiteral("导出 CSV")), "exportCsv");
    exportDeadLinks_ = named(new QPushButton(QStringLiteral("导出死链文件")), "exportDeadLinks");
    exportCsv_->setEnabled(false);
    exportDeadLinks_->setEnabled(false);
    if (demo_) {
        // The built-in site, which answers at once.
        address_->setText(QStringLiteral("http://www.example.cn/"));
        rate_->setValue(0);
    }

    auto* bounds = new QHBoxLayout;
    for (const auto& [caption, box] : {std::pair<const char*, QWidget*>{"最多网页", maxPages_},
                                       {"深度", maxDepth_},
                                       {"连接数", concurrency_},
                                       {"每秒请求", rate_}}) {
        bounds->addWidget(new QLabel(QString::fromUtf8(caption)));
        bounds->addWidget(box);
    }
    bounds->addWidget(resume_);
    bounds->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("网址")));
    top->addWidget(address_, 1);
    top->addWidget(start_);
    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(QStringLiteral("问题类型")));
    filter->addWidget(kinds_, 1);
    filter->addWidget(exportCsv_);
    filter->addWidget(exportDeadLinks_);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(faults_);
    split->addWidget(pages_);
    auto* audit = new QWidget;
    auto* layout = new QVBoxLayout(audit);
    layout->addLayout(top);
    layout->addLayout(bounds);
    layout->addWidget(bar_);
    layout->addWidget(status_);
    layout->addLayout(filter);
    layout->addWidget(split, 1);
    // The sitemap and the pushes take the pages the audit found indexable.
    submit_ = new SubmitPage(history_, demo_, fetcher, endpoints, [this] {
        return sitemapPagesOfAudit(QJsonDocument(auditJson(report_)).toJson());
    });
    auto* tabs = named(new QTabWidget, "tabs");
    tabs->addTab(audit, QStringLiteral("网站体检"));
    tabs->addTab(submit_, QStringLiteral("链接提交"));
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->addWidget(tabs);

    connect(start_, &QPushButton::clicked, this, &AuditWindow::startOrStop);
    connect(address_, &QLineEdit::returnPressed, this, [this] {
        if (!running())
            start();
    });
    connect(kinds_, &QComboBox::currentIndexChanged, this, &AuditWindow::filterFaults);
    connect(exportCsv_, &QPushButton::clicked, this, &AuditWindow::exportCsv);
    connect(exportDeadLinks_, &QPushButton::clicked, this, &AuditWindow::exportDeadLinks);
}

AuditWindow::~AuditWindow() {
    if (thread_) {
        stop_->request();
        thread_->wait();
        delete thread_;
    }
}

void AuditWindow::offerSite(const QString& site) {
    const QString typed = site.trimmed();
    if (running() || typed.isEmpty())
        return;
    address_->setText(
        typed.contains(QLatin1String("://")) ? typed : QStringLiteral("http://%1/").arg(typed));
}

void AuditWindow::startOrStop() {
    if (running()) {
        stop_->request();
        status_->setText(QStringLiteral("正在停止……"));
    } else {
        start();
    }
}

void AuditWindow::start() {
    const QStringList inputs = cleanInputs(toolEntry(Tool::Audit), {address_->text()});
    QString start = inputs.value(0);
    if (!allGiven(inputs)) {
        message_box::warn(this, QStringLiteral("请输入要体检的网址"));
        return;
    }
    if (!start.contains(QLatin1String("://")))
        start.prepend(QStringLiteral("http://"));
    AuditOptions options;
    options.maxPages = maxPages_->value();
    options.maxDepth = maxDepth_->value();
    options.concurrency = concurrency_->value();
    options.rate = rate_->value();
    if (demo_)
        options.answer = demoSiteAnswer;
    QString state;
    try {
        state = auditStateFile(start, demo_);
    } catch (const ToolError& e) {
        message_box::warn(this, e.description());
        return;
    }
    QJsonObject asked{{QStringLiteral("max-pages"), QString::number(options.maxPages)},
                      {QStringLiteral("concurrency"), QString::number(options.concurrency)},
                      {QStringLiteral("rate"), QString::number(options.rate)}};
    if (options.maxDepth >= 0)
        asked.insert(QStringLiteral("max-depth"), QString::number(options.maxDepth));
    record_ = std::make_unique<RecordedRun>(history_, toolEntry(Tool::Audit), inputs, asked, demo_);
    report_ = {};
    changes_.reset();
    state_ = state;
    showFaults();
    showPages();
    exportCsv_->setEnabled(false);
    exportDeadLinks_->setEnabled(false);
    bar_->setRange(0, 0);
    status_->setText(QStringLiteral("正在抓取 %1").arg(start));
    start_->setText(QStringLiteral("停止"));
    stop_ = std::make_shared<StopFlag>();
    const bool resume = resume_->isChecked();
    thread_ = QThread::create([this, start, options, state, resume, stop = stop_] {
        const StopScope scope(*stop);
        QString error;
        AuditReport report;
        try {
            report = runSiteAudit(start, options, state, resume, [this](const AuditProgress& p) {
                QMetaObject::invokeMethod(this, [this, p] { showProgress(p); });
            });
        } catch (const ToolError& e) {
            error = e.description();
        } catch (const ToolStopped&) {
            report.start = start;
            report.stoppedBy = QStringLiteral("stopped");
        }
        QMetaObject::invokeMethod(this, [this, report = std::move(report), error] {
            report_ = report;
            finish(error);
        });
    });
    thread_->start();
}

void AuditWindow::showProgress(const AuditProgress& p) {
    const qint64 known = qMax<qint64>(1, p.pages + p.queued);
    bar_->setRange(0, int(qMin<qint64>(known, INT_MAX)));
    bar_->setValue(int(qMin<qint64>(p.pages, INT_MAX)));
    status_->setText(QStringLiteral("已抓取 %1，已发现 %2，待抓取 %3，故障 %4，每秒 %5 页")
                         .arg(p.pages)
                         .arg(p.found)
                         .arg(p.queued)
                         .arg(p.faults)
                         .arg(p.pagesPerSecond, 0, 'f', 1));
}

void AuditWindow::finish(const QString& error) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    start_->setText(QStringLiteral("开始"));
    bar_->setRange(0, 1);
    bar_->setValue(1);
    const bool stopped = report_.stoppedBy == QLatin1String("stopped");
    if (error.isEmpty())
        record_->add(auditFigures(report_));
    record_->finish(!error.isEmpty() ? RunEnd::Failed
                    : stopped        ? RunEnd::Stopped
                                     : RunEnd::Done,
                    error);
    record_.reset();
    // Only whole audits are compared, and kept to compare the next with.
    if (error.isEmpty() && !stopped) {
        changes_ = auditChanges(lastProblemsFile(state_), report_);
        try {
            keepProblems(lastProblemsFile(state_), report_);
        } catch (const ToolError& e) {
            message_box::warn(this, QStringLiteral("无法保存这次体检的问题以便下次比较：") +
                                        e.description());
        }
    }
    showFaults();
    showPages();
    exportCsv_->setEnabled(error.isEmpty());
    exportDeadLinks_->setEnabled(error.isEmpty());
    if (!error.isEmpty()) {
        status_->setText(QStringLiteral("体检失败：") + error);
        message_box::warn(this, QStringLiteral("体检失败：") + error);
    } else {
        status_->setText(QStringLiteral("%1：%2 个网页，%3 个问题%4")
                             .arg(stopped ? QStringLiteral("已停止") : QStringLiteral("完成"))
                             .arg(report_.pages.size())
                             .arg(report_.problems.size())
                             .arg(report_.stoppedBy.isEmpty() || stopped
                                      ? QString()
                                      : QStringLiteral("（到达上限 %1）").arg(report_.stoppedBy)) +
                         (changes_ ? QStringLiteral("；与上次相比新增 %1 个，已修复 %2 个")
                                         .arg(changes_->added.size())
                                         .arg(changes_->mended.size())
                                   : QString()));
    }
    emit finished();
}

void AuditWindow::showFaults() {
    QMap<QString, int> counts;
    for (const AuditProblem& p : report_.problems)
        ++counts[p.kind];
    const QString chosen = kinds_->currentData().toString();
    {
        const QSignalBlocker quiet(kinds_);
        kinds_->clear();
        kinds_->addItem(QStringLiteral("全部（%1）").arg(report_.problems.size()), QString());
        for (const QString& kind : auditProblemKinds())
            if (counts.contains(kind))
                kinds_->addItem(QStringLiteral("%1（%2）").arg(kind).arg(counts.value(kind)), kind);
        if (changes_) {
            kinds_->addItem(QStringLiteral("与上次相比新增（%1）").arg(changes_->added.size()),
                            kAdded);
            kinds_->addItem(QStringLiteral("与上次相比已修复（%1）").arg(changes_->mended.size()),
                            kMended);
        }
        kinds_->setCurrentIndex(qMax(0, kinds_->findData(chosen)));
    }
    QSet<QString> added;
    if (changes_)
        for (const auto& [kind, url] : changes_->added)
            added.insert(kind + u' ' + url);
    const int mended = changes_ ? int(changes_->mended.size()) : 0;
    faults_->setSortingEnabled(false);
    faults_->setRowCount(int(report_.problems.size()) + mended);
    for (int r = 0; r < int(report_.problems.size()); ++r) {
        const AuditProblem& p = report_.problems[size_t(r)];
        QStringList from;
        QStringList withText;
        for (const LinkRow& l : p.from) {
            from << l.from;
            withText << (l.text.isEmpty() ? l.from
                                          : l.from + QStringLiteral("  「") + l.text + u'」');
        }
        auto* kind = cell(p.kind);
        kind->setData(kKindRole, p.kind);
        if (added.contains(p.kind + u' ' + p.url))
            kind->setData(kChangeRole, QStringLiteral("added"));
        faults_->setItem(r, 0, kind);
        faults_->setItem(r, 1, cell(p.url));
        faults_->item(r, 1)->setToolTip(p.url);
        faults_->setItem(r, 2, cell(p.detail));
        faults_->item(r, 2)->setToolTip(plainToolTip(p.detail));
        auto* linking = cell(from.join(QStringLiteral(" ")));
        if (!withText.isEmpty())
            linking->setToolTip(plainToolTip(withText.join(u'\n')));
        faults_->setItem(r, 3, linking);
    }
    for (int m = 0; m < mended; ++m) {
        const auto& [kindName, url] = changes_->mended[size_t(m)];
        const int r = int(report_.problems.size()) + m;
        auto* kind = cell(kindName);
        kind->setData(kKindRole, kindName);
        kind->setData(kChangeRole, QStringLiteral("mended"));
        faults_->setItem(r, 0, kind);
        faults_->setItem(r, 1, cell(url));
        faults_->setItem(r, 2, cell(QStringLiteral("上次体检时有，这次已没有")));
        faults_->setItem(r, 3, cell(QString()));
    }
    filterFaults();
}

void AuditWindow::filterFaults() {
    const QString chosen = kinds_->currentData().toString();
    for (int r = 0; r < faults_->rowCount(); ++r) {
        const QTableWidgetItem* item = faults_->item(r, 0);
        const QString change = item->data(kChangeRole).toString();
        const bool shown = chosen == kMended  ? change == QLatin1String("mended")
                           : chosen == kAdded ? change == QLatin1String("added")
                                              : change != QLatin1String("mended") &&
                                                    (chosen.isEmpty() ||
                                                     item->data(kKindRole).toString() == chosen);
        faults_->setRowHidden(r, !shown);
    }
}

void AuditWindow::showPages() {
    pages_->setSortingEnabled(false);
    pages_->setRowCount(int(report_.pages.size()));
    for (int r = 0; r < int(report_.pages.size()); ++r) {
        const FetchResult& p = report_.pages[size_t(r)];
        pages_->setItem(r, 0, cell(p.url));
        pages_->setItem(r, 1, p.status ? number(p.status) : cell(p.error));
        pages_->setItem(r, 2, number(p.depth));
        pages_->setItem(r, 3, cell(p.title));
        pages_->setItem(r, 4, number(p.bytes));
        pages_->setItem(r, 5, number(p.ms));
        pages_->setItem(r, 6, number(report_.inlinks.value(p.url)));
    }
    pages_->setSortingEnabled(true);
}

void AuditWindow::exportCsv() {
    const QString path =
        save_dialog::ask(this, QStringLiteral("导出 CSV"), QStringLiteral("体检.csv"),
                         QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    try {
        saveFile(path, auditCsv(report_));
    } catch (const ToolError& e) {
        message_box::warn(this, e.description());
    }
}

void AuditWindow::exportDeadLinks() {
    const QList<QByteArray> files = deadLinkFiles(report_);
    if (files.isEmpty()) {
        message_box::warn(this, QStringLiteral("没有死链，无需导出死链文件"));
        return;
    }
    const QString path =
        save_dialog::ask(this, QStringLiteral("导出死链文件"), QStringLiteral("死链.txt"),
                         QStringLiteral("文本文件 (*.txt)"));
    if (path.isEmpty())
        return;
    try {
        for (int i = 0; i < files.size(); ++i)
            saveFile(deadLinkFilePath(path, i), files[i]);
    } catch (const ToolError& e) {
        message_box::warn(this, e.description());
    }
}

void AuditWindow::closeEvent(QCloseEvent* event) {
    if (thread_)
        stop_->request();
    submit_->stop();
    QWidget::closeEvent(event);
}

void AuditWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape)
        return QWidget::keyPressEvent(event);
    if (running())
        startOrStop();
    else if (submit_->running())
        submit_->stop();
    else
        close();
}
