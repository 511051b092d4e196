#include "base/input_cleaning.h"

#include <gtest/gtest.h>

TEST(InputCleaning, SiteCases) {
    const struct {
        const char* typed;
        const char* clean;
    } cases[] = {
        {"example.cn", "example.cn"},
        {"  example.cn  ", "example.cn"},
        {"http://example.cn/", "example.cn"},
        {"http://example.cn/news/", "example.cnnews"}, // every slash goes once it ends in one
        {"example.cn/news", "example.cn/news"},        // no trailing slash: slashes stay
        {"HTTP://example.cn", "HTTP://example.cn"},    // the scheme test is case-sensitive
        {"HTTP://example.cn/", "HTTP:example.cn"},
        {"exa'mple.cn", "example.cn"},
        {"' example.cn '", " example.cn "}, // spaces are trimmed before apostrophes go
        {"http://http://x.cn", "x.cn"},
        {"x.cn http://y", "x.cn http://y"}, // only a leading http:// triggers removal
        {"", ""},
        {"   ", ""},
        {"'", ""},
        {"/", ""},
        {"http://", ""},
        {"http:///", ""},
        {"\u3000x.cn", "\u3000x.cn"}, // only U+0020 is trimmed
        // An address pasted from a browser: https:// goes wherever http:// would.
        {"https://www.example.com/", "www.example.com"},
        {"https://example.cn/news/", "example.cnnews"},
        {"https://example.cn", "example.cn"},
        {" 'https://example.cn' ", "example.cn"},
        {"https://", ""},
        {"HTTPS://example.cn", "HTTPS://example.cn"},
        {"x.cn https://y", "x.cn https://y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cleanSite(QString::fromUtf8(c.typed)), QString::fromUtf8(c.clean)) << c.typed;
}

TEST(InputCleaning, KeywordKeepsInnerSpacesAndSlashes) {
    EXPECT_EQ(cleanKeyword(QStringLiteral("  seo 工具 ")), QStringLiteral("seo 工具"));
    EXPECT_EQ(cleanKeyword(QStringLiteral("it's")), QStringLiteral("its"));
    EXPECT_EQ(cleanKeyword(QStringLiteral("a/b/")), QStringLiteral("a/b/"));
    EXPECT_EQ(cleanKeyword(QStringLiteral("' '")), QStringLiteral(" "));
}
