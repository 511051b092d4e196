#pragma once

#include <QString>
#include <QStringList>

// The manual pages of both programs, in troff's man macros, written from the same tables their
// --help is made of. The text is Chinese, which troff must not hyphenate and must not justify
// (justifying stretches the few spaces a Chinese line has into wide gaps), and troff breaks a line
// only at spaces unless each place between two Han characters is marked as a break point.
class ManPage {
public:
    // The title line and NAME: "tessivo-cli" and what it is.
    ManPage(const QString& program, const QString& summary);

    void section(const QString& title);
    void subsection(const QString& title);
    // A paragraph; each line break of text starts a new line.
    void paragraph(const QString& text);
    // An option: its names ("-h,--help"), the name of its value (empty for a flag) and what it
    // does (each line break starts a new line).
    void option(const QString& names, const QString& value, const QString& help);
    // An indented paragraph: a synopsis.
    void indented(const QString& text);
    // Indented lines set as they are, each on its own line (a synopsis, an example, a list).
    void display(const QStringList& lines);
    // Every endpoint, one a line with the base it has unless an endpoints file says otherwise.
    void endpoints();
    // FILES and SEE ALSO, which both programs' pages share.
    void commonSections();

    const QString& text() const { return text_; }

private:
    void request(const QString& line);
    void textLines(const QString& text);
    QString text_;
};

// An option's lines in a program's --help: label ("-h, --help", "--proxy URL") and help, each
// line of help after the first indented under the first.
QString helpOptionLines(const QString& label, const QString& help);

// text whose line breaks only fit a terminal's width, as one line: Chinese runs on, other words
// keep a space between them.
QString joinedLines(const QString& text);

// text for a troff input line: a backslash is printed, not an escape; every "-" is a minus sign
// (what the reader types, not a hyphen); a line that starts with "." or "'" is not a request; a
// line may break between Chinese characters (\:), though not before a closing mark.
QString troffEscaped(const QString& text);
