#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// What becomes of a text's own line breaks and tabs on its way to the terminal.
enum class LineBreaks {
    Escaped, // a line or a field: a line break in it would start a line that looks like ours
    Kept,    // a text of many lines by design (a WHOIS record, a document): LF, CR LF and tab stay
};

// The text with every character that acts on a terminal instead of being shown written as an
// escape: C0 and C1 controls and DEL (ESC starts the colour, clear-screen, title and clipboard
// sequences) as \xHH, tab, LF and CR as \t, \n and \r, the bidirectional overrides and isolates
// and the line and paragraph separators as \uHHHH. Servers, files and the history all reach the
// terminal through it; JSON does not, its own escapes already carry every character.
QString escapeControls(QStringView text, LineBreaks breaks = LineBreaks::Escaped);

// A document (a CSV, a JSON file) on standard output: written to a file or a pipe it is exact; on
// a terminal the server and history texts in it pass escapeControls, its line breaks kept.
void writeDocument(const QByteArray& bytes);
