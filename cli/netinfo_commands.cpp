#include "cli/command.h"

#include "cli/interrupt.h"
#include "cli/run_history.h"
#include "netinfo/ip_lookup.h"
#include "netinfo/lookup_figures.h"
#include "netinfo/lookup_text.h"
#include "netinfo/whois_lookup.h"

#include <QJsonArray>

namespace {

QStringList requireHost(Tool tool, const QString& typed) {
    const QStringList host = cleanInputs(toolEntry(tool), {typed});
    if (!allGiven(host))
        throw UsageError{QStringLiteral("清理后为空（去掉空格、撇号、协议、路径和端口），"
                                        "未发出任何请求")};
    return host;
}

QJsonValue optionalText(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

void ip(CliContext& ctx, const QString& typed) {
    const QStringList inputs = requireHost(Tool::Ip, typed);
    const QString& host = inputs[0];
    // Read before the run: a wrong endpoints file is no failure of the lookup.
    const EndpointTable& endpoints = ctx.endpoints;
    armInterrupt();
    bool headed = false;
    IpLookup result;
    RecordedRun run = recordedRun(ctx, Tool::Ip, inputs);
    runRecorded(run, [&] {
        result = runIpLookup({ctx.fetcher, *ctx.resolver, endpoints}, host,
                             [&](const IpAddressRow& row) {
                                 run.add(ipRowFigures(row));
                                 if (ctx.json)
                                     return;
                                 if (!headed) {
                                     ctx.printRow(ipHeadings());
                                     // The same for every address: told once.
                                     if (!row.countryProblem.isEmpty())
                                         ctx.warn(row.countryProblem);
                                 }
                                 headed = true;
                                 ctx.printRow(ipColumns(row));
                                 if (!row.rdapProblem.isEmpty())
                                     ctx.warn(QStringLiteral("%1 的 RDAP 查询失败：%2")
                                                  .arg(row.address, row.rdapProblem));
                             });
    });
    if (!ctx.json) {
        if (!result.aliases.isEmpty())
            ctx.print(QStringLiteral("别名（CNAME）：%1 → %2")
                          .arg(host, result.aliases.join(QStringLiteral(" → "))));
        return;
    }
    QJsonArray addresses;
    for (const IpAddressRow& row : result.addresses)
        addresses.append(QJsonObject{
            {QStringLiteral("address"), row.address},
            {QStringLiteral("family"), row.family},
            {QStringLiteral("reverse"), optionalText(row.reverse)},
            {QStringLiteral("country_code"), optionalText(row.countryCode)},
            {QStringLiteral("country"), optionalText(row.country)},
            {QStringLiteral("country_error"), optionalText(row.countryProblem)},
            {QStringLiteral("network"), optionalText(row.network)},
            {QStringLiteral("owner"), optionalText(row.owner)},
            {QStringLiteral("network_country"), optionalText(row.networkCountry)},
            {QStringLiteral("rdap_error"), optionalText(row.rdapProblem)},
        });
    ctx.printJson({{QStringLiteral("query"), result.query},
                   {QStringLiteral("cname"), QJsonArray::fromStringList(result.aliases)},
                   {QStringLiteral("addresses"), addresses}});
}

QString answerKey(DomainRecord::Answer answer) {
    switch (answer) {
    case DomainRecord::Answer::NoMatch:
        return QStringLiteral("no_match");
    case DomainRecord::Answer::RateLimited:
        return QStringLiteral("rate_limited");
    case DomainRecord::Answer::Record:
        break;
    }
    return QStringLiteral("record");
}

void whois(CliContext& ctx, const QString& typed) {
    const QStringList inputs = requireHost(Tool::Whois, typed);
    const EndpointTable& endpoints = ctx.endpoints;
    armInterrupt();
    DomainRecord r;
    RecordedRun run = recordedRun(ctx, Tool::Whois, inputs);
    runRecorded(run, [&] {
        r = runWhoisLookup(ctx.fetcher, *ctx.whois, endpoints, inputs[0]);
        run.add(domainFigures(r));
    });
    if (ctx.json) {
        ctx.printJson({
            {QStringLiteral("domain"), r.domain},
            {QStringLiteral("source"), r.source},
            {QStringLiteral("server"), r.server},
            {QStringLiteral("answer"), answerKey(r.answer)},
            {QStringLiteral("registrar"), optionalText(r.registrar)},
            {QStringLiteral("created"), optionalText(isoTime(r.created))},
            {QStringLiteral("expires"), optionalText(isoTime(r.expires))},
            {QStringLiteral("updated"), optionalText(isoTime(r.updated))},
            {QStringLiteral("name_servers"), QJsonArray::fromStringList(r.nameServers)},
            {QStringLiteral("status"), QJsonArray::fromStringList(r.status)},
            {QStringLiteral("dnssec"), optionalText(r.dnssec)},
            {QStringLiteral("registrar_note"), optionalText(r.registrarNote)},
            {QStringLiteral("rdap_note"), optionalText(r.rdapNote)},
            {QStringLiteral("raw"), r.raw},
        });
        return;
    }
    if (const QString notice = domainNotice(r); !notice.isEmpty()) {
        ctx.print(notice);
        return;
    }
    ctx.printLines(domainSummary(r));
    ctx.print(QString());
    ctx.printText(r.raw);
}

} // namespace

std::vector<Command> netinfoCommands() {
    return {
        {toolEntry(Tool::Ip).key, "TARGET",
         "IP查询：TARGET 为域名或 IP 地址（去掉协议、路径和端口）。域名经系统解析器解析出全部 "
         "IPv4 和 IPv6 地址；每个地址打印一行：地址、类型、反向解析、国家/地区（程序自带的离线"
         "数据库）、网络和所有者（地区互联网注册机构的 "
         "RDAP，所有者后的括号内是注册机构记录的国家），以制表符分隔，不知道的为“-”，"
         "RDAP "
         "查询失败的原因和缺少离线数据库的原因写在标准错误输出中；有别名（CNAME）时最后打印别名链。"
         "--json：{\"query\", \"cname\": [], \"addresses\": [{\"address\", \"family\", "
         "\"reverse\", "
         "\"country_code\", \"country\", \"country_error\", \"network\", \"owner\", "
         "\"network_country\", "
         "\"rdap_error\"}]}，不知道的为 null。",
         1, 1, [](CliContext& ctx, const QStringList& args) { ip(ctx, args[0]); }},
        {toolEntry(Tool::Whois).key, "DOMAIN",
         "WHOIS查询：查询 DOMAIN 所属的可注册域名（按公共后缀列表，如 "
         "http://www.example.com.cn/x → example.com.cn）的注册信息。先查 RDAP（IANA 的引导文件"
         "给出注册局的服务器，并跟随注册局给出的注册商记录），顶级域名没有 RDAP 时查 WHOIS（TCP "
         "43 端口：IANA 的 WHOIS 服务器给出注册局的服务器，并跟随一次“Registrar WHOIS Server”）。"
         "先打印摘要（来源、注册商、注册、到期和更新日期、域名服务器、状态、DNSSEC），空一行后"
         "打印完整记录；域名未注册或查询过于频繁时只打印一行说明，退出状态仍为 0。"
         "--json：{\"domain\", \"source\": \"rdap\" 或 \"whois\", \"server\", \"answer\": "
         "\"record\"、\"no_match\" 或 \"rate_limited\", \"registrar\", \"created\", \"expires\", "
         "\"updated\"（ISO 8601，UTC）, \"name_servers\": [], \"status\": [], \"dnssec\", "
         "\"registrar_note\", \"rdap_note\", \"raw\"}，不知道的为 null。",
         1, 1, [](CliContext& ctx, const QStringList& args) { whois(ctx, args[0]); }},
    };
}
