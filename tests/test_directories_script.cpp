#include "base/charset.h"
#include "base/program_folder.h"
#include "base/text_file.h"
#include "base/tool_error.h"
#include "directories/directory_lists.h"
#include "program_folder_guard.h"
#include "script/script_conversion.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A program folder of the test's own, with config/ files written as GBK.
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("config"))); }

    void write(const char* name, const QString& text) {
        QFile f(dir.path() + QStringLiteral("/config/") + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(charset::encodeGbk(text));
    }

    QList<QStringList> rows(const char* list) {
        QList<QStringList> out;
        readDirectoryList(*findDirectoryList(QLatin1String(list)),
                          [&](const QString& s, const QString& a) {
                              out << QStringList{s, a};
                          });
        return out;
    }

    QTemporaryDir dir;
    const ProgramFolderGuard folder{dir.path()};
};

} // namespace

TEST(TextFile, LineEnds) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    const struct {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\n c", {"a", "b\n c"}},
        {"\r\n\r\nx", {"", "", "x"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(c.bytes);
        f.close();
        EXPECT_EQ(readAnsiLines(path), c.lines) << c.bytes.toStdString();
    }
    EXPECT_THROW(readAnsiLines(dir.filePath(QStringLiteral("missing.txt"))), ToolError);
}

TEST_F(DataFolder, ListFormat) {
    write("cn_blog.ini",
          QStringLiteral("; 博客\r\n\r\nA^_^B^_^C\r\n^_^\r\n名称 ^_^ http://x.cn/\r\n"
                         "没有分隔符\r\n最后^_^http://last.cn"));
    const QList<QStringList> expected = {
        {"A", "C"}, {"", ""}, {"名称 ", " http://x.cn/"}, {"最后", "http://last.cn"}};
    EXPECT_EQ(rows("cn_blog"), expected);

    write("cn_bbs.ini", QStringLiteral("A^_^B^_^C\r\nhttp://bbs.cn/^_^论坛\r\n"));
    EXPECT_EQ(rows("cn_bbs"), (QList<QStringList>{{"C", "A"}, {"论坛", "http://bbs.cn/"}}));
    EXPECT_THROW(rows("en_blog"), ToolError);
    EXPECT_EQ(QString::fromUtf8(findDirectoryList(QStringLiteral("cn_b2c"))->siteHeader),
              QStringLiteral("论坛网站名称"));
}

TEST(DirectoryLists, OnlyWebAddressesOpen) {
    const struct {
        const char* address;
        const char* opened;
    } cases[] = {
        {"https://www.jd.com/", "https://www.jd.com/"},
        {"www.baidu.com", "http://www.baidu.com"},
        {" http://x.cn ", "http://x.cn"},
        {"", ""},
        {"file:///etc/passwd", ""},
        {"javascript:alert(1)", ""},
        {"C:\\Windows\\notepad.exe", ""},
        {"ftp://x.cn/", ""},
        {"www.x.cn:8080/a", "http://www.x.cn:8080/a"},
        {"mailto:a@b.cn", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(webAddressOf(QString::fromUtf8(c.address)), QString::fromUtf8(c.opened))
            << c.address;
}

TEST(ScriptConversion, WithTables) {
    const struct {
        const char* text;
        const char* from;
        const char* to;
        const char* result;
    } cases[] = {
        {"国家发展", "国发展", "國發展", "國家發展"},
        {"abc 123", "国", "國", "abc 123"},
        {"后", "后后", "後后", "後"}, // a duplicate converts as its first position
        {"国发", "国发", "國", "國"}, // beyond the shorter table: dropped
        {"", "国", "國", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScriptConverter(QString::fromUtf8(c.from), QString::fromUtf8(c.to))
                      .convert(QString::fromUtf8(c.text)),
                  QString::fromUtf8(c.result))
            << c.text;
}

TEST_F(DataFolder, ConversionReadsTheLastLineAndTrims) {
    write("jianti.txt", QStringLiteral("旧表\r\n国发"));
    write("fanti.txt", QStringLiteral("舊表\r\n國發\r\n"));
    ScriptConversion c =
        convertScript(ScriptDirection::SimplifiedToTraditional, QStringLiteral("  发国旧  "));
    EXPECT_TRUE(c.converted);
    EXPECT_EQ(c.result, QStringLiteral("發國旧"));
    c = convertScript(ScriptDirection::TraditionalToSimplified, QStringLiteral("發國"));
    EXPECT_EQ(c.result, QStringLiteral("发国"));
    EXPECT_FALSE(
        convertScript(ScriptDirection::SimplifiedToTraditional, QStringLiteral("   ")).converted);
}

TEST_F(DataFolder, MissingTraditionalTableFailsEvenForEmptyInput) {
    write("jianti.txt", QStringLiteral("国"));
    EXPECT_THROW(convertScript(ScriptDirection::SimplifiedToTraditional, QString()), ToolError);
    EXPECT_THROW(convertScript(ScriptDirection::TraditionalToSimplified, QStringLiteral("國")),
                 ToolError);
}

// The files that ship beside the program.
class ShippedData : public ::testing::Test {
protected:
    const ProgramFolderGuard folder{QStringLiteral(TESSIVO_SOURCE_DIR)};
};

TEST_F(ShippedData, EveryListParsesWithWebAddresses) {
    for (const DirectoryList& list : directoryLists()) {
        int n = 0;
        QSet<QString> seen;
        readDirectoryList(list, [&](const QString& site, const QString& address) {
            ++n;
            EXPECT_FALSE(site.isEmpty()) << list.name;
            EXPECT_TRUE(address.startsWith(QStringLiteral("http://")) ||
                        address.startsWith(QStringLiteral("https://")))
                << list.name << ": " << address.toStdString();
            EXPECT_EQ(webAddressOf(address), address) << address.toStdString();
            EXPECT_FALSE(seen.contains(address)) << "twice: " << address.toStdString();
            seen.insert(address);
        });
        EXPECT_GE(n, 20) << list.name;
    }
}

TEST_F(ShippedData, CharacterTablesAreAlignedAndConsistent) {
    const QString s =
        readAnsiLines(program_folder::file(QStringLiteral("/config/jianti.txt"))).back();
    const QString t =
        readAnsiLines(program_folder::file(QStringLiteral("/config/fanti.txt"))).back();
    EXPECT_EQ(s.size(), t.size());
    EXPECT_GE(s.size(), 2500);
    EXPECT_EQ(QSet<QChar>(s.begin(), s.end()).size(), s.size()) << "a simplified character twice";
    const ScriptConverter toTraditional(s, t);
    const ScriptConverter toSimplified(t, s);
    EXPECT_EQ(toTraditional.convert(QStringLiteral("发国门书这")), QStringLiteral("發國門書這"));
    // Round trip on the characters whose traditional form is theirs alone.
    QString oneToOne;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (t.indexOf(t[i]) == i)
            oneToOne += s[i];
    EXPECT_EQ(toSimplified.convert(toTraditional.convert(oneToOne)), oneToOne);
}
