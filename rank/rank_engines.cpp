#include "rank/rank_engines.h"

#include "base/text_ops.h"
#include "net/request_address.h"
#include "rank/get_count.h"

namespace {

const QString kUnreadable = QStringLiteral("-");
const QString kNotFound = QStringLiteral("在100位（1--10页）中未查询到结果");

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
RankAt resultAfterPiece(int p, int i, const QString&) {
    return rankedAt((p - 1) * kResultsPerPage + i + 1);
}

// The frame that Yahoo and Youdao draw around their ten results: the start marker included,
// the first end marker after it excluded.
RankCut framed(const QString& page, const QString& start, const QString& end) {
    const int s = text::inStr(1, page, start);
    if (s == 0)
        return unreadable();
    const int e = text::inStr(s, page, end);
    if (e == 0)
        return unreadable();
    return region(text::mid(page, s, e - s));
}

// Baidu: the results follow the timing note ("用时") and the script placeholder, and end at the
// related searches. Paid results ("推广") are tables of their own, so the table index overstates
// the position; the paid results beyond ten are taken back off it, which can bring a site listed
// among them to zero or below.
const QString kBaiduTiming = QStringLiteral("用时");
const QString kBaiduRelated = QStringLiteral("相关搜索");
const QString kBaiduScriptDiv = QStringLiteral("<DIV id=ScriptDiv></DIV>");
const QString kBaiduPaidLink = QStringLiteral("class=m>推广</a>");

RankCut baiduRegion(const QString& page, const QString&, const QString&) {
    const int a = text::inStr(1, page, kBaiduTiming);
    if (a == 0)
        return unreadable();
    QString rest = text::midToEnd(page, a + 1);
    const int b = text::inStr(1, rest, kBaiduRelated);
    if (b > 0)
        rest = text::mid(rest, 1, b);
    const int d = text::inStr(1, rest, kBaiduScriptDiv);
    if (d == 0)
        return unreadable();
    return region(text::midToEnd(rest, d + 1));
}

RankAt baiduAnswer(int, int i, const QString& region) {
    const int m = getCount(region, kBaiduPaidLink);
    const int n = m > 10 ? i - m + 10 : i;
    return {n, QStringLiteral("排名为第%1位（有%2 个参与竞价推广）")
                   .arg(QString::number(n), QString::number(m))};
}

// Google: the keyword in bold opens the result list; a page without it is not an answer to
// the keyword as typed. Each result opens with the marker, so piece 0 is empty and piece i is
// result i.
const QString kGoogleResult = QStringLiteral("<li class=g><h3 class=r>");

RankCut googleRegion(const QString& page, const QString&, const QString& keyword) {
    const int a = text::inStr(1, page, QStringLiteral("<b>") + keyword + QStringLiteral("</b>"));
    if (a == 0)
        return unreadable(QStringLiteral("--"));
    const QString rest = text::midToEnd(page, a + 1);
    const int d = text::inStr(1, rest, kGoogleResult);
    if (d == 0)
        return unreadable();
    return region(text::midToEnd(rest, d));
}

RankAt googleAnswer(int, int i, const QString&) {
    return rankedAt(i);
}

RankCut yahooRegion(const QString& page, const QString&, const QString&) {
    return framed(page, QStringLiteral("<div class=\"yst-web\">"), QStringLiteral("</div>"));
}

// Sogou: a site missing from the whole page is told apart ("!!") from one that is on the page
// but outside the result list (no piece holds it, the empty answer). Without "<!--z-->" the whole
// page, even the part before the list, is split.
RankCut sogouRegion(const QString& page, const QString& site, const QString&) {
    if (text::inStr(1, page, site) == 0)
        return {true, kNotFound + QStringLiteral("!!"), Why::NotFound};
    const int s = text::inStr(1, page, QStringLiteral("<div id=\"content\">"));
    if (s == 0)
        return unreadable();
    const int e = text::inStr(s, page, QStringLiteral("<!--z-->"));
    return region(e > 0 ? text::mid(page, s, e - s) : page);
}

RankCut youdaoRegion(const QString& page, const QString&, const QString&) {
    return framed(page, QStringLiteral("one result"), QStringLiteral("relatedQuery"));
}

// Baidu, Google and Sogou are asked for 100 results on one page; Yahoo is paged by the index of
// the first result ("&b=") and Youdao wants the page number twice. Youdao reads its query in
// GBK and is told the address is UTF-8 all the same.
const RankEngine kEngines[] = {
    {.box = RankBox::Baidu,
     .request = "{BaiduSearchHost}/s?q1={k}&q2=&q3=&q4=&rn=100&lm=0&ct=0&ft=&q5=&q6=&tn=baiduadv",
     .decode = Decode::Gbk,
     .cut = baiduRegion,
     .separator = QStringLiteral("<table"),
     .answer = baiduAnswer,
     .notFound = kNotFound},
    {.box = RankBox::Google,
     .request = "{GoogleHost}/search?as_q={k}&hl=zh-CN&newwindow=1&num=100"
                "&btnG=Google+%E6%90%9C%E7%B4%A2&as_epq=&as_oq=&as_eq=&lr=&cr=&as_ft=i"
                "&as_filetype=&as_qdr=all&as_occt=any&as_dt=i&as_sitesearch=&as_rights=",
     .cut = googleRegion,
     .separator = kGoogleResult,
     .answer = googleAnswer,
     .notFound = kNotFound},
    {.box = RankBox::Yahoo,
     .request = "{YahooSearchHost}/s?p={k}&pid=hp&v=web",
     .laterPages = "&b={start}",
     .pages = kMaxRankPages,
     .cut = yahooRegion,
     .separator = QStringLiteral("</li><li>"),
     .answer = resultAfterPiece,
     .notFound = kNotFound},
    {.box = RankBox::Sogou,
     .request = "{SogouHost}/web?q={k}&query={k}&fieldtitle=&fieldcontent=&fieldstripurl="
                "&bstype=&exclude=&sitequery=&located=0&tro=off&filetype=&num=100",
     .cut = sogouRegion,
     .separator = QStringLiteral("</div>"),
     .answer = resultAfterPiece,
     .notFound = QString()},
    {.box = RankBox::Soso, .copies = RankBox::Google},
    {.box = RankBox::Youdao,
     .request = "{YoudaoHost}/search?q={k_gbk}&start={start}&ue=utf8&keyfrom=web.page{p}",
     .pages = kMaxRankPages,
     .cut = youdaoRegion,
     .separator = QStringLiteral("</table>"),
     .answer = resultAfterPiece,
     .notFound = kNotFound},
};
static_assert(std::size(kEngines) == kRankBoxCount);

} // namespace

std::span<const RankEngine> rankEngines() {
    return kEngines;
}
