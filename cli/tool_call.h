#pragma once

#include "cli/command.h"
#include "history/run_record.h"

#include <QJsonObject>
#include <QStringList>
#include <functional>
#include <vector>

// A command that runs one tool on one set of inputs: once from its arguments, or once per line
// of a batch file (--batch), each run recorded in the history.
struct ToolCall {
    const char* tool;                // the run's name in the history: the command's name
    std::vector<const char*> inputs; // the inputs' JSON keys and CSV columns
    // The typed inputs, cleaned; raises UsageError when one is empty after cleaning.
    std::function<QStringList(const QStringList& typed)> clean;
    // The figures' labels in the order a CSV row gives them.
    std::function<QStringList(const CliContext& ctx)> labels;
    // What else was asked, for the record ({"period": …}); may be empty.
    std::function<QJsonObject(const CliContext& ctx)> asked = {};
    // Runs the tool on cleaned inputs: prints text as it comes unless the output is JSON or
    // CSV, fills json, and adds each figure to run.
    std::function<void(CliContext& ctx, const QStringList& inputs, RunRecord& run,
                       QJsonObject& json)>
        run;
};

// Whether results are printed as text as they come (neither --json nor --format json|csv).
bool printsText(const CliContext& ctx);

// Runs call once on args, or, with --batch, once per line of the file.
void runToolCommand(CliContext& ctx, const ToolCall& call, const QStringList& args);

// --batch, --delay, --resume and --format, which every command with a batchLine takes.
std::vector<CommandOption> batchOptions();

// The help paragraph on them for command.
QString batchHelp(const Command& command);

// A figure for --json: its text, its number under numberKey (null without one), why there is
// none ("not_found", "unrecognised", "failed", "no_number"), the failure's description and the
// request address where there is one.
QJsonObject figureJson(const Figure& figure, const QString& numberKey = QStringLiteral("number"));
