#pragma once

#include "history/history_store.h"
#include "tools/recorded_run.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct CliContext;

// The history as tessivo-cli keeps it: opened the first time a run is recorded or looked up,
// unless --no-history. A history that cannot be opened or written is told once through warn,
// and is not used again: the command goes on, its results still reach standard output.
class CliHistory {
public:
    using Warn = std::function<void(const QString& text)>;
    CliHistory(QString file, bool off, Warn warn);
    ~CliHistory();

    // nullptr when off or unavailable.
    HistoryStore* store();
    RunHistory& runs() { return runs_; }

private:
    QString file_;
    bool off_;
    bool failed_ = false;
    Warn warn_;
    std::unique_ptr<HistoryStore> store_;
    RunHistory runs_;
};

// A run of tool on the cleaned inputs, to be recorded in ctx's history (as demo data with
// --demo).
RecordedRun recordedRun(const CliContext& ctx, Tool tool, const QStringList& inputs,
                        const QJsonObject& options = {});

// Runs work for run, its requests sharing connections within the run, and records it. What work
// raises is raised again after the record is written.
void runRecorded(RecordedRun& run, const std::function<void()>& work);
