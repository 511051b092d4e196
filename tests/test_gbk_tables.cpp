// The table codec against ICU's converter, which it was filled from and must stay identical to:
// every byte and pair, every BMP unit, the ways a sequence can break, and long random texts.
#include "base/charset.h"
#include "research/text_measures.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <memory>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

namespace {

// What encodeGbk did before the tables: ICU's converter with "?" for every unencodable
// character, the default-ignorable ones too.
QByteArray icuEncode(const QString& text) {
    UErrorCode err = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, void (*)(UConverter*)> c(ucnv_open("GBK", &err), ucnv_close);
    ucnv_setSubstChars(c.get(), "?", 1, &err);
    ucnv_setFromUCallBack(
        c.get(),
        [](const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t, UChar32,
           UConverterCallbackReason reason, UErrorCode* e) {
            if (reason <= UCNV_IRREGULAR) {
                *e = U_ZERO_ERROR;
                ucnv_cbFromUWriteSub(args, 0, e);
            }
        },
        nullptr, nullptr, nullptr, &err);
    QByteArray out(text.size() * 2 + 16, Qt::Uninitialized);
    char* target = out.data();
    const auto* source = reinterpret_cast<const UChar*>(text.constData());
    ucnv_fromUnicode(c.get(), &target, out.data() + out.size(), &source, source + text.size(),
                     nullptr, true, &err);
    EXPECT_TRUE(U_SUCCESS(err));
    out.truncate(target - out.constData());
    return out;
}

// What decodeGbk did before the tables: ICU's converter, which the generic decoding still is.
QString icuDecode(const QByteArray& bytes) {
    return *charset::decode(bytes, "GBK");
}

qsizetype surrogatePairs(const QString& text) {
    qsizetype pairs = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            ++pairs;
            ++i;
        }
    return pairs;
}

} // namespace

TEST(GbkTables, EveryByteAndPairDecodesAsIcuDoes) {
    QByteArray all;
    for (int lead = 0; lead < 256; ++lead) {
        const QByteArray one(1, char(lead));
        ASSERT_EQ(charset::decodeGbk(one), icuDecode(one)) << lead;
        for (int second = 0; second < 256; ++second) {
            const QByteArray two{one + char(second)};
            ASSERT_EQ(charset::decodeGbk(two), icuDecode(two)) << lead << " " << second;
            all += two;
        }
    }
    EXPECT_EQ(charset::decodeGbk(all), icuDecode(all));
}

TEST(GbkTables, BrokenSequencesDecodeAsIcuDoes) {
    const char* cases[] = {
        "\x81",             // a lead byte at the end
        "a\xD6",            // the same after ASCII
        "\xD6\xD0\xD6",     // after a whole character
        "\x81\x30\xD6\xD0", // a digit cannot follow a lead: both are read on their own
        "\x81\x7F",         // nor can DEL
        "\x81\xFF\xD6\xD0", // nor 0xFF
        "\x80\xFF",         // the euro sign and 0xFF alone
        "\xD6\x0A\xD0",     // a line feed after a lead stays a line feed
        "\xFE\xFE\xFE",     // a pair, then a lead at the end
        "abcdefgh\xD6\xD0ijklmnopq\x81",
    };
    for (const char* c : cases)
        EXPECT_EQ(charset::decodeGbk(c), icuDecode(c)) << c;
    EXPECT_TRUE(charset::decodeGbk({}).isEmpty());
}

TEST(GbkTables, EveryBmpUnitEncodesAsIcuDoes) {
    QString all;
    for (int u = 0; u < (1 << 16); ++u) {
        const QString one{QChar(char16_t(u))};
        ASSERT_EQ(charset::encodeGbk(one), icuEncode(one)) << u;
        if (!QChar::isSurrogate(char16_t(u)))
            all += one;
    }
    EXPECT_EQ(charset::encodeGbk(all), icuEncode(all));
}

TEST(GbkTables, SurrogatesEncodeAsIcuDoes) {
    const struct {
        const char* name;
        QString text;
    } cases[] = {
        {"a pair", QStringLiteral("a\U0001F600b")},
        {"a lone high", QStringView(u"a\xD83D"
                                    u"b")
                            .toString()},
        {"a lone low", QStringView(u"a\xDE00"
                                   u"b")
                           .toString()},
        {"a high at the end", QStringView(u"abcd\xD83D").toString()},
        {"a high before a pair", QStringView(u"\xD83D\xD83D\xDE00").toString()},
        {"low then high", QStringView(u"\xDE00\xD83D").toString()},
        {"a pair after ASCII runs", QStringLiteral("abcdefg\U00010400中")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(charset::encodeGbk(c.text), icuEncode(c.text)) << c.name;
        EXPECT_EQ(getByteLength(c.text), icuEncode(c.text).size() + surrogatePairs(c.text))
            << c.name;
    }
    EXPECT_TRUE(charset::encodeGbk({}).isEmpty());
}

TEST(GbkTables, RandomTextsConvertAsIcuDoes) {
    QRandomGenerator random(14);
    // Bytes weighted towards leads and ASCII, so runs and broken pairs both come often.
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(int(random.bounded(1, 20000)), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(3) == 0 ? random.bounded(0x80) : random.bounded(256));
        ASSERT_EQ(charset::decodeGbk(bytes), icuDecode(bytes)) << round;
        QString text(int(random.bounded(1, 20000)), Qt::Uninitialized);
        for (QChar& u : text)
            u = QChar(
                char16_t(random.bounded(4) == 0 ? random.bounded(0x80) : random.bounded(1 << 16)));
        ASSERT_EQ(charset::encodeGbk(text), icuEncode(text)) << round;
        ASSERT_EQ(getByteLength(text), icuEncode(text).size() + surrogatePairs(text)) << round;
    }
}
