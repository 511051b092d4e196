#include "base/charset.h"

#include <gtest/gtest.h>

// One conversion call of ICU takes sizes below 2^31, so charset::decode feeds its converter
// pieces of a mebibyte. A page larger than a gibibyte must still convert whole, a character that
// a piece's border splits included, not come back empty.
TEST(Charset, IcuDecodesMoreThanAGibibyteWholeAcrossPieces) {
    constexpr qsizetype mebi = qsizetype(1) << 20;
    const qsizetype n = (qsizetype(1) << 30) + 3;
    const struct {
        const char* charset;
        QByteArray zhong; // 中
    } cases[] = {
        {"GBK", "\xD6\xD0"},       // split one byte and one
        {"UTF-8", "\xE4\xB8\xAD"}, // split one byte and two
    };
    for (const auto& c : cases) {
        const qsizetype extra = c.zhong.size() - 1; // the bytes 中 has beyond its one unit
        QByteArray bytes(n, 'a');
        for (const qsizetype at : {qsizetype(0), mebi - 1, n - c.zhong.size()})
            bytes.replace(at, c.zhong.size(), c.zhong); // the second one across the first border
        const std::optional<QString> text = charset::decode(bytes, c.charset);
        bytes = {};
        ASSERT_TRUE(text) << c.charset;
        ASSERT_EQ(text->size(), n - 3 * extra) << c.charset;
        EXPECT_EQ(text->mid(mebi - 2 - extra, 3), QStringLiteral("a中a")) << c.charset;
        EXPECT_TRUE(text->startsWith(QStringLiteral("中a"))) << c.charset;
        EXPECT_TRUE(text->endsWith(QStringLiteral("a中"))) << c.charset;
    }
}
