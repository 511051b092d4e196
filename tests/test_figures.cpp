#include "base/figure.h"
#include "base/figure_problems.h"
#include "history/run_log.h"

#include <gtest/gtest.h>

namespace {

TEST(Figures, CountInReadsWhatEnginesShow) {
    const struct {
        const char* text;
        std::optional<double> number;
    } cases[] = {
        {"1234", 1234},
        {"约1,234", 1234},
        {" 约 1,234,567 ", 1234567},
        {"12.5万", 125000},
        {"3亿", 3e8},
        {"69.23", 69.23},
        {"0", 0},
        {"-", std::nullopt},
        {"--", std::nullopt},
        {"", std::nullopt},
        {"排名为第3位", std::nullopt},
        {"1,2,3", std::nullopt},
        {"42/100", std::nullopt},
        {"约", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(countIn(QString::fromUtf8(c.text)), c.number) << c.text;
}

TEST(Figures, WhyKeysRoundTrip) {
    for (Why why : {Why::None, Why::NotFound, Why::Unrecognised, Why::Failed, Why::NoNumber})
        EXPECT_EQ(whyFromKey(whyKey(why)), why) << whyKey(why).toStdString();
    EXPECT_EQ(whyFromKey(QStringLiteral("whatever")), Why::NoNumber);
}

// What the window's tooltips and status lines and the CLI's standard error say about figures
// whose text reads like an answer.
TEST(Figures, ProblemsSayWhatTheTextCannot) {
    const Figure refused =
        missingFigure(QStringLiteral("Yahoo"), QStringLiteral("-"), Why::Failed,
                      QStringLiteral("无法连接到服务器（连接被拒绝或无法到达）"));
    const Figure unreadable =
        missingFigure(QStringLiteral("Zhongsou"), QStringLiteral("0"), Why::Unrecognised);
    const Figure silent = missingFigure(QStringLiteral("Live"), QStringLiteral("-"), Why::Failed);
    const Figure counted = countFigure(QStringLiteral("Baidu"), QStringLiteral("约1,230"));
    const Figure captcha = missingFigure(QStringLiteral("bing"), QStringLiteral("受阻（验证码）"),
                                         Why::Blocked, QStringLiteral("#b_captcha"));
    const Figure notFound = missingFigure(
        QStringLiteral("Sogou"), QStringLiteral("在100位（1--10页）中未查询到结果"), Why::NotFound);
    const struct {
        const char* name;
        QList<Figure> figures;
        const char* firstProblem;
        const char* summary;
        const char* failures;
    } cases[] = {
        {"failed",
         {refused},
         "失败：无法连接到服务器（连接被拒绝或无法到达）",
         "1 个引擎中 1 个请求失败",
         "Yahoo：无法连接到服务器（连接被拒绝或无法到达）"},
        {"unreadable",
         {unreadable, counted},
         "页面中没有找到标记：引擎可能已改版或关闭",
         "2 个引擎中 1 个页面无法识别",
         ""},
        {"both",
         {counted, refused, unreadable, silent},
         "",
         "4 个引擎中 2 个请求失败，1 个页面无法识别",
         "Yahoo：无法连接到服务器（连接被拒绝或无法到达）|Live：请求未能完成"},
        {"blocked",
         {captcha, counted, refused},
         "受阻：引擎要求验证（#b_captcha）",
         "3 个引擎中 1 个请求失败，1 个引擎要求验证",
         "Yahoo：无法连接到服务器（连接被拒绝或无法到达）"},
        {"answers", {counted, notFound}, "", "", ""},
        {"nothing asked", {}, "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.figures.isEmpty() ? QString() : figureProblem(c.figures.front()),
                  QString::fromUtf8(c.firstProblem))
            << c.name;
        EXPECT_EQ(problemSummary(c.figures), QString::fromUtf8(c.summary)) << c.name;
        EXPECT_EQ(failureList(c.figures, QStringLiteral("|")), QString::fromUtf8(c.failures))
            << c.name;
    }
    EXPECT_EQ(figureProblem(silent), QStringLiteral("失败：请求未能完成"));
}

Figure placed(double n) {
    Figure f;
    f.number = n;
    return f;
}

Figure unplaced(Why why) {
    Figure f;
    f.why = why;
    return f;
}

TEST(Figures, PositionChangeAgainstTheLastRun) {
    const Figure third = placed(3), sixth = placed(6);
    const Figure absent = unplaced(Why::NotFound), failed = unplaced(Why::Failed);
    const struct {
        const char* what;
        Figure now;
        const Figure* before;
        const char* change;
    } cases[] = {
        {"up three", third, &sixth, "↑3"},
        {"down three", sixth, &third, "↓3"},
        {"unchanged", third, &third, "—"},
        {"first run", third, nullptr, "新"},
        {"found after not found", third, &absent, "新"},
        {"found after a failure", third, &failed, "新"},
        {"lost", absent, &third, "出榜"},
        {"still not found", absent, &absent, "—"},
        {"failed now", failed, &third, ""},
        {"unrecognised now", unplaced(Why::Unrecognised), &third, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(positionChange(c.now, c.before), QString::fromUtf8(c.change)) << c.what;
}

} // namespace
