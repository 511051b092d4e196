#pragma once

#include <QString>
#include <chrono>
#include <optional>
#include <span>
#include <variant>

// What the options before or after the command set.
struct Settings {
    QString endpointsFile;
    QString configDir;
    QString enginesDir; // read the engines files from here instead of config/engines
    bool json = false;
    bool demo = false;
    QString proxy;
    QString timeout;     // seconds each request may take; empty: the fetch's own time-outs
    QString historyFile; // empty: HistoryStore::defaultPath()
    bool noHistory = false;
};

// Options that answer by themselves instead of running a command.
enum class Answer { Help, Version, ManPage };

// One option of the program. The help, the usage line and the parser are all made from these.
struct ProgramOption {
    const char* names; // comma-separated, as the parser takes them: "-h,--help"
    const char* value; // the value's name in the help; nullptr for a flag
    const char* help;  // lines after the first are indented under the first
    std::variant<QString Settings::*, bool Settings::*, Answer> sets;
};

// In the order --help lists them.
std::span<const ProgramOption> programOptions();

// --timeout as a duration, when given; raises UsageError for anything but 1 to 600 seconds.
std::optional<std::chrono::milliseconds> requestTimeout(const Settings& settings);
