#pragma once

#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>

// What every command gets: the fetcher, the endpoints and how to print.
struct CliContext {
    Fetcher& fetcher;
    EndpointTable endpoints;
    bool json = false;

    void print(const QString& text) const; // text and a newline, UTF-8
    void printJson(const QJsonObject& object) const;
};

// A usage error or an input the tool ignores: exit status 2, one line on stderr.
struct UsageError {
    QString message;
};

struct Command {
    const char* name;
    const char* synopsis; // the arguments after the command's name
    const char* help;     // what it does and prints
    int minArgs;
    int maxArgs;
    std::function<void(CliContext&, const QStringList&)> run; // raises ToolError or UsageError
};

// Every command, in the order --help lists them. Each subsystem's file adds its own.
const std::vector<Command>& commands();

std::vector<Command> netCommands();
std::vector<Command> metricsCommands();
std::vector<Command> rankCommands();
std::vector<Command> researchCommands();
std::vector<Command> directoriesCommands();
std::vector<Command> scriptCommands();

// The cleaned domain, or a UsageError saying that nothing was requested.
QString requireSite(const QString& typed);
