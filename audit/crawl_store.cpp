#include "audit/crawl_store.h"

#include "base/tool_error.h"

#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace {

// "TSAU": marks the file as an audit's, so --out pointing at another database refuses it.
constexpr int kApplicationId = 0x54534155;

enum State { Waiting = 0, Done = 1, Blocked = 2 };

} // namespace

CrawlStore::CrawlStore(QString path, bool resume)
    : path_(std::move(path)),
      connection_(QStringLiteral("audit-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(path_);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.isValid() || !db.open()) {
            const QString why = db.lastError().text();
            db = {};
            QSqlDatabase::removeDatabase(connection_);
            throw ToolError(QStringLiteral("无法打开体检进度文件 %1：%2").arg(echoed(path_), why));
        }
    }
    try {
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
            throw ToolError(QStringLiteral("无法读取体检进度文件 %1（不是 SQLite 数据库？）")
                                .arg(echoed(path_)));
        const int id = q.value(0).toInt();
        q.finish();
        if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
            throw ToolError(QStringLiteral("无法读取体检进度文件 %1").arg(echoed(path_)));
        const bool empty = q.value(0).toInt() == 0;
        q.finish();
        if (!empty && id != kApplicationId)
            throw ToolError(QStringLiteral("%1 不是体检进度文件，未改动它；请把它移走后再试")
                                .arg(echoed(path_)));
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        exec(QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId));
        if (!resume)
            for (const char* table : {"meta", "queue", "results", "links", "notes", "sitemap"})
                exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(table)));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT)"));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS queue(seq INTEGER PRIMARY KEY, url TEXT "
                            "UNIQUE NOT NULL, depth INTEGER, kind INTEGER, hops INTEGER, "
                            "state INTEGER)"));
        exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS results(url TEXT PRIMARY KEY, facts TEXT NOT NULL)"));
        exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS links(from_url TEXT, to_url TEXT, text TEXT)"));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS notes(kind TEXT, url TEXT, detail TEXT)"));
        exec(QStringLiteral("CREATE TABLE IF NOT EXISTS sitemap(url TEXT PRIMARY KEY)"));
    } catch (...) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
        throw;
    }
}

CrawlStore::~CrawlStore() {
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

void CrawlStore::exec(const QString& sql) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(sql))
        throw ToolError(
            QStringLiteral("无法写入体检进度文件 %1：%2").arg(echoed(path_), q.lastError().text()));
}

void CrawlStore::transaction(const std::function<void()>& work) {
    if (depth_ > 0) {
        work();
        return;
    }
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(++d) {}
        ~Depth() { --depth; }
    } inside{depth_};
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.transaction())
        throw ToolError(QStringLiteral("无法写入体检进度文件 %1：%2")
                            .arg(echoed(path_), db.lastError().text()));
    try {
        work();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw ToolError(QStringLiteral("无法写入体检进度文件 %1：%2")
                            .arg(echoed(path_), db.lastError().text()));
}

QString CrawlStore::meta(const QString& key) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("SELECT value FROM meta WHERE key = ?"));
    q.addBindValue(key);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

void CrawlStore::setMeta(const QString& key, const QString& value) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO meta(key, value) VALUES (?, ?)"));
    q.addBindValue(key);
    q.addBindValue(value);
    if (!q.exec())
        throw ToolError(
            QStringLiteral("无法写入体检进度文件 %1：%2").arg(echoed(path_), q.lastError().text()));
}

CrawlStore::Snapshot CrawlStore::load() const {
    Snapshot s;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    auto run = [&](const QString& sql) {
        if (!q.exec(sql))
            throw ToolError(QStringLiteral("无法读取体检进度文件 %1：%2")
                                .arg(echoed(path_), q.lastError().text()));
    };
    run(QStringLiteral("SELECT count(*) FROM queue WHERE state = %1").arg(int(Waiting)));
    if (q.next())
        s.waiting = q.value(0).toLongLong();
    run(QStringLiteral("SELECT url FROM queue WHERE state = %1 ORDER BY seq").arg(int(Blocked)));
    while (q.next())
        s.blocked.push_back(q.value(0).toString());
    run(QStringLiteral("SELECT facts FROM results ORDER BY rowid"));
    while (q.next())
        s.results.push_back(
            FetchResult::fromJson(QJsonDocument::fromJson(q.value(0).toByteArray()).object()));
    run(QStringLiteral("SELECT kind, url, detail FROM notes ORDER BY rowid"));
    while (q.next())
        s.notes.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    run(QStringLiteral("SELECT url FROM sitemap ORDER BY rowid"));
    while (q.next())
        s.sitemap.push_back(q.value(0).toString());
    return s;
}

void CrawlStore::eachQueued(const std::function<void(const QString& url)>& visit) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT url FROM queue")))
        throw ToolError(
            QStringLiteral("无法读取体检进度文件 %1：%2").arg(echoed(path_), q.lastError().text()));
    while (q.next())
        visit(q.value(0).toString());
}

std::vector<QueuedUrl> CrawlStore::waitingAfter(qint64 after, int limit, qint64& last,
                                                bool pages) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT seq, url, depth, kind, hops FROM queue WHERE seq > ? AND "
                             "state = %1 AND kind >= ? ORDER BY seq LIMIT ?")
                  .arg(int(Waiting)));
    q.addBindValue(after);
    q.addBindValue(pages ? 0 : 1);
    q.addBindValue(limit);
    if (!q.exec())
        throw ToolError(
            QStringLiteral("无法读取体检进度文件 %1：%2").arg(echoed(path_), q.lastError().text()));
    std::vector<QueuedUrl> rows;
    while (q.next()) {
        last = q.value(0).toLongLong();
        rows.push_back({q.value(1).toString(), q.value(2).toInt(),
                        q.value(3).toInt() == 0 ? LinkKind::Page : LinkKind::Resource,
                        q.value(4).toInt()});
    }
    return rows;
}

void CrawlStore::eachLink(const std::function<void(const LinkRow&)>& visit) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT from_url, to_url, text FROM links ORDER BY rowid")))
        throw ToolError(
            QStringLiteral("无法读取体检进度文件 %1：%2").arg(echoed(path_), q.lastError().text()));
    while (q.next())
        visit({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
}

void CrawlStore::saveQueued(const std::vector<QueuedUrl>& queued,
                            const std::vector<QString>& blocked) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral(
        "INSERT OR IGNORE INTO queue(url, depth, kind, hops, state) VALUES (?, ?, ?, ?, ?)"));
    auto insert = [&](const QString& url, int depth, int kind, int hops, int state) {
        q.addBindValue(url);
        q.addBindValue(depth);
        q.addBindValue(kind);
        q.addBindValue(hops);
        q.addBindValue(state);
        if (!q.exec())
            throw ToolError(QStringLiteral("无法写入体检进度文件 %1：%2")
                                .arg(echoed(path_), q.lastError().text()));
    };
    for (const QueuedUrl& u : queued)
        insert(u.url, u.depth, u.kind == LinkKind::Page ? 0 : 1, u.hops, Waiting);
    for (const QString& url : blocked)
        insert(url, 0, 0, 0, Blocked);
}

void CrawlStore::saveFetch(const FetchResult& result, const std::vector<LinkRow>& links,
                           const std::vector<QueuedUrl>& queued,
                           const std::vector<QString>& blocked) {
    transaction([&] {
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO results(url, facts) VALUES (?, ?)"));
        q.addBindValue(result.url);
        q.addBindValue(QJsonDocument(result.toJson()).toJson(QJsonDocument::Compact));
        if (!q.exec())
            throw ToolError(QStringLiteral("无法写入体检进度文件 %1：%2")
                                .arg(echoed(path_), q.lastError().text()));
        q.prepare(QStringLiteral("UPDATE queue SET state = 1 WHERE url = ?"));
        q.addBindValue(result.url);
        q.exec();
        q.prepare(QStringLiteral("INSERT INTO links(from_url, to_url, text) VALUES (?, ?, ?)"));
        for (const LinkRow& l : links) {
            q.addBindValue(l.from);
            q.addBindValue(l.to);
            q.addBindValue(l.text);
            if (!q.exec())
                throw ToolError(QStringLiteral("无法写入体检进度文件 %1：%2")
                                    .arg(echoed(path_), q.lastError().text()));
        }
        saveQueued(queued, blocked);
    });
}

void CrawlStore::saveNote(const Note& note) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("INSERT INTO notes(kind, url, detail) VALUES (?, ?, ?)"));
    q.addBindValue(note.kind);
    q.addBindValue(note.url);
    q.addBindValue(note.detail);
    if (!q.exec())
        throw ToolError(
            QStringLiteral("无法写入体检进度文件 %1：%2").arg(echoed(path_), q.lastError().text()));
}

void CrawlStore::saveSitemap(const std::vector<QString>& urls) {
    transaction([&] {
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        q.prepare(QStringLiteral("INSERT OR IGNORE INTO sitemap(url) VALUES (?)"));
        for (const QString& url : urls) {
            q.addBindValue(url);
            q.exec();
        }
    });
}
