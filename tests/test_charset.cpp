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

// A page read as GBK turns to UTF-8 only when its label or a UTF-8 byte-order mark says so and
// its bytes are UTF-8; anything else keeps the GBK reading.
TEST(Charset, GbkPagesSaidToBeUtf8AndMadeOfItReadAsUtf8) {
    const QByteArray utf8 = QStringLiteral("<body>关键词 seo</body>").toUtf8();
    const QByteArray gbk = charset::encodeGbk(QStringLiteral("<body>关键词 seo</body>"));
    const QByteArray bom = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        QByteArray contentType;
        QByteArray body;
        bool readAsUtf8;
    } cases[] = {
        {"utf-8 in the header, no meta tag", "text/html; charset=utf-8", utf8, true},
        {"UTF-8 in capitals", "text/html; charset=UTF-8", utf8, true},
        {"quoted", "text/html; charset=\"utf-8\"", utf8, true},
        {"utf8 without the dash, then more parameters", "text/html;charset=utf8; x=y", utf8, true},
        {"a byte-order mark, no header", "", bom + utf8, true},
        {"a byte-order mark under a gbk label", "text/html; charset=gbk", bom + utf8, true},
        {"GBK bytes under a utf-8 label", "text/html; charset=utf-8", gbk, false},
        {"a byte-order mark before GBK bytes", "", bom + gbk, false},
        {"a gbk label", "text/html; charset=gbk", utf8, false},
        {"no header, UTF-8 bytes", "", utf8, false},
        {"no charset, UTF-8 bytes", "text/html", utf8, false},
        {"utf-8 in another parameter", "text/html; x=utf-8", utf8, false},
    };
    for (const auto& c : cases) {
        const QString expected =
            c.readAsUtf8 ? QStringLiteral("<body>关键词 seo</body>") : charset::decodeGbk(c.body);
        EXPECT_EQ(charset::decodePage(c.body, c.contentType, Decode::Gbk), expected) << c.name;
    }
}
