#include "submit/indexnow.h"

#include "base/saved_file.h"
#include "base/tool_error.h"
#include "submit/post_once_more.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QUrl>

namespace {

QString statusMeaning(long status) {
    switch (status) {
    case 400:
        return QStringLiteral("请求格式不对（400）");
    case 403:
        return QStringLiteral("密钥无效（403）：密钥文件不存在，或其中不是这个密钥");
    case 422:
        return QStringLiteral("网址不属于该主机，或密钥不合规则（422）");
    case 429:
        return QStringLiteral("请求过多，可能被视为垃圾提交（429）：退避后仍被拒绝，请稍后再试");
    default:
        return QStringLiteral("IndexNow 接口回答 HTTP %1，请检查 IndexNowHost").arg(status);
    }
}

} // namespace

bool validIndexNowKey(const QString& key) {
    if (key.size() < 8 || key.size() > 128)
        return false;
    for (const QChar c : key) {
        const char16_t u = c.unicode();
        if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
              u == '-'))
            return false;
    }
    return true;
}

QString makeIndexNowKeyFile(const QString& dir) {
    QString key;
    for (int i = 0; i < 4; ++i)
        key += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16, QChar(u'0'));
    if (!QDir().mkpath(dir))
        throw ToolError(QStringLiteral("无法创建文件夹 %1").arg(dir));
    const QString path = QDir(dir).filePath(key + QStringLiteral(".txt"));
    saveFile(path, key.toLatin1());
    return key;
}

IndexNowReport pushToIndexNow(Fetcher& fetcher, const IndexNowOptions& options,
                              const QStringList& addresses) {
    if (!validIndexNowKey(options.key))
        throw ToolError(QStringLiteral("IndexNow 密钥应为 8 到 128 个字母、数字或“-”"));
    if (addresses.isEmpty())
        throw ToolError(QStringLiteral("没有可以提交的网址"));
    const QUrl first(addresses.front());
    const QString host = first.host().toLower();
    const QString keyFile = options.keyLocation.isEmpty()
                                ? first.adjusted(QUrl::RemovePath | QUrl::RemoveQuery |
                                                 QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                                          .toString() +
                                      u'/' + options.key + QStringLiteral(".txt")
                                : options.keyLocation;
    const HttpResponse file = fetcher.get(keyFile);
    if (file.status != 200)
        throw ToolError(QStringLiteral("密钥文件 %1 无法读取（HTTP %2）：请先把它放到网站上")
                            .arg(keyFile)
                            .arg(file.status));
    if (QString::fromUtf8(file.body).trimmed() != options.key)
        throw ToolError(QStringLiteral("密钥文件 %1 中不是这个密钥：文件应只含密钥本身，不带 HTML")
                            .arg(keyFile));

    IndexNowReport report;
    report.keyFile = keyFile;
    for (qsizetype at = 0; at < addresses.size(); at += kIndexNowBatch) {
        const QStringList batch = addresses.mid(at, kIndexNowBatch);
        QJsonObject body{{QStringLiteral("host"), host},
                         {QStringLiteral("key"), options.key},
                         {QStringLiteral("urlList"), QJsonArray::fromStringList(batch)}};
        if (!options.keyLocation.isEmpty())
            body.insert(QStringLiteral("keyLocation"), options.keyLocation);
        const QByteArray json = QJsonDocument(body).toJson(QJsonDocument::Compact);
        const QString url = options.apiBase + QStringLiteral("/indexnow");
        HttpResponse answer;
        try {
            answer = postOnceMore(fetcher, url, "application/json; charset=utf-8", json, 429,
                                  options.backOff);
        } catch (const ToolError& e) {
            report.error = e.description();
            report.unsent = addresses.mid(at);
            return report;
        }
        if (answer.status != 200 && answer.status != 202) {
            report.error = statusMeaning(answer.status);
            report.unsent = addresses.mid(at);
            return report;
        }
        report.pending = report.pending || answer.status == 202;
        ++report.batches;
        report.sent += int(batch.size());
    }
    return report;
}
