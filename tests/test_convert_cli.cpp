#include "cli_run.h"
#include "opencc_peer.h"
#include "script/opencc_conversion.h"

#include <gtest/gtest.h>

namespace {

QStringList words(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

} // namespace

TEST(ConvertCli, ChoicesStatusesAndOutput) {
    const struct {
        std::initializer_list<const char*> args;
        QByteArray in;
        int status;
        QByteArray out;
        const char* err; // a part of standard error
    } cases[] = {
        // The character tables, as before: 发 is always 發.
        {{"convert", "s2t", "头发发展"}, {}, 0, "頭發發展\n", ""},
        {{"convert", "--opencc", "s2t", "头发发展"}, {}, 0, "頭髮發展\n", ""},
        {{"convert", "头发", "--opencc", "s2twp"}, {}, 0, "頭髮\n", ""},
        {{"convert", "--opencc", "s2twp", "--json", " 鼠标 "},
         {},
         0,
         "{\"result\":\"滑鼠\"}\n",
         ""},
        {{"convert", "--opencc", "s2twp"}, "  鼠标\n软件 \n\n", 0, "滑鼠\n軟體 \n\n", ""},
        {{"convert", "--opencc", "tw2sp"}, "滑鼠", 0, "鼠标\n", ""},
        // Only the input's first bytes are a byte-order mark; a later U+FEFF is text, as OpenCC's
        // command keeps it. A faulty sequence reads as U+FFFD, as in an argument.
        {{"convert", "--opencc", "s2twp"},
         "\xEF\xBB\xBF\xEF\xBB\xBF鼠标\n",
         0,
         "\xEF\xBB\xBF滑鼠\n",
         ""},
        {{"convert", "s2t"}, "\xEF\xBB\xBF\xEF\xBB\xBF头发\n", 0, "\xEF\xBB\xBF頭發\n", ""},
        {{"convert", "--opencc", "s2twp"},
         "a\xE4\x41鼠标\n",
         0,
         "a\xEF\xBF\xBD"
         "A滑鼠\n",
         ""},
        {{"convert", "--opencc", "s2twp", "   "}, {}, 2, "", "为空"},
        {{"convert", "--opencc", "s2x", "中"}, {}, 2, "", "“s2x”"},
        {{"convert", "--opencc", "s2t", "s2t", "中"}, {}, 2, "", "--opencc"},
        {{"convert", "--opencc"}, {}, 2, "", "--opencc"},
        {{"convert"}, {}, 2, "", "s2t"},
        {{"convert", "s2t", "--set-lang", "中"}, {}, 2, "", "--html"},
        // A page comes back byte for byte, without a line end of ours.
        {{"convert", "--html", "--opencc", "s2twp"},
         " <p title=\"鼠标\" lang=zh-CN>软件</p>\r\n",
         0,
         " <p title=\"滑鼠\" lang=zh-CN>軟體</p>\r\n",
         ""},
        {{"convert", "--html", "--set-lang", "--opencc", "s2hk"},
         "<html lang=zh-CN>",
         0,
         "<html lang=zh-HK>",
         ""},
        {{"convert", "--html", "--set-lang", "t2s", "<p lang=\"zh-TW\">發展</p>"},
         {},
         0,
         "<p lang=\"zh-Hans\">发展</p>",
         ""},
        {{"convert", "--html", "--json", "--opencc", "s2twp", "<b>鼠标</b>"},
         {},
         0,
         "{\"result\":\"<b>滑鼠</b>\"}\n",
         ""},
        {{"convert", "--html", "s2t"}, "", 2, "", "空"},
        {{"convert", "--html", "s2t"}, "<p>\xD6\xD0</p>", 1, "", "UTF-8"},
    };
    for (const auto& c : cases) {
        const QStringList args = words(c.args);
        const CliRun r = runCli(args, c.in);
        EXPECT_EQ(r.status, c.status) << args.join(u' ').toStdString() << "\n"
                                      << r.err.toStdString();
        EXPECT_EQ(r.outBytes, c.out) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
    }
}

// Standard input is read in pieces; lines longer than a piece still convert as the command
// converts them whole.
TEST(ConvertCli, LongInputAsTheCommandConvertsIt) {
    SKIP_WITHOUT_OPENCC_COMMAND();
    const QList<QByteArray> phrases = corpusPhrases();
    QByteArray text;
    for (int round = 0; text.size() < 600'000; ++round)
        for (qsizetype i = 0; i < phrases.size(); ++i)
            text += phrases[(i * 7 + round) % phrases.size()] + (i % 5000 == 4999 ? "\n" : "，");
    text += '\n';
    const CliRun r = runCli(
        {QStringLiteral("convert"), QStringLiteral("--opencc"), QStringLiteral("s2twp")}, text);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.outBytes == openCcCommand("s2twp", text));
}

// Megabytes of standard input go to OpenCC in pieces, each in two halves at once; both end at
// line ends, so the result is the text converted line by line, whatever its lines hold: CRLF,
// a U+FEFF that is text, a NUL.
TEST(ConvertCli, LargeInputAsLineByLine) {
    const QList<QByteArray> phrases = corpusPhrases();
    const OpenCcConverter s2twp(QStringLiteral("s2twp"));
    QByteArray text;
    QByteArray want;
    for (int i = 0; text.size() < 3'000'000 || i % 4 != 0; ++i) {
        QByteArray line = i % 4 == 1 ? "\xEF\xBB\xBF" : "";
        for (int k = 0; k < 20; ++k)
            line += phrases[(i * 20 + k) % phrases.size()];
        if (i % 4 == 2)
            line += QByteArray("\0\r", 2);
        line += '\n';
        text += line;
        want += QByteArray::fromStdString(s2twp.convert(line.toStdString()));
    }
    const CliRun r = runCli(
        {QStringLiteral("convert"), QStringLiteral("--opencc"), QStringLiteral("s2twp")}, text);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.outBytes.size(), want.size());
    EXPECT_TRUE(r.outBytes == want);
}
