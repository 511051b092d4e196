#pragma once

#include "history/history_store.h"
#include "history/run_record.h"
#include "tools/tool_registry.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// A program's history as its runs use it. Each program says where the store comes from and what
// it does the first time a run cannot be written (the CLI writes a line on standard error, the
// window shows its error box); after that failure no run is written, and the tools go on.
class RunHistory {
public:
    // The store, opened when first asked; nullptr when there is none (switched off, or it
    // could not be opened and the program said why).
    using Open = std::function<HistoryStore*()>;
    using WriteFailed = std::function<void(const QString& description)>;

    RunHistory(Open open, WriteFailed writeFailed)
        : open_(std::move(open)), writeFailed_(std::move(writeFailed)) {}

    HistoryStore* store() const { return open_(); }
    // Writes run unless a write has failed before; a failure is told once.
    void save(const RunRecord& run);

private:
    Open open_;
    WriteFailed writeFailed_;
    bool failed_ = false;
};

// One run's record from its start to its end: begun now (UTC), filled with the figures as the
// tool reports them, ended done, failed (with the description) or stopped, and saved.
class RecordedRun {
public:
    // inputs are the cleaned inputs in the tool's order: the first is the record's input, the
    // second its keyword. history may be null: the run is then not kept.
    RecordedRun(RunHistory* history, const ToolEntry& tool, const QStringList& inputs,
                const QJsonObject& options = {}, bool demo = false);

    const RunRecord& record() const { return record_; }

    // From the thread doing the work, until the run ends.
    void add(const Figure& figure) { record_.figures << figure; }
    void add(const QList<Figure>& figures) { record_.figures << figures; }

    // Reads the last run of the same tool about the same input and keyword that ended done, to
    // compare this one with; false without a history. Raises ToolError when it cannot be read.
    bool compareWithLast();
    // How now moved since that run's figure of the same label (positionChange,
    // history/run_log.h), against no figure when there was no such run or no comparison.
    QString change(const Figure& now) const;

    // Stamps the end and saves the record. A tool whose figures are its engines' answers that
    // ends Done ends Failed when every engine's request failed and Partial when some did, with
    // the failed engines and why as the error.
    void finish(RunEnd end, const QString& error = {});

    // Runs work and finishes as it ends: done (or what the engines' failures make of it, as
    // for finish), failed with the error's description, or stopped. What work raises is raised
    // again once the record is saved.
    void run(const std::function<void()>& work);

private:
    RunHistory* history_;
    bool engines_; // the tool's figures are its engines' answers
    RunRecord record_;
    std::optional<QHash<QString, Figure>> before_;
};
