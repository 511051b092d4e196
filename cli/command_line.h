#pragma once

#include "cli/command.h"
#include "cli/program_options.h"

#include <QMap>
#include <QStringList>
#include <optional>
#include <vector>

// What a command line asks for.
struct CommandLine {
    std::optional<Answer> answer;     // help or the version instead of running anything
    const Command* command = nullptr; // the command to run, or whose help to show
    QStringList args;
    QMap<QString, QString> options; // the command's own options, by name
    Settings settings;
};

// The words after the program's name, read against the commands of table (the launcher's holds
// only those it runs by itself). Raises UsageError for a command line that cannot run.
CommandLine parseCommandLine(const QStringList& words,
                             const std::vector<Command>& table = commands());
