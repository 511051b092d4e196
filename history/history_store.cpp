#include "history/history_store.h"

#include "base/tool_error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QVariant>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// "Tsvo": set in every file of ours, so that another program's SQLite file at our path is
// recognised before anything is written to it.
constexpr qint64 kApplicationId = 0x5473766F;

// Step n takes a file of schema version n to n + 1, inside one transaction. A released step is
// never edited: a file in the field may have stopped at any of them.
const std::vector<std::vector<const char*>> kMigrations = {
    {
        "CREATE TABLE runs (id INTEGER PRIMARY KEY, tool TEXT NOT NULL, input TEXT NOT NULL,"
        " keyword TEXT NOT NULL DEFAULT '', options TEXT NOT NULL DEFAULT '{}',"
        " started INTEGER NOT NULL, ended INTEGER NOT NULL, outcome TEXT NOT NULL,"
        " error TEXT NOT NULL DEFAULT '', demo INTEGER NOT NULL DEFAULT 0)",
        "CREATE TABLE figures (run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,"
        " position INTEGER NOT NULL, label TEXT NOT NULL, text TEXT NOT NULL, number REAL,"
        " why TEXT NOT NULL DEFAULT '', PRIMARY KEY (run_id, position)) WITHOUT ROWID",
        "CREATE INDEX runs_by_tool ON runs(tool, started)",
    },
    {
        // A failed figure keeps what failed and where; the window and the command pick runs by
        // their subject, which the first index could only scan.
        "ALTER TABLE figures ADD COLUMN detail TEXT NOT NULL DEFAULT ''",
        "ALTER TABLE figures ADD COLUMN address TEXT NOT NULL DEFAULT ''",
        "CREATE INDEX runs_by_subject ON runs(tool, input, keyword, started)",
    },
    {
        // The keywords the rank tracker follows; engines is a comma-separated list of names.
        "CREATE TABLE tracked (id INTEGER PRIMARY KEY, site TEXT NOT NULL, keyword TEXT NOT NULL,"
        " engines TEXT NOT NULL DEFAULT '', depth INTEGER NOT NULL, added INTEGER NOT NULL,"
        " UNIQUE (site, keyword))",
    },
};
const int kSchemaVersion = int(kMigrations.size());

// Another process holds the write lock longer than the busy time-out.
struct Busy {};

constexpr int kBusyTimeoutMs = 2000;
constexpr int kBusyAttempts = 10;

bool isBusy(const QSqlError& error) {
    // SQLITE_BUSY and SQLITE_LOCKED, with or without their extended codes.
    const int code = error.nativeErrorCode().toInt() & 0xFF;
    return code == 5 || code == 6;
}

// Qt binds a null string as SQL NULL; the columns hold text, empty when there is none. Qt binds
// text as UTF-16, and SQLite takes a lone high surrogate together with whatever unit follows
// it for a pair, swallowing that character: a lone surrogate is stored as U+FFFD instead.
QString text(const QString& value) {
    if (value.isNull())
        return QStringLiteral("");
    if (value.isValidUtf16())
        return value;
    QString sound = value;
    for (qsizetype i = 0; i < sound.size(); ++i) {
        if (sound[i].isHighSurrogate() && i + 1 < sound.size() && sound[i + 1].isLowSurrogate())
            ++i;
        else if (sound[i].isSurrogate())
            sound[i] = QChar::ReplacementCharacter;
    }
    return sound;
}

QString quoted(const QString& path) {
    return echoed(QDir::toNativeSeparators(path));
}

QAtomicInteger<quint64> connectionCount;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool writable(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// SQLite would wait on a FIFO for ever and make its journal beside a device, in /dev as well.
void refuseUnlessRegular(const QString& path, mode_t mode) {
    if (S_ISREG(mode))
        return;
    if (S_ISDIR(mode))
        throw ToolError(QStringLiteral("%1 是一个文件夹，不能用作历史数据库；请指定其中的一个文件")
                            .arg(quoted(path)));
    const QString kind = S_ISCHR(mode) || S_ISBLK(mode) ? QStringLiteral("设备")
                         : S_ISFIFO(mode)               ? QStringLiteral("管道")
                         : S_ISSOCK(mode)               ? QStringLiteral("套接字")
                                                        : QStringLiteral("特殊文件");
    throw ToolError(QStringLiteral("%1 是一个%2，不是普通文件，不能用作历史数据库；"
                                   "请指定一个普通文件")
                        .arg(quoted(path), kind));
}

} // namespace

QString HistoryStore::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/history.sqlite");
}

HistoryStore::HistoryStore(const QString& path, Access access)
    : path_(path), connection_(QStringLiteral("tessivo-history-%1").arg(++connectionCount)) {
    // Everything up to openConnection() reads the file with plain system calls: SQLite would
    // make a journal beside a device and fold a WAL lying beside another program's file into it.
    const QString folder = QFileInfo(path_).absolutePath();
    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) == 0)
        refuseUnlessRegular(path_, st.st_mode);
    else if (access == Access::Read)
        throw ToolError(QStringLiteral("历史数据库 %1 不存在").arg(quoted(path_)));
    else
        create(folder);
    checkHeader();
    const bool readOnly = access == Access::Read && !(writable(path_) && writable(folder));
    if (!readOnly)
        requireWritable(folder);
    // SQLite deletes the WAL when the last connection closes; one left behind with nobody else
    // holding the file means that a program died using it. Only then is the whole file checked:
    // on every open the check would cost a second at 200,000 runs.
    const bool alone = lockAlone();
    const bool unclean = alone && QFileInfo(path_ + QStringLiteral("-wal")).size() > 0;
    openConnection(readOnly);
    if (unclean && !readOnly) {
        try {
            quickCheck();
        } catch (...) {
            closeConnection();
            throw;
        }
        checkedOnOpen_ = true;
    }
    if (alone)
        shareLock();
}

void HistoryStore::openConnection(bool readOnly) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        if (readOnly) {
            // With no WAL beside it the file is all there is, and SQLite reads it as it is.
            // Otherwise SQLite would make -wal and -shm files in the file's read-only mode,
            // which would keep its owner from writing it once it is writable again, or fail
            // in a folder where it cannot make them.
            const bool immutable = !QFileInfo::exists(path_ + QStringLiteral("-wal"));
            db.setDatabaseName(QUrl::fromLocalFile(path_).toString(QUrl::FullyEncoded) +
                               (immutable ? QStringLiteral("?immutable=1") : QString()));
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_READONLY;"
                                                "QSQLITE_OPEN_URI")
                                     .arg(kBusyTimeoutMs));
        } else {
            db.setDatabaseName(path_);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        }
    }
    try {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        if (!db.isValid())
            throw ToolError(QStringLiteral("缺少 Qt 的 SQLite 驱动（QSQLITE），无法打开历史数据库 "
                                           "%1；请安装 libqt6sql6-sqlite")
                                .arg(quoted(path_)));
        if (!db.open())
            throw ToolError(QStringLiteral("无法打开历史数据库 %1：%2")
                                .arg(quoted(path_), db.lastError().text()));
        if (!readOnly) {
            setUp();
            return;
        }
        // One snapshot, so that a run being written meanwhile is seen whole or not at all.
        int version = 0;
        withRetry([&] {
            if (!db.transaction()) {
                if (isBusy(db.lastError()))
                    throw Busy{};
                throw ToolError(QStringLiteral("无法读取历史数据库 %1：%2")
                                    .arg(quoted(path_), db.lastError().text()));
            }
            try {
                version = checkOwnership();
            } catch (...) {
                db.rollback();
                throw;
            }
            db.commit();
        });
        if (version < kSchemaVersion)
            throw ToolError(QStringLiteral("历史数据库 %1 由较旧版本的 Tessivo 写成，而它或所在的"
                                           "文件夹是只读的，无法升级后读取")
                                .arg(quoted(path_)));
    } catch (...) {
        closeConnection();
        throw;
    }
}

HistoryStore::~HistoryStore() {
    closeConnection();
}

// Every store holds a shared lock (flock, apart from SQLite's own fcntl locks) on the file while
// it is open. Returns whether this one found no other holder and holds the lock alone, until
// shareLock(); otherwise it waits for one opening the file alone to finish its check.
bool HistoryStore::lockAlone() {
    lockFd_ = ::open(QFile::encodeName(path_).constData(),
                     O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (lockFd_ < 0)
        return false;
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0)
        return true;
    shareLock();
    return false;
}

void HistoryStore::shareLock() {
    while (::flock(lockFd_, LOCK_SH) != 0 && errno == EINTR) {
    }
}

void HistoryStore::quickCheck() const {
    const QString check = scalar(QStringLiteral("PRAGMA quick_check")).toString();
    if (check != QLatin1String("ok"))
        throw ToolError(QStringLiteral("历史数据库 %1 已损坏（%2），未作任何改动；请移走它")
                            .arg(quoted(path_), echoed(check)));
}

QString HistoryStore::damage() const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check(20)")))
        return readError(q.lastError()).description();
    QStringList problems;
    while (q.next())
        problems << q.value(0).toString();
    if (q.lastError().isValid())
        return readError(q.lastError()).description();
    return problems == QStringList{QStringLiteral("ok")} ? QString() : problems.join(u'\n');
}

// SQLite says SQLITE_CORRUPT or SQLITE_NOTADB when a page it reads is damaged, which only the
// full check would have found before.
ToolError HistoryStore::readError(const QSqlError& error) const {
    const int code = error.nativeErrorCode().toInt() & 0xFF;
    if (code == 11 || code == 26)
        return ToolError(QStringLiteral("历史数据库 %1 已损坏（%2）；"
                                        "请用 tessivo-cli history --check 检查，或把它移走")
                             .arg(quoted(path_), error.text()));
    return ToolError(QStringLiteral("无法读取历史数据库 %1：%2").arg(quoted(path_), error.text()));
}

void HistoryStore::closeConnection() {
    begin_.reset();
    commit_.reset();
    insertRun_.reset();
    insertFigure_.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
    // Released after SQLite has closed and removed its WAL, so that the next one to open the
    // file alone finds none left by a clean close.
    if (lockFd_ >= 0)
        ::close(lockFd_);
    lockFd_ = -1;
}

QString HistoryStore::notOurs() const {
    return QStringLiteral("%1 不是 Tessivo 的历史数据库，未作任何改动；请把它移到别处")
        .arg(quoted(path_));
}

QString HistoryStore::newer(int version) const {
    return QStringLiteral("历史数据库 %1 由较新版本的 Tessivo 写成（结构版本 %2，"
                          "本程序认识到 %3），未作任何改动；请升级 Tessivo")
        .arg(quoted(path_))
        .arg(version)
        .arg(kSchemaVersion);
}

// Folders and file are the user's alone: the history tells which sites were looked at. Another
// process may be making the same file at this moment, so an existing one is fine; a link that
// points nowhere is not followed, or the file would appear wherever it points.
void HistoryStore::create(const QString& folder) const {
    QStringList missing;
    for (QString f = QDir::cleanPath(folder); !QFileInfo::exists(f); f = QFileInfo(f).path())
        missing.prepend(f);
    for (const QString& f : missing)
        if (::mkdir(QFile::encodeName(f).constData(), 0700) != 0 && errno != EEXIST)
            throw ToolError(QStringLiteral("无法创建历史数据库所在的文件夹 %1：%2")
                                .arg(quoted(f), systemError()));
    requireWritable(folder);
    const int fd =
        ::open(QFile::encodeName(path_).constData(),
               O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0)
        throw ToolError(
            QStringLiteral("无法创建历史数据库 %1：%2").arg(quoted(path_), systemError()));
    ::close(fd);
}

// What page one says (big-endian fields at fixed offsets) decides before SQLite sees the file.
// A file of ours may have its first pages only in its WAL, showing an empty database here; the
// transaction in setUp() decides about those.
void HistoryStore::checkHeader() const {
    const int fd =
        ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw ToolError(
            QStringLiteral("无法读取历史数据库 %1：%2").arg(quoted(path_), systemError()));
    struct stat st {};
    ::fstat(fd, &st);
    QByteArray header(100, '\0');
    qsizetype got = 0;
    while (S_ISREG(st.st_mode) && got < header.size()) {
        const ssize_t n = ::read(fd, header.data() + got, size_t(header.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    // The path may have been replaced since it was looked at.
    refuseUnlessRegular(path_, st.st_mode);
    if (got == 0)
        return; // new, or being made by another process right now
    if (got < header.size() || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        throw ToolError(notOurs());
    const auto field = [&](int offset) {
        return qFromBigEndian<quint32>(header.constData() + offset);
    };
    const quint32 schemaCookie = field(40), version = field(60), applicationId = field(68);
    if (applicationId == 0 ? schemaCookie != 0 || version != 0 : applicationId != kApplicationId)
        throw ToolError(notOurs());
    if (version > quint32(kSchemaVersion))
        throw ToolError(newer(int(version)));
}

// SQLite writes the -wal and -shm files beside the database, so the folder must be writable too.
void HistoryStore::requireWritable(const QString& folder) const {
    if (!writable(folder))
        throw ToolError(QStringLiteral("历史数据库 %1 所在的文件夹 %2 是只读的，无法记录；"
                                       "请检查它的权限")
                            .arg(quoted(path_), quoted(folder)));
    if (QFileInfo::exists(path_) && !writable(path_))
        throw ToolError(
            QStringLiteral("历史数据库 %1 是只读的，无法记录；请检查它的权限").arg(quoted(path_)));
}

QVariant HistoryStore::scalar(const QString& sql) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(sql) && isBusy(q.lastError()))
        throw Busy{};
    if (!q.isActive() || !q.next())
        throw ToolError(QStringLiteral("历史数据库 %1 已损坏或无法读取（%2），未作任何改动")
                            .arg(quoted(path_), q.lastError().text()));
    return q.value(0);
}

// Everything here only reads, so a file that is refused is left byte for byte as it was.
int HistoryStore::checkOwnership() const {
    const qint64 applicationId = scalar(QStringLiteral("PRAGMA application_id")).toLongLong();
    const int version = scalar(QStringLiteral("PRAGMA user_version")).toInt();
    const bool empty = scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).toInt() == 0;
    if (applicationId != kApplicationId && !(applicationId == 0 && version == 0 && empty))
        throw ToolError(notOurs());
    if (version > kSchemaVersion)
        throw ToolError(newer(version));
    return version;
}

void HistoryStore::setUp() {
    // In WAL mode a commit appends the run's pages to the -wal file with write(); once that
    // returns the kernel holds them, so a process killed with SIGKILL a moment later keeps every
    // run it finished, and the next open replays them. synchronous=NORMAL leaves out only the
    // fsync per commit, which guards against a power cut, not against a killed process; the WAL
    // is still synced at checkpoints, so even a power cut loses recent runs, never the file.
    withRetry([this] {
        if (scalar(QStringLiteral("PRAGMA journal_mode=WAL")).toString() != QLatin1String("wal"))
            throw ToolError(QStringLiteral("历史数据库 %1 无法切换到 WAL 模式").arg(quoted(path_)));
    });
    exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    begin_ = prepared("BEGIN IMMEDIATE");
    commit_ = prepared("COMMIT");
    // Checked and made under the write lock: a process that finds another one making the file
    // waits for it (the busy time-out), then finds the work done. Read apart, the three values
    // of checkOwnership() could come from before and after that process's commit.
    writeTransaction([this] {
        const int version = checkOwnership();
        if (version == 0)
            exec(QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId));
        for (int step = version; step < kSchemaVersion; ++step)
            for (const char* sql : kMigrations[size_t(step)])
                exec(QString::fromUtf8(sql));
        if (version < kSchemaVersion)
            exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion));
        // The listing reads the newest runs first through it. An index needs no schema step: an
        // older Tessivo reads a file that has it, and one without it is only slower.
        exec(QStringLiteral("CREATE INDEX IF NOT EXISTS runs_by_time ON runs(started)"));
    });
    insertRun_ = prepared("INSERT INTO runs (tool, input, keyword, options, started, ended,"
                          " outcome, error, demo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insertFigure_ = prepared("INSERT INTO figures (run_id, position, label, text, number, why,"
                             " detail, address) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
}

std::unique_ptr<QSqlQuery> HistoryStore::prepared(const char* sql) const {
    auto query = std::make_unique<QSqlQuery>(QSqlDatabase::database(connection_, false));
    if (!query->prepare(QString::fromUtf8(sql)))
        throw ToolError(QStringLiteral("历史数据库 %1 的结构不对（%2），未能打开")
                            .arg(quoted(path_), query->lastError().text()));
    return query;
}

void HistoryStore::exec(const QString& sql) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(sql))
        fail(q.lastError());
}

qint64 HistoryStore::exec(QSqlQuery& query) const {
    const bool done = query.exec();
    const QSqlError error = query.lastError();
    const qint64 id = query.lastInsertId().toLongLong();
    // Reset at once, so that no statement of ours is left pending when the transaction ends.
    query.finish();
    if (!done)
        fail(error);
    return id;
}

void HistoryStore::fail(const QSqlError& error) const {
    if (isBusy(error))
        throw Busy{};
    const int code = error.nativeErrorCode().toInt() & 0xFF;
    if (code == 11 || code == 26)
        throw readError(error);
    throw ToolError(QStringLiteral("无法写入历史数据库 %1：%2").arg(quoted(path_), error.text()));
}

void HistoryStore::withRetry(const std::function<void()>& work) {
    for (int attempt = 1;; ++attempt) {
        try {
            work();
            return;
        } catch (const Busy&) {
            if (attempt == kBusyAttempts)
                throw ToolError(QStringLiteral("历史数据库 %1 一直被另一个程序占用，未能写入")
                                    .arg(quoted(path_)));
            QThread::msleep(10 * attempt);
        }
    }
}

// BEGIN IMMEDIATE takes the write lock at once, waiting out another writer for the busy
// time-out: a deferred transaction that reads first could only fail at its first write.
void HistoryStore::writeTransaction(const std::function<void()>& body) {
    withRetry([&] {
        exec(*begin_);
        try {
            body();
            exec(*commit_);
        } catch (...) {
            QSqlQuery(QSqlDatabase::database(connection_, false)).exec(QStringLiteral("ROLLBACK"));
            throw;
        }
    });
}

qint64 HistoryStore::record(const RunRecord& run) {
    qint64 id = 0;
    writeTransaction([&] {
        QSqlQuery& q = *insertRun_;
        q.bindValue(0, text(run.tool));
        q.bindValue(1, text(run.input));
        q.bindValue(2, text(run.keyword));
        q.bindValue(3,
                    QString::fromUtf8(QJsonDocument(run.options).toJson(QJsonDocument::Compact)));
        q.bindValue(4, run.started.isValid() ? run.started.toMSecsSinceEpoch() : 0);
        q.bindValue(5, run.ended.isValid() ? run.ended.toMSecsSinceEpoch() : 0);
        q.bindValue(6, runEndKey(run.end));
        q.bindValue(7, text(run.error));
        q.bindValue(8, int(run.demo));
        id = exec(q);

        QSqlQuery& f = *insertFigure_;
        for (qsizetype i = 0; i < run.figures.size(); ++i) {
            const Figure& figure = run.figures[i];
            f.bindValue(0, id);
            f.bindValue(1, qint64(i));
            f.bindValue(2, text(figure.label));
            f.bindValue(3, text(figure.text));
            f.bindValue(4, figure.number ? QVariant(*figure.number)
                                         : QVariant(QMetaType::fromType<qint64>()));
            f.bindValue(5, whyKey(figure.why));
            f.bindValue(6, text(figure.detail));
            f.bindValue(7, text(figure.address));
            exec(f);
        }
    });
    return id;
}

namespace {

// The WHERE clause (over runs AS r) and its values for the query's filters.
std::pair<QString, QVariantList> selection(const HistoryQuery& query) {
    QString where;
    QVariantList values;
    auto filter = [&](const char* condition, const QVariant& value) {
        where += QLatin1String(where.isEmpty() ? " WHERE " : " AND ") + QLatin1String(condition);
        values << value;
    };
    if (!query.tool.isEmpty())
        filter("r.tool = ?", text(query.tool));
    if (!query.input.isEmpty())
        filter("r.input = ?", text(query.input));
    if (query.keyword)
        filter("r.keyword = ?", text(*query.keyword));
    if (query.since.isValid())
        filter("r.started >= ?", query.since.toMSecsSinceEpoch());
    if (query.doneOnly)
        filter("r.outcome = ?", runEndKey(RunEnd::Done));
    if (query.withoutDemo)
        filter("r.demo = ?", 0);
    return {where, values};
}

} // namespace

// One statement over runs and their figures, in the order of an index (runs_by_time, or the
// tool's and the subject's), read a row at a time: no sort, no list of runs, and a limit stops
// the reading rather than cutting a finished result.
std::unique_ptr<QSqlQuery> HistoryStore::select(const QString& columns,
                                                const HistoryQuery& query) const {
    const auto [where, values] = selection(query);
    auto q = std::make_unique<QSqlQuery>(QSqlDatabase::database(connection_, false));
    q->setForwardOnly(true);
    q->prepare(QStringLiteral("SELECT r.id, %1 FROM runs AS r LEFT JOIN figures AS f"
                              " ON f.run_id = r.id%2 ORDER BY r.started DESC, r.id DESC,"
                              " f.position")
                   .arg(columns, where));
    for (const QVariant& v : values)
        q->addBindValue(v);
    if (!q->exec())
        throw readError(q->lastError());
    return q;
}

Figure HistoryStore::figureAt(const QSqlQuery& row, int first) {
    Figure figure;
    figure.label = row.value(first).toString();
    figure.text = row.value(first + 1).toString();
    if (!row.value(first + 2).isNull())
        figure.number = row.value(first + 2).toDouble();
    figure.why = whyFromKey(row.value(first + 3).toString());
    figure.detail = row.value(first + 4).toString();
    figure.address = row.value(first + 5).toString();
    return figure;
}

bool HistoryStore::eachRun(const HistoryQuery& query,
                           const std::function<void(const RunRecord&)>& each) const {
    const std::unique_ptr<QSqlQuery> rows =
        select(QStringLiteral("r.tool, r.input, r.keyword, r.options, r.started, r.ended,"
                              " r.outcome, r.error, r.demo, f.label, f.text, f.number, f.why,"
                              " f.detail, f.address"),
               query);
    QSqlQuery& q = *rows;
    RunRecord run;
    qint64 count = 0;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (count == 0 || run.id != id) {
            if (count > 0)
                each(run);
            if (query.limit > 0 && count == query.limit)
                return true;
            ++count;
            run = RunRecord{};
            run.id = id;
            run.tool = q.value(1).toString();
            run.input = q.value(2).toString();
            run.keyword = q.value(3).toString();
            run.options = QJsonDocument::fromJson(q.value(4).toString().toUtf8()).object();
            run.started = QDateTime::fromMSecsSinceEpoch(q.value(5).toLongLong(), Qt::UTC);
            run.ended = QDateTime::fromMSecsSinceEpoch(q.value(6).toLongLong(), Qt::UTC);
            run.end = runEndFromKey(q.value(7).toString());
            run.error = q.value(8).toString();
            run.demo = q.value(9).toBool();
        }
        if (q.value(10).isNull())
            continue; // a run without figures
        run.figures << figureAt(q, 10);
    }
    if (q.lastError().isValid())
        throw readError(q.lastError());
    if (count > 0)
        each(run);
    return false;
}

void HistoryStore::reading(const std::function<void()>& body) const {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.transaction())
        throw readError(db.lastError());
    try {
        body();
    } catch (...) {
        db.rollback();
        throw;
    }
    db.commit();
}

QList<RunRecord> HistoryStore::runs(const HistoryQuery& query) const {
    QList<RunRecord> result;
    eachRun(query, [&](const RunRecord& run) { result << run; });
    return result;
}

QStringList HistoryStore::figureLabels(const HistoryQuery& query) const {
    const std::unique_ptr<QSqlQuery> rows = select(QStringLiteral("f.label"), query);
    QSqlQuery& q = *rows;
    QStringList labels;
    QSet<QString> seen;
    qint64 count = 0, last = 0;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (count == 0 || id != last) {
            if (query.limit > 0 && count == query.limit)
                break;
            ++count;
            last = id;
        }
        if (q.value(1).isNull())
            continue;
        const QString label = q.value(1).toString();
        if (!seen.contains(label)) {
            seen.insert(label);
            labels << label;
        }
    }
    if (q.lastError().isValid())
        throw readError(q.lastError());
    return labels;
}

QList<HistoryStore::Subject> HistoryStore::subjects(const QString& tool) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT input, keyword, max(started) AS latest FROM runs"
                             " WHERE tool = ? GROUP BY input, keyword ORDER BY latest DESC"));
    q.addBindValue(tool);
    if (!q.exec())
        throw readError(q.lastError());
    QList<Subject> result;
    while (q.next())
        result << Subject{q.value(0).toString(), q.value(1).toString()};
    return result;
}

void HistoryStore::remove(const QList<qint64>& ids) {
    writeTransaction([&] {
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        q.prepare(QStringLiteral("DELETE FROM runs WHERE id = ?"));
        for (const qint64 id : ids) {
            q.bindValue(0, id);
            exec(q);
        }
    });
}

void HistoryStore::clear() {
    writeTransaction([this] {
        exec(QStringLiteral("DELETE FROM figures"));
        exec(QStringLiteral("DELETE FROM runs"));
    });
}
