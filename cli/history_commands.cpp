#include "cli/command.h"

#include "base/tool_error.h"
#include "cli/terminal_text.h"
#include "history/history_export.h"
#include "history/history_store.h"
#include "tools/tool_registry.h"

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

// The CSV and the JSON are files: written to a file or a pipe they are exact. On a terminal the
// stored server texts in them pass the one escaping of every text a terminal shows.
void writeOut(QByteArray bytes) {
    if (::isatty(STDOUT_FILENO))
        bytes = escapeControls(QString::fromUtf8(bytes), LineBreaks::Kept).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// The table is laid out by the width of what the terminal shows, so the stored texts are escaped
// before it measures them; its own line breaks are the only ones left.
QList<RunRecord> escaped(QList<RunRecord> runs) {
    for (RunRecord& run : runs) {
        for (QString* text : {&run.tool, &run.input, &run.keyword})
            *text = escapeControls(*text);
        for (Figure& figure : run.figures) {
            figure.label = escapeControls(figure.label);
            figure.text = escapeControls(figure.text);
        }
    }
    return runs;
}

void history(CliContext& ctx) {
    HistoryQuery query;
    query.tool = ctx.options.value(QStringLiteral("--tool"));
    query.input = ctx.options.value(QStringLiteral("--input")).trimmed();
    if (ctx.options.contains(QStringLiteral("--since")))
        query.since = since(ctx.options.value(QStringLiteral("--since")));
    const QString format = ctx.options.value(
        QStringLiteral("--format"), ctx.json ? QStringLiteral("json") : QStringLiteral("table"));

    // Listing creates nothing: without a database there is simply no run yet.
    const QString path = ctx.historyFile.isEmpty() ? HistoryStore::defaultPath() : ctx.historyFile;
    QList<RunRecord> runs;
    if (QFileInfo::exists(path))
        runs = HistoryStore(path, HistoryStore::Access::Read).runs(query);

    if (format == QLatin1String("csv"))
        writeOut(historyCsv(runs));
    else if (format == QLatin1String("json"))
        writeOut(historyJson(runs));
    else if (runs.isEmpty())
        ctx.print(QStringLiteral("没有符合条件的记录"));
    else
        ctx.printText(historyTable(escaped(runs)));
}

// The help names every tool by its key.
const char* historyHelp() {
    static const QByteArray help =
        QStringLiteral(
            "历史记录：列出记下的查询，最新的在前。--tool 只列一种工具（%1），--input 只列一个输入"
            "（域名、网址或关键词，与记下的完全相同），--since 只列该时刻以后的（YYYY-MM-DD "
            "为当地零点，或 ISO 8601 时间）。--format table（默认）打印对齐的表格；csv 为带 BOM "
            "的 UTF-8，每次查询一行，每项数字一列；json（或 --json）为完整记录的数组。"
            "数据库由 --history 指定，默认为用户数据文件夹中的 history.sqlite。")
            .arg(toolKeys().join(u'、'))
            .toUtf8();
    return help.constData();
}

} // namespace

std::vector<Command> historyCommands() {
    return {
        {"history",
         "[--tool 工具] [--input 输入] [--since 日期] [--format table|csv|json]",
         historyHelp(),
         0,
         0,
         [](CliContext& ctx, const QStringList&) { history(ctx); },
         {{"--tool", "工具", requireTool},
          {"--input", "输入"},
          {"--since", "日期", [](const QString& typed) { since(typed); }},
          {"--format", "格式", requireFormat}}},
    };
}
