#pragma once

#include "history/run_record.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The labels of the runs' figures, each once, in the order they first appear: one column each
// in the CSV, the terminal's table and the window's table.
QStringList figureLabels(const QList<RunRecord>& runs);

// The run's figure with that label, or nullptr when the run has none.
const Figure* findFigure(const RunRecord& run, const QString& label);

// A figure in a CSV cell: its number when it has one, else its text as shown.
QString figureCell(const Figure& figure);

// One row a run: id, tool, input, keyword, started, ended (ISO 8601, UTC), outcome, error,
// demo, then one column a figure label holding its number, or its text when it has none.
// UTF-8 with a byte-order mark, without which spreadsheet programs read the Chinese in the
// system's ANSI code page; RFC 4180 quoting and CRLF line ends.
QByteArray historyCsv(const QList<RunRecord>& runs);
// The same a run at a time: the byte-order mark and the header, then each run's row.
QByteArray historyCsvHeader(const QStringList& labels);
QByteArray historyCsvRow(const RunRecord& run, const QStringList& labels);

// One CSV line, without its line end: fields quoted as RFC 4180 says, and a field a
// spreadsheet would take for a formula kept as text with a leading apostrophe.
QString csvLine(const QStringList& fields);

// The full record: every field, figures as {label, text, number (or null), why, detail, address}.
QJsonObject runJson(const RunRecord& run);
// An array of runJson, indented.
QByteArray historyJson(const QList<RunRecord>& runs);
// The same a run at a time: each run's element, with the array's opening before the first,
// then the end; the bytes are those of historyJson.
QByteArray historyJsonElement(const RunRecord& run, bool first);
QByteArray historyJsonEnd(bool any);

// For the terminal: columns aligned by display width, the start time local; no final newline.
QString historyTable(const QList<RunRecord>& runs);

// The same a run at a time: every run is measured first, then the header and each run's line
// are laid out to the widest.
class HistoryTable {
public:
    explicit HistoryTable(const QStringList& labels);
    void measure(const RunRecord& run);
    QString header() const;
    QString line(const RunRecord& run) const;

private:
    QStringList cells(const RunRecord& run) const;
    QString laidOut(const QStringList& row) const;
    void widen(const QStringList& row);

    QStringList labels_;
    QStringList heading_;
    QList<int> widths_;
};

// Columns a terminal gives the text: two for wide and fullwidth characters (CJK), none for
// combining marks and format characters, one for the rest.
int displayWidth(const QString& text);
