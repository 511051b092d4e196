#include "submit/baidu_push.h"

#include "base/tool_error.h"
#include "submit/post_once_more.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace {

const struct {
    const char* message;
    const char* meaning;
} kMeanings[] = {
    {"site error", "站点未在百度搜索资源平台验证，或 --site 与验证的站点不符（协议和主机须相同）"},
    {"site init fail", "百度未能初始化该站点，请稍后再试"},
    {"token is not valid",
     "准入密钥（token）无效：请从百度搜索资源平台“普通收录 → API提交”页面重新复制"},
    {"over quota", "今天的推送配额已用完，今天再推送无效，请明天再推送其余网址"},
    {"only 2000 urls are allowed once", "一次最多推送 2000 个网址"},
    {"empty content", "推送的内容为空"},
    {"not found", "接口地址错误：请检查 BaiduPushHost 的设置"},
    {"internal error, please try later", "百度服务器内部错误，重试一次后仍然失败，请稍后再试"},
};

QStringList strings(const QJsonValue& value) {
    QStringList out;
    for (const QJsonValue& v : value.toArray())
        out << v.toString();
    return out;
}

// The token as it may appear in a text about the request: raw or percent-encoded.
QString hidden(QString text, const QString& token) {
    if (token.isEmpty())
        return text;
    text.replace(token, QStringLiteral("***"));
    return text.replace(QString::fromLatin1(QUrl::toPercentEncoding(token)), QStringLiteral("***"));
}

} // namespace

QString baiduPushMeaning(const QString& message) {
    for (const auto& m : kMeanings)
        if (message == QLatin1String(m.message))
            return QString::fromUtf8(m.meaning);
    return message;
}

BaiduPushReport pushToBaidu(Fetcher& fetcher, const BaiduPushOptions& options,
                            const QStringList& addresses,
                            const std::function<void(const BaiduPushReport&)>& told) {
    const QString url = options.pushBase + QStringLiteral("/urls?site=") +
                        QString::fromLatin1(QUrl::toPercentEncoding(options.site)) +
                        QStringLiteral("&token=") +
                        QString::fromLatin1(QUrl::toPercentEncoding(options.token));
    BaiduPushReport report;
    for (qsizetype at = 0; at < addresses.size(); at += kBaiduBatch) {
        const QStringList batch = addresses.mid(at, kBaiduBatch);
        auto stop = [&](const QString& why) {
            report.error = why;
            report.unsent = addresses.mid(at);
            return report;
        };
        const QByteArray body = batch.join(u'\n').toUtf8();
        HttpResponse answer;
        try {
            answer = postOnceMore(fetcher, url, "text/plain", body, 500, options.retryAfter);
        } catch (const ToolError& e) {
            return stop(hidden(e.description(), options.token));
        }
        const QJsonObject json = QJsonDocument::fromJson(answer.body).object();
        if (json.isEmpty())
            return stop(
                QStringLiteral("百度推送接口的回答不是 JSON（HTTP %1），请检查 BaiduPushHost")
                    .arg(answer.status));
        if (answer.status != 200 || json.contains(u"error")) {
            const QString message = json.value(u"message").toString();
            if (message == QLatin1String("over quota")) {
                report.overQuota = true;
                report.remain = 0;
                report.unsent = addresses.mid(at);
                return report;
            }
            return stop(QStringLiteral("百度拒绝了推送（HTTP %1，%2）：%3")
                            .arg(answer.status)
                            .arg(hidden(message, options.token),
                                 hidden(baiduPushMeaning(message), options.token)));
        }
        ++report.batches;
        report.sent += int(batch.size());
        report.accepted += json.value(u"success").toInt();
        if (json.contains(u"remain"))
            report.remain = json.value(u"remain").toInt();
        report.notSameSite << strings(json.value(u"not_same_site"));
        report.notValid << strings(json.value(u"not_valid"));
        if (told)
            told(report);
        if (report.remain == 0) {
            report.overQuota = true;
            report.unsent = addresses.mid(at + kBaiduBatch);
            return report;
        }
    }
    return report;
}

QString readTokenFile(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists())
        throw ToolError(QStringLiteral("准入密钥文件 %1 不存在").arg(file));
    if (info.permissions() & (QFile::ReadGroup | QFile::ReadOther))
        throw ToolError(
            QStringLiteral("准入密钥文件 %1 可被其他用户读取，拒绝使用：密钥能替本站推送、"
                           "用掉今天的配额。请执行 chmod 600 %1")
                .arg(file));
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        throw ToolError(QStringLiteral("无法读取准入密钥文件 %1：%2").arg(file, f.errorString()));
    const QString token = QString::fromUtf8(f.readLine(4096)).trimmed();
    if (token.isEmpty())
        throw ToolError(QStringLiteral("准入密钥文件 %1 的第一行是空的").arg(file));
    return token;
}
