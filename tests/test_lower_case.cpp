#include "base/lower_case.h"

#include <gtest/gtest.h>

namespace {

QString lowered(QString text) {
    lowerInPlace(text);
    return text;
}

} // namespace

TEST(LowerCase, EveryBmpUnitAsQStringToLower) {
    // Alone, and eight of it after an ASCII capital, as the pass takes them eight at a time.
    for (int u = 0; u < (1 << 16); ++u) {
        const QString one{QChar(char16_t(u))};
        ASSERT_EQ(lowered(one), QString(one).toLower()) << u;
        const QString block = QStringLiteral("A") + QString(8, QChar(char16_t(u)));
        ASSERT_EQ(lowered(block), QString(block).toLower()) << u;
    }
}

TEST(LowerCase, MixedTextsAsQStringToLower) {
    const struct {
        const char* name;
        QString text;
    } cases[] = {
        {"empty", QString()},
        {"ASCII around Chinese", QStringLiteral("<BODY>SEO 关键词 Tools@[`{")},
        {"full-width, Greek and Cyrillic", QStringLiteral("ＳＥＯ ΑΒΓ АБВ")},
        {"a longer lower case in the middle", QStringLiteral("AİB İ")},
        {"a pair whose lower case is another pair", QStringLiteral("A\U00010400B")},
        {"a lone high surrogate", QStringView(u"A\xD801"
                                              u"B")
                                      .toString()},
        {"a lone low surrogate", QStringView(u"A\xDC00"
                                             u"B")
                                     .toString()},
        {"a lone surrogate before the first change", QStringView(u"\xD801"
                                                                 u"aB")
                                                         .toString()},
        {"lone surrogates before and after it", QStringView(u"\xDC00\xD801"
                                                            u"Bc\xD801")
                                                    .toString()},
        {"a lone surrogate after a longer lower case", QStringView(u"a\u0130\xD801").toString()},
        {"a lone surrogate after a changed pair", QStringView(u"Ab\U00010400\xDC00").toString()},
        {"Kelvin and Angstrom signs", QStringLiteral("\u212A\u212B")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lowered(c.text), QString(c.text).toLower()) << c.name;
}

TEST(LowerCase, OnlyAsciiLowersToTheUnitsOfUtf8) {
    // The spider looks for "utf-8" in letters of either case instead of in a lowered copy; that
    // holds only while no other character lowers to any of its units.
    const QString units = QStringLiteral("utf-8");
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString lower = QString::fromUcs4(&c, 1).toLower();
        for (const QChar u : lower)
            ASSERT_FALSE(units.contains(u)) << std::uint32_t(c);
    }
}
