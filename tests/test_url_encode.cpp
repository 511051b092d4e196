#include "net/url_encode.h"

#include <gtest/gtest.h>

TEST(URLEncode, Cases) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"seo 工具", "seo+%B9%A4%BE%DF"},
        {"中国", "%D6%D0%B9%FA"},
        {"網站", "%BEW%D5%BE"},
        {"a.b", "a%2Eb"},
        {"", ""},
        {"a b", "a+b"},
        {"a  b", "a++b"},
        {"a-b", "a%2Db"},
        {"_.~*", "%5F%2E%7E%2A"},
        {"%+", "%25%2B"},
        {"\n\t", "%0A%09"},
        {"AbZz09", "AbZz09"},
        {"€", "%80"},          // GBK's one single byte above 0x7F besides 0xFF
        {"\U0001F600", "%3F"}, // no GBK code: encoded as "?"
        {"a\u200Bb", "a%3Fb"}, // invisible, but not nothing
        {"\u00AD\uFEFF\uFE0F", "%3F%3F%3F"},
        {"丂", "%81@"}, // trail byte 0x40 appended as it is
    };
    for (const auto& c : cases)
        EXPECT_EQ(URLEncode(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(URLEncode, TrailBytesBelowA0StayRawIncludingTheHighOnes) {
    const QString out = URLEncode(QStringLiteral("亐")); // GBK 81 80
    ASSERT_EQ(out.size(), 4);
    EXPECT_EQ(out.left(3), QStringLiteral("%81"));
    EXPECT_EQ(out[3].unicode(), 0x80);
}

TEST(URLEncode, Gb2312CharactersAlwaysGiveSixCharacters) {
    for (const QChar c : QStringLiteral("的一是在不了有和人这中大为上个国我以要他"))
        EXPECT_EQ(URLEncode(QString(c)).size(), 6) << QString(c).toStdString();
}
