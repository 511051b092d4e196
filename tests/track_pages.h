#pragma once

#include "fixture_server.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Result pages of today's engines in the markup their pages have (organic results, ads, wrapped
// links), made for the loopback server: each result is an address, or an ad when it says so.
struct Shown {
    QString address;
    bool ad = false;
};

QByteArray baiduPage(const QList<Shown>& results);
QByteArray baiduMobilePage(const QList<Shown>& results);
QByteArray bingPage(const QList<Shown>& results);
QByteArray sogouPage(const QList<Shown>& results);
QByteArray so360Page(const QList<Shown>& results);
QByteArray duckDuckGoPage(const QList<Shown>& results);

// Bing's ck/a wrapper of an address: "a1" and its base64url without padding.
QString bingWrapped(const QString& address);

// Every engine's search path answering with its page of these results, 360's first-cookie step
// included (its search answers empty without the cookie, as it does to a client without one).
void serveTrackPages(FixtureServer& server, const QList<Shown>& results);

// An endpoints file pointing every engine at server, written into folder.
QString trackEndpointsFile(const QString& folder, const FixtureServer& server);
