#include "cli/command.h"

#include "base/tool_error.h"
#include "cli/terminal_text.h"
#include "history/history_export.h"
#include "history/history_store.h"
#include "tools/tool_registry.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace {

const QStringList kFormats = {QStringLiteral("table"), QStringLiteral("csv"),
                              QStringLiteral("json")};

void requireTool(const QString& tool) {
    if (!findTool(tool))
        throw UsageError{QStringLiteral("--tool 应为 %1 之一").arg(toolKeys().join(u'、'))};
}

void requireFormat(const QString& format) {
    if (!kFormats.contains(format))
        throw UsageError{QStringLiteral("--format 应为 %1 之一").arg(kFormats.join(u'、'))};
}

// A bare date means the start of that day where the user is; a date and time without an
// offset is local too, as it would be typed.
QDateTime since(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.size() == 10) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            return date.startOfDay().toUTC();
    }
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        throw UsageError{QStringLiteral("--since 应为日期 YYYY-MM-DD 或 ISO 8601 时间（如 "
                                        "2026-12-01T08:00），而不是 %1")
                             .arg(echoed(typed))};
    return time.toUTC();
}

constexpr qint64 kDefaultLimit = 50;

qint64 limit(const QString& typed) {
    bool ok = false;
    const qint64 n = typed.trimmed().toLongLong(&ok);
    if (!ok || n < 1)
        throw UsageError{
            QStringLiteral("--limit 应为正整数（列出最新的几条），而不是 %1").arg(echoed(typed))};
    return n;
}

// The table is laid out by the width of what the terminal shows, so the stored texts are escaped
// before it measures them; its own line breaks are the only ones left.
RunRecord escaped(RunRecord run) {
    for (QString* text : {&run.tool, &run.input, &run.keyword})
        *text = escapeControls(*text);
    for (Figure& figure : run.figures) {
        figure.label = escapeControls(figure.label);
        figure.text = escapeControls(figure.text);
    }
    return run;
}

// Each format is written a run at a time, so that a history of any size lists in the memory of
// one run; the CSV and the table read the runs once more for their columns and widths first.
// Returns whether the limit left runs out.
CsvHeaders csvHeaders(const CliContext& ctx) {
    return ctx.options.contains(QStringLiteral("--english-headers")) ? CsvHeaders::English
                                                                     : CsvHeaders::Chinese;
}

bool list(const CliContext& ctx, const HistoryStore& store, const HistoryQuery& query,
          const QString& format) {
    bool more = false;
    store.reading([&] {
        if (format == QLatin1String("csv")) {
            const QStringList labels = store.figureLabels(query);
            writeDocument(historyCsvHeader(labels, csvHeaders(ctx)));
            more = store.eachRun(query, [&](const RunRecord& run) {
                writeDocument(historyCsvRow(run, labels, csvHeaders(ctx)));
            });
        } else if (format == QLatin1String("json")) {
            bool first = true;
            more = store.eachRun(query, [&](const RunRecord& run) {
                writeDocument(historyJsonElement(run, first));
                first = false;
            });
            writeDocument(historyJsonEnd(!first));
        } else {
            // Every tool's runs a line each; one tool's with a column a figure.
            QStringList labels;
            if (!query.tool.isEmpty())
                labels = store.figureLabels(query);
            for (QString& label : labels)
                label = escapeControls(label);
            HistoryTable table(labels);
            bool any = false;
            store.eachRun(query, [&](const RunRecord& run) {
                table.measure(escaped(run));
                any = true;
            });
            if (!any) {
                ctx.print(QStringLiteral("没有符合条件的记录"));
                return;
            }
            ctx.print(table.header());
            more = store.eachRun(
                query, [&](const RunRecord& run) { ctx.printLines(table.lines(escaped(run))); });
        }
    });
    std::fflush(stdout);
    return more;
}

void check(const CliContext& ctx, const QString& path) {
    const HistoryStore store(path, HistoryStore::Access::Read);
    const QString damage = store.damage();
    if (!damage.isEmpty())
        throw ToolError(QStringLiteral("历史数据库 %1 已损坏：%2；请把它移走，Tessivo 会新建一个")
                            .arg(echoed(QDir::toNativeSeparators(path)), damage));
    ctx.print(QStringLiteral("历史数据库 %1 完好").arg(QDir::toNativeSeparators(path)));
}

void history(CliContext& ctx) {
    HistoryQuery query;
    query.tool = ctx.options.value(QStringLiteral("--tool"));
    query.input = ctx.options.value(QStringLiteral("--input")).trimmed();
    if (ctx.options.contains(QStringLiteral("--since")))
        query.since = since(ctx.options.value(QStringLiteral("--since")));
    const bool all = ctx.options.contains(QStringLiteral("--all"));
    if (all && ctx.options.contains(QStringLiteral("--limit")))
        throw UsageError{QStringLiteral("--all 与 --limit 只能用一个")};
    query.limit = all ? 0
                  : ctx.options.contains(QStringLiteral("--limit"))
                      ? limit(ctx.options.value(QStringLiteral("--limit")))
                      : kDefaultLimit;
    const QString format = ctx.options.value(
        QStringLiteral("--format"), ctx.json ? QStringLiteral("json") : QStringLiteral("table"));

    // Listing creates nothing: without a database there is simply no run yet.
    const QString path = ctx.historyFile.isEmpty() ? HistoryStore::defaultPath() : ctx.historyFile;
    if (ctx.options.contains(QStringLiteral("--check"))) {
        if (!QFileInfo::exists(path))
            throw ToolError(
                QStringLiteral("历史数据库 %1 不存在").arg(echoed(QDir::toNativeSeparators(path))));
        check(ctx, path);
        return;
    }
    if (!QFileInfo::exists(path)) {
        if (format == QLatin1String("csv"))
            writeDocument(historyCsvHeader({}, csvHeaders(ctx)));
        else if (format == QLatin1String("json"))
            writeDocument(historyJsonEnd(false));
        else
            ctx.print(QStringLiteral("没有符合条件的记录"));
        std::fflush(stdout);
        return;
    }
    if (list(ctx, HistoryStore(path, HistoryStore::Access::Read), query, format))
        ctx.warn(QStringLiteral("只列出了最新的 %1 条；--limit N 列出更多，--all 列出全部")
                     .arg(query.limit));
}

// The help names every tool by its key.
const char* historyHelp() {
    static const QByteArray help =
        QStringLiteral(
            "历史记录：列出记下的查询，最新的在前。--tool 只列一种工具（%1），--input 只列一个输入"
            "（域名、网址或关键词，与记下的完全相同），--since 只列该时刻以后的（YYYY-MM-DD "
            "为当地零点，或 ISO 8601 时间）。默认只列最新的 50 条，--limit N 列最新的 N 条，"
            "--all 列出全部（再多也是边读边写）。--format table（默认）打印对齐的表格：不加 "
            "--tool 时不超过 120 列，每次查询一行，末尾是各项结果的摘要；加 --tool 时每项结果一列，"
            "IP 查询的各个地址、相关搜索的各个关键词各占一行。csv 为带 BOM 的 UTF-8，每次查询一行，"
            "每项数字一列，表头为中文，时间为带时区偏移的 ISO 8601 当地时间；--english-headers "
            "给脚本用英文表头（id、tool…），结果和演示标志为 done/failed/stopped 与 true/false。"
            "json（或 --json）为完整记录的数组（时间为 UTC）。"
            "--check 完整检查数据库是否损坏（程序上次没有正常关闭时，打开时会自动检查）。"
            "数据库由 --history 指定，默认为用户数据文件夹中的 history.sqlite。")
            .arg(toolKeys().join(u'、'))
            .toUtf8();
    return help.constData();
}

} // namespace

std::vector<Command> historyCommands() {
    return {
        {"history",
         "[--tool 工具] [--input 输入] [--since 日期] [--limit N | --all] "
         "[--format table|csv|json] [--english-headers] [--check]",
         historyHelp(),
         0,
         0,
         [](CliContext& ctx, const QStringList&) { history(ctx); },
         {{"--tool", "工具", requireTool},
          {"--input", "输入"},
          {"--since", "日期", [](const QString& typed) { since(typed); }},
          {"--limit", "条数", [](const QString& typed) { limit(typed); }},
          {"--all", nullptr},
          {"--format", "格式", requireFormat},
          {"--english-headers", nullptr},
          {"--check", nullptr}}},
    };
}
