#pragma once

#include "net/http_fetch.h"

#include <QString>
#include <QStringList>
#include <chrono>

// IndexNow takes at most this many addresses a request.
inline constexpr qsizetype kIndexNowBatch = 10'000;

// 8 to 128 of a-z, A-Z, 0-9 and "-".
bool validIndexNowKey(const QString& key);

// A new key (32 hexadecimal digits) and its key file, DIR/KEY.txt holding only the key, to be
// put at the site's root. Returns the key; raises ToolError when the file cannot be written.
QString makeIndexNowKeyFile(const QString& dir);

struct IndexNowOptions {
    QString apiBase; // IndexNowHost
    QString key;
    QString keyLocation; // empty: KEY.txt at the root of the addresses' site
    // How long to wait after a 429 before the one more try.
    std::chrono::milliseconds backOff{60'000};
};

struct IndexNowReport {
    QString keyFile; // the key file read, which held the key
    int batches = 0; // requests answered 200 or 202
    int sent = 0;
    bool pending = false; // a 202: received, the key not yet checked by the engine
    QStringList unsent;
    QString error; // why the run stopped before the end
};

// Reads the key file first and raises ToolError, before anything is sent, when it does not hold
// the key; then POSTs the addresses (all of one host) in batches of kIndexNowBatch.
IndexNowReport pushToIndexNow(Fetcher& fetcher, const IndexNowOptions& options,
                              const QStringList& addresses);
