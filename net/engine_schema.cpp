#include "net/engine_schema.h"

#include <iterator>

namespace {

const FieldRule kSurveyFields[] = {
    {"name", FieldKind::Text, true},       {"logo", FieldKind::Text, true},
    {"request", FieldKind::Request, true}, {"decode", FieldKind::Decode, true},
    {"start", FieldKind::Text, true},      {"end", FieldKind::Text, true},
    {"strip", FieldKind::Text, false},     {"demo", FieldKind::Demo, false},
};

const FieldRule kPeriodFields[] = {
    {"request", FieldKind::Request, true},   {"decode", FieldKind::Decode, true},
    {"strategy", FieldKind::Strategy, true}, {"start", FieldKind::Text, true},
    {"end", FieldKind::Text, true},          {"demo", FieldKind::Demo, false},
};
// Baidu's lm parameter takes the period chosen from the window's list.
const StrategyRule kPeriodStrategies[] = {{"periods", ""}};
const char* const kPeriodEngines[] = {"baidu"};

const FieldRule kBadgeFields[] = {
    {"request", FieldKind::Request, true},   {"decode", FieldKind::Decode, true},
    {"strategy", FieldKind::Strategy, true}, {"start", FieldKind::Text, false},
    {"skip", FieldKind::Text, false},        {"end", FieldKind::Text, false},
    {"strip", FieldKind::Text, false},       {"suffix", FieldKind::Text, false},
    {"demo", FieldKind::Demo, false},
};
const StrategyRule kBadgeStrategies[] = {
    {"pagerank", "strip"},
    {"alexa", "start skip end strip"},
    {"sogou-rank", "start end"},
    {"chinarank", "start"},
};
const char* const kBadgeEngines[] = {"pagerank", "alexa", "sogou", "chinarank"};

const FieldRule kRankFields[] = {
    {"request", FieldKind::Request, true},   {"later-pages", FieldKind::Request, false},
    {"pages", FieldKind::Pages, false},      {"decode", FieldKind::Decode, true},
    {"strategy", FieldKind::Strategy, true}, {"start", FieldKind::Text, false},
    {"end", FieldKind::Text, false},         {"results", FieldKind::Text, false},
    {"paid", FieldKind::Text, false},        {"separator", FieldKind::Text, false},
    {"not-found", FieldKind::Text, false},   {"absent", FieldKind::Text, false},
    {"demo", FieldKind::Demo, false},        {"copies", FieldKind::Engine, false},
};
const StrategyRule kRankStrategies[] = {
    {"baidu", "start end results paid separator not-found"},
    {"google", "results separator not-found"},
    {"framed", "start end separator not-found"},
    {"sogou", "start end separator absent not-found"},
};
const char* const kRankEngines[] = {"baidu", "google", "yahoo", "sogou", "soso", "youdao"};

const FieldRule kTrackFields[] = {
    {"request", FieldKind::Request, true},   {"form", FieldKind::Request, false},
    {"pages", FieldKind::Pages, false},      {"per-page", FieldKind::PerPage, false},
    {"headers", FieldKind::Headers, false},  {"cookie-from", FieldKind::Request, false},
    {"items", FieldKind::Text, true},        {"title", FieldKind::Text, true},
    {"link", FieldKind::Text, true},         {"strategy", FieldKind::Strategy, true},
    {"ads", FieldKind::Text, false},         {"no-results", FieldKind::Text, false},
    {"block-texts", FieldKind::Text, false}, {"block-redirects", FieldKind::Text, false},
    {"block-xpath", FieldKind::Text, false}, {"block-statuses", FieldKind::Statuses, false},
    {"next-form", FieldKind::Text, false},   {"link-key", FieldKind::Text, false},
    {"link-prefix", FieldKind::Text, false}, {"link-wrapper", FieldKind::Text, false},
    {"no-address", FieldKind::Text, false},  {"demo", FieldKind::Demo, false},
};
// How the address a result's link expression reads becomes the result's real address.
const StrategyRule kTrackStrategies[] = {
    {"address", ""},
    {"json", ""},
    {"base64-param", ""},
    {"param", ""},
};

const EngineSchema kSchemas[] = {
    {engine_tool::kIndexed, kSurveyFields, {}, {}},
    {engine_tool::kBacklinks, kSurveyFields, {}, {}},
    {engine_tool::kBaiduPeriod, kPeriodFields, kPeriodStrategies, kPeriodEngines},
    {engine_tool::kBadges, kBadgeFields, kBadgeStrategies, kBadgeEngines},
    {engine_tool::kKeywordRank, kRankFields, kRankStrategies, kRankEngines, true},
    {engine_tool::kRankTrack, kTrackFields, kTrackStrategies, {}},
};

} // namespace

const EngineSchema* engineSchema(const QString& tool) {
    for (const EngineSchema& s : kSchemas)
        if (tool == QLatin1String(s.tool))
            return &s;
    return nullptr;
}

std::span<const EngineSchema> engineSchemas() {
    return kSchemas;
}
