#pragma once

#include "history/history_store.h"
#include "history/run_record.h"

#include <QString>
#include <functional>
#include <memory>

struct CliContext;

// The history as tessivo-cli keeps it: opened the first time a run is recorded or looked up,
// unless --no-history. A history that cannot be opened or written is told once on standard
// error, and the command goes on: its results still reach standard output.
class CliHistory {
public:
    CliHistory(QString file, bool off) : file_(std::move(file)), off_(off) {}
    ~CliHistory();

    // nullptr when off or unavailable.
    HistoryStore* store(const CliContext& ctx);
    void record(const CliContext& ctx, const RunRecord& run);

private:
    QString file_;
    bool off_;
    bool failed_ = false;
    std::unique_ptr<HistoryStore> store_;
};

// Runs work for run and records it: done, failed with the error's description, or stopped.
// What work raises is raised again after the record is written.
void recordedRun(CliContext& ctx, RunRecord& run, const std::function<void()>& work);
