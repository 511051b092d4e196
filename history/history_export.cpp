#include "history/history_export.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

QString isoUtc(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODate);
}

QString isoLocal(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

// A spreadsheet runs a cell that starts like a formula ("=HYPERLINK(…)", "+1+cmd|…"), and a
// keyword or a page's text may start so: such a cell gets a leading apostrophe and stays text.
// A negative number is left a number.
bool formulaLike(const QString& value) {
    if (value.isEmpty())
        return false;
    const QChar first = value.front();
    if (first == u'=' || first == u'+' || first == u'@' || first == u'\t' || first == u'\r')
        return true;
    bool number = false;
    value.toDouble(&number);
    return first == u'-' && value.size() > 1 && !number;
}

QByteArray csvField(const QString& value) {
    QByteArray bytes = (formulaLike(value) ? u'\'' + value : value).toUtf8();
    if (bytes.contains('"') || bytes.contains(',') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QByteArray csvRow(const QStringList& fields) {
    return csvLine(fields).toUtf8() + "\r\n";
}

// A line break or tab inside a cell would break the table's rows apart.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    return text;
}

QString padded(const QString& text, int width) {
    return text + QString(qMax(0, width - displayWidth(text)), u' ');
}

// At most width columns: what does not fit is cut, and "…" says so.
QString cut(const QString& text, int width) {
    if (displayWidth(text) <= width)
        return text;
    QString kept;
    int used = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString unit = text.mid(i, n);
        const int w = displayWidth(unit);
        if (used + w > width - 1)
            break;
        kept += unit;
        used += w;
        i += n;
    }
    return kept + u'…';
}

// The widest a column of the table gets, in terminal columns.
constexpr int kInputWidth = 24, kKeywordWidth = 12, kCellWidth = 16, kSummaryMinimum = 16;

// A figure label "row/column" (the row may hold a '/' itself: a keyword).
std::pair<QString, QString> rowAndColumn(const QString& label) {
    const qsizetype slash = label.lastIndexOf(u'/');
    if (slash <= 0 || slash + 1 == label.size())
        return {QString(), label};
    return {label.left(slash), label.mid(slash + 1)};
}

} // namespace

QString outcomeWord(RunEnd end) {
    switch (end) {
    case RunEnd::Done:
        return QStringLiteral("完成");
    case RunEnd::Failed:
        return QStringLiteral("失败");
    case RunEnd::Stopped:
        return QStringLiteral("已停止");
    case RunEnd::Partial:
        return QStringLiteral("部分失败");
    }
    return {};
}

QString localTime(const QDateTime& time) {
    const QDateTime local = time.toLocalTime();
    const int offset = local.offsetFromUtc() / 60;
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm ")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(qAbs(offset) / 60, 2, 10, QLatin1Char('0'))
               .arg(qAbs(offset) % 60, 2, 10, QLatin1Char('0'));
}

QString figureCell(const Figure& figure) {
    return figure.number ? QString::number(*figure.number, 'g', 15) : figure.text;
}

QString csvLine(const QStringList& fields) {
    QByteArrayList cells;
    for (const QString& field : fields)
        cells << csvField(field);
    return QString::fromUtf8(cells.join(','));
}

QStringList figureLabels(const QList<RunRecord>& runs) {
    QStringList labels;
    for (const RunRecord& run : runs)
        for (const Figure& figure : run.figures)
            if (!labels.contains(figure.label))
                labels << figure.label;
    return labels;
}

const Figure* findFigure(const RunRecord& run, const QString& label) {
    for (const Figure& figure : run.figures)
        if (figure.label == label)
            return &figure;
    return nullptr;
}

QByteArray historyCsvHeader(const QStringList& labels, CsvHeaders headers) {
    const QStringList names =
        headers == CsvHeaders::English
            ? QStringList{QStringLiteral("id"),      QStringLiteral("tool"),
                          QStringLiteral("input"),   QStringLiteral("keyword"),
                          QStringLiteral("started"), QStringLiteral("ended"),
                          QStringLiteral("outcome"), QStringLiteral("error"),
                          QStringLiteral("demo")}
            : QStringList{QStringLiteral("编号"),   QStringLiteral("工具"), QStringLiteral("输入"),
                          QStringLiteral("关键词"), QStringLiteral("开始"), QStringLiteral("结束"),
                          QStringLiteral("结果"),   QStringLiteral("错误"), QStringLiteral("演示")};
    return "\xEF\xBB\xBF" + csvRow(names + labels);
}

QByteArray historyCsvRow(const RunRecord& run, const QStringList& labels, CsvHeaders headers) {
    const bool english = headers == CsvHeaders::English;
    QStringList row{QString::number(run.id),
                    run.tool,
                    run.input,
                    run.keyword,
                    isoLocal(run.started),
                    isoLocal(run.ended),
                    english ? runEndKey(run.end) : outcomeWord(run.end),
                    run.error,
                    english ? (run.demo ? QStringLiteral("true") : QStringLiteral("false"))
                            : (run.demo ? QStringLiteral("是") : QStringLiteral("否"))};
    for (const QString& label : labels) {
        const Figure* figure = findFigure(run, label);
        row << (figure ? figureCell(*figure) : QString());
    }
    return csvRow(row);
}

QByteArray historyCsv(const QList<RunRecord>& runs, CsvHeaders headers) {
    const QStringList labels = figureLabels(runs);
    QByteArray csv = historyCsvHeader(labels, headers);
    for (const RunRecord& run : runs)
        csv += historyCsvRow(run, labels, headers);
    return csv;
}

QJsonObject runJson(const RunRecord& run) {
    QJsonArray figures;
    for (const Figure& f : run.figures)
        figures << QJsonObject{
            {QStringLiteral("label"), f.label},
            {QStringLiteral("text"), f.text},
            {QStringLiteral("number"), f.number ? QJsonValue(*f.number) : QJsonValue()},
            {QStringLiteral("why"), whyKey(f.why)},
            {QStringLiteral("detail"), f.detail},
            {QStringLiteral("address"), f.address},
        };
    return {
        {QStringLiteral("id"), run.id},
        {QStringLiteral("tool"), run.tool},
        {QStringLiteral("input"), run.input},
        {QStringLiteral("keyword"), run.keyword},
        {QStringLiteral("options"), run.options},
        {QStringLiteral("started"), isoUtc(run.started)},
        {QStringLiteral("ended"), isoUtc(run.ended)},
        {QStringLiteral("outcome"), runEndKey(run.end)},
        {QStringLiteral("error"), run.error},
        {QStringLiteral("demo"), run.demo},
        {QStringLiteral("figures"), figures},
    };
}

// QJsonDocument indents an element of an array by four more spaces than the object alone.
QByteArray historyJsonElement(const RunRecord& run, bool first) {
    QByteArray object = QJsonDocument(runJson(run)).toJson(QJsonDocument::Indented);
    object.chop(1); // its final newline
    object.replace("\n", "\n    ");
    return (first ? "[\n    " : ",\n    ") + object;
}

QByteArray historyJsonEnd(bool any) {
    return any ? "\n]\n" : "[\n]\n";
}

QByteArray historyJson(const QList<RunRecord>& runs) {
    QByteArray json;
    for (const RunRecord& run : runs)
        json += historyJsonElement(run, json.isEmpty());
    return json + historyJsonEnd(!runs.isEmpty());
}

HistoryTable::HistoryTable(const QStringList& labels)
    : heading_{QStringLiteral("编号"), QStringLiteral("时间"),   QStringLiteral("工具"),
               QStringLiteral("输入"), QStringLiteral("关键词"), QStringLiteral("结果")} {
    for (const QString& label : labels) {
        const auto [row, column] = rowAndColumn(label);
        itemColumn_ = itemColumn_ || !row.isEmpty();
        if (!columns_.contains(column))
            columns_ << column;
    }
    if (labels.isEmpty())
        heading_ << QStringLiteral("摘要");
    if (itemColumn_)
        heading_ << QStringLiteral("项");
    for (const QString& column : columns_)
        heading_ << cut(oneLine(column), kCellWidth);
    widths_.fill(0, heading_.size());
    for (qsizetype i = 0; i < heading_.size(); ++i)
        widths_[i] = displayWidth(heading_[i]);
}

QList<QStringList> HistoryTable::rows(const RunRecord& run) const {
    const QStringList own{QString::number(run.id),
                          localTime(run.started),
                          run.tool,
                          cut(oneLine(run.input), kInputWidth),
                          cut(oneLine(run.keyword), kKeywordWidth),
                          outcomeWord(run.end) +
                              (run.demo ? QStringLiteral("（演示）") : QString())};
    if (columns_.isEmpty()) {
        QStringList summary;
        for (const Figure& figure : run.figures)
            summary << oneLine(figure.label) + u' ' + oneLine(figure.text);
        return {own + QStringList{summary.join(QStringLiteral(" · "))}};
    }
    // The run's own cells on its first line; a row's figures each on a line of their own.
    QStringList items{QString()};
    QList<QHash<QString, QString>> cells{{}};
    for (const Figure& figure : run.figures) {
        const auto [item, column] = rowAndColumn(figure.label);
        qsizetype at = items.indexOf(item);
        if (at < 0) {
            at = items.size();
            items << item;
            cells << QHash<QString, QString>();
        }
        cells[at].insert(column, oneLine(figure.text));
    }
    QList<QStringList> result;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i == 0 && cells[0].isEmpty() && items.size() > 1)
            continue;
        QStringList row = result.isEmpty() ? own : QStringList(own.size());
        if (itemColumn_)
            row << cut(oneLine(items[i]), kCellWidth);
        for (const QString& column : columns_)
            row << cut(cells[i].value(column), kCellWidth);
        result << row;
    }
    return result;
}

void HistoryTable::measure(const RunRecord& run) {
    for (const QStringList& row : rows(run))
        for (qsizetype i = 0; i < row.size(); ++i)
            widths_[i] = qMax(widths_[i], displayWidth(row[i]));
}

QString HistoryTable::laidOut(const QStringList& row) const {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i)
        line += (i ? QStringLiteral("  ") : QString()) + padded(row[i], widths_[i]);
    while (line.endsWith(u' '))
        line.chop(1);
    return line;
}

QString HistoryTable::header() const {
    return laidOut(heading_);
}

// The summary, last, gets what the other columns leave of the table's width.
QStringList HistoryTable::lines(const RunRecord& run) const {
    QStringList lines;
    for (QStringList row : rows(run)) {
        if (columns_.isEmpty()) {
            int used = 0;
            for (qsizetype i = 0; i + 1 < row.size(); ++i)
                used += widths_[i] + 2;
            row.last() = cut(row.last(), qMax(kSummaryMinimum, kTableWidth - used));
        }
        lines << laidOut(row);
    }
    return lines;
}

QString historyTable(const QList<RunRecord>& runs, const QStringList& labels) {
    HistoryTable table(labels);
    for (const RunRecord& run : runs)
        table.measure(run);
    QStringList lines{table.header()};
    for (const RunRecord& run : runs)
        lines << table.lines(run);
    return lines.join(u'\n');
}
