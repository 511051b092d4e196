#pragma once

#include "base/figure.h"
#include "net/http_fetch.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

// A keyword that entered or left the top 3 or top 10 of an engine between two answers.
struct RankMove {
    QString site;
    QString keyword;
    QString engine;
    int top = 0; // 3 or 10
    bool entered = false;
    std::optional<int> before; // the earlier position; none: not found then
    std::optional<int> now;    // none: not found now
};

// The tops that before and now (the answers of one engine, before that of an earlier check)
// lie on different sides of. None without an earlier answer: a keyword's first check is no move,
// or the first run of a new list would report all of them.
QList<RankMove> rankMoves(const QString& site, const QString& keyword, const Figure* before,
                          const Figure& now);

// "a.cn “站长工具” 在 bing 进入前 3（第 5 位 → 第 2 位）".
QString moveText(const RankMove& move);

// {"moves": [{"site", "keyword", "engine", "top", "entered", "before", "now"}…]}, a position
// null where it was not found.
QJsonObject movesJson(const QList<RankMove>& moves);

// The address the moves are posted to, kept in track.ini in the user's configuration folder;
// empty when none is set.
QString webhookAddress();
// Sets it; an empty address takes it away. Raises ToolError when the file cannot be written.
void setWebhookAddress(const QString& address);

// POSTs summary as JSON to address; raises ToolError naming the address when no answer came or
// the answer was not a 2xx.
void postMoves(Fetcher& fetcher, const QString& address, const QJsonObject& summary);

// Shows a desktop notification: the freedesktop service over the session's D-Bus, or
// notify-send where there is no bus. Never raises; returns what went wrong, empty when shown.
QString notifyDesktop(const QString& title, const QString& body);
