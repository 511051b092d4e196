#include "demo/demo_push.h"

#include "demo/demo_figures.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace {

// Baidu's answers are JSON whatever the status, failures as {"error": status, "message": …}.
HttpResponse json(long status, const QJsonObject& body) {
    return {QJsonDocument(body).toJson(QJsonDocument::Compact), "application/json", status};
}

HttpResponse baiduRefusal(long status, const char* message) {
    return json(status, {{QStringLiteral("error"), int(status)},
                         {QStringLiteral("message"), QLatin1String(message)}});
}

QMutex quotaLock;
QHash<QString, int> quotaUsed; // by site host, guarded by quotaLock

// A small site's quota, as Baidu gives: a few hundred to a few thousand a day.
int dailyQuota(const QString& host) {
    return 100 * (5 + demo::pick(QStringLiteral("baidu-push-quota"), host, 46));
}

bool webAddress(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

HttpResponse baiduPush(const QUrlQuery& query, const QByteArray& body) {
    const QString site = query.queryItemValue(QStringLiteral("site"), QUrl::FullyDecoded);
    const QUrl siteUrl(site.contains(QLatin1String("://")) ? site
                                                           : QStringLiteral("http://") + site);
    if (query.queryItemValue(QStringLiteral("token")).isEmpty())
        return baiduRefusal(401, "token is not valid");
    if (!webAddress(siteUrl))
        return baiduRefusal(400, "site error");
    const QStringList lines = QString::fromUtf8(body)
                                  .split(u'\n', Qt::SkipEmptyParts)
                                  .filter(QRegularExpression(QStringLiteral("\\S")));
    if (lines.isEmpty())
        return baiduRefusal(400, "empty content");
    if (lines.size() > 2000)
        return baiduRefusal(400, "only 2000 urls are allowed once");
    const QString host = siteUrl.host().toLower();
    const QMutexLocker locked(&quotaLock);
    int& used = quotaUsed[host];
    const int left = dailyQuota(host) - used;
    if (left <= 0)
        return baiduRefusal(400, "over quota");
    QJsonArray notSameSite;
    QJsonArray notValid;
    int valid = 0;
    for (const QString& line : lines) {
        const QUrl url(line.trimmed(), QUrl::StrictMode);
        if (!webAddress(url))
            notValid.append(line.trimmed());
        else if (url.host().toLower() != host)
            notSameSite.append(line.trimmed());
        else
            ++valid;
    }
    const int success = qMin(valid, left);
    used += success;
    QJsonObject answer{{QStringLiteral("success"), success},
                       {QStringLiteral("remain"), left - success}};
    if (!notSameSite.isEmpty())
        answer.insert(QStringLiteral("not_same_site"), notSameSite);
    if (!notValid.isEmpty())
        answer.insert(QStringLiteral("not_valid"), notValid);
    return json(200, answer);
}

const QRegularExpression keyPattern(QStringLiteral("^[A-Za-z0-9-]{8,128}$"));

// IndexNow answers with a status and no body worth reading.
HttpResponse indexNow(const QByteArray& body) {
    const auto status = [](long s) { return HttpResponse{{}, "text/plain", s}; };
    const QJsonObject request = QJsonDocument::fromJson(body).object();
    const QJsonArray urls = request.value(u"urlList").toArray();
    if (urls.isEmpty() || urls.size() > 10'000)
        return status(400);
    if (!keyPattern.match(request.value(u"key").toString()).hasMatch())
        return status(422);
    const QString host = request.value(u"host").toString().toLower();
    for (const QJsonValue& u : urls) {
        const QUrl url(u.toString());
        if (!webAddress(url) || url.host().toLower() != host)
            return status(422);
    }
    return status(200);
}

} // namespace

namespace demo {

std::optional<HttpResponse> pushAnswer(const QString& url, const QByteArray& body) {
    const QUrl asked(url);
    if (asked.path() == QLatin1String("/urls"))
        return baiduPush(QUrlQuery(asked), body);
    if (asked.path() == QLatin1String("/indexnow"))
        return indexNow(body);
    return std::nullopt;
}

std::optional<HttpResponse> keyFileAnswer(const QString& url) {
    const QString name = QUrl(url).fileName();
    if (!name.endsWith(QLatin1String(".txt")))
        return std::nullopt;
    const QString key = name.chopped(4);
    if (!keyPattern.match(key).hasMatch())
        return std::nullopt;
    return HttpResponse{key.toUtf8(), "text/plain; charset=utf-8", 200};
}

} // namespace demo
