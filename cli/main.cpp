#include "cli/command_line.h"
#include "cli/help_text.h"
#include "cli/interrupt.h"
#include "cli/program_fetcher.h"

#include "base/program_folder.h"
#include "base/tool_error.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

void err(const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

int usage(const QString& why) {
    err(QStringLiteral("tessivo-cli：") + why + QStringLiteral("（见 tessivo-cli --help）"));
    return 2;
}

int answer(const CommandLine& line) {
    if (*line.answer == Answer::Version)
        out(QStringLiteral("tessivo-cli " TESSIVO_VERSION "\n"));
    else
        out(line.command ? commandHelp(*line.command) : programHelp());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessivo"));

    CommandLine line;
    try {
        line = parseCommandLine(QCoreApplication::arguments().mid(1));
    } catch (const UsageError& e) {
        return usage(e.message);
    }
    if (line.answer)
        return answer(line);
    if (!line.settings.configDir.isNull())
        program_folder::setPath(line.settings.configDir);

    try {
        const CurlGlobal curl;
        const std::unique_ptr<Fetcher> fetcher = programFetcher(line.settings);
        if (line.settings.demo)
            err(demoNote());
        const StopScope interruptible(interruptFlag());
        EndpointTable endpoints = EndpointTable::forProgram();
        if (!line.settings.endpointsFile.isEmpty())
            endpoints.load(line.settings.endpointsFile);
        CliContext ctx{*fetcher, endpoints, line.settings.json, line.options, line.settings.demo};
        line.command->run(ctx, line.args);
    } catch (const ToolStopped&) {
        return kInterruptedStatus;
    } catch (const UsageError& e) {
        return usage(e.message);
    } catch (const ToolError& e) {
        err(kErrorPrefix + e.description());
        return 1;
    } catch (const std::exception& e) {
        err(kErrorPrefix + QString::fromUtf8(e.what()));
        return 1;
    }
    return interruptFlag().requested() ? kInterruptedStatus : 0;
}
