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

// One CSV line, without its line end: fields quoted as RFC 4180 says, and a field a
// spreadsheet would take for a formula kept as text with a leading apostrophe.
QString csvLine(const QStringList& fields);

// The full record: every field, figures as {label, text, number (or null), why, detail, address}.
QJsonObject runJson(const RunRecord& run);
// An array of runJson, indented.
QByteArray historyJson(const QList<RunRecord>& runs);

// For the terminal: columns aligned by display width, the start time local; no final newline.
QString historyTable(const QList<RunRecord>& runs);

// Columns a terminal gives the text: two for wide and fullwidth characters (CJK), none for
// combining marks and format characters, one for the rest.
int displayWidth(const QString& text);
