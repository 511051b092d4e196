#include "net/man_page.h"

#include "base/version.h"
#include "net/endpoint_table.h"

namespace {

bool wide(QChar c) {
    return c.unicode() >= 0x2E80;
}

// Chinese takes a line break between any two characters but before a closing mark or after an
// opening one; troff breaks only at spaces unless told where else it may.
bool breaksBetween(QChar before, QChar after) {
    static const QString closing = QStringLiteral("，。、；：！？）》」』】”’…");
    static const QString opening = QStringLiteral("（《「『【“‘");
    return (wide(before) || wide(after)) && !before.isSpace() && !after.isSpace() &&
           !closing.contains(after) && !opening.contains(before);
}

QString escapedLine(const QString& line, bool breakable = true) {
    QString out;
    if (line.startsWith(u'.') || line.startsWith(u'\''))
        out += QStringLiteral("\\&");
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'\\')
            out += QStringLiteral("\\e");
        else if (c == u'-')
            out += QStringLiteral("\\-");
        else
            out += c;
        if (breakable && i + 1 < line.size() && breaksBetween(c, line[i + 1]))
            out += QStringLiteral("\\:");
    }
    return out;
}

QString bold(const QString& text) {
    return QStringLiteral("\\fB") + troffEscaped(text) + QStringLiteral("\\fR");
}

QString italic(const QString& text) {
    return QStringLiteral("\\fI") + troffEscaped(text) + QStringLiteral("\\fR");
}

} // namespace

QString troffEscaped(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        line = escapedLine(line);
    return lines.join(u'\n');
}

QString helpOptionLines(const QString& label, const QString& help) {
    // Where the description starts; a terminal gives CJK characters two columns.
    constexpr int kDescriptionColumn = 24;
    int used = 2;
    for (const QChar c : label)
        used += wide(c) ? 2 : 1;
    const QString indent(kDescriptionColumn, u' ');
    const QString gap =
        used + 2 <= kDescriptionColumn ? QString(kDescriptionColumn - used, u' ') : u'\n' + indent;
    return QStringLiteral("  ") + label + gap + QString(help).replace(u'\n', u'\n' + indent) +
           u'\n';
}

QString joinedLines(const QString& text) {
    const QStringList lines = text.split(u'\n');
    QString joined = lines.front();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!joined.isEmpty() && !lines[i].isEmpty() &&
            !(wide(joined.back()) && wide(lines[i].front())))
            joined += u' ';
        joined += lines[i];
    }
    return joined;
}

ManPage::ManPage(const QString& program, const QString& summary) {
    request(QStringLiteral(".TH %1 1 \"\" \"Tessivo " TESSIVO_VERSION "\" \"用户命令\"")
                .arg(troffEscaped(program.toUpper())));
    request(QStringLiteral(".nh"));
    request(QStringLiteral(".ad l"));
    section(QStringLiteral("NAME"));
    // whatis and apropos read this line as it is: no break points.
    text_ +=
        escapedLine(program, false) + QStringLiteral(" \\- ") + escapedLine(summary, false) + u'\n';
}

void ManPage::section(const QString& title) {
    request(QStringLiteral(".SH ") + troffEscaped(title));
}

void ManPage::subsection(const QString& title) {
    request(QStringLiteral(".SS ") + troffEscaped(title));
}

void ManPage::paragraph(const QString& text) {
    request(QStringLiteral(".PP"));
    textLines(text);
}

void ManPage::option(const QString& names, const QString& value, const QString& help) {
    QStringList tagged;
    for (const QString& name : names.split(u','))
        tagged << bold(name);
    QString tag = tagged.join(QStringLiteral(", "));
    if (!value.isEmpty())
        tag += u' ' + italic(value);
    request(QStringLiteral(".TP"));
    text_ += tag + u'\n';
    textLines(help);
}

void ManPage::indented(const QString& text) {
    request(QStringLiteral(".RS"));
    request(QStringLiteral(".PP"));
    textLines(text);
    request(QStringLiteral(".RE"));
}

void ManPage::display(const QStringList& lines) {
    request(QStringLiteral(".RS"));
    request(QStringLiteral(".nf"));
    for (const QString& line : lines)
        text_ += troffEscaped(line) + u'\n';
    request(QStringLiteral(".fi"));
    request(QStringLiteral(".RE"));
}

void ManPage::endpoints() {
    QStringList lines;
    for (const EndpointInfo& e : kEndpoints)
        lines << QStringLiteral("%1%2")
                     .arg(QLatin1String(e.name), -18)
                     .arg(e.defaultBase ? QLatin1String(e.defaultBase)
                                        : QStringLiteral("程序的数据文件夹（引擎标志和版本页面）"));
    display(lines);
}

void ManPage::commonSections() {
    section(QStringLiteral("FILES"));
    option(QStringLiteral("/usr/share/tessivo/"), {},
           QStringLiteral("数据文件夹：config/（本地页面、站长资源列表、简繁字表、演示页面和 "
                          "endpoints.example.ini）、images/ 和 download/。"));
    option(QStringLiteral("~/.config/tessivo/endpoints.ini"), {},
           QStringLiteral("用户的端点设置：[endpoints] 节中每行一个“端点名=地址”。"));
    option(QStringLiteral("~/.config/tessivo/engines/"), {},
           QStringLiteral("用户的引擎文件，按引擎覆盖数据文件夹 config/engines 中的同名文件。"));
    option(QStringLiteral("~/.local/share/tessivo/history.sqlite"), {},
           QStringLiteral("历史记录：每次查询的输入、时间、结果和各项数字（SQLite 数据库）；"
                          "窗口中按 Ctrl+H 查看，命令行用 tessivo-cli history 列出或导出。"));
    section(QStringLiteral("SEE ALSO"));
    text_ += QStringLiteral(".BR tessivo (1),\n.BR tessivo\\-cli (1)\n");
}

void ManPage::request(const QString& line) {
    text_ += line + u'\n';
}

void ManPage::textLines(const QString& text) {
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // An empty input line would be a blank line that troff warns of; .sp is one by request.
        if (lines[i].isEmpty()) {
            request(QStringLiteral(".sp"));
            continue;
        }
        if (i > 0 && !lines[i - 1].isEmpty())
            request(QStringLiteral(".br"));
        text_ += troffEscaped(lines[i]) + u'\n';
    }
}
