#include "cli/command_line.h"
#include "cli/command_status.h"
#include "cli/full_cli.h"
#include "cli/help_text.h"
#include "cli/interrupt.h"
#include "cli/program_fetcher.h"
#include "cli/run_history.h"

#include "base/program_folder.h"
#include "base/tool_error.h"
#include "base/version.h"
#include "net/engine_files.h"
#include "net/stoppable_call.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

int answer(const CommandLine& line) {
    if (*line.answer == Answer::Version)
        out(QStringLiteral("tessivo-cli " TESSIVO_VERSION "\n"));
    else if (*line.answer == Answer::ManPage)
        out(programManPage());
    else
        out(line.command ? commandHelp(*line.command) : programHelp());
    return 0;
}

} // namespace

int tessivoCliMain(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessivo"));

    CommandLine line;
    try {
        line = parseCommandLine(QCoreApplication::arguments().mid(1));
    } catch (const UsageError& e) {
        return usageStatus(e.message);
    }
    if (line.answer)
        return answer(line);
    if (!line.settings.configDir.isNull())
        program_folder::setPath(line.settings.configDir);
    if (!line.settings.enginesDir.isNull())
        engines::useFolder(line.settings.enginesDir);
    // A wrong engines file is told when a command first needs the engines; the tools go on with
    // the shipped rows where the wrong file was the user's.
    engines::setProblemReporter([](const QStringList& problems) {
        for (const QString& problem : problems)
            printError(QStringLiteral("tessivo-cli：") + problem);
    });

    // A stop (Ctrl-C) can leave a name lookup running; it is joined before the program ends.
    const AbandonedCallsGuard abandonedCalls;
    const int status = commandStatus([&] {
        const CurlGlobal curl;
        const std::unique_ptr<Fetcher> fetcher = programFetcher(line.settings);
        const std::unique_ptr<Resolver> resolver = programResolver(line.settings);
        const std::unique_ptr<WhoisClient> whois = programWhois(line.settings);
        if (line.settings.demo)
            printError(demoNote());
        const StopScope interruptible(interruptFlag());
        // One command line is one run; a batch's lines are runs of their own within it.
        const FetchSession run;
        CliContext ctx{*fetcher,
                       CliEndpoints(line.settings.endpointsFile),
                       line.settings.json,
                       line.options,
                       line.settings.demo,
                       line.settings.historyFile,
                       line.settings.noHistory};
        CliHistory history(line.settings.historyFile, line.settings.noHistory,
                           [&ctx](const QString& text) { ctx.warn(text); });
        ctx.history = &history;
        ctx.resolver = resolver.get();
        ctx.whois = whois.get();
        ctx.limits = programLimits(line.settings);
        line.command->run(ctx, line.args);
    });
    return status == 0 && interruptFlag().requested() ? kInterruptedStatus : status;
}
