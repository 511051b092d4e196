#include "history/history_store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

// The rank tracker's list lives in the history's file: a run of the tracker is recorded beside
// the list it came from, and one file is one thing to keep or move.

qint64 HistoryStore::track(const TrackedPair& pair) {
    qint64 id = 0;
    writeTransaction([&] {
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        // Asking again for a pair that is on the list changes its engines and depth, and keeps
        // its id and the day it was added.
        q.prepare(QStringLiteral(
            "INSERT INTO tracked (site, keyword, engines, depth, added) VALUES (?, ?, ?, ?, ?)"
            " ON CONFLICT (site, keyword) DO UPDATE SET engines = excluded.engines,"
            " depth = excluded.depth"));
        q.addBindValue(pair.site);
        q.addBindValue(pair.keyword);
        // Qt binds a null string as NULL; no engines named is an empty list.
        q.addBindValue(pair.engines.isEmpty() ? QStringLiteral("") : pair.engines.join(u','));
        q.addBindValue(pair.depth);
        q.addBindValue((pair.added.isValid() ? pair.added : QDateTime::currentDateTimeUtc())
                           .toMSecsSinceEpoch());
        exec(q);
        QSqlQuery idOf(QSqlDatabase::database(connection_, false));
        idOf.prepare(QStringLiteral("SELECT id FROM tracked WHERE site = ? AND keyword = ?"));
        idOf.addBindValue(pair.site);
        idOf.addBindValue(pair.keyword);
        if (!idOf.exec() || !idOf.next())
            fail(idOf.lastError());
        id = idOf.value(0).toLongLong();
        idOf.finish();
    });
    return id;
}

QList<TrackedPair> HistoryStore::tracked() const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
            "SELECT id, site, keyword, engines, depth, added FROM tracked ORDER BY id")))
        throw readError(q.lastError());
    QList<TrackedPair> list;
    while (q.next()) {
        TrackedPair pair;
        pair.id = q.value(0).toLongLong();
        pair.site = q.value(1).toString();
        pair.keyword = q.value(2).toString();
        pair.engines = q.value(3).toString().split(u',', Qt::SkipEmptyParts);
        pair.depth = q.value(4).toInt();
        pair.added = QDateTime::fromMSecsSinceEpoch(q.value(5).toLongLong(), Qt::UTC);
        list << pair;
    }
    if (q.lastError().isValid())
        throw readError(q.lastError());
    return list;
}

QList<qint64> HistoryStore::untrack(const QList<qint64>& ids) {
    QList<qint64> removed;
    writeTransaction([&] {
        removed.clear();
        QSqlQuery q(QSqlDatabase::database(connection_, false));
        q.prepare(QStringLiteral("DELETE FROM tracked WHERE id = ?"));
        for (const qint64 id : ids) {
            q.bindValue(0, id);
            if (!q.exec())
                fail(q.lastError());
            if (q.numRowsAffected() > 0)
                removed << id;
            q.finish();
        }
    });
    return removed;
}

std::optional<Figure> HistoryStore::lastAnswer(const QString& tool, const QString& input,
                                               const QString& keyword, const QString& label) const {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    // Through runs_by_subject, newest first; a blocked or failed check answered nothing, so
    // the one before it counts.
    q.prepare(QStringLiteral(
        "SELECT f.label, f.text, f.number, f.why, f.detail, f.address FROM runs AS r"
        " JOIN figures AS f"
        " ON f.run_id = r.id WHERE r.tool = ? AND r.input = ? AND r.keyword = ? AND f.label = ?"
        " AND (f.number IS NOT NULL OR f.why = ?) ORDER BY r.started DESC, r.id DESC LIMIT 1"));
    q.addBindValue(tool);
    q.addBindValue(input);
    q.addBindValue(keyword);
    q.addBindValue(label);
    q.addBindValue(whyKey(Why::NotFound));
    if (!q.exec())
        throw readError(q.lastError());
    if (!q.next()) {
        if (q.lastError().isValid())
            throw readError(q.lastError());
        return std::nullopt;
    }
    return figureAt(q, 0);
}
