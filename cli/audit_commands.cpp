#include "cli/command.h"
#include "cli/interrupt.h"
#include "cli/run_history.h"
#include "cli/terminal_text.h"

#include "audit/site_audit.h"
#include "base/saved_file.h"
#include "base/tool_error.h"
#include "demo/demo_site.h"
#include "tools/audit_files.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

namespace {

const QStringList kFormats = {QStringLiteral("text"), QStringLiteral("json"),
                              QStringLiteral("csv")};

double requestRate(const QString& typed) {
    bool ok = false;
    const double rate = typed.trimmed().toDouble(&ok);
    if (!ok || rate < 0 || rate > 1000)
        throw UsageError{
            QStringLiteral("--rate 应为 0 到 1000 之间的每秒请求数（0 为不限），而不是 %1")
                .arg(typed)};
    return rate;
}

void requireFormat(const QString& format) {
    if (!kFormats.contains(format))
        throw UsageError{QStringLiteral("--format 应为 %1 之一").arg(kFormats.join(u'、'))};
}

void requireRobots(const QString& mode) {
    if (mode != QLatin1String("obey") && mode != QLatin1String("ignore"))
        throw UsageError{QStringLiteral("--robots 应为 obey 或 ignore")};
}

// The summary, a line a kind with its count, then every problem: kind, address, detail and the
// first pages that link to it.
QList<QStringList> reportRows(const AuditReport& report) {
    QList<QStringList> rows;
    QMap<QString, int> counts;
    for (const AuditProblem& p : report.problems)
        ++counts[p.kind];
    rows << QStringList{QStringLiteral("起始网址"), report.start};
    rows << QStringList{QStringLiteral("已抓取网页"), QString::number(report.pages.size())};
    if (!report.stoppedBy.isEmpty())
        rows << QStringList{QStringLiteral("提前结束"), report.stoppedBy};
    for (const QString& kind : auditProblemKinds())
        if (counts.contains(kind))
            rows << QStringList{kind, QString::number(counts.value(kind))};
    for (const AuditProblem& p : report.problems) {
        QStringList from;
        for (const LinkRow& l :
             p.from.size() > 3 ? std::vector<LinkRow>(p.from.begin(), p.from.begin() + 3) : p.from)
            from << l.from;
        if (p.from.size() > 3)
            from << QStringLiteral("等 %1 个网页").arg(p.from.size());
        QStringList row{p.kind, p.url, p.detail};
        if (!from.isEmpty())
            row << QStringLiteral("来自 ") + from.join(u' ');
        rows << row;
    }
    return rows;
}

void printReport(const CliContext& ctx, const AuditReport& report, const QString& format,
                 const QString& out) {
    QByteArray bytes;
    if (format == QLatin1String("json")) {
        QJsonObject object = auditJson(report);
        bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
        if (out.isEmpty()) {
            ctx.printJson(object);
            return;
        }
    } else if (format == QLatin1String("csv")) {
        bytes = auditCsv(report);
        if (out.isEmpty()) {
            writeDocument(bytes);
            return;
        }
    } else {
        const QList<QStringList> rows = reportRows(report);
        if (out.isEmpty()) {
            for (const QStringList& row : rows)
                ctx.printRow(row);
            return;
        }
        for (const QStringList& row : rows)
            bytes += row.join(u'\t').toUtf8() + '\n';
    }
    saveFile(out, bytes);
}

// Baidu's dead-link files: FILE, then FILE-2 … when there are more than a file holds.
void writeDeadLinks(const CliContext& ctx, const AuditReport& report, const QString& path) {
    const QList<QByteArray> files = deadLinkFiles(report);
    if (files.isEmpty()) {
        ctx.warn(QStringLiteral("没有死链，未写死链文件 %1").arg(path));
        return;
    }
    for (int i = 0; i < files.size(); ++i)
        saveFile(deadLinkFilePath(path, i), files[i]);
}

void audit(CliContext& ctx, const QString& typed) {
    const QStringList inputs = cleanInputs(toolEntry(Tool::Audit), {typed});
    if (!allGiven(inputs))
        throw UsageError{
            QStringLiteral("起始网址清理后为空（去掉两端空格和撇号），未发出任何请求")};
    QString start = inputs[0];
    if (!start.contains(QLatin1String("://")))
        start.prepend(QStringLiteral("http://"));
    const auto& o = ctx.options;
    AuditOptions options;
    options.limits = ctx.limits;
    if (o.contains(QStringLiteral("--max-pages")))
        options.maxPages = wholeNumber(QStringLiteral("--max-pages"),
                                       o.value(QStringLiteral("--max-pages")), 1, 10'000'000);
    if (o.contains(QStringLiteral("--max-depth")))
        options.maxDepth = int(wholeNumber(QStringLiteral("--max-depth"),
                                           o.value(QStringLiteral("--max-depth")), 0, 1000));
    if (o.contains(QStringLiteral("--concurrency")))
        options.concurrency = int(wholeNumber(QStringLiteral("--concurrency"),
                                              o.value(QStringLiteral("--concurrency")), 1, 32));
    if (ctx.demo) {
        // The built-in site answers at once: no server to spare.
        options.answer = demoSiteAnswer;
        options.rate = 0;
    }
    if (o.contains(QStringLiteral("--rate")))
        options.rate = requestRate(o.value(QStringLiteral("--rate")));
    options.userAgent = o.value(QStringLiteral("--user-agent")).trimmed();
    options.includeSubdomains = o.contains(QStringLiteral("--include-subdomains"));
    options.obeyRobots =
        o.value(QStringLiteral("--robots"), QStringLiteral("obey")) == QLatin1String("obey");
    const QString format = o.value(QStringLiteral("--format"),
                                   ctx.json ? QStringLiteral("json") : QStringLiteral("text"));
    const QString out = o.value(QStringLiteral("--out"));
    // Ctrl-C ends the audit with what it found, not the program.
    armInterrupt();
    QJsonObject recorded;
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key() != QLatin1String("--out") && it.key() != QLatin1String("--format") &&
            it.key() != QLatin1String("--dead-links"))
            recorded.insert(it.key().mid(2), it.value());
    RecordedRun run = recordedRun(ctx, Tool::Audit, inputs, recorded);
    runRecorded(run, [&] {
        QElapsedTimer sinceTold;
        const AuditReport report = runSiteAudit(
            start, options, auditStateFile(start, ctx.demo), o.contains(QStringLiteral("--resume")),
            [&](const AuditProgress& p) {
                if (sinceTold.isValid() && sinceTold.elapsed() < 2000 && p.queued > 0)
                    return;
                sinceTold.start();
                ctx.warn(QStringLiteral("已抓取 %1，已发现 %2，待抓取 %3，故障 %4，每秒 %5 页")
                             .arg(p.pages)
                             .arg(p.found)
                             .arg(p.queued)
                             .arg(p.faults)
                             .arg(p.pagesPerSecond, 0, 'f', 1));
            });
        run.add(auditFigures(report));
        printReport(ctx, report, format, out);
        if (o.contains(QStringLiteral("--dead-links")))
            writeDeadLinks(ctx, report, o.value(QStringLiteral("--dead-links")));
        // What was found is printed; the record and the exit status say it was stopped.
        if (report.stoppedBy == QLatin1String("stopped"))
            throw ToolStopped{};
    });
}

} // namespace

std::vector<Command> auditCommands() {
    return {
        {"audit",
         "URL",
         "网站体检：从 URL 起按广度优先抓取同一网站（协议和主机相同；--include-subdomains "
         "含子域名）"
         "的每个网页，检查其余链接目标（图片、脚本、样式表、外站链接）是否可以访问，遵守 "
         "robots.txt（产品标识 Tessivo，--user-agent 同时改请求头和标识；--robots ignore 不理会）"
         "和其中的 Crawl-delay，每台主机默认 4 个连接（--concurrency）、每秒 5 个请求（--rate，"
         "0 为不限）。默认最多 10 万个网页（--max-pages），--max-depth 限制链接深度。进度保存在"
         "用户数据文件夹的 audits/ 中，中断（Ctrl-C 或被杀死）后加 --resume 接着抓取，已抓过的"
         "网页不再请求。抓取时在标准错误输出中打印进度。--format text（默认）打印按类型汇总的"
         "问题数和每个问题（类型、网址、说明、链接来源）；json（或 --json）为 {\"start\", "
         "\"pages\", \"problems\", \"counts\", \"stopped_by\"}；csv 为带 BOM 的 UTF-8，每个问题"
         "一行（kind、url、from、text、detail）。--out FILE 写入文件而不是标准输出。"
         "--dead-links 文件 另写百度的死链文件：每个坏链一行，UTF-8，每个文件最多 50,000 个，"
         "多出的写入 文件-2、文件-3…。"
         "--demo 体检内置的示例网站 www.example.cn（每种问题各有一例），不访问网络。"
         "问题类型：broken_link、redirect_chain、redirect_loop、temporary_redirect、"
         "missing_title、duplicate_title、title_too_long、missing_description、"
         "duplicate_description、missing_h1、multiple_h1、noindex、canonical_elsewhere、"
         "canonical_broken、blocked_by_robots、in_sitemap_not_linked、linked_not_in_sitemap、"
         "sitemap_error、charset_mismatch、mixed_content、image_without_alt、slow_page、"
         "large_page、trap。",
         1,
         1,
         [](CliContext& ctx, const QStringList& args) { audit(ctx, args[0]); },
         {{"--max-pages", "页数",
           [](const QString& t) { wholeNumber(QStringLiteral("--max-pages"), t, 1, 10'000'000); }},
          {"--max-depth", "深度",
           [](const QString& t) { wholeNumber(QStringLiteral("--max-depth"), t, 0, 1000); }},
          {"--concurrency", "连接数",
           [](const QString& t) { wholeNumber(QStringLiteral("--concurrency"), t, 1, 32); }},
          {"--rate", "每秒请求数", [](const QString& t) { requestRate(t); }},
          {"--user-agent", "UA"},
          {"--include-subdomains", nullptr},
          {"--robots", "obey|ignore", requireRobots},
          {"--resume", nullptr},
          {"--out", "文件"},
          {"--dead-links", "文件"},
          {"--format", "格式", requireFormat}}},
    };
}
