#include "base/text_ops.h"
#include "base/tool_error.h"

#include <gtest/gtest.h>

TEST(TextOps, InStrCountsFromOneAndFindsAtOrAfterStart) {
    const QString s = QStringLiteral("找到相关网页约1,234篇");
    EXPECT_EQ(text::inStr(1, s, QStringLiteral("找到")), 1);
    EXPECT_EQ(text::inStr(1, s, QStringLiteral("篇")), 13);
    EXPECT_EQ(text::inStr(13, s, QStringLiteral("篇")), 13);
    EXPECT_EQ(text::inStr(14, s, QStringLiteral("篇")), 0);
    EXPECT_EQ(text::inStr(1, s, QStringLiteral("没有")), 0);
    EXPECT_EQ(text::inStr(99, s, QStringLiteral("篇")), 0);
    EXPECT_THROW(text::inStr(0, s, QStringLiteral("篇")), ToolError);
}

TEST(TextOps, MidIsOneBasedAndRejectsInvalidArguments) {
    const QString s = QStringLiteral("abcdef");
    EXPECT_EQ(text::mid(s, 2, 3), QStringLiteral("bcd"));
    EXPECT_EQ(text::mid(s, 5, 10), QStringLiteral("ef"));
    EXPECT_EQ(text::mid(s, 7, 1), QString());
    EXPECT_EQ(text::mid(s, 3, 0), QString());
    EXPECT_EQ(text::midToEnd(s, 4), QStringLiteral("def"));
    EXPECT_THROW(text::mid(s, 0, 1), ToolError);
    EXPECT_THROW(text::mid(s, 1, -1), ToolError);
}

TEST(TextOps, TrimSpacesRemovesOnlyTheOrdinarySpace) {
    EXPECT_EQ(text::trimSpaces(QStringLiteral("  1 234  ")), QStringLiteral("1 234"));
    EXPECT_EQ(text::trimSpaces(QStringLiteral("\t5\n")), QStringLiteral("\t5\n"));
    EXPECT_EQ(text::trimSpaces(QStringLiteral("\u30005\u3000")), QStringLiteral("\u30005\u3000"));
    EXPECT_EQ(text::trimSpaces(QStringLiteral("   ")), QString());
}

TEST(TextOps, RemoveAllScansFromTheLeftWithoutOverlap) {
    EXPECT_EQ(text::removeAll(QStringLiteral("aaa"), QStringLiteral("aa")), QStringLiteral("a"));
    EXPECT_EQ(text::removeAll(QStringLiteral("aAa"), QStringLiteral("a")), QStringLiteral("A"));
    EXPECT_EQ(text::removeAll(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
}
