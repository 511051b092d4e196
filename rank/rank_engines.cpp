#include "rank/rank_engines.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "net/engine_files.h"
#include "net/request_address.h"
#include "rank/get_count.h"

namespace {

const QString kUnreadable = QStringLiteral("-");

RankCut region(QString r) {
    return {false, std::move(r)};
}
// A page that is not a result list the engine's cutter knows.
RankCut unreadable(const QString& answer = kUnreadable) {
    return {true, answer, Why::Unrecognised};
}

RankAt rankedAt(int n) {
    return {n, QStringLiteral("排名为第%1位").arg(n)};
}

// Piece i is result i + 1 of page p.
RankAt resultAfterPiece(int p, int i, const QString&, const RankMarkers&) {
    return rankedAt((p - 1) * kResultsPerPage + i + 1);
}

// The frame that Yahoo and Youdao draw around their ten results: the start marker included,
// the first end marker after it excluded.
RankCut framed(const QString& page, const QString&, const QString&, const RankMarkers& m) {
    const int s = text::inStr(1, page, m.start);
    if (s == 0)
        return unreadable();
    const int e = text::inStr(s, page, m.end);
    if (e == 0)
        return unreadable();
    return region(text::mid(page, s, e - s));
}

// Baidu: the results follow the timing note (start) and the script placeholder (results), and
// end at the related searches (end). Paid results are tables of their own, so the table index
// overstates the position; the paid results beyond ten are taken back off it, which can bring a
// site listed among them to zero or below.
RankCut baiduRegion(const QString& page, const QString&, const QString&, const RankMarkers& m) {
    const int a = text::inStr(1, page, m.start);
    if (a == 0)
        return unreadable();
    QString rest = text::midToEnd(page, a + 1);
    const int b = text::inStr(1, rest, m.end);
    if (b > 0)
        rest = text::mid(rest, 1, b);
    const int d = text::inStr(1, rest, m.results);
    if (d == 0)
        return unreadable();
    return region(text::midToEnd(rest, d + 1));
}

RankAt baiduAnswer(int, int i, const QString& region, const RankMarkers& m) {
    const int paid = getCount(region, m.paid);
    const int n = paid > 10 ? i - paid + 10 : i;
    return {n, QStringLiteral("排名为第%1位（有%2 个参与竞价推广）")
                   .arg(QString::number(n), QString::number(paid))};
}

// Google: the keyword in bold opens the result list; a page without it is not an answer to
// the keyword as typed. Each result opens with the marker, so piece 0 is empty and piece i is
// result i.
RankCut googleRegion(const QString& page, const QString&, const QString& keyword,
                     const RankMarkers& m) {
    const int a = text::inStr(1, page, QStringLiteral("<b>") + keyword + QStringLiteral("</b>"));
    if (a == 0)
        return unreadable(QStringLiteral("--"));
    const QString rest = text::midToEnd(page, a + 1);
    const int d = text::inStr(1, rest, m.results);
    if (d == 0)
        return unreadable();
    return region(text::midToEnd(rest, d));
}

RankAt googleAnswer(int, int i, const QString&, const RankMarkers&) {
    return rankedAt(i);
}

// Sogou: a site missing from the whole page is told apart (absent) from one that is on the
// page but outside the result list (no piece holds it, the not-found answer). Without the end
// marker the whole page, even the part before the list, is split.
RankCut sogouRegion(const QString& page, const QString& site, const QString&,
                    const RankMarkers& m) {
    if (text::inStr(1, page, site) == 0)
        return {true, m.absent, Why::NotFound};
    const int s = text::inStr(1, page, m.start);
    if (s == 0)
        return unreadable();
    const int e = text::inStr(s, page, m.end);
    return region(e > 0 ? text::mid(page, s, e - s) : page);
}

// What a row's strategy names: how its pages are cut and how a piece becomes an answer.
const struct Strategy {
    const char* name;
    RankCut (*cut)(const QString&, const QString&, const QString&, const RankMarkers&);
    RankAt (*answer)(int, int, const QString&, const RankMarkers&);
} kStrategies[] = {
    {"baidu", baiduRegion, baiduAnswer},
    {"google", googleRegion, googleAnswer},
    {"framed", framed, resultAfterPiece},
    {"sogou", sogouRegion, resultAfterPiece},
};

const Strategy& strategyNamed(const QString& name) {
    for (const Strategy& s : kStrategies)
        if (name == QLatin1String(s.name))
            return s;
    throw ToolError(QStringLiteral("关键词排名的读法“%1”不存在").arg(echoed(name)));
}

RankBox boxNamed(const QString& engine) {
    for (const RankBoxName& b : kRankBoxes)
        if (engine == QString::fromLatin1(b.name).toLower())
            return b.box;
    throw ToolError(QStringLiteral("关键词排名没有引擎“%1”的结果框").arg(echoed(engine)));
}

RankEngine engineOf(const EngineEntry& row) {
    const auto v = [&](const char* key) { return row.value(QLatin1String(key)); };
    RankEngine e{.box = boxNamed(row.engine)};
    if (row.has(QStringLiteral("copies"))) {
        e.copies = boxNamed(v("copies"));
        return e;
    }
    const Strategy& s = strategyNamed(v("strategy"));
    e.request = v("request");
    e.laterPages = v("later-pages");
    e.pages = row.has(QStringLiteral("pages")) ? v("pages").toInt() : 1;
    e.decode = decodeOf(row);
    e.cut = s.cut;
    e.answer = s.answer;
    e.markers = {v("start"),     v("end"),       v("results"), v("paid"),
                 v("separator"), v("not-found"), v("absent")};
    return e;
}

} // namespace

std::vector<RankEngine> rankEngines() {
    std::vector<RankEngine> engines;
    for (const EngineEntry& row : engines::catalog().rows(QLatin1String(engine_tool::kKeywordRank)))
        engines.push_back(engineOf(row));
    return engines;
}
