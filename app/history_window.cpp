#include "app/history_window.h"

#include "app/figure_chart.h"
#include "app/message_box.h"
#include "app/plain_tooltip.h"
#include "app/save_dialog.h"
#include "base/saved_file.h"
#include "base/tool_error.h"
#include "history/history_export.h"
#include "history/history_store.h"
#include "tools/tool_registry.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <memory>
#include <utility>

namespace {

QString outcomeText(const RunRecord& run) {
    QString text = run.end == RunEnd::Done      ? QStringLiteral("完成")
                   : run.end == RunEnd::Failed  ? QStringLiteral("失败：") + run.error
                   : run.end == RunEnd::Partial ? QStringLiteral("部分失败：") + run.error
                                                : QStringLiteral("已停止");
    if (run.demo)
        text += QStringLiteral("（演示）");
    return text;
}

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A related search's figures are labelled "keyword/当日关注" …: the keyword (which may hold a
// '/' of its own) and the caption.
std::pair<QString, QString> splitRelated(const QString& label) {
    const qsizetype slash = label.lastIndexOf(u'/');
    if (slash < 0)
        return {{}, label};
    return {label.left(slash), label.mid(slash + 1)};
}

QString relatedLabel(const QString& keyword, const QString& caption) {
    return keyword.isEmpty() ? caption : keyword + u'/' + caption;
}

bool isTool(const QString& key, Tool tool) {
    return key == QLatin1String(toolEntry(tool).key);
}

} // namespace

// The runs as rows: the start time, the outcome, then each figure's text as it was shown. A
// related search's run is a row per keyword it found, with the keyword and its four figures.
class RunTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRuns(QList<RunRecord> runs, bool byKeyword) {
        beginResetModel();
        runs_ = std::move(runs);
        byKeyword_ = byKeyword;
        rows_.clear();
        labels_.clear();
        if (!byKeyword_) {
            labels_ = figureLabels(runs_);
            for (qsizetype r = 0; r < runs_.size(); ++r)
                rows_.append(Row{r, {}});
        } else {
            for (qsizetype r = 0; r < runs_.size(); ++r) {
                QStringList keywords;
                for (const Figure& f : runs_[r].figures) {
                    const auto [keyword, caption] = splitRelated(f.label);
                    if (!keywords.contains(keyword))
                        keywords << keyword;
                    if (!labels_.contains(caption))
                        labels_ << caption;
                }
                if (keywords.isEmpty())
                    keywords << QString(); // a failed run still has its row
                for (const QString& k : keywords)
                    rows_.append(Row{r, k});
            }
        }
        endResetModel();
    }
    const QList<RunRecord>& runs() const { return runs_; }
    // The figures' labels; for a related search, the captions after its keywords.
    const QStringList& labels() const { return labels_; }
    const RunRecord& runAt(int row) const { return runs_[rows_[row].run]; }
    QString keywordAt(int row) const { return rows_.value(row).keyword; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : firstFigure() + int(labels_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Row& row = rows_[index.row()];
        const RunRecord& run = runs_[row.run];
        if (index.column() < firstFigure()) {
            if (role != Qt::DisplayRole)
                return {};
            if (index.column() == 0)
                return run.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return index.column() == 1 ? outcomeText(run) : row.keyword;
        }
        const QString& label = labels_[index.column() - firstFigure()];
        const Figure* figure =
            findFigure(run, byKeyword_ ? relatedLabel(row.keyword, label) : label);
        if (!figure)
            return {};
        if (role == Qt::DisplayRole)
            return figure->text;
        if (role == Qt::ToolTipRole && !figure->detail.isEmpty())
            return plainToolTip(figure->detail);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        if (section == 0)
            return QStringLiteral("时间");
        if (section == 1)
            return QStringLiteral("结果");
        if (section < firstFigure())
            return QStringLiteral("关键词");
        return shownLabel(labels_.value(section - firstFigure()));
    }

private:
    struct Row {
        qsizetype run;
        QString keyword; // a related search's; otherwise empty
    };
    int firstFigure() const { return byKeyword_ ? 3 : 2; }

    QList<RunRecord> runs_;
    QList<Row> rows_;
    QStringList labels_;
    bool byKeyword_ = false;
};

HistoryWindow::HistoryWindow(HistoryStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), toolPicker_(named(new QComboBox, "toolPicker")),
      subjectPicker_(named(new QComboBox, "subjectPicker")),
      table_(named(new QTableView, "runTable")), model_(new RunTableModel(this)),
      chartView_(named(new QChartView, "chartView")),
      exportCsv_(named(new QPushButton(QStringLiteral("导出 CSV…")), "exportCsv")),
      exportJson_(named(new QPushButton(QStringLiteral("导出 JSON…")), "exportJson")),
      delete_(named(new QPushButton(QStringLiteral("删除所选")), "deleteRuns")),
      clear_(named(new QPushButton(QStringLiteral("全部清除")), "clearAll")),
      showEvery_(named(
          new QPushButton(QStringLiteral("显示更早的记录（只显示了最近 %1 次）").arg(kShownRuns)),
          "showEveryRun")) {
    setWindowTitle(QStringLiteral("历史记录"));
    resize(900, 640);

    for (const ToolEntry& t : toolEntries())
        toolPicker_->addItem(QString::fromUtf8(t.caption), QString::fromLatin1(t.key));
    subjectPicker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    subjectPicker_->setMinimumContentsLength(24);

    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    // The newest runs are what the columns are fitted to; measuring thousands costs a wait.
    table_->horizontalHeader()->setResizeContentsPrecision(100);

    chartView_->setRenderHint(QPainter::Antialiasing);

    auto* pickers = new QHBoxLayout;
    pickers->addWidget(new QLabel(QStringLiteral("工具：")));
    pickers->addWidget(toolPicker_);
    pickers->addSpacing(12);
    pickers->addWidget(new QLabel(QStringLiteral("查询对象：")));
    pickers->addWidget(subjectPicker_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(exportCsv_);
    buttons->addWidget(exportJson_);
    buttons->addWidget(showEvery_);
    showEvery_->hide();
    buttons->addStretch(1);
    buttons->addWidget(delete_);
    buttons->addWidget(clear_);

    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(table_);
    split->addWidget(chartView_);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pickers);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(toolPicker_, &QComboBox::currentIndexChanged, this, [this] {
        everyRun_ = false;
        listSubjects();
    });
    connect(subjectPicker_, &QComboBox::currentIndexChanged, this, [this] {
        everyRun_ = false;
        showRuns();
    });
    connect(showEvery_, &QPushButton::clicked, this, [this] {
        everyRun_ = true;
        showRuns();
    });
    connect(exportCsv_, &QPushButton::clicked, this, [this] { exportRuns(false); });
    connect(exportJson_, &QPushButton::clicked, this, [this] { exportRuns(true); });
    connect(delete_, &QPushButton::clicked, this, &HistoryWindow::deleteSelected);
    connect(clear_, &QPushButton::clicked, this, &HistoryWindow::clearAll);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (isTool(tool(), Tool::Related) && current.isValid() &&
                    model_->keywordAt(current.row()) != chartedKeyword_)
                    drawChart();
            });

    listSubjects();
}

HistoryWindow::~HistoryWindow() = default;

QString HistoryWindow::tool() const {
    return toolPicker_->currentData().toString();
}

void HistoryWindow::selectTool(const QString& tool, const QString& input, const QString& keyword) {
    const int i = toolPicker_->findData(tool);
    if (i < 0)
        return;
    {
        const QSignalBlocker quiet(toolPicker_);
        toolPicker_->setCurrentIndex(i);
    }
    everyRun_ = false;
    listSubjects({input, keyword});
}

void HistoryWindow::selectSubject(const QString& input, const QString& keyword) {
    const int i = subjectPicker_->findData(QStringList{input, keyword});
    if (i >= 0)
        subjectPicker_->setCurrentIndex(i);
}

const QList<RunRecord>& HistoryWindow::shownRuns() const {
    return model_->runs();
}

QChart* HistoryWindow::chart() const {
    return chartView_->chart();
}

void HistoryWindow::reload() {
    listSubjects(subjectPicker_->currentData().toStringList());
}

void HistoryWindow::listSubjects(const QStringList& wanted) {
    QList<HistoryStore::Subject> subjects;
    try {
        subjects = store_.subjects(tool());
    } catch (const ToolError& e) {
        message_box::warn(this, kErrorPrefix + e.description());
    }
    {
        const QSignalBlocker quiet(subjectPicker_);
        subjectPicker_->clear();
        for (const HistoryStore::Subject& s : subjects)
            subjectPicker_->addItem(
                s.keyword.isEmpty() ? s.input : s.input + QStringLiteral(" — ") + s.keyword,
                QStringList{s.input, s.keyword});
        subjectPicker_->setCurrentIndex(qMax(0, subjectPicker_->findData(wanted)));
    }
    showRuns();
}

void HistoryWindow::showRuns() {
    QList<RunRecord> runs;
    bool more = false;
    const QStringList subject = subjectPicker_->currentData().toStringList();
    if (subject.size() == 2) {
        try {
            HistoryQuery query;
            query.tool = tool();
            query.input = subject[0];
            query.keyword = subject[1];
            query.limit = everyRun_ ? 0 : kShownRuns;
            more = store_.eachRun(query, [&](const RunRecord& run) { runs << run; });
        } catch (const ToolError& e) {
            message_box::warn(this, kErrorPrefix + e.description());
        }
    }
    showEvery_->setVisible(more);
    model_->setRuns(std::move(runs), isTool(tool(), Tool::Related));
    table_->resizeColumnsToContents();
    const bool any = !model_->runs().isEmpty();
    for (QPushButton* b : {exportCsv_, exportJson_, delete_})
        b->setEnabled(any);
    drawChart();
}

QStringList HistoryWindow::chartLabels() {
    if (!isTool(tool(), Tool::Related))
        return model_->labels();
    const QModelIndex current = table_->currentIndex();
    chartedKeyword_ = model_->keywordAt(current.isValid() ? current.row() : 0);
    QStringList labels;
    for (const QString& caption : model_->labels())
        labels << relatedLabel(chartedKeyword_, caption);
    return labels;
}

void HistoryWindow::drawChart() {
    // An address's or a domain's record is texts: nothing there has a number to follow.
    const bool numbers = !isTool(tool(), Tool::Ip) && !isTool(tool(), Tool::Whois);
    chartView_->setVisible(numbers);
    drawFigureChart(chartView_, numbers ? model_->runs() : QList<RunRecord>{},
                    numbers ? chartLabels() : QStringList{},
                    isTool(tool(), Tool::KeywordRank) || isTool(tool(), Tool::RankTrack),
                    subjectPicker_->currentText());
}

void HistoryWindow::exportRuns(bool json) {
    const QString path = save_dialog::ask(
        this, QStringLiteral("导出历史记录"),
        json ? QStringLiteral("history.json") : QStringLiteral("history.csv"),
        json ? QStringLiteral("JSON 文件 (*.json)") : QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    try {
        saveFile(path, json ? historyJson(model_->runs()) : historyCsv(model_->runs()));
    } catch (const ToolError& e) {
        message_box::warn(this, kErrorPrefix + e.description());
    }
}

void HistoryWindow::deleteSelected() {
    QList<qint64> ids;
    for (const QModelIndex& row : table_->selectionModel()->selectedRows())
        if (const qint64 id = model_->runAt(row.row()).id; !ids.contains(id))
            ids << id; // a related search's keywords are rows of one run
    if (ids.isEmpty())
        return;
    if (!message_box::confirm(
            this, QStringLiteral("删除所选的 %1 次查询记录？删除后不能恢复。").arg(ids.size())))
        return;
    try {
        store_.remove(ids);
    } catch (const ToolError& e) {
        message_box::warn(this, kErrorPrefix + e.description());
    }
    reload();
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void HistoryWindow::clearAll() {
    if (!message_box::confirm(this, QStringLiteral("删除全部历史记录？删除后不能恢复。")))
        return;
    try {
        store_.clear();
    } catch (const ToolError& e) {
        message_box::warn(this, kErrorPrefix + e.description());
    }
    reload();
}
