#pragma once

#include "net/http_fetch.h"

#include <QHash>
#include <QString>
#include <chrono>

// Keeps at least delay between the end of one request to a host and the start of the next, so
// that a batch of searches does not hammer an engine; each wait is longer by a random part of
// jitter, so that the requests do not come at a machine's beat. The wait is cut short by a stop
// of the run (ToolStopped).
class SpacedFetcher : public Fetcher {
public:
    SpacedFetcher(Fetcher& inner, std::chrono::milliseconds delay,
                  std::chrono::milliseconds jitter = {})
        : inner_(inner), delay_(delay), jitter_(jitter) {}
    HttpResponse get(const QString& url) override;
    PageResponse request(const PageRequest& request) override;
    void lookingFor(const QString& site) override { inner_.lookingFor(site); }

private:
    // Waits out the host's delay, then makes the request and notes when it ended.
    template <typename Call> auto spaced(const QString& url, Call call);

    Fetcher& inner_;
    std::chrono::milliseconds delay_;
    std::chrono::milliseconds jitter_;
    QHash<QString, std::chrono::steady_clock::time_point> lastEnd_; // by host and port
};
