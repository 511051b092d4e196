#include "track/rank_check.h"

#include "base/charset.h"
#include "base/tool_error.h"
#include "net/endpoint_table.h"
#include "net/engine_files.h"
#include "net/http_fetch.h"
#include "net/request_address.h"
#include "track/result_page.h"
#include "track/site_host.h"
#include "track/track_rows.h"

#include <QUrl>
#include <algorithm>

namespace {

// Engines send their own hosts from one to the other (Bing www -> cn); a chain longer than this
// is a loop.
constexpr int kMaxRedirects = 5;

// The characters a query value cannot carry as they are. Other characters stay, so that the
// address reads as typed; the fetch encodes the rest.
QString queryValue(const QString& keyword) {
    QString out;
    for (const QChar c : keyword) {
        if (c.unicode() < 0x80 && !c.isLetterOrNumber() && !QStringLiteral("-._~").contains(c))
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QChar(u'0')).toUpper();
        else
            out += c;
    }
    return out;
}

bool redirected(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QString cookieHeader(const QStringList& cookies) {
    return cookies.join(QStringLiteral("; "));
}

// An outcome that ends the check, or none while it goes on.
struct Ending {
    CheckOutcome outcome;
    QString detail;
};

class Check {
public:
    Check(Fetcher& fetcher, const EndpointTable& endpoints, TrackRow row, const RankQuery& query)
        : fetcher_(fetcher), endpoints_(endpoints), row_(std::move(row)), query_(query),
          site_(addressHost(query.site)) {}

    EngineCheck run() {
        EngineCheck c;
        c.engine = row_.engine;
        const Ending end = pages(c);
        c.outcome = end.outcome;
        c.detail = end.detail;
        if (c.outcome != CheckOutcome::Found) {
            c.position = 0;
            c.url.clear();
            c.title.clear();
        }
        return c;
    }

private:
    Ending pages(EngineCheck& c) {
        try {
            if (!row_.cookieFrom.isEmpty())
                firstCookie();
            const int wanted = (std::max(query_.depth, 1) + row_.perPage - 1) / row_.perPage;
            QString firstOnFirstPage;
            QByteArray nextForm; // the form the last page asks for the next one with
            for (int p = 1; p <= std::min(wanted, row_.pages); ++p) {
                // An engine that pages by its own form has no next page without one.
                if (p > 1 && !row_.nextForm.isEmpty() && nextForm.isEmpty())
                    break;
                PageResponse answer = fetch(p, nextForm);
                if (const std::optional<Ending> block = blockedAnswer(answer))
                    return *block;
                const ResultPage page =
                    readResultPage(decodeResponse(answer.response, Decode::Declared), row_);
                if (!page.problem.isEmpty())
                    return {CheckOutcome::Unrecognised,
                            QStringLiteral("%1：请修改 %2").arg(page.problem, row_.where())};
                if (!page.blockSign.isEmpty())
                    return {CheckOutcome::Blocked,
                            QStringLiteral("页面有验证标记“%1”").arg(page.blockSign)};
                c.adsSkipped += page.ads;
                nextForm = page.nextForm;
                if (page.organic.isEmpty()) {
                    if (page.noResults)
                        return notFound(QStringLiteral("引擎答没有结果"));
                    if (p == 1)
                        return unrecognised();
                    return notFound(QStringLiteral("结果只有 %1 个").arg(c.resultsRead));
                }
                if (std::none_of(page.organic.begin(), page.organic.end(),
                                 [](const PageResult& r) { return !r.address.isEmpty(); }))
                    return unrecognised();
                // An engine that limits a client answers every later page with the first.
                if (p == 1)
                    firstOnFirstPage = page.organic.front().address;
                else if (!firstOnFirstPage.isEmpty() &&
                         page.organic.front().address == firstOnFirstPage)
                    return {CheckOutcome::Blocked,
                            QStringLiteral("第 %1 页与第一页相同（引擎在限制访问）").arg(p)};
                for (const PageResult& result : page.organic) {
                    if (c.resultsRead >= query_.depth)
                        break;
                    ++c.resultsRead;
                    if (hostMatches(addressHost(result.address), site_, query_.exactHost)) {
                        c.position = c.resultsRead;
                        c.url = result.address;
                        c.title = result.title;
                        return {CheckOutcome::Found, {}};
                    }
                }
                if (c.resultsRead >= query_.depth)
                    break;
            }
        } catch (const ToolError& e) {
            return {CheckOutcome::Failed, e.description()};
        }
        return notFound(QStringLiteral("读了前 %1 个结果").arg(c.resultsRead));
    }

    static Ending notFound(const QString& why) { return {CheckOutcome::NotFound, why}; }

    Ending unrecognised() const {
        return {
            CheckOutcome::Unrecognised,
            QStringLiteral("页面上没有结果的标记，引擎可能改了页面：请修改 %1").arg(row_.where())};
    }

    QString filled(const QString& tpl, int page) const {
        RequestValues values;
        values.k = queryValue(query_.keyword);
        values.p = page;
        values.perPage = row_.perPage;
        return requestAddress(tpl.toStdString(), endpoints_, values);
    }

    PageRequest requestFor(const QString& url) const {
        PageRequest r{url, row_.headers, {}, false};
        if (!cookies_.isEmpty())
            r.headers.append({"Cookie", cookieHeader(cookies_).toUtf8()});
        return r;
    }

    void firstCookie() {
        const PageResponse answer = fetcher_.request(requestFor(filled(row_.cookieFrom, 1)));
        if (!answer.cookies.isEmpty())
            cookies_ << QString::fromUtf8(answer.cookies.front());
    }

    // The page, after the redirects that lead to no block; a redirect that does is the answer.
    // next is the previous page's own form for this one, posted as it is when given.
    PageResponse fetch(int page, const QByteArray& next) {
        PageRequest request = requestFor(filled(row_.request, page));
        if (!next.isEmpty())
            request.form = next;
        else if (!row_.form.isEmpty())
            request.form = formBody(filled(row_.form, page));
        for (int hop = 0;; ++hop) {
            PageResponse answer = fetcher_.request(request);
            for (const QByteArray& cookie : answer.cookies)
                cookies_ << QString::fromUtf8(cookie);
            if (!redirected(answer.response.status) || answer.location.isEmpty() ||
                blockedAddress(QString::fromUtf8(answer.location)) || hop == kMaxRedirects)
                return answer;
            const QString next =
                QUrl(request.url).resolved(QUrl(QString::fromUtf8(answer.location))).toString();
            request = requestFor(next);
        }
    }

    // A form's values are sent as UTF-8 percent-encoding, whatever the address would carry.
    static QByteArray formBody(const QString& form) {
        QByteArray out;
        for (const QChar c : form) {
            if (c.unicode() < 0x80)
                out += char(c.unicode());
            else
                out += QString(c).toUtf8().toPercentEncoding();
        }
        return out;
    }

    bool blockedAddress(const QString& address) const {
        return std::any_of(row_.blockRedirects.begin(), row_.blockRedirects.end(),
                           [&](const QString& sign) { return address.contains(sign); });
    }

    std::optional<Ending> blockedAnswer(const PageResponse& answer) const {
        const long status = answer.response.status;
        const QString location = QString::fromUtf8(answer.location);
        if (redirected(status) && blockedAddress(location))
            return Ending{CheckOutcome::Blocked,
                          QStringLiteral("重定向到验证页 %1").arg(echoed(location))};
        if (blockedAddress(answer.finalUrl))
            return Ending{CheckOutcome::Blocked,
                          QStringLiteral("被带到验证页 %1").arg(echoed(answer.finalUrl))};
        if (row_.blockStatuses.contains(status))
            return Ending{CheckOutcome::Blocked, QStringLiteral("引擎回答 HTTP %1").arg(status)};
        if (status >= 300)
            return Ending{
                CheckOutcome::Failed,
                QStringLiteral("引擎回答 HTTP %1：%2").arg(status).arg(echoed(answer.finalUrl))};
        if (answer.response.body.trimmed().isEmpty())
            return Ending{CheckOutcome::Blocked, QStringLiteral("引擎的回答是空白的")};
        return std::nullopt;
    }

    Fetcher& fetcher_;
    const EndpointTable& endpoints_;
    const TrackRow row_;
    const RankQuery& query_;
    const QString site_;
    QStringList cookies_;
};

} // namespace

QString checkOutcomeKey(CheckOutcome outcome) {
    switch (outcome) {
    case CheckOutcome::Found:
        return QStringLiteral("found");
    case CheckOutcome::NotFound:
        return QStringLiteral("not_found");
    case CheckOutcome::Blocked:
        return QStringLiteral("blocked");
    case CheckOutcome::Unrecognised:
        return QStringLiteral("unrecognised");
    case CheckOutcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

QString checkOutcomeText(CheckOutcome outcome, int position) {
    switch (outcome) {
    case CheckOutcome::Found:
        return QStringLiteral("第%1位").arg(position);
    case CheckOutcome::NotFound:
        // For a result not found, position is how many results were read.
        return position > 0 ? QStringLiteral("前%1位中没有").arg(position)
                            : QStringLiteral("没有结果");
    case CheckOutcome::Blocked:
        return QStringLiteral("受阻（验证码）");
    case CheckOutcome::Unrecognised:
        return QStringLiteral("页面无法识别");
    case CheckOutcome::Failed:
        break;
    }
    return QStringLiteral("失败");
}

QStringList rankEngineNames() {
    QStringList names;
    try {
        for (const EngineEntry& row :
             engines::catalog().rows(QLatin1String(engine_tool::kRankTrack)))
            names << row.engine;
    } catch (const ToolError&) {
        // The file's problem is told where the catalog reports problems; no engine is asked.
    }
    return names;
}

EngineCheck checkRank(Fetcher& fetcher, const EndpointTable& endpoints, const QString& engine,
                      const RankQuery& query) {
    TrackRow row;
    try {
        row = trackRow(engines::catalog().row(QLatin1String(engine_tool::kRankTrack), engine));
    } catch (const ToolError& e) {
        EngineCheck c;
        c.engine = engine;
        c.detail = e.description();
        return c;
    }
    fetcher.lookingFor(query.site);
    return Check(fetcher, endpoints, std::move(row), query).run();
}

EngineCheck checkRank(Fetcher& fetcher, const QString& engine, const RankQuery& query) {
    QString problem;
    const EndpointTable endpoints = EndpointTable::forProgram(&problem);
    if (!problem.isEmpty()) {
        EngineCheck c;
        c.engine = engine;
        c.detail = problem;
        return c;
    }
    return checkRank(fetcher, endpoints, engine, query);
}
