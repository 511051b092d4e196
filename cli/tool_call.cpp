#include "cli/tool_call.h"

#include "base/data_file.h"
#include "base/figure_problems.h"
#include "base/tool_error.h"
#include "cli/batch_options.h"
#include "cli/run_history.h"
#include "cli/terminal_text.h"
#include "history/history_export.h"
#include "net/http_fetch.h"
#include "net/spaced_fetcher.h"

#include <QJsonArray>
#include <QJsonValue>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace {

enum class Format { Text, Json, Csv };

Format outputFormat(const CliContext& ctx) {
    const QString f = ctx.options.value(QStringLiteral("--format"));
    if (f == u"csv")
        return Format::Csv;
    return ctx.json || f == u"json" ? Format::Json : Format::Text;
}

// The fields of a CSV line: quotes hold commas, and "" is a quote.
QStringList splitCsvLine(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
            field += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u',' && !quoted) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    return fields << field;
}

struct BatchLine {
    int number; // in the file, from 1
    QStringList fields;
};

// The lines of a batch file: blank lines and lines starting with "#" skipped. With more than one
// input a line is "a<TAB>b", or the file is a CSV whose first line is a header.
QList<BatchLine> batchLines(const QString& path, qsizetype inputs) {
    const QByteArray bytes = readDataFile(path);
    if (const QString why = plainTextProblem(bytes); !why.isEmpty())
        throw ToolError(QStringLiteral("批处理文件 %1：%2").arg(echoed(path), why));
    const QString text = QString::fromUtf8(withoutBom(bytes));
    const QStringList raw = text.split(u'\n');
    QList<BatchLine> lines;
    bool csv = false;
    bool header = true;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QString line = raw[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        if (header && inputs > 1) {
            header = false;
            if (!line.contains(u'\t') && line.contains(u',')) {
                csv = true;
                continue;
            }
        }
        QStringList fields = inputs == 1 ? QStringList{line}
                             : csv       ? splitCsvLine(line)
                                         : line.split(u'\t');
        if (fields.size() != inputs)
            throw ToolError(
                QStringLiteral("批处理文件 %1 第 %2 行应有 %3 项（%4），却有 %5 项：%6")
                    .arg(echoed(path), QString::number(i + 1), QString::number(inputs),
                         csv ? QStringLiteral("以逗号分隔") : QStringLiteral("以制表符分隔"),
                         QString::number(fields.size()), echoed(line)));
        lines.append({int(i + 1), fields});
    }
    return lines;
}

// Where one line's results go: text as the tool prints it, one JSON object, or one CSV row.
class LineOutput {
public:
    LineOutput(CliContext& ctx, const ToolCall& call, Format format, bool batch)
        : ctx_(ctx), tool_(toolEntry(call.tool)), format_(format), batch_(batch),
          labels_(call.labels ? call.labels(ctx) : tool_.labels()) {}

    void begin() {
        if (format_ == Format::Csv) {
            QStringList head{QStringLiteral("line")};
            for (const ToolInput& input : tool_.inputs)
                head << QLatin1String(input.key);
            head << QStringLiteral("outcome") << QStringLiteral("error") << labels_;
            ctx_.print(csvLine(head));
        }
    }

    void line(int number, const QStringList& inputs) {
        if (batch_ && format_ == Format::Text)
            ctx_.printRow(QStringList{QStringLiteral("# %1").arg(number)} + inputs);
    }

    void result(int number, const QStringList& inputs, const RunRecord& run, QJsonObject json,
                const QString& error) {
        if (format_ == Format::Json) {
            if (batch_) {
                json.insert(QStringLiteral("line"), number);
                for (size_t i = 0; i < tool_.inputs.size(); ++i)
                    json.insert(QLatin1String(tool_.inputs[i].key), inputs.value(qsizetype(i)));
                if (!error.isNull())
                    json.insert(QStringLiteral("error"), error);
            }
            ctx_.printJson(json);
        } else if (format_ == Format::Csv) {
            QStringList row{QString::number(number)};
            row << inputs << outcome(run, error) << error;
            for (const QString& label : labels_) {
                const Figure* figure = findFigure(run, label);
                row << (figure ? figureCell(*figure) : QString());
            }
            ctx_.print(csvLine(row));
        }
    }

private:
    // A line whose inputs were refused has no run; a run's own end says the rest.
    static QString outcome(const RunRecord& run, const QString& error) {
        if (error.isNull())
            return runEndKey(RunEnd::Done);
        return runEndKey(run.end == RunEnd::Partial ? RunEnd::Partial : RunEnd::Failed);
    }

    CliContext& ctx_;
    const ToolEntry& tool_;
    Format format_;
    bool batch_;
    QStringList labels_; // the CSV's figure columns
};

QStringList cleaned(const ToolCall& call, const QStringList& typed) {
    const QStringList inputs = cleanInputs(toolEntry(call.tool), typed);
    if (!allGiven(inputs))
        throw UsageError{QString::fromUtf8(call.emptyInput)};
    return inputs;
}

RecordedRun startRecord(const CliContext& ctx, const ToolCall& call, const QStringList& inputs) {
    return recordedRun(ctx, call.tool, inputs, call.asked ? call.asked(ctx) : QJsonObject{});
}

// What the figures cannot say, once the run has ended and its results are out: in text output,
// why each engine that failed or was unreadable has no figure, on standard error; and a run whose
// engines' requests failed, wholly or in part, raises ToolError, so that its exit status is not
// taken for success.
void tellEngineProblems(const CliContext& ctx, const RunRecord& run) {
    if (printsText(ctx))
        for (const Figure& f : run.figures)
            if (const QString problem = figureProblem(f); !problem.isEmpty())
                ctx.warn(f.label + u'：' + problem);
    if (run.end == RunEnd::Failed || run.end == RunEnd::Partial)
        throw ToolError(problemSummary(run.figures));
}

void runOnce(CliContext& ctx, const ToolCall& call, const QStringList& args) {
    const QStringList inputs = cleaned(call, args);
    LineOutput out(ctx, call, outputFormat(ctx), false);
    RecordedRun run = startRecord(ctx, call, inputs);
    QJsonObject json;
    out.begin();
    runRecorded(run, [&] { call.run(ctx, inputs, run, json); });
    out.result(1, inputs, run.record(), json, QString());
    tellEngineProblems(ctx, run.record());
}

bool doneLately(CliContext& ctx, const ToolCall& call, const QStringList& inputs) {
    HistoryStore* store = ctx.history ? ctx.history->store() : nullptr;
    if (!store)
        return false;
    return !store
                ->runs({.tool = QLatin1String(toolEntry(call.tool).key),
                        .input = inputs.value(0),
                        .keyword = inputs.value(1),
                        .since = QDateTime::currentDateTimeUtc().addDays(-1),
                        .doneOnly = true,
                        .withoutDemo = true,
                        .limit = 1})
                .isEmpty();
}

void runBatch(CliContext& ctx, const ToolCall& call, const QString& path) {
    const QList<BatchLine> lines = batchLines(path, qsizetype(toolEntry(call.tool).inputs.size()));
    const QString delay = ctx.options.value(QStringLiteral("--delay"), QStringLiteral("1"));
    SpacedFetcher spaced(ctx.fetcher,
                         std::chrono::milliseconds(qint64(delaySeconds(delay) * 1000)));
    // Read once, before the first line: a wrong endpoints file stops the batch instead of
    // failing every line, and the lines share the table read.
    [[maybe_unused]] const EndpointTable& endpoints = ctx.endpoints;
    CliContext lineCtx{spaced,          ctx.endpoints, ctx.json,    ctx.options,  ctx.demo,
                       ctx.historyFile, ctx.noHistory, ctx.history, ctx.resolver, ctx.whois};
    const bool resume = ctx.options.contains(QStringLiteral("--resume"));
    const bool showProgress = isatty(STDERR_FILENO);
    LineOutput out(lineCtx, call, outputFormat(ctx), true);
    out.begin();
    int failed = 0;
    int skipped = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const BatchLine& line = lines[i];
        if (showProgress)
            std::fprintf(stderr, "\r\033[K[%lld/%lld] %s", qlonglong(i + 1),
                         qlonglong(lines.size()),
                         escapeControls(line.fields.join(u' ')).toUtf8().constData());
        QStringList inputs;
        try {
            inputs = cleaned(call, line.fields);
        } catch (const UsageError& e) {
            ++failed;
            lineCtx.warn(
                QStringLiteral("第 %1 行：%2").arg(QString::number(line.number), e.message));
            out.result(line.number, line.fields, RunRecord{}, {}, e.message);
            continue;
        }
        if (resume && doneLately(lineCtx, call, inputs)) {
            ++skipped;
            continue;
        }
        out.line(line.number, inputs);
        RecordedRun run = startRecord(lineCtx, call, inputs);
        QJsonObject json;
        try {
            runRecorded(run, [&] { call.run(lineCtx, inputs, run, json); });
            if (showProgress)
                std::fputs("\r\033[K", stderr);
            tellEngineProblems(lineCtx, run.record());
        } catch (const ToolError& e) {
            ++failed;
            if (showProgress)
                std::fputs("\r\033[K", stderr);
            lineCtx.warn(QStringLiteral("第 %1 行（%2）：%3")
                             .arg(line.number)
                             .arg(inputs.join(u' '), kErrorPrefix + e.description()));
            out.result(line.number, inputs, run.record(), json, e.description());
            continue;
        }
        out.result(line.number, inputs, run.record(), json, QString());
    }
    if (showProgress)
        std::fputs("\r\033[K", stderr);
    if (skipped > 0)
        ctx.warn(QStringLiteral("--resume：跳过了 %1 行（24 小时内已成功查询）").arg(skipped));
    if (failed > 0)
        throw ToolError(
            QStringLiteral("批处理文件 %1 共 %2 行，其中 %3 行失败")
                .arg(echoed(path), QString::number(lines.size()), QString::number(failed)));
}

} // namespace

bool printsText(const CliContext& ctx) {
    return outputFormat(ctx) == Format::Text;
}

void runToolCommand(CliContext& ctx, const ToolCall& call, const QStringList& args) {
    const QString batch = ctx.options.value(QStringLiteral("--batch"));
    if (batch.isNull()) {
        for (const char* batchOnly : {"--delay", "--resume"})
            if (ctx.options.contains(QLatin1String(batchOnly)))
                throw UsageError{QStringLiteral("%1 只与 --batch 一起使用").arg(batchOnly)};
        runOnce(ctx, call, args);
    } else {
        if (!args.isEmpty())
            throw UsageError{QStringLiteral("给出 --batch 时不再接受命令行上的参数")};
        runBatch(ctx, call, batch);
    }
}

QJsonObject figureJson(const Figure& figure, const QString& numberKey) {
    QJsonObject o{{QStringLiteral("text"), figure.text},
                  {numberKey, figure.number ? QJsonValue(*figure.number) : QJsonValue()}};
    if (!figure.number)
        o.insert(QStringLiteral("why"), whyKey(figure.why));
    if (!figure.detail.isEmpty())
        o.insert(QStringLiteral("detail"), figure.detail);
    // As it went on the wire: a script can fetch it as it stands.
    if (!figure.address.isEmpty())
        o.insert(QStringLiteral("address"), QString::fromLatin1(wireUrl(figure.address)));
    return o;
}
