#pragma once

#include "net/endpoint_table.h"
#include "net/http_fetch.h"
#include "net/resolver.h"
#include "net/whois_client.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The endpoints, read the first time a command asks for them (config/endpoints.ini beside the
// program, then the --endpoints file): a command that makes no request never reads them, so a
// wrong file cannot stop it.
class CliEndpoints {
public:
    explicit CliEndpoints(QString extraFile) : extraFile_(std::move(extraFile)) {}
    // Raises ToolError when a file is wrong.
    operator const EndpointTable&() const;

private:
    QString extraFile_;
    mutable std::optional<EndpointTable> table_;
};

class CliHistory;

// What every command gets: the fetcher, the endpoints, its own options and how to print.
struct CliContext {
    Fetcher& fetcher;
    CliEndpoints endpoints;
    bool json = false;
    QMap<QString, QString> options; // the command's options that were given, by name
    bool demo = false;              // the fetcher serves demo pages; JSON says so
    QString historyFile;            // --history: the database runs go to; empty: the default
    bool noHistory = false;         // --no-history: runs are not recorded
    CliHistory* history = nullptr;  // where runs are recorded
    Resolver* resolver = nullptr;   // names and addresses (the IP lookup)
    WhoisClient* whois = nullptr;   // port-43 queries (the WHOIS lookup)
    FetchLimits limits = {};        // --proxy and --timeout, for tools with fetchers of their own

    // Text output, UTF-8, each with a newline. Every control character of what is printed is
    // shown as an escape (cli/terminal_text.h), line breaks and tabs included, so a caller that
    // prints a server's text cannot forget to escape it; the tabs and line breaks the program
    // itself puts between fields and lines are added after the escaping, by printRow and
    // printLines, and printText keeps those of a text that is many lines by design.
    void print(const QString& line) const;
    void printRow(const QStringList& fields) const;  // the fields between tabs
    void printLines(const QStringList& lines) const; // one line each
    void printText(const QString& text) const;       // a record, a document, a table
    // A line that must not be overlooked (a failed or missed run): red on a terminal, the same
    // words alone in a file or a pipe.
    void printAlarm(const QString& line) const;
    void warn(const QString& text) const; // one line on standard error, after the program's name
    void printJson(const QJsonObject& object) const; // with "demo": true in demo mode
};

// A usage error or an input the tool ignores: exit status 2, one line on stderr.
struct UsageError {
    QString message;
};

// An option that only one command takes. It may come anywhere after the command's name.
struct CommandOption {
    const char* name; // "--period"
    const char* value; // what the value is called, as in "--period 后缺少时间段"; nullptr: a flag
    std::function<void(const QString&)> check = {}; // raises UsageError for a refused value
};

struct Command {
    const char* name;
    const char* synopsis; // the arguments after the command's name, and its options
    const char* help;     // what it does and prints
    int minArgs;
    int maxArgs;
    std::function<void(CliContext&, const QStringList&)> run; // raises ToolError or UsageError
    std::vector<CommandOption> options = {};
    // Set for a command that also runs once per line of a file (--batch): what a line holds.
    const char* batchLine = nullptr;
};

// An option's whole number from least to most; raises UsageError naming the option otherwise.
qint64 wholeNumber(const QString& option, const QString& typed, qint64 least, qint64 most);

// A command's own options, and the batch options when it takes --batch.
std::vector<CommandOption> commandOptions(const Command& command);

// Every command, in the order --help lists them. Each subsystem's file adds its own.
const std::vector<Command>& commands();

std::vector<Command> netCommands();
std::vector<Command> metricsCommands();
std::vector<Command> rankCommands();
std::vector<Command> researchCommands();
std::vector<Command> directoriesCommands();
std::vector<Command> scriptCommands();
std::vector<Command> historyCommands();
std::vector<Command> enginesCommands();
std::vector<Command> netinfoCommands();
std::vector<Command> auditCommands();
std::vector<Command> submitCommands();
std::vector<Command> trackCommands();

// The canary of the rank tracker's engines (engines check), and its --engines option.
void checkEngines(CliContext& ctx);
CommandOption trackEnginesOption();
