#pragma once

#include "base/display_width.h"
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

// One row a run: id, tool, input, keyword, started, ended (ISO 8601 in local time with its
// offset, as the window shows them), outcome, error, demo, then one column a figure label
// holding its number, or its text when it has none. UTF-8 with a byte-order mark, without which
// spreadsheet programs read the Chinese in the system's ANSI code page; RFC 4180 quoting and
// CRLF line ends. Chinese headers (编号, 工具 …) with the outcome and demo flag as words, for a
// person; English ones (id, tool …) with the keys "done", "failed" … and true/false, for scripts.
enum class CsvHeaders { Chinese, English };
QByteArray historyCsv(const QList<RunRecord>& runs, CsvHeaders headers = CsvHeaders::Chinese);
// The same a run at a time: the byte-order mark and the header, then each run's row.
QByteArray historyCsvHeader(const QStringList& labels, CsvHeaders headers = CsvHeaders::Chinese);
QByteArray historyCsvRow(const RunRecord& run, const QStringList& labels,
                         CsvHeaders headers = CsvHeaders::Chinese);

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

// The outcome as a word: 完成, 失败, 已停止.
QString outcomeWord(RunEnd end);

// The start time where the user is, with its offset: "2026-12-07 21:00 +08:00".
QString localTime(const QDateTime& time);

// For the terminal, a run at a time: every run is measured first, then the header and each run's
// lines are laid out to the widest. Without labels (runs of every tool) a run is one line that
// ends in a summary of its figures, and the whole fits in kTableWidth columns. With labels (one
// tool's runs) each label is a column; a label "row/column" (an address's "1.2.3.4/country", a
// keyword's "站长/当日关注") puts its figure on a line of its own row under the column, so that
// addresses and keywords are rows, not columns. Long texts are cut with "…".
class HistoryTable {
public:
    static constexpr int kTableWidth = 120;
    explicit HistoryTable(const QStringList& labels = {});
    void measure(const RunRecord& run);
    QString header() const;
    QStringList lines(const RunRecord& run) const;

private:
    QList<QStringList> rows(const RunRecord& run) const;
    QString laidOut(const QStringList& row) const;

    QStringList columns_;     // of the figures, after the run's own
    bool itemColumn_ = false; // some labels are "row/column"
    QStringList heading_;
    QList<int> widths_;
};

// The table of runs whole, as HistoryTable lays it out; no final newline.
QString historyTable(const QList<RunRecord>& runs, const QStringList& labels = {});
