#include "cli/run_history.h"

#include "base/tool_error.h"
#include "cli/command.h"
#include "net/http_fetch.h"

CliHistory::CliHistory(QString file, bool off, Warn warn)
    : file_(std::move(file)), off_(off), warn_(std::move(warn)),
      runs_([this] { return store(); },
            [this](const QString& description) {
                failed_ = true;
                warn_(QStringLiteral("结果未能记入历史：") + description);
            }) {}

CliHistory::~CliHistory() = default;

HistoryStore* CliHistory::store() {
    if (off_ || failed_)
        return nullptr;
    if (!store_) {
        try {
            store_ = std::make_unique<HistoryStore>(file_.isEmpty() ? HistoryStore::defaultPath()
                                                                    : file_);
        } catch (const ToolError& e) {
            failed_ = true;
            warn_(QStringLiteral("历史记录不可用，本次结果不记录：") + e.description());
            return nullptr;
        }
    }
    return store_.get();
}

RecordedRun recordedRun(const CliContext& ctx, Tool tool, const QStringList& inputs,
                        const QJsonObject& options) {
    return RecordedRun(ctx.history ? &ctx.history->runs() : nullptr, toolEntry(tool), inputs,
                       options, ctx.demo);
}

void runRecorded(RecordedRun& run, const std::function<void()>& work) {
    run.run([&] {
        // Connections are shared within the run and closed when it ends.
        const FetchSession session;
        work();
    });
}
