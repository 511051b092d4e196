#include "cli/command_line.h"
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

QString hex(char16_t u, int digits) {
    return QString::number(uint(u), 16).toUpper().rightJustified(digits, u'0');
}

// Errors quote addresses, lines of files and typed words as they came. A control character
// among them could move the cursor, recolour or clear the terminal, or start a line that looks
// like a message of its own, so each is shown as an escape.
QString escapeControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool bidi = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
        if (u == u'\t')
            out += QStringLiteral("\\t");
        else if (u == u'\n')
            out += QStringLiteral("\\n");
        else if (u == u'\r')
            out += QStringLiteral("\\r");
        else if (u <= 0xFF && c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x") + hex(u, 2);
        else if (bidi || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u") + hex(u, 4);
        else
            out += c;
    }
    return out;
}

void err(const QString& text) {
    const QByteArray bytes = escapeControls(text).toUtf8() + '\n';
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
    if (!line.settings.enginesDir.isNull())
        engines::useFolder(line.settings.enginesDir);
    // A wrong engines file is told when a command first needs the engines; the tools go on with
    // the shipped rows where the wrong file was the user's.
    engines::setProblemReporter([](const QStringList& problems) {
        for (const QString& problem : problems)
            err(QStringLiteral("tessivo-cli：") + problem);
    });

    // A stop (Ctrl-C) can leave a name lookup running; it is joined before the program ends.
    const AbandonedCallsGuard abandonedCalls;
    try {
        const CurlGlobal curl;
        const std::unique_ptr<Fetcher> fetcher = programFetcher(line.settings);
        const std::unique_ptr<Resolver> resolver = programResolver(line.settings);
        const std::unique_ptr<WhoisClient> whois = programWhois(line.settings);
        if (line.settings.demo)
            err(demoNote());
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
