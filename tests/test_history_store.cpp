#include "base/tool_error.h"
#include "history/history_store.h"
#include "history_samples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Raw SQL on a file, beside the store: for what the store's interface does not show and for
// files the store would refuse to make.
class RawDatabase {
public:
    explicit RawDatabase(const QString& path) : name_(QStringLiteral("raw-%1").arg(++count_)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.open();
    }
    ~RawDatabase() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    void exec(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QVariant scalar(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        if (!q.exec(sql) || !q.next())
            return {};
        return q.value(0);
    }

private:
    static inline int count_ = 0;
    QString name_;
};

QByteArray contents(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class HistoryStoreTest : public ::testing::Test {
protected:
    QString file(const char* name = "history.sqlite") const {
        return dir.filePath(QString::fromUtf8(name));
    }
    QTemporaryDir dir;
};

QList<qint64> idsOf(const QList<RunRecord>& runs) {
    QList<qint64> ids;
    for (const RunRecord& r : runs)
        ids << r.id;
    return ids;
}

} // namespace

TEST_F(HistoryStoreTest, ARunComesBackAsItWasRecorded) {
    RunRecord run = sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("example.cn"), 0,
                              QStringLiteral("站长工具"), RunEnd::Failed);
    run.started = run.started.addMSecs(123);
    run.options = {{QStringLiteral("pages"), 10}};
    run.demo = true;
    run.figures = {
        numberFigure(QStringLiteral("Baidu"), 3),
        missingFigure(QStringLiteral("Google"), QStringLiteral("-"), Why::Failed,
                      QStringLiteral("连接超时")),
        missingFigure(QStringLiteral("Sogou"), QStringLiteral("未查询到"), Why::NotFound)};
    run.figures[0].address = QStringLiteral("http://127.0.0.1/s?wd=%E7%AB%99");

    HistoryStore store(file());
    const qint64 id = store.record(run);
    const QList<RunRecord> back = store.runs({});
    ASSERT_EQ(back.size(), 1);
    const RunRecord& r = back[0];
    EXPECT_EQ(r.id, id);
    EXPECT_EQ(r.tool, run.tool);
    EXPECT_EQ(r.input, run.input);
    EXPECT_EQ(r.keyword, run.keyword);
    EXPECT_EQ(r.options, run.options);
    EXPECT_EQ(r.started, run.started);
    EXPECT_EQ(r.ended, run.ended);
    EXPECT_EQ(r.end, RunEnd::Failed);
    EXPECT_EQ(r.error, run.error);
    EXPECT_TRUE(r.demo);
    ASSERT_EQ(r.figures.size(), 3);
    for (qsizetype i = 0; i < 3; ++i) {
        EXPECT_EQ(r.figures[i].label, run.figures[i].label);
        EXPECT_EQ(r.figures[i].text, run.figures[i].text);
        EXPECT_EQ(r.figures[i].number, run.figures[i].number);
        EXPECT_EQ(r.figures[i].why, run.figures[i].why);
        EXPECT_EQ(r.figures[i].detail, run.figures[i].detail);
        EXPECT_EQ(r.figures[i].address, run.figures[i].address);
    }
}

TEST_F(HistoryStoreTest, ALoneSurrogateIsStoredAsAReplacementCharacterNotJoinedToTheNext) {
    const QChar high(0xD800), low(0xDC00), fffd(QChar::ReplacementCharacter);
    const QString smile = QString::fromUtf8("😀");
    const struct {
        QString given, stored;
    } cases[] = {
        {QStringLiteral("a") + high + QStringLiteral("b"), QStringLiteral("a") + fffd + u'b'},
        {QStringLiteral("a") + low + QStringLiteral("b"), QStringLiteral("a") + fffd + u'b'},
        {QStringLiteral("站") + high, QStringLiteral("站") + fffd},
        {QString(high) + high + low, QString(fffd) + high + low},
        {QString(low) + high, QString(fffd) + fffd},
        {smile + QStringLiteral("长"), smile + QStringLiteral("长")},
    };
    HistoryStore store(file());
    for (const auto& c : cases) {
        RunRecord run = sampleRun(QStringLiteral("related"), c.given, 0, c.given);
        run.figures = {Figure{c.given, c.given, std::nullopt, Why::None, c.given, c.given}};
        const qint64 id = store.record(run);
        RunRecord back;
        for (const RunRecord& r : store.runs({}))
            if (r.id == id)
                back = r;
        ASSERT_EQ(back.figures.size(), 1);
        for (const QString& stored :
             {back.input, back.keyword, back.figures[0].label, back.figures[0].text,
              back.figures[0].detail, back.figures[0].address})
            EXPECT_EQ(stored, c.stored) << c.given.toStdString();
        HistoryQuery byInput;
        byInput.input = c.given;
        EXPECT_FALSE(store.runs(byInput).isEmpty()) << "found by what was typed";
    }
}

TEST_F(HistoryStoreTest, QueriesFilterAndPutTheNewestFirst) {
    HistoryStore store(file());
    // ids 1…6, recorded out of time order on purpose
    store.record(sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 30));
    store.record(sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 10));
    store.record(
        sampleRun(QStringLiteral("indexed"), QStringLiteral("b.cn"), 20, {}, RunEnd::Failed));
    store.record(sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 40,
                           QStringLiteral("站长")));
    store.record(sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 50,
                           QStringLiteral("工具"), RunEnd::Stopped));
    store.record(sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 30));

    const struct {
        const char* what;
        void (*ask)(HistoryQuery&);
        QList<qint64> ids;
    } cases[] = {
        {"all", [](HistoryQuery&) {}, {5, 4, 6, 1, 3, 2}},
        {"one tool", [](HistoryQuery& q) { q.tool = QStringLiteral("indexed"); }, {6, 1, 3, 2}},
        {"one input", [](HistoryQuery& q) { q.input = QStringLiteral("a.cn"); }, {5, 4, 6, 1, 2}},
        {"tool and input",
         [](HistoryQuery& q) {
             q.tool = QStringLiteral("indexed");
             q.input = QStringLiteral("a.cn");
         },
         {6, 1, 2}},
        {"one keyword", [](HistoryQuery& q) { q.keyword = QStringLiteral("站长"); }, {4}},
        {"no keyword", [](HistoryQuery& q) { q.keyword = QString(); }, {6, 1, 3, 2}},
        {"since", [](HistoryQuery& q) { q.since = sampleRun({}, {}, 25).started; }, {5, 4, 6, 1}},
        {"done only", [](HistoryQuery& q) { q.doneOnly = true; }, {4, 6, 1, 2}},
        {"limit", [](HistoryQuery& q) { q.limit = 2; }, {5, 4}},
        {"nothing matches", [](HistoryQuery& q) { q.tool = QStringLiteral("density"); }, {}},
    };
    for (const auto& c : cases) {
        HistoryQuery query;
        c.ask(query);
        EXPECT_EQ(idsOf(store.runs(query)), c.ids) << c.what;
    }
}

TEST_F(HistoryStoreTest, SubjectsAreListedOnceMostRecentFirst) {
    HistoryStore store(file());
    store.record(sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 10,
                           QStringLiteral("站长")));
    store.record(sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("b.cn"), 20,
                           QStringLiteral("站长")));
    store.record(sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 30,
                           QStringLiteral("站长")));
    store.record(sampleRun(QStringLiteral("keyword-rank"), QStringLiteral("a.cn"), 5,
                           QStringLiteral("工具")));
    store.record(sampleRun(QStringLiteral("indexed"), QStringLiteral("c.cn"), 60));

    const QList<HistoryStore::Subject> subjects = store.subjects(QStringLiteral("keyword-rank"));
    ASSERT_EQ(subjects.size(), 3);
    EXPECT_EQ(subjects[0].input, QStringLiteral("a.cn"));
    EXPECT_EQ(subjects[0].keyword, QStringLiteral("站长"));
    EXPECT_EQ(subjects[1].input, QStringLiteral("b.cn"));
    EXPECT_EQ(subjects[2].keyword, QStringLiteral("工具"));
}

TEST_F(HistoryStoreTest, RemovingARunTakesItsFiguresAlongAndClearEmptiesAll) {
    HistoryStore store(file());
    QList<qint64> ids;
    for (int i = 0; i < 3; ++i) {
        RunRecord run = sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), i);
        run.figures = {numberFigure(QStringLiteral("Baidu"), i),
                       numberFigure(QStringLiteral("Google"), i)};
        ids << store.record(run);
    }
    store.remove({ids[0], ids[2]});
    EXPECT_EQ(idsOf(store.runs({})), QList<qint64>{ids[1]});
    {
        RawDatabase raw(file());
        EXPECT_EQ(raw.scalar(QStringLiteral("SELECT count(*) FROM figures")).toInt(), 2);
    }
    store.clear();
    EXPECT_TRUE(store.runs({}).isEmpty());
    RawDatabase raw(file());
    EXPECT_EQ(raw.scalar(QStringLiteral("SELECT count(*) FROM figures")).toInt(), 0);
}

TEST_F(HistoryStoreTest, TheFileIsOursInWalModeAndItsFolderIsMade) {
    const QString path = dir.filePath(QStringLiteral("new/folder/history.sqlite"));
    {
        HistoryStore store(path);
        store.record(sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 0));
    }
    RawDatabase raw(path);
    EXPECT_EQ(raw.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    EXPECT_EQ(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 3);
    EXPECT_NE(raw.scalar(QStringLiteral("PRAGMA application_id")).toLongLong(), 0);
}

TEST_F(HistoryStoreTest, FilesThatAreNotOursOrUnusableAreRefusedAndLeftAsTheyWere) {
    const QString ours = file("ours.sqlite");
    {
        HistoryStore store(ours);
        for (int i = 0; i < 400; ++i) {
            RunRecord run = sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), i);
            run.figures = {numberFigure(QStringLiteral("Baidu"), i)};
            store.record(run);
        }
    }
    auto sqlite = [&](const QString& path, const QStringList& statements) {
        RawDatabase raw(path);
        for (const QString& s : statements)
            raw.exec(s);
    };
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
        const char* says;
    } cases[] = {
        {"text.sqlite",
         [](const QString& p) {
             QFile f(p);
             f.open(QIODevice::WriteOnly);
             f.write("id,tool\n1,indexed\n");
         },
         "不是 Tessivo 的历史数据库"},
        {"other.sqlite",
         [&](const QString& p) {
             sqlite(p, {QStringLiteral("CREATE TABLE notes (body TEXT)"),
                        QStringLiteral("INSERT INTO notes VALUES ('mine')")});
         },
         "不是 Tessivo 的历史数据库"},
        {"other-app.sqlite",
         [&](const QString& p) { sqlite(p, {QStringLiteral("PRAGMA application_id=42")}); },
         "不是 Tessivo 的历史数据库"},
        {"newer.sqlite",
         [&](const QString& p) {
             QFile::copy(ours, p);
             sqlite(p, {QStringLiteral("PRAGMA user_version=4")});
         },
         "较新版本"},
    };
    for (const auto& c : cases) {
        const QString path = file(c.name);
        c.make(path);
        const QByteArray before = contents(path);
        try {
            HistoryStore store(path);
            ADD_FAILURE() << c.name << " was opened";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(path)) << e.what();
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.says))) << e.what();
        }
        EXPECT_EQ(contents(path), before) << c.name;
    }
}

// Every page but the first gets bytes of 0xA5 in the middle of its cells.
void damage(const QString& path) {
    QByteArray bytes = contents(path);
    for (qsizetype i = 4096 + 1024; i < bytes.size(); i += 4096)
        std::fill(bytes.begin() + i, bytes.begin() + i + 512, '\xA5');
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// Leaves the file as a killed program leaves it: a WAL of finished runs beside it.
void killWriterIn(const QString& path) {
    QProcess writer;
    writer.start(QStringLiteral(TESSIVO_HISTORY_WRITER),
                 {path, QStringLiteral("killed.cn"), QStringLiteral("0")});
    ASSERT_TRUE(writer.waitForStarted());
    int committed = 0;
    while (committed < 20 && writer.waitForReadyRead(10000))
        while (writer.canReadLine() && writer.readLine().size() > 0)
            ++committed;
    ASSERT_GE(committed, 20) << writer.readAllStandardError().toStdString();
    ::kill(pid_t(writer.processId()), SIGKILL);
    writer.waitForFinished();
    ASSERT_GT(QFileInfo(path + QStringLiteral("-wal")).size(), 0);
}

TEST_F(HistoryStoreTest, TheFileIsCheckedOnlyWhenItsLastUserDidNotCloseIt) {
    const QString path = file();
    auto fill = [](const QString& path) {
        HistoryStore store(path);
        for (int i = 0; i < 400; ++i) {
            RunRecord run = sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), i);
            run.figures = {numberFigure(QStringLiteral("Baidu"), i)};
            store.record(run);
        }
    };
    fill(path);
    EXPECT_FALSE(HistoryStore(path).checkedOnOpen()) << "closed cleanly";
    killWriterIn(path);
    {
        HistoryStore first(path);
        EXPECT_TRUE(first.checkedOnOpen()) << "left open by a killed program";
        // While another one holds it, its WAL is that one's, not a dead program's.
        EXPECT_FALSE(HistoryStore(path).checkedOnOpen());
        EXPECT_TRUE(first.damage().isEmpty());
    }
    EXPECT_FALSE(HistoryStore(path).checkedOnOpen()) << "the check's own open closed cleanly";

    // Damage after a clean close is found on asking, and by any read that meets it.
    damage(path);
    {
        HistoryStore store(path);
        EXPECT_FALSE(store.damage().isEmpty());
        try {
            store.runs({});
            ADD_FAILURE() << "damaged runs were read";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("已损坏"))) << e.what();
            EXPECT_TRUE(e.description().contains(QStringLiteral("history --check"))) << e.what();
        }
    }

    // Damage under a dead program's WAL is found before anything is recorded.
    const QString killed = file("killed.sqlite");
    fill(killed);
    killWriterIn(killed);
    damage(killed);
    try {
        HistoryStore store(killed);
        ADD_FAILURE() << "the damaged file was opened";
    } catch (const ToolError& e) {
        EXPECT_TRUE(e.description().contains(killed)) << e.what();
        EXPECT_TRUE(e.description().contains(QStringLiteral("已损坏"))) << e.what();
    }
}

TEST_F(HistoryStoreTest, AFileOfTheFirstSchemaIsMigratedWithItsRuns) {
    const QString path = file();
    {
        // The first schema as the first release wrote it: figures without detail and address.
        RawDatabase raw(path);
        for (const char* sql : {
                 "PRAGMA application_id=1416853103",
                 "PRAGMA user_version=1",
                 "CREATE TABLE runs (id INTEGER PRIMARY KEY, tool TEXT NOT NULL, input TEXT NOT "
                 "NULL, keyword TEXT NOT NULL DEFAULT '', options TEXT NOT NULL DEFAULT '{}', "
                 "started INTEGER NOT NULL, ended INTEGER NOT NULL, outcome TEXT NOT NULL, "
                 "error TEXT NOT NULL DEFAULT '', demo INTEGER NOT NULL DEFAULT 0)",
                 "CREATE TABLE figures (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE "
                 "CASCADE, position INTEGER NOT NULL, label TEXT NOT NULL, text TEXT NOT NULL, "
                 "number INTEGER, why TEXT NOT NULL DEFAULT '', PRIMARY KEY (run_id, position)) "
                 "WITHOUT ROWID",
                 "CREATE INDEX runs_by_tool ON runs(tool, started)",
                 "INSERT INTO runs VALUES (7, 'keyword-rank', 'a.cn', '站长', '{\"pages\":10}', "
                 "1790000000000, 1790000001000, 'done', '', 0)",
                 "INSERT INTO figures VALUES (7, 0, 'Baidu', '3', 3, '')",
                 "INSERT INTO figures VALUES (7, 1, 'Google', '未查询到', NULL, 'not_found')",
             })
            raw.exec(QString::fromUtf8(sql));
    }

    HistoryStore store(path);
    const QList<RunRecord> runs = store.runs({});
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].id, 7);
    EXPECT_EQ(runs[0].keyword, QStringLiteral("站长"));
    EXPECT_EQ(runs[0].options.value(QStringLiteral("pages")).toInt(), 10);
    EXPECT_EQ(runs[0].started.toMSecsSinceEpoch(), 1790000000000);
    ASSERT_EQ(runs[0].figures.size(), 2);
    EXPECT_EQ(runs[0].figures[0].number, 3);
    EXPECT_EQ(runs[0].figures[1].why, Why::NotFound);
    EXPECT_TRUE(runs[0].figures[1].detail.isEmpty());

    RunRecord failed = sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 0);
    failed.figures = {missingFigure(QStringLiteral("Baidu"), QStringLiteral("-"), Why::Failed,
                                    QStringLiteral("超时"))};
    store.record(failed);
    HistoryQuery indexed;
    indexed.tool = QStringLiteral("indexed");
    EXPECT_EQ(store.runs(indexed)[0].figures[0].detail, QStringLiteral("超时"));

    RawDatabase raw(path);
    EXPECT_EQ(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 3);
    EXPECT_EQ(raw.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = "
                                        "'runs_by_subject'"))
                  .toInt(),
              1);
}

TEST_F(HistoryStoreTest, AKilledWriterLeavesEveryFinishedRunWhole) {
    const QString path = file();
    QProcess writer;
    writer.start(QStringLiteral(TESSIVO_HISTORY_WRITER),
                 {path, QStringLiteral("killed.cn"), QStringLiteral("0")});
    ASSERT_TRUE(writer.waitForStarted());
    int committed = 0;
    while (committed < 200 && writer.waitForReadyRead(10000))
        while (writer.canReadLine()) {
            writer.readLine();
            ++committed;
        }
    ASSERT_GE(committed, 200) << writer.readAllStandardError().toStdString();
    ::kill(pid_t(writer.processId()), SIGKILL);
    writer.waitForFinished();
    committed += int(writer.readAllStandardOutput().count('\n'));

    {
        RawDatabase raw(path);
        EXPECT_EQ(raw.scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
                  QStringLiteral("ok"));
    }
    HistoryStore store(path);
    const QList<RunRecord> runs = store.runs({});
    EXPECT_GE(runs.size(), committed);
    for (const RunRecord& run : runs) {
        ASSERT_EQ(run.figures.size(), 8) << "run " << run.id;
        EXPECT_EQ(run.figures[7].address, run.figures[0].address);
    }
}

TEST_F(HistoryStoreTest, ThreeWritersAtOnceLoseNothing) {
    const QString path = file();
    HistoryStore store(path); // made before the writers start, so they only add runs
    const int each = 150;
    QProcess first, second;
    for (auto [writer, input] : {std::pair{&first, "first.cn"}, std::pair{&second, "second.cn"}})
        writer->start(QStringLiteral(TESSIVO_HISTORY_WRITER),
                      {path, QString::fromUtf8(input), QString::number(each)});
    for (int i = 0; i < each; ++i) {
        RunRecord run = sampleRun(QStringLiteral("indexed"), QStringLiteral("test.cn"), i);
        run.figures = {numberFigure(QStringLiteral("Baidu"), i)};
        store.record(run);
    }
    for (QProcess* writer : {&first, &second}) {
        ASSERT_TRUE(writer->waitForFinished(60000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
    }
    for (const char* input : {"first.cn", "second.cn", "test.cn"}) {
        HistoryQuery query;
        query.input = QString::fromUtf8(input);
        const QList<RunRecord> runs = store.runs(query);
        EXPECT_EQ(runs.size(), each) << input;
        for (const RunRecord& run : runs)
            EXPECT_FALSE(run.figures.isEmpty()) << input << " run " << run.id;
    }
}

TEST_F(HistoryStoreTest, ProcessesCreatingOneNewHistoryAtOnceLoseNothing) {
    // A process that reads a file another one is making must wait for it, not call it foreign.
    const int rounds = 60, writers = 6, each = 3;
    for (int round = 0; round < rounds; ++round) {
        const QString path = dir.filePath(QStringLiteral("round%1/history.sqlite").arg(round));
        QProcess processes[writers];
        for (int w = 0; w < writers; ++w)
            processes[w].start(QStringLiteral(TESSIVO_HISTORY_WRITER),
                               {path, QStringLiteral("w%1.cn").arg(w), QString::number(each)});
        for (QProcess& p : processes) {
            ASSERT_TRUE(p.waitForFinished(60000));
            EXPECT_EQ(p.exitCode(), 0)
                << "round " << round << ": " << p.readAllStandardError().toStdString();
        }
        EXPECT_EQ(HistoryStore(path).runs({}).size(), writers * each) << "round " << round;
    }
}

TEST_F(HistoryStoreTest, NewFilesAreTheUsersAloneInAFolderOfTheirOwn) {
    const QString folder = dir.filePath(QStringLiteral("made"));
    const QString path = folder + QStringLiteral("/inner/history.sqlite");
    HistoryStore store(path);
    store.record(sampleRun(QStringLiteral("indexed"), QStringLiteral("a.cn"), 0));
    const struct {
        QString path;
        unsigned mode;
    } cases[] = {
        {folder, 0700},
        {folder + QStringLiteral("/inner"), 0700},
        {path, 0600},
        {path + QStringLiteral("-wal"), 0600},
        {path + QStringLiteral("-shm"), 0600},
    };
    for (const auto& c : cases) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(c.path).constData(), &st), 0) << c.path.toStdString();
        EXPECT_EQ(st.st_mode & 07777, c.mode) << c.path.toStdString();
    }
}

TEST_F(HistoryStoreTest, OnlyARegularFileOrANewPathIsOpened) {
    const QString folder = file("folder.sqlite");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fifo = file("fifo.sqlite");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Like /dev/full: SQLite would make its journal beside the device.
    const QString device = file("full");
    const bool madeDevice =
        ::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0;
    const struct {
        QString path;
        const char* says;
    } cases[] = {
        {folder, "是一个文件夹"},
        {fifo, "不是普通文件"},
        {device, "不是普通文件"},
    };
    for (const auto& c : cases) {
        if (c.path == device && !madeDevice)
            continue; // only root makes devices
        try {
            HistoryStore store(c.path);
            ADD_FAILURE() << c.path.toStdString() << " was opened";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(c.path)) << e.what();
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.says))) << e.what();
        }
        for (const char* beside : {"-journal", "-wal", "-shm"})
            EXPECT_FALSE(QFileInfo::exists(c.path + QLatin1String(beside))) << c.path.toStdString();
    }
}

TEST_F(HistoryStoreTest, ALinkPointingNowhereIsNotFollowed) {
    const QString link = file("link.sqlite");
    const QString target = file("elsewhere.sqlite");
    ASSERT_TRUE(QFile::link(target, link));
    try {
        HistoryStore store(link);
        ADD_FAILURE() << "the link was followed";
    } catch (const ToolError& e) {
        EXPECT_TRUE(e.description().contains(link)) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(HistoryStoreTest, AForeignWalBesideARefusedFileIsNotApplied) {
    const struct {
        const char* name;
        const char* header; // written before the switch to WAL, so in the file itself
    } cases[] = {
        {"other-app.sqlite", "PRAGMA application_id=42"},
        {"other.sqlite", "CREATE TABLE notes (body TEXT)"},
    };
    for (const auto& c : cases) {
        const QString made = file("made.sqlite");
        const QString path = file(c.name);
        {
            RawDatabase raw(made);
            raw.exec(QString::fromUtf8(c.header));
            raw.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            raw.exec(QStringLiteral("CREATE TABLE pending (body TEXT)"));
            raw.exec(QStringLiteral("INSERT INTO pending VALUES ('only in the wal')"));
            // Copied while open: closing would fold the WAL into the file.
            ASSERT_TRUE(QFile::copy(made, path));
            ASSERT_TRUE(QFile::copy(made + QStringLiteral("-wal"), path + QStringLiteral("-wal")));
        }
        const QByteArray before = contents(path);
        const QByteArray walBefore = contents(path + QStringLiteral("-wal"));
        ASSERT_FALSE(walBefore.isEmpty());
        try {
            HistoryStore store(path);
            ADD_FAILURE() << c.name << " was opened";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("不是 Tessivo 的历史数据库")))
                << e.what();
        }
        EXPECT_TRUE(contents(path) == before) << c.name;
        EXPECT_TRUE(contents(path + QStringLiteral("-wal")) == walBefore) << c.name;
        QFile::remove(made);
    }
}
