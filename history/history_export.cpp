#include "history/history_export.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <unicode/uchar.h>

namespace {

QString isoUtc(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODate);
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

} // namespace

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

QByteArray historyCsvHeader(const QStringList& labels) {
    return "\xEF\xBB\xBF" +
           csvRow(QStringList{QStringLiteral("id"), QStringLiteral("tool"), QStringLiteral("input"),
                              QStringLiteral("keyword"), QStringLiteral("started"),
                              QStringLiteral("ended"), QStringLiteral("outcome"),
                              QStringLiteral("error"), QStringLiteral("demo")} +
                  labels);
}

QByteArray historyCsvRow(const RunRecord& run, const QStringList& labels) {
    QStringList row{QString::number(run.id),
                    run.tool,
                    run.input,
                    run.keyword,
                    isoUtc(run.started),
                    isoUtc(run.ended),
                    runEndKey(run.end),
                    run.error,
                    run.demo ? QStringLiteral("true") : QStringLiteral("false")};
    for (const QString& label : labels) {
        const Figure* figure = findFigure(run, label);
        row << (figure ? figureCell(*figure) : QString());
    }
    return csvRow(row);
}

QByteArray historyCsv(const QList<RunRecord>& runs) {
    const QStringList labels = figureLabels(runs);
    QByteArray csv = historyCsvHeader(labels);
    for (const RunRecord& run : runs)
        csv += historyCsvRow(run, labels);
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
    : labels_(labels), heading_{QStringLiteral("编号"),   QStringLiteral("时间"),
                                QStringLiteral("工具"),   QStringLiteral("输入"),
                                QStringLiteral("关键词"), QStringLiteral("结果")} {
    for (const QString& label : labels)
        heading_ << oneLine(label);
    widths_.fill(0, heading_.size());
    widen(heading_);
}

QStringList HistoryTable::cells(const RunRecord& run) const {
    QStringList row{QString::number(run.id),
                    run.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                    run.tool,
                    oneLine(run.input),
                    oneLine(run.keyword),
                    outcomeWord(run.end) + (run.demo ? QStringLiteral("（演示）") : QString())};
    for (const QString& label : labels_) {
        const Figure* figure = findFigure(run, label);
        row << (figure ? oneLine(figure->text) : QString());
    }
    return row;
}

void HistoryTable::widen(const QStringList& row) {
    for (qsizetype i = 0; i < row.size(); ++i)
        widths_[i] = qMax(widths_[i], displayWidth(row[i]));
}

void HistoryTable::measure(const RunRecord& run) {
    widen(cells(run));
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

QString HistoryTable::line(const RunRecord& run) const {
    return laidOut(cells(run));
}

QString historyTable(const QList<RunRecord>& runs) {
    HistoryTable table(figureLabels(runs));
    for (const RunRecord& run : runs)
        table.measure(run);
    QStringList lines{table.header()};
    for (const RunRecord& run : runs)
        lines << table.line(run);
    return lines.join(u'\n');
}

int displayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        const auto category = u_charType(UChar32(c));
        if (category == U_NON_SPACING_MARK || category == U_ENCLOSING_MARK ||
            category == U_FORMAT_CHAR)
            continue;
        const auto eastAsian = u_getIntPropertyValue(UChar32(c), UCHAR_EAST_ASIAN_WIDTH);
        width += (eastAsian == U_EA_WIDE || eastAsian == U_EA_FULLWIDTH) ? 2 : 1;
    }
    return width;
}
