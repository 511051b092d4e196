#include "cli_run.h"
#include "history/history_store.h"
#include "history_samples.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class HistoryCli : public ::testing::Test {
protected:
    void SetUp() override {
        HistoryStore store(file);
        RunRecord rank = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 0,
                                   QStringLiteral("站长工具"));
        rank.figures = {
            numberFigure(QStringLiteral("Baidu"), 3),
            missingFigure(QStringLiteral("Google"), QStringLiteral("未查询到"), Why::NotFound)};
        store.record(rank);
        RunRecord survey = sampleRun(QStringLiteral("indexed"), QStringLiteral("b.cn"), 60 * 24);
        survey.figures = {numberFigure(QStringLiteral("Baidu"), 1234, QStringLiteral("约1,234"))};
        store.record(survey);
    }
    CliRun history(QStringList args) const {
        return runCli(QStringList{QStringLiteral("--history"), file, QStringLiteral("history")} +
                      args);
    }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("history.sqlite"));
};

// Root writes whatever the permissions say, so when the tests run as root the program runs as
// nobody, who then owns the files it may only read.
constexpr uid_t kNobody = 65534;

CliRun runAsReader(const QStringList& args) {
    QProcess p;
    if (::geteuid() == 0)
        p.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(127);
        });
    p.start(QStringLiteral(TESSIVO_CLI), args);
    p.closeWriteChannel();
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    const QByteArray out = p.readAllStandardOutput();
    return {ended ? p.exitCode() : -1, QString::fromUtf8(out),
            QString::fromUtf8(p.readAllStandardError()), out};
}

} // namespace

TEST_F(HistoryCli, JsonIsAnArrayOfRecordsNewestFirst) {
    for (const QStringList& args : {QStringList{QStringLiteral("--format"), QStringLiteral("json")},
                                    QStringList{QStringLiteral("--json")}}) {
        const CliRun r = history(args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QJsonArray runs = QJsonDocument::fromJson(r.outBytes).array();
        ASSERT_EQ(runs.size(), 2);
        EXPECT_EQ(runs[0][QStringLiteral("tool")].toString(), QStringLiteral("indexed"));
        EXPECT_EQ(runs[1][QStringLiteral("keyword")].toString(), QStringLiteral("站长工具"));
        EXPECT_TRUE(runs[1][QStringLiteral("figures")][1][QStringLiteral("number")].isNull());
    }
}

TEST_F(HistoryCli, CsvHasAByteOrderMarkAHeaderAndARowARun) {
    const CliRun r = history({QStringLiteral("--format"), QStringLiteral("csv")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.outBytes.startsWith("\xEF\xBB\xBF"
                                      "编号,工具,输入,"));
    EXPECT_EQ(r.outBytes.count("\r\n"), 3);
    EXPECT_TRUE(r.outBytes.contains(",Baidu,Google\r\n"));
}

TEST_F(HistoryCli, TableHasAHeaderAndALineARun) {
    const CliRun r = history({});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("编号")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("约1,234")));
}

TEST_F(HistoryCli, CsvHeadersAreChineseUnlessAScriptAsksForEnglish) {
    const CliRun r = history(
        {QStringLiteral("--format"), QStringLiteral("csv"), QStringLiteral("--english-headers")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.outBytes.startsWith("\xEF\xBB\xBF"
                                      "id,tool,input,"));
    EXPECT_TRUE(r.outBytes.contains(",done,")) << r.outBytes.toStdString();
}

TEST_F(HistoryCli, FiltersNarrowTheList) {
    const struct {
        QStringList args;
        int runs;
    } cases[] = {
        {{QStringLiteral("--tool"), QStringLiteral("keyword-rank")}, 1},
        {{QStringLiteral("--input"), QStringLiteral("b.cn")}, 1},
        {{QStringLiteral("--input"), QStringLiteral("c.cn")}, 0},
        {{QStringLiteral("--since"), QStringLiteral("2026-11-03T07:00:00Z")}, 1},
        {{QStringLiteral("--since"), QStringLiteral("2026-10-01")}, 2},
        {{QStringLiteral("--since"), QStringLiteral("2027-01-01")}, 0},
    };
    for (const auto& c : cases) {
        const CliRun r = history(c.args + QStringList{QStringLiteral("--json")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(r.outBytes).array().size(), c.runs)
            << c.args.join(u' ').toStdString();
    }
}

TEST_F(HistoryCli, TheNewestFiftyAreListedUnlessMoreAreAskedForAndTheCutIsTold) {
    {
        HistoryStore store(file);
        for (int i = 0; i < 60; ++i)
            store.record(sampleRun(QStringLiteral("whois"), QStringLiteral("c%1.cn").arg(i),
                                   10 * 24 * 60 + i));
    }
    const struct {
        QStringList args;
        int listed;
        bool cut;
    } cases[] = {
        {{}, 50, true},
        {{QStringLiteral("--limit"), QStringLiteral("3")}, 3, true},
        {{QStringLiteral("--limit"), QStringLiteral("62")}, 62, false},
        {{QStringLiteral("--all")}, 62, false},
    };
    for (const auto& c : cases)
        for (const QString& format : {QStringLiteral("json"), QStringLiteral("csv")}) {
            const CliRun r = history(c.args + QStringList{QStringLiteral("--format"), format});
            const std::string what = (c.args.join(u' ') + u' ' + format).toStdString();
            ASSERT_EQ(r.status, 0) << what << r.err.toStdString();
            if (format == QLatin1String("json")) {
                const QJsonArray runs = QJsonDocument::fromJson(r.outBytes).array();
                ASSERT_EQ(runs.size(), c.listed) << what;
                EXPECT_EQ(runs[0][QStringLiteral("input")].toString(), QStringLiteral("c59.cn"));
            } else {
                EXPECT_EQ(r.outBytes.count("\r\n"), c.listed + 1) << what;
            }
            EXPECT_EQ(r.err.contains(QStringLiteral("--all")), c.cut) << what;
        }
}

TEST_F(HistoryCli, CheckSaysWhetherTheFileIsSound) {
    CliRun r = history({QStringLiteral("--check")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("完好"))) << r.out.toStdString();

    {
        HistoryStore store(file);
        for (int i = 0; i < 300; ++i)
            store.record(sampleRun(QStringLiteral("whois"), QStringLiteral("c%1.cn").arg(i), i));
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    for (qsizetype i = 4096 + 1024; i < bytes.size(); i += 4096)
        std::fill(bytes.begin() + i, bytes.begin() + i + 512, '\xA5');
    f.seek(0);
    f.write(bytes);
    f.close();
    r = history({QStringLiteral("--check")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("已损坏"))) << r.err.toStdString();
}

TEST_F(HistoryCli, WrongOptionsAreUsageErrors) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{QStringLiteral("--format"), QStringLiteral("xml")}, "--format 应为"},
        {{QStringLiteral("--tool"), QStringLiteral("ping")}, "--tool 应为"},
        {{QStringLiteral("--since"), QStringLiteral("yesterday")}, "--since 应为"},
        {{QStringLiteral("--since")}, "--since 后缺少日期"},
        {{QStringLiteral("extra")}, "参数个数不对"},
        {{QStringLiteral("--limit"), QStringLiteral("0")}, "--limit 应为正整数"},
        {{QStringLiteral("--limit"), QStringLiteral("ten")}, "--limit 应为正整数"},
        {{QStringLiteral("--all"), QStringLiteral("--limit"), QStringLiteral("3")}, "只能用一个"},
    };
    for (const auto& c : cases) {
        const CliRun r = history(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(HistoryCli, AFileThatIsNotOursEndsWithStatusOneNamingIt) {
    const QString other = dir.filePath(QStringLiteral("notes.txt"));
    QFile f(other);
    f.open(QIODevice::WriteOnly);
    f.write("not a database\n");
    f.close();
    const CliRun r = runCli({QStringLiteral("--history"), other, QStringLiteral("history")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(other)) << r.err.toStdString();
}

TEST_F(HistoryCli, AMissingFileListsNothingAndIsNotCreated) {
    const QString missing = dir.filePath(QStringLiteral("none/history.sqlite"));
    const CliRun r = runCli({QStringLiteral("--history"), missing, QStringLiteral("--json"),
                             QStringLiteral("history")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(r.outBytes).array().size(), 0);
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(HistoryCli, AReadOnlyHistoryIsListedAndRecordingSaysWhatIsReadOnly) {
    // Not under the test run's own folder, which only its owner may enter.
    QTemporaryDir shared(QDir::tempPath() + QStringLiteral("/tessivo-read-only-XXXXXX"));
    ASSERT_TRUE(QFile::setPermissions(shared.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ExeOther));
    const QString folder = shared.filePath(QStringLiteral("history"));
    const QString copy = folder + QStringLiteral("/history.sqlite");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(file, copy));
    if (::geteuid() == 0) {
        for (const QString& path : {folder, copy})
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
    }
    const QFile::Permissions readable = QFile::ReadOwner;
    const struct {
        const char* what;
        QFile::Permissions folder;
        const char* says;
    } cases[] = {
        {"read-only folder", readable | QFile::ExeOwner, "所在的文件夹"},
        {"read-only file", readable | QFile::WriteOwner | QFile::ExeOwner, "是只读的"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(QFile::setPermissions(folder, c.folder));
        ASSERT_TRUE(QFile::setPermissions(copy, readable));
        const CliRun listed = runAsReader({QStringLiteral("--history"), copy,
                                           QStringLiteral("--json"), QStringLiteral("history")});
        EXPECT_EQ(listed.status, 0) << c.what << ": " << listed.err.toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(listed.outBytes).array().size(), 2) << c.what;

        const CliRun recorded =
            runAsReader({QStringLiteral("--history"), copy, QStringLiteral("--demo"),
                         QStringLiteral("indexed"), QStringLiteral("c.cn")});
        EXPECT_EQ(recorded.status, 0) << c.what << ": " << recorded.err.toStdString();
        EXPECT_TRUE(recorded.err.contains(copy)) << recorded.err.toStdString();
        EXPECT_TRUE(recorded.err.contains(QString::fromUtf8(c.says))) << recorded.err.toStdString();
        EXPECT_FALSE(recorded.err.contains(QStringLiteral("已损坏"))) << recorded.err.toStdString();
    }

    // Listing left nothing beside the file that keeps its owner from writing it again.
    ASSERT_TRUE(QFile::setPermissions(folder, readable | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(copy, readable | QFile::WriteOwner));
    const CliRun recorded =
        runAsReader({QStringLiteral("--history"), copy, QStringLiteral("--demo"),
                     QStringLiteral("indexed"), QStringLiteral("c.cn")});
    EXPECT_FALSE(recorded.err.contains(copy)) << recorded.err.toStdString();
    const CliRun listed = runAsReader(
        {QStringLiteral("--history"), copy, QStringLiteral("--json"), QStringLiteral("history")});
    EXPECT_EQ(QJsonDocument::fromJson(listed.outBytes).array().size(), 3)
        << listed.err.toStdString();
}
