#pragma once

#include "history/run_record.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class QSqlError;
class QSqlQuery;

// Which runs a view or a command asks for. Empty fields do not filter.
struct HistoryQuery {
    QString tool;
    QString input;
    std::optional<QString> keyword; // set: only runs with exactly this keyword
    QDateTime since;                // UTC; invalid: all
    bool doneOnly = false;          // only runs that ended Done
    int limit = 0;                  // 0: all
};

// The history database: one SQLite file (WAL), opened by one thread. Every call that fails
// raises ToolError naming the file.
class HistoryStore {
public:
    // history.sqlite in QStandardPaths::AppDataLocation.
    static QString defaultPath();

    // Write makes a missing file (and its folders) the user's alone and migrates an older
    // schema. Read makes nothing and opens a file that it or its folder does not let us write
    // read-only, for listing. Anything but a regular file or a new path, a file that is not a
    // database of ours, or a corrupt one raises ToolError with its path and is left as it is.
    enum class Access { Write, Read };
    explicit HistoryStore(const QString& path = defaultPath(), Access access = Access::Write);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    QString path() const { return path_; }

    // Writes the run and its figures in one transaction, waiting out another process's lock;
    // returns the run's id.
    qint64 record(const RunRecord& run);

    // The runs asked for, newest first, with their figures.
    QList<RunRecord> runs(const HistoryQuery& query) const;

    // The inputs recorded for tool (with their keywords), most recent first, for the history
    // window's pickers.
    struct Subject {
        QString input;
        QString keyword;
    };
    QList<Subject> subjects(const QString& tool) const;

    void remove(const QList<qint64>& ids);
    void clear();

private:
    void closeConnection();
    QString notOurs() const;
    QString newer(int version) const;
    void create(const QString& folder) const;
    void checkHeader() const;
    void requireWritable(const QString& folder) const;
    void openConnection(bool readOnly);
    QVariant scalar(const QString& sql) const;
    int checkOwnership() const; // returns the schema version
    void setUp();
    void exec(const QString& sql) const;
    qint64 exec(QSqlQuery& query) const; // returns the id of the row it inserted
    [[noreturn]] void fail(const QSqlError& error) const;
    void withRetry(const std::function<void()>& work);
    void writeTransaction(const std::function<void()>& body);
    std::unique_ptr<QSqlQuery> prepared(const char* sql) const;

    QString path_;
    QString connection_;
    // Prepared once: recording a run is what the programs do most often.
    std::unique_ptr<QSqlQuery> begin_, commit_, insertRun_, insertFigure_;
};
