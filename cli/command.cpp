#include "cli/command.h"

#include "cli/batch_options.h"
#include "cli/terminal_text.h"

#include <QJsonDocument>
#include <cstdio>
#include <unistd.h>

namespace {

void writeLine(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    // Results that come one by one reach a pipe as they come, not when the buffer fills.
    std::fflush(stdout);
}

} // namespace

void CliContext::print(const QString& line) const {
    writeLine(escapeControls(line));
}

void CliContext::printAlarm(const QString& line) const {
    static const bool terminal = ::isatty(STDOUT_FILENO);
    const QString shown = escapeControls(line);
    writeLine(terminal ? QStringLiteral("\x1b[31m") + shown + QStringLiteral("\x1b[0m") : shown);
}

void CliContext::printRow(const QStringList& fields) const {
    QStringList escaped;
    for (const QString& field : fields)
        escaped << escapeControls(field);
    writeLine(escaped.join(u'\t'));
}

void CliContext::printLines(const QStringList& lines) const {
    QStringList escaped;
    for (const QString& line : lines)
        escaped << escapeControls(line);
    writeLine(escaped.join(u'\n'));
}

void CliContext::printText(const QString& text) const {
    writeLine(escapeControls(text, LineBreaks::Kept));
}

void CliContext::warn(const QString& text) const {
    const QByteArray bytes = QStringLiteral("tessivo-cli：%1\n").arg(escapeControls(text)).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void CliContext::printJson(const QJsonObject& object) const {
    QJsonObject marked = object;
    if (demo)
        marked.insert(QStringLiteral("demo"), true);
    // JSON's own escapes carry every character; a reader gets the text as it came.
    writeLine(QString::fromUtf8(QJsonDocument(marked).toJson(QJsonDocument::Compact)));
}

qint64 wholeNumber(const QString& option, const QString& typed, qint64 least, qint64 most) {
    bool ok = false;
    const qint64 n = typed.trimmed().toLongLong(&ok);
    if (!ok || n < least || n > most)
        throw UsageError{QStringLiteral("%1 应为 %2 到 %3 之间的整数，而不是 %4")
                             .arg(option)
                             .arg(least)
                             .arg(most)
                             .arg(typed)};
    return n;
}

std::vector<CommandOption> commandOptions(const Command& command) {
    std::vector<CommandOption> all = command.options;
    if (command.batchLine)
        for (CommandOption& o : batchOptions())
            all.push_back(std::move(o));
    return all;
}
