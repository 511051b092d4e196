#pragma once

#include "base/figure.h"
#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <span>

struct SurveyKind;

// Every network tool: those of the window's tabs in their order, then the site audit, the link
// submissions and the rank tracker (a check, a run of the list), which the command line alone
// runs.
enum class Tool {
    Indexed,
    Backlinks,
    BaiduPeriod,
    Badges,
    KeywordRank,
    Related,
    Density,
    Ip,
    Whois,
    Audit,
    PushBaidu,
    PushIndexNow,
    RankTrack,
    TrackRun,
    EnginesCheck
};

// How a typed input is cleaned before its tool gets it. An input cleaned to nothing means no
// request: the window ends silently, the CLI with a usage error.
enum class Cleaning {
    Site,    // a domain or site: cleanSite (base/input_cleaning.h)
    Keyword, // cleanKeyword; the density page's address is cleaned the same way
    Host,    // typedHost (netinfo/domain_name.h): the host part of a site or address alone
};

struct ToolInput {
    const char* key; // its JSON key and batch CSV column: "domain", "site", "keyword" …
    Cleaning cleaning;
};

// What a run of the tools whose output is figures alone is given. The run stops through the
// StopFlag of the thread that runs it (net/stop.h): a fetch raises ToolStopped.
struct ToolRequest {
    Fetcher& fetcher;
    const EndpointTable& endpoints;
    QStringList inputs;  // cleaned, in the entry's order
    QJsonObject options; // what else was asked, as the history records it
    Progress progress = {};
};

// Runs the tool, telling figures each figure as soon as it has it.
using FigureRun = void (*)(const ToolRequest& request, const FigureSink& figures);

struct ToolEntry {
    Tool tool;
    const char* key;     // its name in the history, the CLI's command and the JSON: "indexed" …
    const char* caption; // the window's name for it: "收录查询" …
    // In the order the command line takes them. The first is the record's input, the second
    // its keyword.
    std::span<const ToolInput> inputs;
    // The figures' labels in the order they are reported, where they are known before the run;
    // empty where each answer names its own (related searches, IP addresses).
    QStringList (*labels)();
    const SurveyKind* survey; // the survey the tool is, or nullptr
    FigureRun run;            // set for the tools whose output is figures alone
    // Each figure is one engine's answer: a run whose every engine's request failed failed, one
    // where some did failed in part, though the tool itself went to its end.
    bool engines = false;
};

// Every tool, in Tool order.
std::span<const ToolEntry> toolEntries();
const ToolEntry& toolEntry(Tool tool);
// The tool whose key is key, or nullptr.
const ToolEntry* findTool(const QString& key);
// The tools' keys, in Tool order.
QStringList toolKeys();

// The typed inputs, each cleaned as the tool's entry says; an empty one was cleaned to nothing.
QStringList cleanInputs(const ToolEntry& tool, const QStringList& typed);
// Whether every cleaned input holds something.
bool allGiven(const QStringList& cleaned);
