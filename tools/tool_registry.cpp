#include "tools/tool_registry.h"

#include "audit/site_audit.h"
#include "base/input_cleaning.h"
#include "metrics/backlink_survey.h"
#include "metrics/indexed_survey.h"
#include "metrics/rank_badges.h"
#include "net/engine_schema.h"
#include "netinfo/domain_name.h"
#include "netinfo/lookup_figures.h"
#include "rank/keyword_rank.h"
#include "research/research_figures.h"
#include "tools/rank_options.h"
#include "tools/track_run.h"
#include "track/rank_check.h"

#include <algorithm>
#include <array>

namespace {

constexpr ToolInput kDomain[] = {{"domain", Cleaning::Site}};
constexpr ToolInput kSiteAndKeyword[] = {{"site", Cleaning::Site}, {"keyword", Cleaning::Keyword}};
constexpr ToolInput kKeyword[] = {{"keyword", Cleaning::Keyword}};
constexpr ToolInput kAddressAndKeyword[] = {{"url", Cleaning::Keyword},
                                            {"keyword", Cleaning::Keyword}};
constexpr ToolInput kTarget[] = {{"target", Cleaning::Host}};
constexpr ToolInput kWhoisDomain[] = {{"domain", Cleaning::Host}};
// The start address is cleaned like the density page's address.
constexpr ToolInput kStart[] = {{"url", Cleaning::Keyword}};
// A submission is recorded under the host its addresses are on.
constexpr ToolInput kPushHost[] = {{"host", Cleaning::Host}};
// A run of the tracker's list is about the list as a whole.
constexpr ToolInput kList[] = {{"list", Cleaning::Keyword}};

template <const SurveyKind& kind> QStringList engineNames() {
    QStringList names;
    for (const EngineRow& row : kind.engines())
        names << row.name;
    return names;
}

QStringList labelsOf(const QList<Figure>& figures) {
    QStringList labels;
    for (const Figure& f : figures)
        labels << f.label;
    return labels;
}

QStringList baiduPushLabels() {
    return {QStringLiteral("sent"),          QStringLiteral("accepted"),  QStringLiteral("remain"),
            QStringLiteral("not_same_site"), QStringLiteral("not_valid"), QStringLiteral("unsent")};
}

QStringList indexNowLabels() {
    return {QStringLiteral("sent"), QStringLiteral("unsent")};
}

QStringList noLabels() {
    return {};
}

void badges(const ToolRequest& r, const FigureSink& figures) {
    runRankBadges(
        r.fetcher, r.endpoints, r.inputs.value(0),
        [&figures](Badge, const Figure& f) { figures(f); }, r.progress);
}

void keywordRank(const ToolRequest& r, const FigureSink& figures) {
    searchKeywordRank(
        r.fetcher, r.endpoints, r.inputs.value(0), r.inputs.value(1),
        [&figures](RankBox, const Figure& answer) { figures(answer); }, rankChoiceOf(r.options),
        r.progress);
}

// Built on first use: the surveys' names come from their own definitions in metrics/.
const std::array<ToolEntry, 15>& entries() {
    static const std::array<ToolEntry, 15> all{{
        {Tool::Indexed, kIndexedSurvey.tool, "收录查询", kDomain, engineNames<kIndexedSurvey>,
         &kIndexedSurvey, nullptr, true},
        {Tool::Backlinks, kBacklinkSurvey.tool, "反链查询", kDomain, engineNames<kBacklinkSurvey>,
         &kBacklinkSurvey, nullptr, true},
        {Tool::BaiduPeriod, engine_tool::kBaiduPeriod, "百度更新", kDomain,
         [] { return QStringList{QStringLiteral("count")}; }, nullptr, nullptr},
        {Tool::Badges, engine_tool::kBadges, "PR/Alexa", kDomain,
         [] {
             QStringList keys;
             for (const BadgeName& b : kBadges)
                 keys << QLatin1String(b.key);
             return keys;
         },
         nullptr, badges, true},
        {Tool::KeywordRank, engine_tool::kKeywordRank, "关键词排名", kSiteAndKeyword,
         [] { return askedBoxNames(RankChoice{}); }, nullptr, keywordRank, true},
        {Tool::Related, "related", "相关搜索", kKeyword, noLabels, nullptr, nullptr},
        {Tool::Density, "density", "关键词密度", kAddressAndKeyword,
         [] { return labelsOf(densityFigures(KeywordDensity{})); }, nullptr, nullptr},
        {Tool::Ip, "ip", "IP查询", kTarget, noLabels, nullptr, nullptr},
        {Tool::Whois, "whois", "WHOIS查询", kWhoisDomain,
         [] { return labelsOf(domainFigures(DomainRecord{})); }, nullptr, nullptr},
        {Tool::Audit, "audit", "网站体检", kStart,
         [] { return QStringList{QStringLiteral("pages")} << auditProblemKinds(); }, nullptr,
         nullptr},
        {Tool::PushBaidu, "push-baidu", "百度推送", kPushHost, baiduPushLabels, nullptr, nullptr},
        {Tool::PushIndexNow, "push-indexnow", "IndexNow推送", kPushHost, indexNowLabels, nullptr,
         nullptr},
        {Tool::RankTrack, "rank-track", "排名跟踪", kSiteAndKeyword, rankEngineNames, nullptr,
         nullptr, true},
        {Tool::TrackRun, "track-run", "排名跟踪运行", kList, trackRunLabels, nullptr, nullptr},
        {Tool::EnginesCheck, "engines-check", "引擎检查", kKeyword, rankEngineNames, nullptr,
         nullptr},
    }};
    return all;
}

QString cleaned(Cleaning cleaning, const QString& typed) {
    switch (cleaning) {
    case Cleaning::Site:
        return cleanSite(typed);
    case Cleaning::Keyword:
        return cleanKeyword(typed);
    case Cleaning::Host:
        break;
    }
    return typedHost(typed);
}

} // namespace

std::span<const ToolEntry> toolEntries() {
    return entries();
}

const ToolEntry& toolEntry(Tool tool) {
    return entries()[size_t(tool)];
}

const ToolEntry* findTool(const QString& key) {
    for (const ToolEntry& t : entries())
        if (key == QLatin1String(t.key))
            return &t;
    return nullptr;
}

QStringList toolKeys() {
    QStringList keys;
    for (const ToolEntry& t : entries())
        keys << QLatin1String(t.key);
    return keys;
}

QStringList cleanInputs(const ToolEntry& tool, const QStringList& typed) {
    QStringList inputs;
    for (size_t i = 0; i < tool.inputs.size(); ++i)
        inputs << cleaned(tool.inputs[i].cleaning, typed.value(qsizetype(i)));
    return inputs;
}

bool allGiven(const QStringList& cleaned) {
    return std::none_of(cleaned.begin(), cleaned.end(),
                        [](const QString& input) { return input.isEmpty(); });
}
