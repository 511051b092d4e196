#include "cli/command.h"

#include "cli/run_history.h"

#include "audit/sitemap_check.h"
#include "base/figure.h"
#include "base/tool_error.h"
#include "submit/address_list.h"
#include "submit/audit_pages.h"
#include "submit/baidu_push.h"
#include "submit/indexnow.h"
#include "submit/sitemap_writer.h"
#include "tools/push_reports.h"
#include "tools/tool_registry.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <cstdio>

namespace {

QByteArray readList(const QString& path) {
    if (path != QLatin1String("-"))
        return readListFile(path);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw ToolError(QStringLiteral("无法读取标准输入：%1").arg(in.errorString()));
    return readListFrom(in, path);
}

QJsonArray jsonList(const QStringList& list) {
    return QJsonArray::fromStringList(list);
}

// What the reader left out goes to standard error, so that standard output stays the result.
void tellLeftOut(const CliContext& ctx, const AddressList& list) {
    for (const QString& line : listNotes(list))
        ctx.warn(line);
}

void requireLastmod(const QString& mode) {
    if (mode != QLatin1String("auto") && mode != QLatin1String("none"))
        throw UsageError{QStringLiteral("--lastmod 应为 auto 或 none")};
}

void requireLimit(const QString& limit) {
    if (limit != QLatin1String("baidu") && limit != QLatin1String("sitemaps"))
        throw UsageError{QStringLiteral("--limit 应为 baidu 或 sitemaps")};
}

void checkSitemap(CliContext& ctx, const QString& location) {
    QByteArray body;
    if (location.startsWith(QLatin1String("http://")) ||
        location.startsWith(QLatin1String("https://"))) {
        const HttpResponse answer = ctx.fetcher.get(location);
        if (answer.status < 200 || answer.status >= 300)
            throw ToolError(
                QStringLiteral("无法读取站点地图 %1：HTTP %2").arg(location).arg(answer.status));
        body = answer.body;
    } else {
        body = readList(location);
    }
    const SitemapCheck check = checkSitemapFile(body, location);
    if (ctx.json) {
        ctx.printJson({{QStringLiteral("location"), location},
                       {QStringLiteral("index"), check.index},
                       {QStringLiteral("entries"), check.entries},
                       {QStringLiteral("problems"), jsonList(check.problems)}});
    } else {
        ctx.print(QStringLiteral("%1：%2 %3 个网址")
                      .arg(location, check.index ? QStringLiteral("站点地图索引，列出")
                                                 : QStringLiteral("站点地图，列出"))
                      .arg(check.entries));
        ctx.printLines(check.problems);
    }
    if (!check.problems.isEmpty())
        throw ToolError(
            QStringLiteral("站点地图 %1 有 %2 个问题").arg(location).arg(check.problems.size()));
}

void sitemap(CliContext& ctx, const QStringList& args) {
    const auto& o = ctx.options;
    if (o.contains(QStringLiteral("--check"))) {
        if (!args.isEmpty())
            throw UsageError{
                QStringLiteral("sitemap --check 只检查一个站点地图，不再需要网址列表")};
        checkSitemap(ctx, o.value(QStringLiteral("--check")));
        return;
    }
    const bool fromAudit = o.contains(QStringLiteral("--from-audit"));
    if (fromAudit == !args.isEmpty())
        throw UsageError{QStringLiteral("sitemap 需要网址列表文件（或 - 表示标准输入）或 "
                                        "--from-audit 文件，二者取一")};
    if (!o.contains(QStringLiteral("--base")) || !o.contains(QStringLiteral("--out")))
        throw UsageError{QStringLiteral("sitemap 需要 --base 网址和 --out 文件夹")};
    const QString base = o.value(QStringLiteral("--base"));
    const QString host = hostOf(base);
    if (host.isEmpty())
        throw UsageError{
            QStringLiteral("--base 应为网站地图所在的网址，例如 https://www.example.com/")};
    const bool deadLinks = o.contains(QStringLiteral("--dead-links"));
    if (deadLinks && !fromAudit)
        throw UsageError{QStringLiteral("--dead-links 从 --from-audit 给出的体检结果中取死链")};
    QByteArray text;
    if (fromAudit) {
        const QByteArray audit = readList(o.value(QStringLiteral("--from-audit")));
        text =
            (deadLinks ? deadLinksOfAudit(audit) : sitemapPagesOfAudit(audit)).join(u'\n').toUtf8();
    } else {
        text = readList(args[0]);
    }
    const AddressList list = readAddressList(text, host);
    tellLeftOut(ctx, list);

    SitemapOptions options;
    options.base = base;
    options.outDir = o.value(QStringLiteral("--out"));
    options.gzip = o.contains(QStringLiteral("--gzip"));
    if (o.value(QStringLiteral("--lastmod"), QStringLiteral("auto")) == QLatin1String("auto"))
        options.lastmod = QDate::currentDate().toString(Qt::ISODate);
    options.limit = o.value(QStringLiteral("--limit")) == QLatin1String("baidu")
                        ? SitemapLimit::Baidu
                        : SitemapLimit::Sitemaps;
    if (deadLinks) {
        options.limit = SitemapLimit::Baidu;
        options.name = QStringLiteral("silian");
        options.index = false;
    }
    const SitemapResult result = writeSitemaps(list.addresses, options);
    for (const QString& line : tooLongNotes(result))
        ctx.warn(line);
    if (ctx.json) {
        ctx.printJson(
            {{QStringLiteral("files"), jsonList(result.files)},
             {QStringLiteral("written"), result.written},
             {QStringLiteral("left_out"), int(list.leftOut.size() + result.tooLong.size())},
             {QStringLiteral("duplicates"), list.duplicates}});
        return;
    }
    ctx.print(sitemapSummary(result));
    ctx.printLines(result.files);
}

void pushBaiduRecorded(CliContext& ctx, RecordedRun& run, const BaiduPushOptions& options,
                       const QStringList& addresses) {
    const BaiduPushReport report =
        pushToBaidu(ctx.fetcher, options, addresses,
                    [&](const BaiduPushReport& r) { ctx.warn(baiduPushProgress(r)); });
    run.add(baiduPushFigures(report));
    if (ctx.json) {
        ctx.printJson(
            {{QStringLiteral("sent"), report.sent},
             {QStringLiteral("accepted"), report.accepted},
             {QStringLiteral("remain"), report.remain ? QJsonValue(*report.remain) : QJsonValue()},
             {QStringLiteral("not_same_site"), jsonList(report.notSameSite)},
             {QStringLiteral("not_valid"), jsonList(report.notValid)},
             {QStringLiteral("over_quota"), report.overQuota},
             {QStringLiteral("unsent"), jsonList(report.unsent)},
             {QStringLiteral("error"),
              report.error.isEmpty() ? QJsonValue() : QJsonValue(report.error)}});
    } else {
        for (const QStringList& row : baiduPushRows(report))
            ctx.printRow(row);
    }
    if (!report.error.isEmpty())
        throw ToolError(baiduPushFailure(report));
}

void pushBaidu(CliContext& ctx, const QString& listFile) {
    const auto& o = ctx.options;
    if (!o.contains(QStringLiteral("--site")) || !o.contains(QStringLiteral("--token-file")))
        throw UsageError{QStringLiteral("push baidu 需要 --site 站点和 --token-file 文件")};
    const QString site = o.value(QStringLiteral("--site"));
    const QString host = hostOf(site);
    if (host.isEmpty())
        throw UsageError{QStringLiteral(
            "--site 应为在百度搜索资源平台验证的站点，例如 https://www.example.com")};
    BaiduPushOptions options;
    options.token = readTokenFile(o.value(QStringLiteral("--token-file")));
    options.site = site;
    const EndpointTable& endpoints = ctx.endpoints;
    options.pushBase = endpoints.base(Endpoint::BaiduPushHost);
    const AddressList list = readAddressList(readList(listFile), host);
    tellLeftOut(ctx, list);
    if (list.addresses.isEmpty())
        throw ToolError(QStringLiteral("没有可以推送的网址"));

    RecordedRun run =
        recordedRun(ctx, Tool::PushBaidu, {list.host}, {{QStringLiteral("site"), site}});
    runRecorded(run, [&] { pushBaiduRecorded(ctx, run, options, list.addresses); });
}

void pushIndexNowRecorded(CliContext& ctx, RecordedRun& run, const IndexNowOptions& options,
                          const QStringList& addresses) {
    const IndexNowReport report = pushToIndexNow(ctx.fetcher, options, addresses);
    run.add(indexNowFigures(report));
    if (ctx.json) {
        ctx.printJson({{QStringLiteral("sent"), report.sent},
                       {QStringLiteral("requests"), report.batches},
                       {QStringLiteral("pending"), report.pending},
                       {QStringLiteral("unsent"), jsonList(report.unsent)},
                       {QStringLiteral("error"),
                        report.error.isEmpty() ? QJsonValue() : QJsonValue(report.error)}});
    } else {
        for (const QStringList& row : indexNowRows(report))
            ctx.printRow(row);
    }
    if (!report.error.isEmpty())
        throw ToolError(indexNowFailure(report));
}

void pushIndexNow(CliContext& ctx, const QStringList& args) {
    const auto& o = ctx.options;
    if (o.contains(QStringLiteral("--new-key"))) {
        const QString dir = o.value(QStringLiteral("--new-key"));
        const QString key = makeIndexNowKeyFile(dir);
        if (ctx.json)
            ctx.printJson(
                {{QStringLiteral("key"), key},
                 {QStringLiteral("file"), QDir(dir).filePath(key + QStringLiteral(".txt"))}});
        else
            ctx.printLines({key, QStringLiteral("把 %1.txt 放到网站根目录后再提交").arg(key)});
        return;
    }
    if (args.size() < 2 || !o.contains(QStringLiteral("--key")))
        throw UsageError{QStringLiteral("push indexnow 需要 --key 密钥和网址列表文件（或 - "
                                        "表示标准输入），或 --new-key 文件夹")};
    IndexNowOptions options;
    options.key = o.value(QStringLiteral("--key"));
    if (!validIndexNowKey(options.key))
        throw UsageError{QStringLiteral("--key 应为 8 到 128 个字母、数字或“-”")};
    options.keyLocation = o.value(QStringLiteral("--key-location"));
    const EndpointTable& endpoints = ctx.endpoints;
    options.apiBase = endpoints.base(Endpoint::IndexNowHost);
    const AddressList list = readAddressList(readList(args[1]), hostOf(options.keyLocation));
    tellLeftOut(ctx, list);
    RecordedRun run = recordedRun(ctx, Tool::PushIndexNow, {list.host});
    runRecorded(run, [&] { pushIndexNowRecorded(ctx, run, options, list.addresses); });
}

void push(CliContext& ctx, const QStringList& args) {
    const QString target = args[0];
    if (target == QLatin1String("indexnow")) {
        pushIndexNow(ctx, args);
        return;
    }
    if (target == QLatin1String("baidu")) {
        if (args.size() < 2)
            throw UsageError{QStringLiteral("push baidu 需要网址列表文件（或 - 表示标准输入）")};
        pushBaidu(ctx, args[1]);
        return;
    }
    throw UsageError{QStringLiteral("push 的目标应为 baidu 或 indexnow，而不是 %1").arg(target)};
}

} // namespace

std::vector<Command> submitCommands() {
    return {
        {"sitemap",
         "(URLS_FILE|-) --base URL --out DIR | --check URL|FILE",
         "链接提交：把网址列表（每行一个，UTF-8，可带 BOM 或 CRLF；- 为标准输入）或 --from-audit "
         "给出的网站体检 JSON（tessivo-cli audit --json 的输出，取状态 200、未设 noindex、没有"
         "规范到别处、robots.txt 未禁止的网页）写成 sitemaps.org 格式的网站地图，存入 --out "
         "文件夹："
         "sitemap.xml，放不下时为 sitemap-1.xml… 和 sitemap-index.xml（索引中的地址以 --base "
         "开头）。只采用与 --base 同一主机的 http、https 网址，其余和超过 2048 个字符的网址在标准"
         "错误中说明后略去，重复的只写一次。每个文件至多 5 万个网址、50 MB；--limit baidu 时每个"
         "文件小于 10 MB，<loc> 不超过 256 字节。--gzip 写成 .xml.gz。--lastmod auto（默认）写入"
         "今天的日期，none 不写。打印写入的文件；--json 为 {\"files\", \"written\", \"left_out\", "
         "\"duplicates\"}。--from-audit 加 --dead-links 时改为写百度的死链文件：体检中回答 404 或 "
         "410 "
         "的网址，按百度的限制写成 silian.xml（或 silian-1.xml…，不写索引：百度不处理索引形式的"
         "死链文件），放到网站根目录后在百度搜索资源平台提交。sitemap --check URL|FILE "
         "检查一个已有的站点地图（可为 gzip）：能否解析、"
         "至多 5 万个网址和 50 MB、都是同一主机的 http、https 网址且不超过 2048 个字符，网上的"
         "站点地图只列出它所在文件夹之下的网址；有问题时逐条打印，退出状态为 1；--json 为 "
         "{\"location\", \"index\", \"entries\", \"problems\"}。",
         0,
         1,
         sitemap,
         {{"--base", "网址"},
          {"--out", "文件夹"},
          {"--from-audit", "文件"},
          {"--gzip", nullptr},
          {"--lastmod", "auto|none", requireLastmod},
          {"--limit", "baidu|sitemaps", requireLimit},
          {"--check", "网址|文件"},
          {"--dead-links", nullptr}}},
        {"push",
         "baidu (URLS_FILE|-) --site SITE --token-file FILE | indexnow (URLS_FILE|-) --key KEY "
         "[--key-location URL] | indexnow --new-key DIR",
         "链接提交：把网址列表推送给百度普通收录（API提交），每批至多 2000 个，发往 "
         "{BaiduPushHost}/urls。--site 为在百度搜索资源平台验证的站点，--token-file 为存放准入"
         "密钥的文件（第一行；只有本人可读，否则拒绝）。密钥不出现在任何输出、历史或错误中。"
         "百度说今天的配额已用完（remain 为 0 或 over quota）时停止，列出未推送的网址；其他错误"
         "用中文说明原因，500 稍后重试一次。打印已推送、百度接受、今天剩余配额、不是本站和不合法"
         "的网址；--json 为 {\"sent\", \"accepted\", \"remain\", \"not_same_site\", "
         "\"not_valid\", \"over_quota\", \"unsent\", \"error\"}。push indexnow 通知 IndexNow "
         "的搜索引擎（必应、Yandex、Naver、Seznam、Yep）：先读取网站上的密钥文件（--key-location，"
         "默认为网站根目录的 KEY.txt），其中不是该密钥就不提交；然后每批至多 1 万个网址以 JSON "
         "发往 {IndexNowHost}/indexnow。403、422、400 说明原因后停止，429 退避后再试一次。"
         "--json 为 {\"sent\", \"requests\", \"pending\", \"unsent\", \"error\"}。"
         "push indexnow --new-key DIR 生成一个密钥和它的密钥文件 DIR/KEY.txt。",
         1,
         2,
         push,
         {{"--site", "站点"},
          {"--token-file", "文件"},
          {"--key", "密钥"},
          {"--key-location", "网址"},
          {"--new-key", "文件夹"}}},
    };
}
