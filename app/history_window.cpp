#include "app/history_window.h"

#include "app/message_box.h"
#include "app/plain_tooltip.h"
#include "app/save_dialog.h"
#include "base/tool_error.h"
#include "history/history_export.h"
#include "history/history_store.h"
#include "tools/tool_registry.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QSaveFile>
#include <QSet>
#include <QSplitter>
#include <QTableView>
#include <QValueAxis>
#include <cmath>
#include <memory>

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

// 1, 2 or 5 times a power of ten, at least 1: figures are whole numbers.
double roundStep(double rough) {
    if (rough <= 1)
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= rough)
            return m * power;
    return 10 * power;
}

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

// The runs as rows: the start time, the outcome, then each figure's text as it was shown.
class RunTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRuns(QList<RunRecord> runs) {
        beginResetModel();
        runs_ = std::move(runs);
        labels_ = figureLabels(runs_);
        endResetModel();
    }
    const QList<RunRecord>& runs() const { return runs_; }
    const QStringList& labels() const { return labels_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(runs_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2 + int(labels_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const RunRecord& run = runs_[index.row()];
        if (index.column() < 2) {
            if (role != Qt::DisplayRole)
                return {};
            return index.column() == 0
                       ? run.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                       : outcomeText(run);
        }
        const Figure* figure = findFigure(run, labels_[index.column() - 2]);
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
        return labels_.value(section - 2);
    }

private:
    QList<RunRecord> runs_;
    QStringList labels_;
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
    model_->setRuns(std::move(runs));
    table_->resizeColumnsToContents();
    const bool any = !model_->runs().isEmpty();
    for (QPushButton* b : {exportCsv_, exportJson_, delete_})
        b->setEnabled(any);
    drawChart();
}

// One line a figure label. A run without the label's number (not found, failed, no number)
// breaks the line there: a gap, never a point at zero.
void HistoryWindow::drawChart() {
    // A new chart: taking a few hundred broken lines off the old one costs more than drawing.
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    const std::unique_ptr<QChart> old(chartView_->chart());
    chartView_->setChart(chart);

    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("MM-dd HH:mm"));
    auto* value = new QValueAxis;
    value->setLabelFormat(QStringLiteral("%d"));
    const bool rank = tool() == QLatin1String(toolEntry(Tool::KeywordRank).key);
    value->setReverse(rank); // the first place is the best and belongs at the top
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);

    const QList<RunRecord>& runs = model_->runs();
    const QStringList labels = model_->labels();
    double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    QDateTime first, last;
    QList<QList<QList<QPointF>>> lines(labels.size(), {{}}); // a label's unbroken stretches
    for (auto run = runs.crbegin(); run != runs.crend(); ++run)
        for (qsizetype l = 0; l < labels.size(); ++l) {
            const Figure* figure = findFigure(*run, labels[l]);
            if (!figure || !figure->number) {
                if (!lines[l].last().isEmpty())
                    lines[l].append(QList<QPointF>());
                continue;
            }
            lines[l].last().append(
                QPointF(double(run->started.toMSecsSinceEpoch()), double(*figure->number)));
            low = qMin(low, *figure->number);
            high = qMax(high, *figure->number);
            if (!first.isValid())
                first = run->started;
            last = run->started;
        }

    // The axes get their ranges before any line is attached, which would otherwise be laid out
    // again for every change.
    if (first.isValid()) {
        // A single moment still needs an axis with some length.
        time->setRange(first.toLocalTime().addSecs(-1800), last.toLocalTime().addSecs(1800));
        // Ticks on whole multiples of a round step, so that a label stands where its number is.
        const double step = roundStep(double(high - low) / 5);
        value->setTickType(QValueAxis::TicksDynamic);
        value->setTickAnchor(0);
        value->setTickInterval(step);
        const double below = (std::floor(double(low) / step) - 1) * step;
        value->setRange(rank ? qMax(0.0, below) : below,
                        (std::ceil(double(high) / step) + 1) * step);
    }
    // Beyond a hundred runs the dots merge into the line and only cost drawing time; a run that
    // stands alone between two gaps keeps its dot, or it would not show at all.
    const bool dots = runs.size() <= 100;
    QSet<QAbstractSeries*> continued; // a label's second and later stretches
    for (qsizetype l = 0; l < labels.size(); ++l) {
        QColor colour;
        for (const QList<QPointF>& points : lines[l]) {
            if (points.isEmpty())
                continue;
            auto* series = new QLineSeries;
            // Legend labels are rich text; a label is the record's, shown as it was.
            series->setName(labels[l].toHtmlEscaped());
            series->setPointsVisible(dots || points.size() == 1);
            series->replace(points);
            chart->addSeries(series);
            series->attachAxis(time);
            series->attachAxis(value);
            if (colour.isValid()) {
                series->setColor(colour);
                continued.insert(series);
            } else {
                colour = series->color();
            }
        }
    }
    // One legend entry a label. Asked marker by marker, the legend would search all of them.
    for (QLegendMarker* marker : chart->legend()->markers())
        if (continued.contains(marker->series()))
            marker->setVisible(false);
    chart->setTitle(subjectPicker_->currentText().toHtmlEscaped());
}

void HistoryWindow::exportRuns(bool json) {
    const QString path = save_dialog::ask(
        this, QStringLiteral("导出历史记录"),
        json ? QStringLiteral("history.json") : QStringLiteral("history.csv"),
        json ? QStringLiteral("JSON 文件 (*.json)") : QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray bytes = json ? historyJson(model_->runs()) : historyCsv(model_->runs());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        message_box::warn(
            this,
            kErrorPrefix + QStringLiteral("无法写入 %1：%2").arg(echoed(path), file.errorString()));
}

void HistoryWindow::deleteSelected() {
    QList<qint64> ids;
    for (const QModelIndex& row : table_->selectionModel()->selectedRows())
        ids << model_->runs()[row.row()].id;
    if (ids.isEmpty())
        return;
    try {
        store_.remove(ids);
    } catch (const ToolError& e) {
        message_box::warn(this, kErrorPrefix + e.description());
    }
    reload();
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
