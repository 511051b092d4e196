#include "app/history_window.h"

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
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QTableView>
#include <QValueAxis>
#include <cmath>
#include <iterator>
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

// The engines as the records name them (the surveys' rows, the rank boxes) and as a Chinese
// reader knows them. The records keep the names they were written with.
constexpr std::pair<const char*, const char*> kEngineNames[] = {
    {"Baidu", "百度"}, {"Google", "谷歌"}, {"Yahoo", "雅虎"},    {"Sogou", "搜狗"},
    {"Soso", "搜搜"},  {"Youdao", "有道"}, {"Zhongsou", "中搜"}, {"Live", "必应"},
};

QString shownLabel(const QString& label) {
    for (const auto& [stored, shown] : kEngineNames)
        if (label == QLatin1String(stored))
            return QString::fromUtf8(shown);
    return label;
}

// Colours told apart at a glance, also as a legend's small square: a survey's eight engines
// and the ones a user's engine file adds each get their own. Past the last, the colours come
// round again with dashed lines.
constexpr QRgb kPalette[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b,
                             0xe377c2, 0x17becf, 0x7f7f7f, 0xbcbd22, 0x000080, 0x000000};

QPen linePen(QPen pen, qsizetype label) {
    const qsizetype colours = qsizetype(std::size(kPalette));
    pen.setColor(QColor(kPalette[label % colours]));
    if (label >= colours)
        pen.setStyle(Qt::DashLine);
    return pen;
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

// The numbers' axis. Counts start from 0: a baseline below it would be a number no engine can
// give. Counts that span three orders of magnitude or more (a site's pages on Baidu and on
// Zhongsou) are drawn on a logarithmic axis, where a linear one would lay the smaller ones flat
// on the baseline; a zero has no place there, so with one the axis stays linear. Ranks run from
// the first place, at the top.
QAbstractAxis* valueAxis(bool rank, bool any, double low, double high) {
    if (!rank && any && low > 0 && high / low >= 1000) {
        auto* axis = new QLogValueAxis;
        axis->setBase(10);
        axis->setLabelFormat(QStringLiteral("%.0f"));
        axis->setMinorTickCount(-1);
        axis->setRange(std::pow(10.0, std::floor(std::log10(low))),
                       std::pow(10.0, std::ceil(std::log10(high))));
        return axis;
    }
    auto* axis = new QValueAxis;
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setReverse(rank);
    if (!any)
        return axis;
    // Ticks on whole multiples of a round step, so that a label stands where its number is.
    const double from = rank ? low : qMin(0.0, low);
    const double step = roundStep((high - from) / 5);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    const double below = (std::floor(low / step) - 1) * step;
    axis->setRange(rank       ? qMax(1.0, below)
                   : low >= 0 ? 0.0
                              : below,
                   (std::ceil(high / step) + 1) * step);
    return axis;
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

// One line a figure label. A run without the label's number (not found, failed, no number)
// breaks the line there: a gap, never a point at zero.
void HistoryWindow::drawChart() {
    // A new chart: taking a few hundred broken lines off the old one costs more than drawing.
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setTitle(subjectPicker_->currentText().toHtmlEscaped());
    const std::unique_ptr<QChart> old(chartView_->chart());
    chartView_->setChart(chart);
    // An address's or a domain's record is texts: nothing there has a number to follow.
    const bool numbers = !isTool(tool(), Tool::Ip) && !isTool(tool(), Tool::Whois);
    chartView_->setVisible(numbers);
    if (!numbers)
        return;

    const QList<RunRecord>& runs = model_->runs();
    const QStringList labels = chartLabels();
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
    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("MM-dd HH:mm"));
    // A single moment still needs an axis with some length.
    if (first.isValid())
        time->setRange(first.toLocalTime().addSecs(-1800), last.toLocalTime().addSecs(1800));
    QAbstractAxis* value =
        valueAxis(isTool(tool(), Tool::KeywordRank), first.isValid(), double(low), double(high));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(value, Qt::AlignLeft);

    // Beyond a hundred runs the dots merge into the line and only cost drawing time; a run that
    // stands alone between two gaps keeps its dot, or it would not show at all.
    const bool dots = runs.size() <= 100;
    QSet<QAbstractSeries*> continued; // a label's second and later stretches
    for (qsizetype l = 0; l < labels.size(); ++l) {
        bool broken = false;
        for (const QList<QPointF>& points : lines[l]) {
            if (points.isEmpty())
                continue;
            auto* series = new QLineSeries;
            // Legend labels are rich text; a label is the record's, shown as it was.
            series->setName(shownLabel(labels[l]).toHtmlEscaped());
            series->setPointsVisible(dots || points.size() == 1);
            series->replace(points);
            chart->addSeries(series);
            series->attachAxis(time);
            series->attachAxis(value);
            series->setPen(linePen(series->pen(), l));
            if (broken)
                continued.insert(series);
            broken = true;
        }
    }
    // One legend entry a label. Asked marker by marker, the legend would search all of them.
    for (QLegendMarker* marker : chart->legend()->markers())
        if (continued.contains(marker->series()))
            marker->setVisible(false);
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
