#include "base/charset.h"

#include <gtest/gtest.h>

// One conversion call of the library takes sizes below 2^31, so long texts go through it in
// pieces of a mebibyte. An input whose converted form is larger than one call takes must still
// convert whole, characters across the pieces' borders included, not come back empty.
TEST(Charset, MoreThanAGibibyteConvertsWholeAcrossPieces) {
    constexpr qsizetype mebi = qsizetype(1) << 20;
    const qsizetype n = (qsizetype(1) << 30) + 2;
    QByteArray gbk(n, 'a');
    for (const qsizetype at : {qsizetype(0), mebi - 1, n - 2})
        gbk.replace(at, 2, "\xD6\xD0"); // 中, the second one across the first border
    QString text = charset::decodeGbk(gbk);
    gbk = {};
    ASSERT_EQ(text.size(), n - 3);
    EXPECT_EQ(text.mid(mebi - 3, 3), QStringLiteral("a中a"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("中a")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("a中")));

    text[mebi - 1] = QChar(0xD83D); // U+1F600 across the first border: one "?"
    text[mebi] = QChar(0xDE00);
    const QByteArray back = charset::encodeGbk(text);
    text = {};
    ASSERT_EQ(back.size(), n - 1);
    EXPECT_EQ(back.mid(mebi - 1, 4), QByteArray("\xD6\xD0?a"));
    EXPECT_TRUE(back.endsWith("a\xD6\xD0"));
}
