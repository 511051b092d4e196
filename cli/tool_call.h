#pragma once

#include "cli/command.h"
#include "tools/recorded_run.h"
#include "tools/tool_registry.h"

#include <QJsonObject>
#include <QStringList>
#include <functional>
#include <vector>

// A command that runs one tool on one set of inputs: once from its arguments, or once per line
// of a batch file (--batch), each run recorded in the history. The tool's entry in the registry
// gives the command's name, its inputs and how they are cleaned.
struct ToolCall {
    Tool tool;
    const char* emptyInput; // the usage error when an input is cleaned to nothing
    // Runs the tool on cleaned inputs: prints text as it comes unless the output is JSON or
    // CSV, fills json, and adds each figure to run.
    std::function<void(CliContext& ctx, const QStringList& inputs, RecordedRun& run,
                       QJsonObject& json)>
        run;
    // What else was asked, for the record ({"period": …}); may be empty.
    std::function<QJsonObject(const CliContext& ctx)> asked = {};
    // The figures' labels in the order a CSV row gives them, when the options narrow the
    // registry's.
    std::function<QStringList(const CliContext& ctx)> labels = {};
};

// Whether results are printed as text as they come (neither --json nor --format json|csv).
bool printsText(const CliContext& ctx);

// Runs call once on args, or, with --batch, once per line of the file.
void runToolCommand(CliContext& ctx, const ToolCall& call, const QStringList& args);

// A figure for --json: its text, its number under numberKey (null without one), why there is
// none ("not_found", "unrecognised", "failed", "no_number"), the failure's description and the
// request address where there is one.
QJsonObject figureJson(const Figure& figure, const QString& numberKey = QStringLiteral("number"));
