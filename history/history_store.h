#pragma once

#include "base/tool_error.h"
#include "history/run_record.h"
#include "history/tracked_pair.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
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
    bool withoutDemo = false;       // leaves out the demo mode's made-up runs
    qint64 limit = 0;               // the newest this many; 0: all
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

    // Hands each run asked for, newest first with its figures, to each, one at a time: memory
    // stays that of one run however many there are. Returns whether the limit left runs out.
    bool eachRun(const HistoryQuery& query,
                 const std::function<void(const RunRecord&)>& each) const;

    // Runs body in one read transaction: the listings inside it all see the same runs,
    // whatever another program records meanwhile.
    void reading(const std::function<void()>& body) const;

    // The labels of the figures of the runs asked for, each once, in the order they first
    // appear (the columns of a CSV or a table written a run at a time).
    QStringList figureLabels(const HistoryQuery& query) const;

    // SQLite's full integrity check: empty when the file is sound, else what is wrong.
    QString damage() const;

    // Whether opening it found that the last program to use it did not close it (killed, or the
    // machine went down), and so checked it before use.
    bool checkedOnOpen() const { return checkedOnOpen_; }

    // The inputs recorded for tool (with their keywords), most recent first, for the history
    // window's pickers.
    struct Subject {
        QString input;
        QString keyword;
    };
    QList<Subject> subjects(const QString& tool) const;

    void remove(const QList<qint64>& ids);
    void clear();

    // The rank tracker's list. track adds the pair, or gives a pair already on the list (the
    // same site and keyword) the new engines and depth; returns its id.
    qint64 track(const TrackedPair& pair);
    // Every pair, in the order they were added.
    QList<TrackedPair> tracked() const;
    // Takes the ids off the list; returns those that were on it.
    QList<qint64> untrack(const QList<qint64>& ids);

    // The newest figure labelled label of tool's runs for input and keyword that answered: a
    // number, or not found. Blocked, unrecognised and failed figures are passed over.
    std::optional<Figure> lastAnswer(const QString& tool, const QString& input,
                                     const QString& keyword, const QString& label) const;

private:
    void closeConnection();
    bool lockAlone();
    void shareLock();
    void quickCheck() const;
    ToolError readError(const QSqlError& error) const;
    std::unique_ptr<QSqlQuery> select(const QString& columns, const HistoryQuery& query) const;
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
    // The figure in the columns label, text, number, why, detail, address from first on.
    static Figure figureAt(const QSqlQuery& row, int first);

    QString path_;
    QString connection_;
    int lockFd_ = -1;
    bool checkedOnOpen_ = false;
    // Prepared once: recording a run is what the programs do most often.
    std::unique_ptr<QSqlQuery> begin_, commit_, insertRun_, insertFigure_;
};
