#include "tools/rank_options.h"
#include "tools/tool_registry.h"

#include <QJsonArray>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// The names the history files and the command line already hold: a key never changes.
TEST(ToolRegistry, KeysAreTheRecordedNamesInTabOrder) {
    EXPECT_EQ(toolKeys(),
              (QStringList{"indexed", "backlinks", "baidu-period", "badges", "keyword-rank",
                           "related", "density", "ip", "whois", "audit", "push-baidu",
                           "push-indexnow", "rank-track", "track-run", "engines-check"}));
    const QStringList keys = toolKeys();
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
}

TEST(ToolRegistry, EveryEntryIsFoundByItsToolAndKey) {
    for (const ToolEntry& t : toolEntries()) {
        EXPECT_EQ(&toolEntry(t.tool), &t) << t.key;
        EXPECT_EQ(findTool(QLatin1String(t.key)), &t) << t.key;
        EXPECT_FALSE(QString::fromUtf8(t.caption).isEmpty()) << t.key;
        EXPECT_FALSE(t.inputs.empty()) << t.key;
        EXPECT_LE(t.inputs.size(), 2u) << t.key; // a record holds an input and a keyword
    }
    EXPECT_EQ(findTool(QStringLiteral("Indexed")), nullptr);
    EXPECT_EQ(findTool(QString()), nullptr);
}

TEST(ToolRegistry, CaptionsAreTheWindowsNames) {
    EXPECT_EQ(QString::fromUtf8(toolEntry(Tool::Indexed).caption), QStringLiteral("收录查询"));
    EXPECT_EQ(QString::fromUtf8(toolEntry(Tool::Badges).caption), QStringLiteral("PR/Alexa"));
    EXPECT_EQ(QString::fromUtf8(toolEntry(Tool::Whois).caption), QStringLiteral("WHOIS查询"));
}

TEST(ToolRegistry, InputsAreCleanedAsEachToolCleansThem) {
    const struct {
        Tool tool;
        QStringList typed;
        QStringList cleaned;
    } cases[] = {
        {Tool::Indexed, {" http://example.cn/ "}, {"example.cn"}},
        {Tool::Badges, {"https://www.example.cn/"}, {"www.example.cn"}},
        {Tool::KeywordRank, {"http://Example.cn/", " 'seo 工具' "}, {"Example.cn", "seo 工具"}},
        // The density page's address keeps its scheme and slashes: it is cleaned as a keyword.
        {Tool::Density, {" http://a.cn/x.html ", "kw'"}, {"http://a.cn/x.html", "kw"}},
        {Tool::Related, {" ' seo ' "}, {" seo "}},
        {Tool::Ip, {"http://Example.cn:8080/x"}, {"example.cn"}},
        {Tool::Whois, {"WWW.example.com.cn."}, {"www.example.com.cn"}},
        // Missing inputs are cleaned to nothing, never left out.
        {Tool::KeywordRank, {"a.cn"}, {"a.cn", ""}},
        {Tool::Indexed, {"http://"}, {""}},
    };
    for (const auto& c : cases) {
        const ToolEntry& t = toolEntry(c.tool);
        EXPECT_EQ(cleanInputs(t, c.typed), c.cleaned)
            << t.key << " " << c.typed.join(u'|').toStdString();
        EXPECT_EQ(allGiven(cleanInputs(t, c.typed)), !c.cleaned.contains(QString())) << t.key;
    }
}

TEST(ToolRegistry, LabelsKnownBeforeTheRun) {
    EXPECT_EQ(
        toolEntry(Tool::Indexed).labels(),
        (QStringList{"Baidu", "Google", "Yahoo", "Sogou", "Soso", "Youdao", "Zhongsou", "Live"}));
    EXPECT_EQ(toolEntry(Tool::BaiduPeriod).labels(), QStringList{"count"});
    EXPECT_EQ(toolEntry(Tool::Badges).labels(),
              (QStringList{"pagerank", "alexa", "sogou", "chinarank"}));
    EXPECT_EQ(toolEntry(Tool::KeywordRank).labels(),
              (QStringList{"Baidu", "Google", "Yahoo", "Sogou", "Soso", "Youdao"}));
    EXPECT_EQ(toolEntry(Tool::Density).labels(),
              (QStringList{"page_length", "keyword_length", "frequency", "keyword_total_length",
                           "density"}));
    EXPECT_TRUE(toolEntry(Tool::Related).labels().isEmpty());
    EXPECT_TRUE(toolEntry(Tool::Ip).labels().isEmpty());
}

TEST(ToolRegistry, OnlyTheSurveysNameASurveyAndFiguresAloneRunThroughTheRegistry) {
    for (const ToolEntry& t : toolEntries()) {
        const bool survey = t.tool == Tool::Indexed || t.tool == Tool::Backlinks;
        EXPECT_EQ(t.survey != nullptr, survey) << t.key;
        const bool figuresAlone = t.tool == Tool::Badges || t.tool == Tool::KeywordRank;
        EXPECT_EQ(t.run != nullptr, figuresAlone) << t.key;
    }
}

TEST(RankOptions, TheRecordedOptionsGiveBackTheChoice) {
    RankChoice choice;
    choice.asked.fill(false);
    choice.asked[size_t(RankBox::Google)] = true;
    choice.asked[size_t(RankBox::Soso)] = true;
    choice.pages = 3;
    const QJsonObject options = rankOptions(choice);
    EXPECT_EQ(options, (QJsonObject{{"pages", 3}, {"engines", QJsonArray{"Google", "Soso"}}}));
    const RankChoice back = rankChoiceOf(options);
    EXPECT_EQ(back.asked, choice.asked);
    EXPECT_EQ(back.pages, 3);
}

TEST(RankOptions, MissingOrWrongPartsAreAsShipped) {
    const RankChoice shipped;
    for (const QJsonObject& options :
         {QJsonObject{}, QJsonObject{{"pages", 0}}, QJsonObject{{"pages", kMaxRankPages + 1}},
          QJsonObject{{"pages", "5"}, {"engines", "Baidu"}}}) {
        const RankChoice c = rankChoiceOf(options);
        EXPECT_EQ(c.asked, shipped.asked);
        EXPECT_EQ(c.pages, kMaxRankPages);
    }
    EXPECT_EQ(rankChoiceOf(QJsonObject{{"engines", QJsonArray{"Baidu", "Bing"}}}).asked,
              (std::array<bool, kRankBoxCount>{true, false, false, false, false, false}));
}

} // namespace
