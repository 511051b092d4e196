#include "cli/run_history.h"

#include "base/tool_error.h"
#include "cli/command.h"
#include "history/run_log.h"
#include "net/http_fetch.h"
#include "net/stop.h"

CliHistory::~CliHistory() = default;

HistoryStore* CliHistory::store(const CliContext& ctx) {
    if (off_ || failed_)
        return nullptr;
    if (!store_) {
        try {
            store_ = std::make_unique<HistoryStore>(file_.isEmpty() ? HistoryStore::defaultPath()
                                                                    : file_);
        } catch (const ToolError& e) {
            failed_ = true;
            ctx.warn(QStringLiteral("历史记录不可用，本次结果不记录：") + e.description());
            return nullptr;
        }
    }
    return store_.get();
}

void CliHistory::record(const CliContext& ctx, const RunRecord& run) {
    HistoryStore* history = store(ctx);
    if (!history)
        return;
    try {
        history->record(run);
    } catch (const ToolError& e) {
        failed_ = true;
        ctx.warn(QStringLiteral("结果未能记入历史：") + e.description());
    }
}

void recordedRun(CliContext& ctx, RunRecord& run, const std::function<void()>& work) {
    run.demo = ctx.demo;
    const auto save = [&](RunEnd end, const QString& error = {}) {
        endRun(run, end, error);
        if (ctx.history)
            ctx.history->record(ctx, run);
    };
    try {
        // Connections are shared within the run and closed when it ends.
        const FetchSession session;
        work();
    } catch (const ToolStopped&) {
        save(RunEnd::Stopped);
        throw;
    } catch (const ToolError& e) {
        save(RunEnd::Failed, e.description());
        throw;
    } catch (const std::exception& e) {
        save(RunEnd::Failed, QString::fromLocal8Bit(e.what()));
        throw;
    }
    save(RunEnd::Done);
}
