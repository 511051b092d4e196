#include "base/tool_error.h"
#include "opencc_peer.h"
#include "script/opencc_conversion.h"

#include <QDir>
#include <QTemporaryDir>
#include <random>

namespace {

std::string ours(const OpenCcConverter& c, const QByteArray& text) {
    return c.convert(std::string_view(text.constData(), size_t(text.size())));
}

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ToolError& e) {
        return e.description();
    }
    return {};
}

} // namespace

// The words phrase dictionaries exist for: 发 is 髮 in 头发 and 發 in 发展, and Taiwan writes
// 滑鼠 and 軟體 where the mainland writes 鼠标 and 软件.
TEST(OpenCcConversion, WorkedExamples) {
    const struct {
        const char* config;
        const char* in;
        const char* out;
    } cases[] = {
        {"s2t", "头发 发展 鼠标 软件", "頭髮 發展 鼠標 軟件"},
        {"s2tw", "头发 发展 鼠标 软件", "頭髮 發展 鼠標 軟件"},
        {"s2twp", "头发 发展 鼠标 软件", "頭髮 發展 滑鼠 軟體"},
        {"s2hk", "头发 发展 鼠标 软件", "頭髮 發展 鼠標 軟件"},
        {"tw2sp", "頭髮 發展 滑鼠 軟體", "头发 发展 鼠标 软件"},
        {"tw2s", "頭髮 發展 滑鼠 軟體", "头发 发展 滑鼠 软体"},
        {"t2s", "頭髮 發展", "头发 发展"},
        {"hk2s", "頭髮 發展", "头发 发展"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ours(OpenCcConverter(QString::fromLatin1(c.config)), c.in), c.out) << c.config;
}

// Every configuration, every phrase of the corpus, against the command on the same text.
TEST(OpenCcConversion, CorpusAsTheCommandConvertsIt) {
    SKIP_WITHOUT_OPENCC_COMMAND();
    const QList<QByteArray> phrases = corpusPhrases();
    ASSERT_GE(phrases.size(), 300);
    const QByteArray text = phrases.join('\n') + '\n';
    for (const OpenCcConfig& config : openCcConfigs()) {
        const OpenCcConverter converter(QString::fromLatin1(config.name));
        const QList<QByteArray> expected = openCcCommand(config.name, text).split('\n');
        ASSERT_EQ(expected.size(), phrases.size() + 1) << config.name;
        int wrong = 0;
        for (qsizetype i = 0; i < phrases.size() && wrong < 5; ++i) {
            const std::string got = ours(converter, phrases[i]);
            EXPECT_EQ(got, expected[i].toStdString())
                << config.name << ": " << phrases[i].toStdString();
            wrong += got != expected[i].toStdString();
        }
        EXPECT_EQ(ours(converter, text), (expected.join('\n')).toStdString()) << config.name;
    }
}

// One long text of the corpus's phrases run together, few line ends, punctuation between.
TEST(OpenCcConversion, LongTextAsTheCommandConvertsIt) {
    SKIP_WITHOUT_OPENCC_COMMAND();
    const QList<QByteArray> phrases = corpusPhrases();
    std::mt19937 random(25);
    const char* const between[] = {"", "，", "。", "的", "和", " ", "、", "\n"};
    QByteArray text;
    while (text.size() < 400'000) {
        text += phrases[qsizetype(random() % phrases.size())];
        text += between[random() % std::size(between)];
    }
    for (const char* name : {"s2twp", "tw2sp", "s2hk"}) {
        const std::string got = ours(OpenCcConverter(QString::fromLatin1(name)), text);
        EXPECT_TRUE(got == openCcCommand(name, text).toStdString()) << name;
    }
}

// Through QString as the window converts: appended, and a NUL does not end the text.
TEST(OpenCcConversion, UnicodeTextAndNul) {
    const OpenCcConverter c(QStringLiteral("s2twp"));
    QString out = QStringLiteral("前：");
    c.convert(QStringLiteral("鼠标") + QChar(0) + QStringLiteral("软件𠀀"), out);
    EXPECT_EQ(out, QStringLiteral("前：滑鼠") + QChar(0) + QStringLiteral("軟體𠀀"));
    EXPECT_EQ(ours(c, QByteArray()), "");
}

TEST(OpenCcConversion, ErrorsNameWhatIsMissing) {
    QString e = errorOf([] { OpenCcConverter(QStringLiteral("s2x")); });
    EXPECT_TRUE(e.contains(QStringLiteral("“s2x”"))) << e.toStdString();
    EXPECT_TRUE(e.contains(QStringLiteral("s2twp"))) << e.toStdString(); // what there is
    EXPECT_TRUE(errorOf([] { OpenCcConverter(QStringLiteral("S2T")); }).contains(u"S2T"));
    EXPECT_TRUE(errorOf([] { OpenCcConverter(QStringLiteral("jp2t")); }).contains(u"jp2t"));

    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    e = errorOf([&] { OpenCcConverter(QStringLiteral("s2twp"), data.path()); });
    EXPECT_TRUE(e.contains(QDir(data.path()).filePath(QStringLiteral("s2twp.json"))))
        << e.toStdString();
    EXPECT_TRUE(e.contains(QStringLiteral("libopencc-data")));

    // A configuration whose dictionary is not there.
    QFile config(QDir(data.path()).filePath(QStringLiteral("s2t.json")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(R"({"name": "x", "segmentation": {"type": "mmseg", "dict": {"type": "ocd2",
        "file": "NoSuchPhrases.ocd2"}}, "conversion_chain": [{"dict": {"type": "ocd2",
        "file": "NoSuchPhrases.ocd2"}}]})");
    config.close();
    e = errorOf([&] { OpenCcConverter(QStringLiteral("s2t"), data.path()); });
    EXPECT_TRUE(e.contains(QStringLiteral("NoSuchPhrases.ocd2"))) << e.toStdString();

    ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write("{ not json");
    config.close();
    e = errorOf([&] { OpenCcConverter(QStringLiteral("s2t"), data.path()); });
    EXPECT_TRUE(e.contains(QStringLiteral("s2t.json"))) << e.toStdString();
}
