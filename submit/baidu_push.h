#pragma once

#include "net/http_fetch.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

// Baidu takes at most this many addresses a request.
inline constexpr qsizetype kBaiduBatch = 2000;

struct BaiduPushOptions {
    QString pushBase; // BaiduPushHost
    QString site;     // as verified on Baidu's webmaster platform, "https://www.example.com"
    QString token;    // never shown: every text this tool makes has it replaced
    // How long to wait before the one retry of a 500.
    std::chrono::milliseconds retryAfter{5000};
};

struct BaiduPushReport {
    int batches = 0;  // requests Baidu answered
    int sent = 0;     // addresses in the batches Baidu took
    int accepted = 0; // its "success"
    std::optional<int> remain;
    QStringList notSameSite;
    QStringList notValid;
    QStringList unsent; // not sent, or sent in a batch Baidu refused
    bool overQuota = false;
    QString error; // why the run stopped before the end, when for another reason than the quota
};

// What Baidu's message means, in Chinese; the message itself when it is not one Baidu documents.
QString baiduPushMeaning(const QString& message);

// Sends the addresses in batches of kBaiduBatch, as text/plain one a line, and stops when Baidu
// says the day's quota is used (remain 0 or "over quota") or refuses a batch. told hears of each
// answered batch.
BaiduPushReport pushToBaidu(Fetcher& fetcher, const BaiduPushOptions& options,
                            const QStringList& addresses,
                            const std::function<void(const BaiduPushReport&)>& told = {});

// The token in file: its first line. Raises ToolError when the file can be read by other users
// than its owner (the token lets anyone push for the site), cannot be read, or holds no token.
QString readTokenFile(const QString& file);
