#include "tools/recorded_run.h"

#include "base/figure_problems.h"
#include "base/tool_error.h"
#include "history/run_log.h"
#include "net/stop.h"

void RunHistory::save(const RunRecord& run) {
    if (failed_)
        return;
    HistoryStore* store = open_();
    if (!store)
        return;
    try {
        store->record(run);
    } catch (const ToolError& e) {
        failed_ = true;
        writeFailed_(e.description());
    }
}

RecordedRun::RecordedRun(RunHistory* history, const ToolEntry& tool, const QStringList& inputs,
                         const QJsonObject& options, bool demo)
    : history_(history), engines_(tool.engines),
      record_(beginRun(QLatin1String(tool.key), inputs.value(0), inputs.value(1), options)) {
    record_.demo = demo;
}

bool RecordedRun::compareWithLast() {
    HistoryStore* store = history_ ? history_->store() : nullptr;
    if (!store)
        return false;
    before_ = lastFigures(*store, record_.tool, record_.input, record_.keyword);
    return true;
}

QString RecordedRun::change(const Figure& now) const {
    const Figure* last = nullptr;
    if (before_) {
        const auto found = before_->constFind(now.label);
        last = found == before_->cend() ? nullptr : &*found;
    }
    return positionChange(now, last);
}

void RecordedRun::finish(RunEnd end, const QString& error) {
    QString why = error;
    if (end == RunEnd::Done && engines_) {
        // The tool went to its end, yet figures whose request failed are no answers.
        const FigureProblems problems = countProblems(record_.figures);
        if (problems.failed > 0) {
            end = problems.failed == problems.figures ? RunEnd::Failed : RunEnd::Partial;
            why = failureList(record_.figures, QStringLiteral("；"));
        }
    }
    endRun(record_, end, why);
    if (history_)
        history_->save(record_);
}

void RecordedRun::run(const std::function<void()>& work) {
    try {
        work();
    } catch (const ToolStopped&) {
        finish(RunEnd::Stopped);
        throw;
    } catch (const ToolError& e) {
        finish(RunEnd::Failed, e.description());
        throw;
    } catch (const std::exception& e) {
        finish(RunEnd::Failed, QString::fromLocal8Bit(e.what()));
        throw;
    }
    finish(RunEnd::Done);
}
