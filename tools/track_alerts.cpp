#include "tools/track_alerts.h"

#include "base/saved_file.h"
#include "base/tool_error.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

namespace {

constexpr int kTops[] = {3, 10};

std::optional<int> positionOf(const Figure* figure) {
    if (!figure || !figure->number)
        return std::nullopt;
    return int(*figure->number);
}

bool within(std::optional<int> position, int top) {
    return position && *position <= top;
}

QString positionWords(std::optional<int> position) {
    return position ? QStringLiteral("第 %1 位").arg(*position) : QStringLiteral("未找到");
}

QJsonValue positionJson(std::optional<int> position) {
    return position ? QJsonValue(*position) : QJsonValue(QJsonValue::Null);
}

QString settingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/track.ini");
}

const QLatin1String kWebhookKey("webhook=");

} // namespace

QList<RankMove> rankMoves(const QString& site, const QString& keyword, const Figure* before,
                          const Figure& now) {
    QList<RankMove> moves;
    const bool answered = now.number || now.why == Why::NotFound;
    if (!before || !answered)
        return moves;
    const std::optional<int> was = positionOf(before), is = positionOf(&now);
    for (const int top : kTops)
        if (within(was, top) != within(is, top))
            moves << RankMove{site, keyword, now.label, top, within(is, top), was, is};
    return moves;
}

QString moveText(const RankMove& move) {
    return QStringLiteral("%1 “%2” 在 %3 %4前 %5（%6 → %7）")
        .arg(move.site, move.keyword, move.engine,
             move.entered ? QStringLiteral("进入") : QStringLiteral("跌出"))
        .arg(move.top)
        .arg(positionWords(move.before), positionWords(move.now));
}

QJsonObject movesJson(const QList<RankMove>& moves) {
    QJsonArray list;
    for (const RankMove& m : moves)
        list.append(QJsonObject{{QStringLiteral("site"), m.site},
                                {QStringLiteral("keyword"), m.keyword},
                                {QStringLiteral("engine"), m.engine},
                                {QStringLiteral("top"), m.top},
                                {QStringLiteral("entered"), m.entered},
                                {QStringLiteral("before"), positionJson(m.before)},
                                {QStringLiteral("now"), positionJson(m.now)}});
    return {{QStringLiteral("moves"), list}};
}

// One line, "webhook=ADDRESS": QSettings would read %-escapes and quotes in an address.
QString webhookAddress() {
    QFile file(settingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.read(64 * 1024).split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(kWebhookKey))
            return text.mid(kWebhookKey.size()).trimmed();
    }
    return {};
}

void setWebhookAddress(const QString& address) {
    const QString path = settingsPath();
    if (address.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            throw ToolError(QStringLiteral("无法删除 %1").arg(path));
        return;
    }
    QDir().mkpath(QFileInfo(path).path());
    saveFile(path, (kWebhookKey + address + u'\n').toUtf8());
}

void postMoves(Fetcher& fetcher, const QString& address, const QJsonObject& summary) {
    const HttpResponse answer = fetcher.post(address, QByteArrayLiteral("application/json"),
                                             QJsonDocument(summary).toJson(QJsonDocument::Compact));
    if (answer.status < 200 || answer.status >= 300)
        throw ToolError(
            QStringLiteral("通知地址 %1 回答了 HTTP %2").arg(address).arg(answer.status));
}

QString notifyDesktop(const QString& title, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        call << QStringLiteral("Tessivo") << uint(0) << QStringLiteral("tessivo") << title << body
             << QStringList() << QVariantMap() << int(-1);
        const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return {};
    }
    const QString notifySend = QStandardPaths::findExecutable(QStringLiteral("notify-send"));
    if (notifySend.isEmpty())
        return QStringLiteral("没有桌面通知服务（D-Bus 会话总线上没有，也没有 notify-send）");
    QProcess process;
    process.start(notifySend, {QStringLiteral("--app-name=Tessivo"), title, body});
    if (!process.waitForFinished(5000) || process.exitCode() != 0)
        return QStringLiteral("notify-send 未能显示通知");
    return {};
}
