#pragma once

#include "fixture_server.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>
#include <string>

// The engines' submission interfaces as the loopback server plays them.

// Baidu's /urls: the first batches answers take 2,000 addresses each with remain left, then
// every request is refused with "over quota", as Baidu does once the day's quota is used.
// Each answer comes after delayMs.
inline void serveBaiduPush(FixtureServer& server, int batches, int remain, int delayMs = 0) {
    auto calls = std::make_shared<std::atomic<int>>(0);
    server.add("/urls", [=](const std::string&) {
        if (++*calls <= batches)
            return FixtureServer::Page(
                200, "application/json",
                QStringLiteral(R"({"remain":%1,"success":2000})").arg(remain).toUtf8(), delayMs);
        return FixtureServer::Page(400, "application/json",
                                   R"({"error":400,"message":"over quota"})", delayMs);
    });
}

// IndexNow's /indexnow, which takes every request, and the site's key file holding held.
inline void serveIndexNow(FixtureServer& server, const QString& key, const QString& held) {
    server.add("/indexnow", {200, "text/plain", ""});
    server.add("/" + key.toStdString() + ".txt", {200, "text/plain", held.toUtf8()});
}
