#include "cli/command.h"

#include "cli/batch_options.h"

#include <QJsonDocument>
#include <cstdio>

void CliContext::print(const QString& text) const {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    // Results that come one by one reach a pipe as they come, not when the buffer fills.
    std::fflush(stdout);
}

void CliContext::warn(const QString& text) const {
    const QByteArray bytes = QStringLiteral("tessivo-cli：%1\n").arg(text).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void CliContext::printJson(const QJsonObject& object) const {
    QJsonObject marked = object;
    if (demo)
        marked.insert(QStringLiteral("demo"), true);
    print(QString::fromUtf8(QJsonDocument(marked).toJson(QJsonDocument::Compact)));
}

std::vector<CommandOption> commandOptions(const Command& command) {
    std::vector<CommandOption> all = command.options;
    if (command.batchLine)
        for (CommandOption& o : batchOptions())
            all.push_back(std::move(o));
    return all;
}
