#include "base/figure.h"
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
