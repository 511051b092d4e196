#pragma once

#include <QString>
#include <span>

// What an engines file may hold: the keys a row of its tool takes, which of them it must have,
// what kind of value each is, and the strategies (behaviour kept in C++) a row may name.
enum class FieldKind {
    Text,     // taken as written: a marker, a name, a strip list
    Request,  // a request template (requestAddress): its holes must be known
    Decode,   // "gbk" or "declared"
    Pages,    // a whole number of result pages, 1 to 10
    Strategy, // one of the tool's strategies
    Engine,   // another engine of the same file
    Demo,     // the demo's answer: a kind of made-up figures and a page under config/demo/
    PerPage,  // how many results a page shows, 1 to 100
    Headers,  // request headers, "Name: value" each, separated by " || "
    Statuses, // HTTP statuses separated by spaces
};

// The tools that read an engines file, by their keys: the file's name without ".ini", and the
// name the command line, the history and the JSON give the tool.
namespace engine_tool {
inline constexpr char kIndexed[] = "indexed";
inline constexpr char kBacklinks[] = "backlinks";
inline constexpr char kBaiduPeriod[] = "baidu-period";
inline constexpr char kBadges[] = "badges";
inline constexpr char kKeywordRank[] = "keyword-rank";
inline constexpr char kRankTrack[] = "rank-track";
} // namespace engine_tool

struct FieldRule {
    const char* key;
    FieldKind kind;
    bool required;
};

// A strategy and the keys a row naming it must give beyond the tool's required ones, separated
// by spaces.
struct StrategyRule {
    const char* name;
    const char* needs;
};

struct EngineSchema {
    const char* tool; // the file's name without ".ini", and the tool's key
    std::span<const FieldRule> fields;
    std::span<const StrategyRule> strategies;
    // The only engines the file may name, when the tool shows a fixed set of boxes; empty: any.
    std::span<const char* const> engines;
    // A row that copies another engine's answer (key "copies") gives nothing else.
    bool copies = false;
};

// The schema of the engines file of tool, or nullptr when no tool reads one by that name.
const EngineSchema* engineSchema(const QString& tool);

// Every schema, in the order the tools appear in the window.
std::span<const EngineSchema> engineSchemas();
