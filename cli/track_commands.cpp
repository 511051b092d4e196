#include "cli/command.h"
#include "cli/run_history.h"

#include "base/tool_error.h"
#include "history/run_log.h"
#include "net/engine_files.h"
#include "net/spaced_fetcher.h"
#include "tools/track_alerts.h"
#include "tools/track_run.h"
#include "tools/track_schedule.h"
#include "track/rank_check.h"
#include "track/site_host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonValue>
#include <QStandardPaths>
#include <QUrl>

namespace {

// The most organic results a check reads: ten pages of ten.
constexpr int kMaxDepth = 100;

QStringList trackEngines(const QString& list) {
    QStringList known;
    // A rows file that could not be read raises its description here.
    for (const EngineEntry& row : engines::catalog().rows(QLatin1String(engine_tool::kRankTrack)))
        known << row.engine;
    if (list.isNull())
        return known;
    QStringList asked;
    for (const QString& name : list.split(u',', Qt::SkipEmptyParts)) {
        if (!known.contains(name.trimmed()))
            throw UsageError{QStringLiteral("--engines 的引擎应为 %1 中的一个或几个（以逗号分隔）")
                                 .arg(known.join(u','))};
        if (!asked.contains(name.trimmed()))
            asked << name.trimmed();
    }
    if (asked.isEmpty())
        throw UsageError{QStringLiteral("--engines 后应为一个或几个引擎名（以逗号分隔）")};
    return asked;
}

int trackDepth(const QString& text) {
    return int(wholeNumber(QStringLiteral("--depth"), text, 1, kMaxDepth));
}

QJsonValue textOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QJsonObject checkJson(const EngineCheck& c, const QString& change) {
    const bool found = c.outcome == CheckOutcome::Found;
    return {{QStringLiteral("outcome"), checkOutcomeKey(c.outcome)},
            {QStringLiteral("position"), found ? QJsonValue(c.position) : QJsonValue()},
            {QStringLiteral("url"), found ? textOrNull(c.url) : QJsonValue()},
            {QStringLiteral("title"), found ? textOrNull(c.title) : QJsonValue()},
            {QStringLiteral("detail"), textOrNull(c.detail)},
            {QStringLiteral("results_read"), c.resultsRead},
            {QStringLiteral("change"), textOrNull(change)}};
}

// What one check says in words: the outcome and its change, then the address and title or the
// detail.
QStringList checkRow(const EngineCheck& c, const QString& change) {
    const int shown = c.outcome == CheckOutcome::Found ? c.position : c.resultsRead;
    QStringList row{c.engine, checkOutcomeText(c.outcome, shown)};
    if (!change.isEmpty())
        row << change;
    if (c.outcome == CheckOutcome::Found)
        row << c.url << c.title;
    else if (!c.detail.isEmpty())
        row << c.detail;
    return row;
}

RankChecker checkerOf(Fetcher& fetcher, const EndpointTable& endpoints) {
    return [&fetcher, &endpoints](const QString& engine, const RankQuery& query) {
        return checkRank(fetcher, endpoints, engine, query);
    };
}

// The site as the list and the history keep it: its host.
QString trackedSite(const QString& typed) {
    const QString host = addressHost(typed);
    if (host.isEmpty())
        throw UsageError{QStringLiteral("SITE 应为网站的主机名，例如 www.example.com")};
    return host;
}

QString trackedKeyword(const QString& typed) {
    const QString keyword = typed.simplified();
    if (keyword.isEmpty())
        throw UsageError{QStringLiteral("KEYWORD 去掉空白后为空，未发出任何请求")};
    return keyword;
}

// Recorded in the history, each engine's change read from it before.
void trackCheck(CliContext& ctx, const QString& siteArg, const QString& keywordArg) {
    RankQuery query;
    query.site = trackedSite(siteArg);
    query.keyword = trackedKeyword(keywordArg);
    if (ctx.options.contains(QStringLiteral("--depth")))
        query.depth = trackDepth(ctx.options.value(QStringLiteral("--depth")));
    query.exactHost = ctx.options.contains(QStringLiteral("--exact-host"));
    const QStringList names = trackEngines(ctx.options.value(QStringLiteral("--engines")));
    const EndpointTable& endpoints = ctx.endpoints;
    QJsonObject engines;
    checkAndRecord(&ctx.history->runs(), query, names, checkerOf(ctx.fetcher, endpoints), ctx.demo,
                   [&](const TrackedCheck& c) {
                       engines.insert(c.check.engine, checkJson(c.check, c.change));
                       if (!ctx.json)
                           ctx.printRow(checkRow(c.check, c.change));
                   });
    if (ctx.json)
        ctx.printJson({{QStringLiteral("site"), query.site},
                       {QStringLiteral("keyword"), query.keyword},
                       {QStringLiteral("engines"), engines}});
}

const CommandOption kEnginesOption{"--engines", "引擎列表",
                                   [](const QString& v) { trackEngines(v); }};

std::chrono::milliseconds delaySeconds(const QString& text) {
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || seconds < 0 || seconds > 3600)
        throw UsageError{QStringLiteral("--delay 应为 0 到 3600 之间的秒数")};
    return std::chrono::milliseconds(qint64(seconds * 1000));
}

// The list lives in the history's file: without it there is nothing to add to or run.
HistoryStore& trackStore(const CliContext& ctx) {
    if (ctx.noHistory)
        throw UsageError{QStringLiteral("跟踪列表保存在历史数据库中，不能与 --no-history 同用")};
    HistoryStore* store = ctx.history->store();
    if (!store)
        throw ToolError(QStringLiteral("无法打开历史数据库，跟踪列表不可用"));
    return *store;
}

void addPairs(CliContext& ctx, const QStringList& args) {
    if (args.size() < 3)
        throw UsageError{QStringLiteral("track add 需要网址和至少一个关键词")};
    TrackedPair pair;
    pair.site = trackedSite(args[1]);
    QStringList keywords;
    for (const QString& typed : args.mid(2))
        keywords << trackedKeyword(typed);
    // Named engines are kept as named; none named is every engine of the day of the run.
    if (ctx.options.contains(QStringLiteral("--engines")))
        pair.engines = trackEngines(ctx.options.value(QStringLiteral("--engines")));
    if (ctx.options.contains(QStringLiteral("--depth")))
        pair.depth = trackDepth(ctx.options.value(QStringLiteral("--depth")));
    HistoryStore& store = trackStore(ctx);
    QJsonArray ids;
    for (const QString& keyword : keywords) {
        pair.keyword = keyword;
        const qint64 id = store.track(pair);
        ids.append(id);
        if (!ctx.json)
            ctx.printRow({QString::number(id), pair.site, pair.keyword});
    }
    if (ctx.json)
        ctx.printJson({{QStringLiteral("added"), ids}});
}

void listPairs(CliContext& ctx) {
    const QList<TrackedPair> pairs = trackStore(ctx).tracked();
    if (ctx.json) {
        QJsonArray items;
        for (const TrackedPair& p : pairs)
            items.append(QJsonObject{
                {QStringLiteral("id"), p.id},
                {QStringLiteral("site"), p.site},
                {QStringLiteral("keyword"), p.keyword},
                {QStringLiteral("engines"),
                 QJsonArray::fromStringList(p.engines.isEmpty() ? rankEngineNames() : p.engines)},
                {QStringLiteral("depth"), p.depth},
                {QStringLiteral("added"), p.added.toString(Qt::ISODate)}});
        ctx.printJson({{QStringLiteral("tracked"), items}});
        return;
    }
    if (pairs.isEmpty())
        ctx.warn(QStringLiteral("跟踪列表是空的；用 track add 网址 关键词 加入"));
    for (const TrackedPair& p : pairs)
        ctx.printRow({QString::number(p.id), p.site, p.keyword,
                      p.engines.isEmpty() ? QStringLiteral("全部引擎") : p.engines.join(u','),
                      QString::number(p.depth),
                      p.added.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"))});
}

void removePairs(CliContext& ctx, const QStringList& args) {
    if (args.size() < 2)
        throw UsageError{QStringLiteral("track remove 需要至少一个编号（track list 列出编号）")};
    QList<qint64> ids;
    for (const QString& typed : args.mid(1)) {
        bool ok = false;
        const qint64 id = typed.toLongLong(&ok);
        if (!ok || id <= 0)
            throw UsageError{QStringLiteral("编号“%1”不是 track list 列出的编号").arg(typed)};
        ids << id;
    }
    const QList<qint64> removed = trackStore(ctx).untrack(ids);
    for (const qint64 id : ids)
        if (!removed.contains(id))
            ctx.warn(QStringLiteral("跟踪列表中没有编号 %1").arg(id));
    if (ctx.json) {
        QJsonArray gone;
        for (const qint64 id : removed)
            gone.append(id);
        ctx.printJson({{QStringLiteral("removed"), gone}});
    }
    if (removed.size() < ids.size())
        throw ToolError(QStringLiteral("%1 个编号不在跟踪列表中").arg(ids.size() - removed.size()));
}

QString countsText(const TrackCounts& c) {
    return QStringLiteral("找到 %1，未找到 %2，受阻 %3，页面无法识别 %4，失败 %5，跳过 %6")
        .arg(c.found)
        .arg(c.notFound)
        .arg(c.blocked)
        .arg(c.unrecognised)
        .arg(c.failed)
        .arg(c.skipped);
}

QJsonObject countsJson(const TrackCounts& c) {
    return {
        {QStringLiteral("found"), c.found},     {QStringLiteral("not_found"), c.notFound},
        {QStringLiteral("blocked"), c.blocked}, {QStringLiteral("unrecognised"), c.unrecognised},
        {QStringLiteral("failed"), c.failed},   {QStringLiteral("skipped"), c.skipped}};
}

// A move is news for the user's desktop and the webhook; neither ever fails the run.
void tellMoves(CliContext& ctx, const TrackCounts& counts) {
    if (counts.moves.isEmpty())
        return;
    QStringList lines;
    for (const RankMove& m : counts.moves)
        lines << moveText(m);
    const QString problem = notifyDesktop(QStringLiteral("Tessivo 排名跟踪"), lines.join(u'\n'));
    if (!problem.isEmpty())
        ctx.warn(QStringLiteral("未能发出桌面通知：") + problem);
    const QString webhook = webhookAddress();
    if (webhook.isEmpty())
        return;
    QJsonObject summary = movesJson(counts.moves);
    summary.insert(QStringLiteral("counts"), countsJson(counts));
    try {
        postMoves(ctx.fetcher, webhook, summary);
    } catch (const ToolError& e) {
        ctx.warn(QStringLiteral("未能通知 webhook：") + e.description());
    }
}

void runList(CliContext& ctx) {
    const QList<TrackedPair> pairs = trackStore(ctx).tracked();
    if (pairs.isEmpty())
        ctx.warn(QStringLiteral("跟踪列表是空的；用 track add 网址 关键词 加入"));
    // Each engine's host sees at most one request a delay, a little more at random, so that the
    // requests of a daily run do not come at a machine's beat.
    const std::chrono::milliseconds delay =
        delaySeconds(ctx.options.value(QStringLiteral("--delay"), QStringLiteral("5")));
    SpacedFetcher spaced(ctx.fetcher, delay, delay / 2);
    QJsonArray checks;
    TrackRunTell tell;
    tell.checked = [&](const TrackedPair& pair, const TrackedCheck& c) {
        if (ctx.json) {
            QJsonObject item = checkJson(c.check, c.change);
            item.insert(QStringLiteral("site"), pair.site);
            item.insert(QStringLiteral("keyword"), pair.keyword);
            item.insert(QStringLiteral("engine"), c.check.engine);
            checks.append(item);
        } else {
            ctx.printRow(QStringList{pair.site, pair.keyword} << checkRow(c.check, c.change));
        }
    };
    tell.blocked = [&](const QString& engine, const QString& sign) {
        ctx.warn(QStringLiteral("%1 受阻（%2），本次运行不再询问它").arg(engine, sign));
    };
    const TrackCounts counts = runTrackedList(&ctx.history->runs(), pairs,
                                              checkerOf(spaced, ctx.endpoints), ctx.demo, tell);
    if (ctx.json)
        ctx.printJson({{QStringLiteral("checks"), checks},
                       {QStringLiteral("counts"), countsJson(counts)},
                       {QStringLiteral("moves"), movesJson(counts.moves).value(u"moves")}});
    else
        ctx.warn(countsText(counts));
    tellMoves(ctx, counts);
}

void scheduleDaily(CliContext& ctx, const QString& typed) {
    const std::optional<QTime> daily = dailyTime(typed);
    if (!daily)
        throw UsageError{QStringLiteral("track schedule daily 后应为时:分，例如 08:00")};
    QStringList command{QCoreApplication::applicationFilePath()};
    if (!ctx.historyFile.isEmpty())
        command << QStringLiteral("--history") << QFileInfo(ctx.historyFile).absoluteFilePath();
    command << QStringLiteral("track") << QStringLiteral("run");
    const QString timer = writeSchedule(scheduleFolder(), *daily, command);
    ctx.print(QStringLiteral("已写好 %1 和同名的 .service：每天 %2 运行 track run")
                  .arg(QDir::toNativeSeparators(timer), typed));
    const QString unit = QLatin1String(kScheduleUnit) + QStringLiteral(".timer");
    const QString problem = enableSchedule();
    if (problem.isEmpty())
        ctx.print(QStringLiteral("已启用 %1").arg(unit));
    else
        ctx.warn(
            QStringLiteral("计划未启用（%1）；在有 systemd 用户会话的登录中运行 "
                           "systemctl --user daemon-reload && systemctl --user enable --now %2")
                .arg(problem, unit));
}

void scheduleOff(CliContext& ctx) {
    const QString unit = QLatin1String(kScheduleUnit) + QStringLiteral(".timer");
    const QString problem = disableSchedule();
    if (!removeSchedule(scheduleFolder())) {
        ctx.print(QStringLiteral("没有排名跟踪的计划"));
        return;
    }
    ctx.print(QStringLiteral("已删除排名跟踪的计划"));
    if (!problem.isEmpty())
        ctx.warn(QStringLiteral("systemctl 未能停用 %1（%2）").arg(unit, problem));
}

void scheduleStatus(CliContext& ctx) {
    const ScheduleState state =
        scheduleState(trackStore(ctx), scheduleFolder(), QDateTime::currentDateTime());
    if (ctx.json) {
        QJsonObject lastJson;
        if (state.last) {
            QJsonObject counts;
            for (const Figure& f : state.last->figures)
                counts.insert(f.label, f.number ? QJsonValue(*f.number) : QJsonValue());
            lastJson = {{QStringLiteral("started"), state.last->started.toString(Qt::ISODate)},
                        {QStringLiteral("ended"), state.last->ended.toString(Qt::ISODate)},
                        {QStringLiteral("outcome"), runEndKey(state.last->end)},
                        {QStringLiteral("error"), textOrNull(state.last->error)},
                        {QStringLiteral("counts"), counts}};
        }
        ctx.printJson(
            {{QStringLiteral("daily"),
              state.daily ? QJsonValue(state.daily->toString(QStringLiteral("HH:mm")))
                          : QJsonValue()},
             {QStringLiteral("last_run"), state.last ? QJsonValue(lastJson) : QJsonValue()},
             {QStringLiteral("next_run"),
              state.next.isValid() ? QJsonValue(state.next.toString(Qt::ISODate)) : QJsonValue()},
             {QStringLiteral("missed"), state.missedAt.isValid()},
             {QStringLiteral("failed"), state.failed}});
        return;
    }
    for (const ScheduleLine& line : scheduleLines(state)) {
        if (line.alarm)
            ctx.printAlarm(line.text);
        else
            ctx.print(line.text);
    }
}

void schedule(CliContext& ctx, const QStringList& args) {
    const QString what = args.value(1);
    if (what == u"daily" && args.size() == 3)
        scheduleDaily(ctx, args[2]);
    else if (what == u"off" && args.size() == 2)
        scheduleOff(ctx);
    else if (what == u"status" && args.size() == 2)
        scheduleStatus(ctx);
    else
        throw UsageError{QStringLiteral("track schedule 后应为 daily 时:分、off 或 status")};
}

void webhook(CliContext& ctx, const QStringList& args) {
    if (args.size() != 2)
        throw UsageError{QStringLiteral("track webhook 后应为一个网址或 off")};
    if (args[1] == u"off") {
        setWebhookAddress({});
        ctx.print(QStringLiteral("不再通知 webhook"));
        return;
    }
    const QUrl url(args[1], QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https") ||
        url.host().isEmpty())
        throw UsageError{QStringLiteral("webhook 应为 http:// 或 https:// 网址")};
    setWebhookAddress(url.toString());
    ctx.print(QStringLiteral("排名进出前 3、前 10 时将以 JSON POST 到 %1").arg(url.toString()));
}

void track(CliContext& ctx, const QStringList& args) {
    const QString what = args[0];
    if (what == u"check" && args.size() == 3)
        trackCheck(ctx, args[1], args[2]);
    else if (what == u"add")
        addPairs(ctx, args);
    else if (what == u"list" && args.size() == 1)
        listPairs(ctx);
    else if (what == u"remove")
        removePairs(ctx, args);
    else if (what == u"run" && args.size() == 1)
        runList(ctx);
    else if (what == u"schedule")
        schedule(ctx, args);
    else if (what == u"webhook")
        webhook(ctx, args);
    else
        throw UsageError{QStringLiteral(
            "track 后应为 check 网址 关键词、add、list、remove、run、schedule 或 webhook")};
}

} // namespace

// One ordinary query for each engine, and what the answer says of the engine's rows.
void checkEngines(CliContext& ctx) {
    const QStringList names = trackEngines(ctx.options.value(QStringLiteral("--engines")));
    const EndpointTable& endpoints = ctx.endpoints;
    QJsonObject states;
    QStringList troubled;
    RankQuery query;
    query.keyword = QStringLiteral("天气");
    query.depth = 10;
    // Recorded, so that the tracker window can name an engine whose pages changed.
    RecordedRun run = recordedRun(ctx, Tool::EnginesCheck, {query.keyword});
    runRecorded(run, [&] {
        for (const QString& name : names) {
            const EngineCheck c = checkRank(ctx.fetcher, endpoints, name, query);
            run.add(checkFigure(c));
            QString state;
            QString said;
            switch (c.outcome) {
            case CheckOutcome::Found:
            case CheckOutcome::NotFound:
                state = QStringLiteral("ok");
                said = c.resultsRead > 0
                           ? QStringLiteral("正常（读到 %1 个自然结果）").arg(c.resultsRead)
                           : QStringLiteral("正常（引擎答没有结果）");
                break;
            case CheckOutcome::Blocked:
                state = QStringLiteral("blocked");
                said = QStringLiteral("受阻：%1").arg(c.detail);
                break;
            case CheckOutcome::Unrecognised:
                state = QStringLiteral("unrecognised");
                said = QStringLiteral("页面无法识别：%1").arg(c.detail);
                break;
            case CheckOutcome::Failed:
                state = QStringLiteral("failed");
                said = QStringLiteral("失败：%1").arg(c.detail);
                break;
            }
            if (state != u"ok")
                troubled << name;
            states.insert(name, QJsonObject{{QStringLiteral("state"), state},
                                            {QStringLiteral("results_read"), c.resultsRead},
                                            {QStringLiteral("detail"), textOrNull(c.detail)}});
            if (!ctx.json)
                ctx.printRow({name, said});
        }
    });
    if (ctx.json)
        ctx.printJson({{QStringLiteral("engines"), states}});
    if (!troubled.isEmpty())
        throw ToolError(QStringLiteral("%1 个引擎不正常：%2")
                            .arg(troubled.size())
                            .arg(troubled.join(QStringLiteral("、"))));
}

CommandOption trackEnginesOption() {
    return kEnginesOption;
}

std::vector<Command> trackCommands() {
    return {
        {"track",
         "check SITE KEYWORD [--engines 引擎,…] [--depth N] [--exact-host] | add SITE KEYWORD… "
         "[--engines 引擎,…] [--depth N] | list | remove ID… | run [--delay 秒数] | schedule "
         "daily HH:MM|off|status | webhook URL|off",
         "排名跟踪。check：在今天的搜索引擎（百度、百度移动、必应、搜狗、360 "
         "搜索、DuckDuckGo）搜索 "
         "KEYWORD，在自然结果中查找 SITE 的名次，广告不算名次。SITE 是网站的主机名（可带 "
         "http:// 和路径），该主机和它的子域名都算，两边开头的 www. 都不计；--exact-host "
         "只算这个主机本身。引擎的请求、结果的位置、真实地址和受阻的标志都写在引擎文件 "
         "rank-track.ini 中（见 engines list）。\n"
         "每个引擎一行：引擎名、制表符和结果：“第N位”及与上次相比的变化、结果的地址和标题；"
         "“前N位中没有”（读完了要求的深度；引擎答没有结果时为“没有结果”）；“受阻（验证码）”及看到的"
         "标志（验证码、验证页面、"
         "重定向到它们、空白的回答）；“页面无法识别”及要修改的引擎文件和行（引擎改了页面）；"
         "“失败”及原因。受阻或无法识别的页面从不给出名次或“没有”。每次检查都记入历史"
         "（工具 rank-track），变化（“↑3”“↓2”“—”“新”“出榜”）与同一网站、关键词和引擎上次找到或"
         "没有找到的结果相比，受阻和失败的检查不算。\n"
         "--json：{\"site\", \"keyword\", \"engines\": {引擎名: {\"outcome\", \"position\", "
         "\"url\", \"title\", \"detail\", \"results_read\", \"change\"}}}；outcome 为 found、"
         "not_found、blocked、unrecognised 或 failed，position 为名次（只有 found 时有），"
         "results_read 为读到的自然结果数，change 没有可比的结果时为 null。\n"
         "--engines 只问列出的引擎（以逗号分隔，引擎名见 engines list 的 rank-track 行），"
         "--depth N 最多读前 N 个自然结果（1–100，默认 50）。检查完成即以状态 0 退出，"
         "各引擎的结果怎样都一样。\n"
         "跟踪列表保存在历史数据库中（不能与 --no-history 同用）。add 把 SITE 的关键词加入列表"
         "（--engines 只问其中的引擎，默认全部；--depth 同上），已在列表中的改用新的引擎和深度；"
         "list 列出编号、网站、关键词、引擎、深度和加入日期；remove 按编号删除（有不在列表中的"
         "编号时退出状态为 1）。run 检查列表中的每一对，每行：网站、关键词和 check 的一行；"
         "同一引擎两次请求之间至少间隔 --delay 秒（默认 5，另加随机的最多一半），某个引擎受阻后"
         "本次运行不再问它，并在标准错误输出上说明；整次运行也记入历史（工具 track-run：开始、"
         "结束和各结果的次数）；名次进出前 3 或前 10 时发桌面通知，设置了 webhook 时再以 JSON "
         "POST 给它（{\"moves\": [{\"site\", \"keyword\", \"engine\", \"top\", \"entered\", "
         "\"before\", \"now\"}…], \"counts\"}）。\n"
         "schedule daily HH:MM 写 systemd 用户定时器 tessivo-track.timer 和 tessivo-track.service"
         "（$XDG_CONFIG_HOME/systemd/user 或 ~/.config/systemd/user），每天运行 track run（电脑"
         "关着错过的，开机后补上），有 systemctl 时启用它；off 停用并删除；status 显示计划、上次"
         "运行（时间、各结果次数、失败）和下次运行，上次运行有失败或错过了运行时在终端上以红色"
         "显示。webhook URL 设置通知地址，off 取消。\n"
         "--json：add {\"added\": [编号…]}，list {\"tracked\": [{\"id\", \"site\", "
         "\"keyword\", \"engines\", \"depth\", \"added\"}…]}，remove {\"removed\": [编号…]}，"
         "run {\"checks\": [{\"site\", \"keyword\", \"engine\", check 的各项…}…], "
         "\"counts\", \"moves\"}，schedule status {\"daily\", \"last_run\", \"next_run\", "
         "\"missed\", \"failed\"}。",
         1,
         1000,
         track,
         {kEnginesOption,
          {"--depth", "结果数", [](const QString& v) { trackDepth(v); }},
          {"--exact-host", nullptr},
          {"--delay", "秒数", [](const QString& v) { delaySeconds(v); }}}},
    };
}
