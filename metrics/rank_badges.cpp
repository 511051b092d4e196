#include "metrics/rank_badges.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "net/request_address.h"

namespace {

const QString kMissing = QStringLiteral("-");

} // namespace

QString cutPageRank(const QString& body) {
    QString r = text::trimSpaces(text::removeAll(body, QStringLiteral("Rank_1:1:")));
    r = text::removeAll(r, QStringLiteral("\r\n"));
    r = text::removeAll(r, QStringLiteral("\r"));
    return text::removeAll(r, QStringLiteral("\n"));
}

QString cutAlexa(const QString& page) {
    const int at = text::inStr(1, page, QStringLiteral("rank of"));
    if (at == 0)
        return kMissing;
    QString kept = text::removeAll(text::midToEnd(page, at), QStringLiteral("rank of:</span>"));
    const int close = text::inStr(1, kept, QStringLiteral("</span>"));
    if (close == 0)
        return kMissing;
    kept = text::removeAll(text::mid(kept, 1, close), QStringLiteral("<span class=\"descBold\">"));
    const int gt = text::inStr(1, kept, QStringLiteral(">"));
    if (gt > 0)
        return text::removeAll(text::midToEnd(kept, gt + 1), QStringLiteral("<"));
    // Without a tag before it the figure still ends in the "<" of "</span>"; drop that too.
    kept.chop(1);
    return kept;
}

QString cutSogouRank(const QString& page) {
    const int at = text::inStr(1, page, QStringLiteral("<dt>Sogou Rank</dt>"));
    if (at == 0)
        return kMissing;
    QString kept = text::midToEnd(page, at);
    const int close = text::inStr(1, kept, QStringLiteral("</dd>"));
    if (close == 0)
        return kMissing;
    kept = text::mid(kept, 1, close);
    // Four characters hold ">42<" or "123<"; for one digit they hold "d>5<", and the letter
    // before the ">" belongs to the opening tag, not the figure.
    QString window = kept.right(4);
    if (window.size() == 4 && window[1] == u'>')
        window.remove(0, 1);
    return text::removeAll(text::removeAll(window, QStringLiteral("<")), QStringLiteral(">"));
}

QString cutChinaRank(const QString& page) {
    const int at = text::inStr(1, page, QStringLiteral("cr_bg25.gif"));
    if (at == 0)
        return kMissing;
    QString kept = text::midToEnd(page, at);
    const int first = text::inStr(1, kept, QStringLiteral(">"));
    if (first == 0)
        return kMissing;
    kept = text::midToEnd(kept, first + 1);
    const int second = text::inStr(1, kept, QStringLiteral(">"));
    if (second == 0)
        return kMissing;
    kept = text::mid(kept, 1, second);
    kept = text::removeAll(kept, QStringLiteral("<"));
    kept = text::removeAll(kept, QStringLiteral(">"));
    return text::removeAll(kept, QStringLiteral("/td"));
}

bool isPageRank(const QString& rank) {
    bool ok = false;
    const int n = rank.toInt(&ok);
    return ok && n >= 0 && n <= 10 && rank == QString::number(n);
}

namespace {

// The four ratings in the order they are asked. Alexa is asked about the domain, the others
// about "www." + domain; the ch value is the toolbar's fixed checksum.
const struct BadgeRequest {
    Badge badge;
    const char* requestTemplate;
    bool asksSite;
    Decode decode;
    QString (*cut)(const QString&);
    const char* suffix;
} kRequests[] = {
    {Badge::PageRank,
     "{GoogleHost}/search?client=navclient&ch=6-318520749&features=Rank&q=info:{d}", true,
     Decode::Declared, cutPageRank, ""},
    {Badge::Alexa, "{AlexaHost}/data/details/traffic_details/{d}", false, Decode::Declared,
     cutAlexa, ""},
    {Badge::Sogou, "{SogouHost}/web?query={d}", true, Decode::Gbk, cutSogouRank, "/100"},
    {Badge::ChinaRank,
     "{ChinaRankHost}/overview/"
     "Info.do?url={d}&from=0&r=1230610618442&imageField.x=23&imageField.y=15",
     true, Decode::Gbk, cutChinaRank, ""},
};

} // namespace

void runRankBadges(Fetcher& fetcher, const EndpointTable& endpoints, const QString& domain,
                   const std::function<void(Badge, const Figure&)>& report,
                   const Progress& progress) {
    const QString site = QStringLiteral("www.") + domain;
    for (const BadgeRequest& r : kRequests) {
        if (progress)
            progress(QString::fromLatin1(kBadges[size_t(r.badge)].name), int(r.badge) + 1,
                     int(std::size(kRequests)));
        const QString url =
            requestAddress(r.requestTemplate, endpoints, {.d = r.asksSite ? site : domain});
        const QString key = QLatin1String(kBadges[size_t(r.badge)].key);
        Figure figure;
        try {
            const QString cut = r.cut(HttpFetch(fetcher, url, r.decode));
            figure = cut == kMissing ? missingFigure(key, cut, Why::Unrecognised, {}, url)
                                     : countFigure(key, cut, url);
        } catch (const ToolError& e) {
            // A failed rating does not keep the others from being asked.
            figure = missingFigure(key, kMissing, Why::Failed, e.description(), url);
        }
        figure.text += QLatin1String(r.suffix);
        report(r.badge, figure);
    }
}
