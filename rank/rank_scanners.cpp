#include "rank/rank_scanners.h"

#include "base/text_ops.h"
#include "rank/get_count.h"

#include <QList>
#include <QStringView>

namespace {

const QString kUnreadable = QStringLiteral("-");
const QString kNotFound = QStringLiteral("在100位（1--10页）中未查询到结果");

// What one page yields: the result region, or an answer the page settles before any region.
struct Cut {
    bool settled;
    QString text; // the answer when settled, otherwise the region
};

Cut region(QString r) {
    return {false, std::move(r)};
}
Cut settle(const QString& answer) {
    return {true, answer};
}

// One engine's share of the common scan. The region is split at separator; the first piece
// holding the site decides, and answer turns page p and piece index i into the engine's text.
struct Scanner {
    const char* decodeMode;
    int pages;
    QString (*pageAddress)(const QString& url, int p);
    Cut (*cut)(const QString& page, const QString& site, const QString& keyword);
    QString separator;
    QString (*answer)(int p, int i, const QString& region);
    QString exhausted; // the answer when no page's region holds the site
};

QString normaliseSite(const QString& site) {
    const QString lower = site.toLower();
    return text::mid(lower, 1, 4) == u"www." ? text::midToEnd(lower, 5) : lower;
}

QString scan(const Scanner& s, Fetcher& fetcher, const QString& url, const QString& typedSite,
             const QString& keyword) {
    try {
        const QString site = normaliseSite(typedSite);
        for (int p = 1; p <= s.pages; ++p) {
            const QString page = HttpFetch(fetcher, s.pageAddress(url, p), s.decodeMode);
            const Cut cut = s.cut(page, site, keyword);
            if (cut.settled)
                return cut.text;
            const QList<QStringView> pieces =
                QStringView(cut.text).split(s.separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
            for (qsizetype i = 0; i < pieces.size(); ++i)
                if (pieces[i].contains(site, Qt::CaseSensitive))
                    return s.answer(p, int(i), cut.text);
        }
        return s.exhausted;
    } catch (...) {
        // A scanner reports trouble as "-" and lets the search go on with the next engine.
        return kUnreadable;
    }
}

QString rankedAt(int n) {
    return QStringLiteral("排名为第%1位").arg(n);
}

QString firstPageOnly(const QString& url, int) {
    return url;
}

// The frame that Yahoo and Youdao draw around their ten results: the start marker included,
// the first end marker after it excluded.
Cut framed(const QString& page, const QString& start, const QString& end) {
    const int s = text::inStr(1, page, start);
    if (s == 0)
        return settle(kUnreadable);
    const int e = text::inStr(s, page, end);
    if (e == 0)
        return settle(kUnreadable);
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

Cut baiduRegion(const QString& page, const QString&, const QString&) {
    const int a = text::inStr(1, page, kBaiduTiming);
    if (a == 0)
        return settle(kUnreadable);
    QString rest = text::midToEnd(page, a + 1);
    const int b = text::inStr(1, rest, kBaiduRelated);
    if (b > 0)
        rest = text::mid(rest, 1, b);
    const int d = text::inStr(1, rest, kBaiduScriptDiv);
    if (d == 0)
        return settle(kUnreadable);
    return region(text::midToEnd(rest, d + 1));
}

QString baiduAnswer(int, int i, const QString& region) {
    const int m = getCount(region, kBaiduPaidLink);
    const int n = m > 10 ? i - m + 10 : i;
    return QStringLiteral("排名为第%1位（有%2 个参与竞价推广）")
        .arg(QString::number(n), QString::number(m));
}

// Google: the keyword in bold opens the result list; a page without it is not an answer to
// the keyword as typed. Each result opens with the marker, so piece 0 is empty and piece i is
// result i.
const QString kGoogleResult = QStringLiteral("<li class=g><h3 class=r>");

Cut googleRegion(const QString& page, const QString&, const QString& keyword) {
    const int a = text::inStr(1, page, QStringLiteral("<b>") + keyword + QStringLiteral("</b>"));
    if (a == 0)
        return settle(QStringLiteral("--"));
    const QString rest = text::midToEnd(page, a + 1);
    const int d = text::inStr(1, rest, kGoogleResult);
    if (d == 0)
        return settle(kUnreadable);
    return region(text::midToEnd(rest, d));
}

QString googleAnswer(int, int i, const QString&) {
    return rankedAt(i);
}

// Yahoo: ten results a page, paged by the index of the first result ("&b=").
const QString kYahooRegion = QStringLiteral("<div class=\"yst-web\">");
const QString kYahooRegionEnd = QStringLiteral("</div>");

QString yahooPage(const QString& url, int p) {
    return p == 1 ? url : url + QStringLiteral("&b=") + QString::number((p - 1) * 10);
}

Cut yahooRegion(const QString& page, const QString&, const QString&) {
    return framed(page, kYahooRegion, kYahooRegionEnd);
}

QString pagedAnswer(int p, int i, const QString&) {
    return rankedAt((p - 1) * 10 + i + 1);
}

// Sogou: a site missing from the whole page is told apart ("!!") from one that is on the page
// but outside the result list (no piece holds it, the empty answer). Without "<!--z-->" the whole
// page, even the part before the list, is split.
const QString kSogouRegion = QStringLiteral("<div id=\"content\">");
const QString kSogouRegionEnd = QStringLiteral("<!--z-->");

Cut sogouRegion(const QString& page, const QString& site, const QString&) {
    if (text::inStr(1, page, site) == 0)
        return settle(kNotFound + QStringLiteral("!!"));
    const int s = text::inStr(1, page, kSogouRegion);
    if (s == 0)
        return settle(kUnreadable);
    const int e = text::inStr(s, page, kSogouRegionEnd);
    return region(e > 0 ? text::mid(page, s, e - s) : page);
}

QString sogouAnswer(int, int i, const QString&) {
    return rankedAt(i + 1);
}

// Youdao: ten results a page; it wants the page number twice and is told the address is UTF-8,
// although the keyword in it is escaped in GBK.
const QString kYoudaoRegion = QStringLiteral("one result");
const QString kYoudaoRegionEnd = QStringLiteral("relatedQuery");

QString youdaoPage(const QString& url, int p) {
    return url + QStringLiteral("&start=") + QString::number((p - 1) * 10) +
           QStringLiteral("&ue=utf8&keyfrom=web.page") + QString::number(p);
}

Cut youdaoRegion(const QString& page, const QString&, const QString&) {
    return framed(page, kYoudaoRegion, kYoudaoRegionEnd);
}

const Scanner kBaidu{"0",         1,        firstPageOnly, baiduRegion, QStringLiteral("<table"),
                     baiduAnswer, kNotFound};
const Scanner kGoogle{"1", 1, firstPageOnly, googleRegion, kGoogleResult, googleAnswer, kNotFound};
const Scanner kYahoo{"1",         10,       yahooPage, yahooRegion, QStringLiteral("</li><li>"),
                     pagedAnswer, kNotFound};
const Scanner kSogou{"1",         1,        firstPageOnly, sogouRegion, QStringLiteral("</div>"),
                     sogouAnswer, QString()};
const Scanner kYoudao{"1",         10,       youdaoPage, youdaoRegion, QStringLiteral("</table>"),
                      pagedAnswer, kNotFound};

} // namespace

QString getBaiduRank(Fetcher& fetcher, const QString& url, const QString& site) {
    return scan(kBaidu, fetcher, url, site, QString());
}

QString getGoogleRank(Fetcher& fetcher, const QString& url, const QString& site,
                      const QString& keyword) {
    return scan(kGoogle, fetcher, url, site, keyword);
}

QString getYahooRank(Fetcher& fetcher, const QString& url, const QString& site,
                     const QString& keyword) {
    return scan(kYahoo, fetcher, url, site, keyword);
}

QString getSogouRank(Fetcher& fetcher, const QString& url, const QString& site,
                     const QString& keyword) {
    return scan(kSogou, fetcher, url, site, keyword);
}

QString getYoudaoRank(Fetcher& fetcher, const QString& url, const QString& site,
                      const QString& keyword) {
    return scan(kYoudao, fetcher, url, site, keyword);
}
