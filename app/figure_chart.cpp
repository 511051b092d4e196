#include "app/figure_chart.h"

#include "history/history_export.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QSet>
#include <QValueAxis>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>

namespace {

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

// The engines as the records name them (the surveys' rows, the rank boxes) and as a Chinese
// reader knows them. The records keep the names they were written with.
constexpr std::pair<const char*, const char*> kEngineNames[] = {
    {"Baidu", "百度"},    {"Google", "谷歌"},           {"Yahoo", "雅虎"},    {"Sogou", "搜狗"},
    {"Soso", "搜搜"},     {"Youdao", "有道"},           {"Zhongsou", "中搜"}, {"Live", "必应"},
    {"baidu", "百度"},    {"baidu-mobile", "百度移动"}, {"bing", "必应"},     {"sogou", "搜狗"},
    {"so360", "360搜索"}, {"duckduckgo", "DuckDuckGo"},
};

} // namespace

QString shownLabel(const QString& label) {
    for (const auto& [stored, shown] : kEngineNames)
        if (label == QLatin1String(stored))
            return QString::fromUtf8(shown);
    return label;
}

namespace {

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

void drawFigureChart(QChartView* view, const QList<RunRecord>& runs, const QStringList& labels,
                     bool rank, const QString& title) {
    // A new chart: taking a few hundred broken lines off the old one costs more than drawing.
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setTitle(title.toHtmlEscaped());
    const std::unique_ptr<QChart> old(view->chart());
    view->setChart(chart);
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
    QAbstractAxis* value = valueAxis(rank, first.isValid(), double(low), double(high));
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
