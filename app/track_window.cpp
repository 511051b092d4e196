#include "app/track_window.h"

#include "app/figure_chart.h"
#include "app/message_box.h"
#include "app/plain_tooltip.h"
#include "base/input_cleaning.h"
#include "base/tool_error.h"
#include "history/history_export.h"
#include "history/history_store.h"
#include "history/run_log.h"
#include "net/http_fetch.h"
#include "net/spaced_fetcher.h"
#include "tools/recorded_run.h"
#include "tools/track_run.h"
#include "tools/track_schedule.h"

#include <QBoxLayout>
#include <QChartView>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableWidget>
#include <QThread>
#include <QTimeEdit>
#include <optional>

namespace {

const QString kRankTrack = QStringLiteral("rank-track");
const QString kTrackRun = QStringLiteral("track-run");
const QString kEnginesCheck = QStringLiteral("engines-check");
// How many of a keyword's checks the chart and the moves are read from.
constexpr qint64 kShownChecks = 1000;
// How many recent checks of the whole list tell which engines' pages were last not recognised.
constexpr qint64 kRecentChecks = 200;
constexpr int kFirstEngine = 2; // the site's and the keyword's columns come first

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The colour an answer is told by at a glance: placed in the top ten, placed lower, not in the
// results read, and the three that are no answer at all.
QColor answerColour(const Figure& f) {
    switch (f.why) {
    case Why::None:
        return f.number && *f.number <= 10 ? QColor(0x1a7f37) : QColor(Qt::black);
    case Why::NotFound:
        return QColor(0x6e7781);
    case Why::Blocked:
        return QColor(0xb35c00);
    case Why::Unrecognised:
    case Why::Failed:
    case Why::NoNumber:
        break;
    }
    return QColor(0xcf222e);
}

HistoryQuery checksOf(const QString& site, const QString& keyword, qint64 limit) {
    HistoryQuery q;
    q.tool = kRankTrack;
    q.input = site;
    q.keyword = keyword;
    q.limit = limit;
    return q;
}

// The engines a pair is checked on: those it names, else every engine of the day.
QStringList enginesOf(const TrackedPair& pair) {
    return pair.engines.isEmpty() ? rankEngineNames() : pair.engines;
}

// The program that runs the scheduled checks: the command line beside this program.
QString commandLineProgram() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tessivo-cli"));
}

} // namespace

TrackWindow::TrackWindow(RunHistory* history, Fetcher& fetcher, const EndpointTable& endpoints,
                         bool demo, QWidget* parent)
    : QWidget(parent, Qt::Window), history_(history), fetcher_(fetcher), endpoints_(endpoints),
      demo_(demo), delay_(demo ? std::chrono::milliseconds(0) : std::chrono::milliseconds(5000)),
      site_(named(new QLineEdit, "site")), keywords_(named(new QLineEdit, "keywords")),
      add_(named(new QPushButton(QStringLiteral("添加")), "add")),
      remove_(named(new QPushButton(QStringLiteral("删除所选")), "remove")),
      table_(named(new QTableWidget, "tracked")),
      check_(named(new QPushButton(QStringLiteral("立即检查")), "check")),
      bar_(named(new QProgressBar, "progress")), status_(named(new QLabel, "status")),
      daily_(named(new QTimeEdit(QTime(8, 0)), "daily")),
      setSchedule_(named(new QPushButton(QStringLiteral("每日定时检查")), "setSchedule")),
      removeSchedule_(named(new QPushButton(QStringLiteral("取消定时")), "removeSchedule")),
      schedule_(named(new QLabel, "schedule")), engines_(named(new QLabel, "engineWarnings")),
      chart_(named(new QChartView, "chart")) {
    setWindowTitle(QStringLiteral("排名跟踪"));
    resize(980, 700);
    site_->setPlaceholderText(QStringLiteral("网站，如 www.example.cn"));
    keywords_->setPlaceholderText(QStringLiteral("关键词，多个以逗号分开"));
    daily_->setDisplayFormat(QStringLiteral("HH:mm"));
    for (QLabel* label : {status_, schedule_, engines_})
        label->setTextFormat(Qt::PlainText);
    engines_->setWordWrap(true);
    engines_->setStyleSheet(QStringLiteral("color: #cf222e"));
    bar_->setRange(0, 1);
    bar_->setValue(0);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(220);

    auto* adding = new QHBoxLayout;
    adding->addWidget(site_, 2);
    adding->addWidget(keywords_, 3);
    adding->addWidget(add_);
    adding->addWidget(remove_);
    auto* checking = new QHBoxLayout;
    checking->addWidget(check_);
    checking->addWidget(bar_, 1);
    auto* scheduling = new QHBoxLayout;
    scheduling->addWidget(new QLabel(QStringLiteral("每天")));
    scheduling->addWidget(daily_);
    scheduling->addWidget(setSchedule_);
    scheduling->addWidget(removeSchedule_);
    scheduling->addWidget(schedule_, 1);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(table_);
    split->addWidget(chart_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(adding);
    layout->addWidget(split, 1);
    layout->addLayout(checking);
    layout->addWidget(status_);
    layout->addLayout(scheduling);
    layout->addWidget(engines_);

    connect(add_, &QPushButton::clicked, this, &TrackWindow::addPairs);
    connect(keywords_, &QLineEdit::returnPressed, this, &TrackWindow::addPairs);
    connect(remove_, &QPushButton::clicked, this, &TrackWindow::removeSelected);
    connect(check_, &QPushButton::clicked, this, &TrackWindow::checkOrStop);
    connect(setSchedule_, &QPushButton::clicked, this, &TrackWindow::setSchedule);
    connect(removeSchedule_, &QPushButton::clicked, this, &TrackWindow::removeSchedule);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &TrackWindow::drawSelected);
    if (demo_ && history_ && history_->store() && history_->store()->tracked().isEmpty())
        offer(QStringLiteral("www.example.cn"), QStringLiteral("网站优化, 站长工具"));
    reload();
}

TrackWindow::~TrackWindow() {
    if (thread_) {
        stop_->request();
        thread_->wait();
        delete thread_;
    }
}

void TrackWindow::offer(const QString& site, const QString& keyword) {
    if (!site.trimmed().isEmpty())
        site_->setText(site.trimmed());
    if (!keyword.trimmed().isEmpty())
        keywords_->setText(keyword.trimmed());
}

void TrackWindow::reload() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    const QStringList engines = rankEngineNames();
    QStringList headers{QStringLiteral("网站"), QStringLiteral("关键词")};
    for (const QString& e : engines)
        headers << shownLabel(e);
    headers << QStringLiteral("检查时间");
    const QList<qint64> selected = [&] {
        QList<qint64> ids;
        for (const QModelIndex& row : table_->selectionModel()->selectedRows())
            ids << table_->item(row.row(), 0)->data(Qt::UserRole).toLongLong();
        return ids;
    }();
    table_->clear();
    table_->setColumnCount(int(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(0);
    for (QPushButton* b : {add_, remove_, check_, setSchedule_, removeSchedule_})
        b->setEnabled(store != nullptr);
    if (!store) {
        status_->setText(QStringLiteral("历史记录不可用：跟踪列表保存在历史数据库中"));
        return;
    }
    QList<TrackedPair> list;
    try {
        list = store->tracked();
        table_->setRowCount(int(list.size()));
        for (int row = 0; row < list.size(); ++row) {
            const TrackedPair& pair = list[row];
            auto* site = new QTableWidgetItem(pair.site);
            site->setData(Qt::UserRole, pair.id);
            table_->setItem(row, 0, site);
            table_->setItem(row, 1, new QTableWidgetItem(pair.keyword));
            // Each engine's newest figure, and the answer before it that its move is told
            // against: passing over checks that gave none (blocked, failed).
            QHash<QString, Figure> newest;
            QHash<QString, Figure> before;
            QDateTime checked;
            store->eachRun(checksOf(pair.site, pair.keyword, kShownChecks),
                           [&](const RunRecord& run) {
                               if (!checked.isValid())
                                   checked = run.started;
                               for (const Figure& f : run.figures) {
                                   if (!newest.contains(f.label))
                                       newest.insert(f.label, f);
                                   else if (!before.contains(f.label) &&
                                            (f.why == Why::None || f.why == Why::NotFound))
                                       before.insert(f.label, f);
                               }
                           });
            const QStringList asked = enginesOf(pair);
            for (int e = 0; e < engines.size(); ++e) {
                auto* cell = new QTableWidgetItem;
                const auto f = newest.constFind(engines[e]);
                if (!asked.contains(engines[e])) {
                    cell->setText(QStringLiteral("不跟踪"));
                    cell->setForeground(QColor(0xafb8c1));
                } else if (f == newest.cend()) {
                    // Never asked: the list's runs so far left it out after it was blocked.
                    cell->setText(QStringLiteral("未检查"));
                    cell->setForeground(QColor(0xafb8c1));
                } else {
                    const auto b = before.constFind(engines[e]);
                    const QString move = positionChange(*f, b == before.cend() ? nullptr : &*b);
                    cell->setText(move.isEmpty() ? f->text : f->text + u' ' + move);
                    cell->setForeground(answerColour(*f));
                    const QString tip = f->why == Why::None ? f->address : f->detail;
                    if (!tip.isEmpty())
                        cell->setToolTip(plainToolTip(tip));
                }
                table_->setItem(row, kFirstEngine + e, cell);
            }
            table_->setItem(row, kFirstEngine + int(engines.size()),
                            new QTableWidgetItem(checked.isValid()
                                                     ? checked.toLocalTime().toString(
                                                           QStringLiteral("yyyy-MM-dd HH:mm"))
                                                     : QStringLiteral("未检查")));
            if (selected.contains(pair.id))
                table_->selectRow(row);
        }
    } catch (const ToolError& e) {
        status_->setText(QStringLiteral("无法读取跟踪列表：") + e.description());
    }
    table_->resizeColumnsToContents();
    if (!running() && status_->text().isEmpty())
        status_->setText(list.isEmpty()
                             ? QStringLiteral("还没有跟踪的关键词：输入网站和关键词后添加")
                             : QStringLiteral("跟踪 %1 个关键词").arg(list.size()));
    showSchedule();
    showEngineWarnings();
    drawSelected();
}

void TrackWindow::addPairs() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    if (!store)
        return;
    const QString site = cleanSite(site_->text());
    QStringList keywords;
    for (const QString& typed :
         keywords_->text().split(QRegularExpression(QStringLiteral("[,，、;；]"))))
        if (const QString k = cleanKeyword(typed); !k.isEmpty() && !keywords.contains(k))
            keywords << k;
    if (site.isEmpty() || keywords.isEmpty()) {
        message_box::warn(this, QStringLiteral("请输入网站和至少一个关键词"));
        return;
    }
    try {
        for (const QString& k : keywords) {
            TrackedPair pair;
            pair.site = site;
            pair.keyword = k;
            store->track(pair);
        }
    } catch (const ToolError& e) {
        message_box::warn(this, QStringLiteral("无法保存跟踪列表：") + e.description());
    }
    keywords_->clear();
    status_->clear();
    reload();
}

void TrackWindow::removeSelected() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    QList<qint64> ids;
    for (const QModelIndex& row : table_->selectionModel()->selectedRows())
        ids << table_->item(row.row(), 0)->data(Qt::UserRole).toLongLong();
    if (!store || ids.isEmpty())
        return;
    try {
        store->untrack(ids);
    } catch (const ToolError& e) {
        message_box::warn(this, QStringLiteral("无法保存跟踪列表：") + e.description());
    }
    status_->clear();
    reload();
}

void TrackWindow::checkOrStop() {
    if (running()) {
        stop_->request();
        status_->setText(QStringLiteral("正在停止……"));
    } else {
        check();
    }
}

void TrackWindow::check() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    if (!store)
        return;
    QList<TrackedPair> list;
    try {
        list = store->tracked();
    } catch (const ToolError& e) {
        message_box::warn(this, QStringLiteral("无法读取跟踪列表：") + e.description());
        return;
    }
    if (list.isEmpty()) {
        message_box::warn(this, QStringLiteral("跟踪列表是空的：请先添加网站和关键词"));
        return;
    }
    int total = 0;
    for (const TrackedPair& pair : list)
        total += int(enginesOf(pair).size());
    checksDone_ = 0;
    bar_->setRange(0, total);
    bar_->setValue(0);
    status_->setText(QStringLiteral("正在检查 %1 个关键词……").arg(list.size()));
    check_->setText(QStringLiteral("停止"));
    for (QPushButton* b : {add_, remove_})
        b->setEnabled(false);
    stop_ = std::make_shared<StopFlag>();
    // The store belongs to this thread: the checks write through one of their own.
    const QString path = store->path();
    thread_ = QThread::create([this, list, path, delay = delay_, stop = stop_] {
        const StopScope scope(*stop);
        const FetchSession session;
        QString error;
        std::optional<HistoryStore> own;
        QString writeFailed;
        RunHistory runs(
            [&]() -> HistoryStore* {
                if (!own && writeFailed.isEmpty()) {
                    try {
                        own.emplace(path);
                    } catch (const ToolError& e) {
                        writeFailed = e.description();
                    }
                }
                return own ? &*own : nullptr;
            },
            [&](const QString& description) { writeFailed = description; });
        SpacedFetcher spaced(fetcher_, delay, delay / 2);
        TrackRunTell tell;
        tell.checked = [this](const TrackedPair& pair, const TrackedCheck& c) {
            const QString line = QStringLiteral("%1 “%2” %3：%4")
                                     .arg(pair.site, pair.keyword, shownLabel(c.check.engine),
                                          checkOutcomeText(c.check.outcome, c.check.position));
            QMetaObject::invokeMethod(this, [this, line] {
                bar_->setValue(++checksDone_);
                status_->setText(line);
            });
        };
        tell.blocked = [this](const QString& engine, const QString& sign) {
            const QString line =
                QStringLiteral("%1要求验证（%2），本次不再询问它").arg(shownLabel(engine), sign);
            QMetaObject::invokeMethod(this, [this, line] { status_->setText(line); });
        };
        try {
            runTrackedList(
                &runs, list,
                [&](const QString& engine, const RankQuery& query) {
                    return checkRank(spaced, endpoints_, engine, query);
                },
                demo_, tell);
        } catch (const ToolError& e) {
            error = e.description();
        } catch (const ToolStopped&) {
            error = QStringLiteral("已停止");
        }
        if (error.isEmpty() && !writeFailed.isEmpty())
            error = QStringLiteral("结果未能记入历史记录：") + writeFailed;
        QMetaObject::invokeMethod(this, [this, error] { finish(error); });
    });
    thread_->start();
}

void TrackWindow::finish(const QString& error) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    check_->setText(QStringLiteral("立即检查"));
    // The checks of an engine that was blocked were left out: the list is done all the same.
    if (error.isEmpty())
        bar_->setValue(bar_->maximum());
    status_->setText(error.isEmpty() ? QStringLiteral("检查完成：%1 次检查").arg(checksDone_)
                                     : error);
    reload();
    emit finished();
}

void TrackWindow::showSchedule() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    const QString folder = scheduleFolder();
    const std::optional<QTime> daily = scheduledTime(folder);
    removeSchedule_->setEnabled(daily.has_value());
    if (daily)
        daily_->setTime(*daily);
    if (!store) {
        schedule_->clear();
        return;
    }
    QStringList lines;
    bool alarm = false;
    try {
        for (const ScheduleLine& line :
             scheduleLines(scheduleState(*store, folder, QDateTime::currentDateTime()))) {
            lines << line.text;
            alarm = alarm || line.alarm;
        }
    } catch (const ToolError& e) {
        lines = {QStringLiteral("无法读取上次运行：") + e.description()};
        alarm = true;
    }
    schedule_->setText(lines.join(QStringLiteral("；")));
    schedule_->setWordWrap(true);
    schedule_->setStyleSheet(alarm ? QStringLiteral("color: #cf222e") : QString());
}

void TrackWindow::setSchedule() {
    const QString program = commandLineProgram();
    if (!QFileInfo(program).isExecutable()) {
        message_box::warn(this, QStringLiteral("找不到命令行程序 %1，无法定时检查").arg(program));
        return;
    }
    try {
        const QString timer =
            writeSchedule(scheduleFolder(), daily_->time(),
                          {program, QStringLiteral("track"), QStringLiteral("run")});
        const QString enabled = enableSchedule();
        status_->setText(enabled.isEmpty()
                             ? QStringLiteral("已设定每天 %1 检查")
                                   .arg(daily_->time().toString(QStringLiteral("HH:mm")))
                             : QStringLiteral("定时文件已写入 %1，但%2").arg(timer, enabled));
    } catch (const ToolError& e) {
        message_box::warn(this, e.description());
    }
    showSchedule();
}

void TrackWindow::removeSchedule() {
    try {
        disableSchedule();
        ::removeSchedule(scheduleFolder());
    } catch (const ToolError& e) {
        message_box::warn(this, e.description());
    }
    status_->setText(QStringLiteral("已取消定时检查"));
    showSchedule();
}

// An engine whose newest check, of the list or the canary's (engines check), found a page
// without its markers: its pages changed, and its rows want editing before its positions mean
// anything again.
void TrackWindow::showEngineWarnings() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    QStringList lines;
    if (store) {
        struct Newest {
            QDateTime when;
            Figure figure;
        };
        QHash<QString, Newest> newest;
        try {
            for (const QString& tool : {kRankTrack, kEnginesCheck}) {
                HistoryQuery q;
                q.tool = tool;
                q.limit = kRecentChecks;
                store->eachRun(q, [&](const RunRecord& run) {
                    for (const Figure& f : run.figures) {
                        const auto it = newest.constFind(f.label);
                        if (it == newest.cend() || it->when < run.started)
                            newest.insert(f.label, {run.started, f});
                    }
                });
            }
        } catch (const ToolError&) {
        }
        for (const QString& engine : rankEngineNames())
            if (const auto n = newest.constFind(engine);
                n != newest.cend() && n->figure.why == Why::Unrecognised)
                lines << QStringLiteral("%1 页面无法识别：%2")
                             .arg(shownLabel(engine), n->figure.detail);
    }
    engines_->setText(lines.join(u'\n'));
    engines_->setVisible(!lines.isEmpty());
}

void TrackWindow::drawSelected() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    const QList<QModelIndex> rows = table_->selectionModel()->selectedRows();
    if (!store || rows.isEmpty()) {
        drawFigureChart(chart_, {}, {}, true, QString());
        return;
    }
    const QString site = table_->item(rows.front().row(), 0)->text();
    const QString keyword = table_->item(rows.front().row(), 1)->text();
    QList<RunRecord> runs;
    try {
        runs = store->runs(checksOf(site, keyword, kShownChecks));
    } catch (const ToolError&) {
    }
    drawFigureChart(chart_, runs, rankEngineNames(), true,
                    QStringLiteral("%1 “%2”").arg(site, keyword));
}

void TrackWindow::closeEvent(QCloseEvent* event) {
    if (running())
        stop_->request();
    QWidget::closeEvent(event);
}

void TrackWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (running())
            checkOrStop();
        else
            close();
        return;
    }
    QWidget::keyPressEvent(event);
}
