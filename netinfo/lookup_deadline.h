#pragma once

#include "base/tool_error.h"
#include "net/http_fetch.h"

#include <QString>
#include <chrono>

// How long one IP or WHOIS lookup may take as a whole: every request it makes shares it, so
// servers that stall one after the other cannot hold the run for a time-out each.
inline constexpr std::chrono::milliseconds kLookupTimeLimit{45'000};

// The end of one lookup on the steady clock, made when the lookup starts.
class Deadline {
public:
    using Clock = std::chrono::steady_clock;
    explicit Deadline(std::chrono::milliseconds span) : span_(span), end_(Clock::now() + span) {}

    // What is left for the next request; raises ToolError when nothing is.
    std::chrono::milliseconds left() const {
        const auto rest =
            std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now());
        if (rest.count() <= 0)
            throw ToolError(QStringLiteral("查询已用完 %1 秒的时限，未再发出请求")
                                .arg(double(span_.count()) / 1000.0));
        return rest;
    }

private:
    std::chrono::milliseconds span_;
    Clock::time_point end_;
};

// Every request through it ends by the deadline, or sooner by the inner fetcher's own limits.
class DeadlineFetcher : public Fetcher {
public:
    DeadlineFetcher(Fetcher& inner, const Deadline& deadline)
        : inner_(inner), deadline_(deadline) {}
    HttpResponse get(const QString& url) override {
        return inner_.getWithin(url, deadline_.left());
    }
    HttpResponse getWithin(const QString& url, std::chrono::milliseconds timeout) override {
        return inner_.getWithin(url, std::min(timeout, deadline_.left()));
    }

private:
    Fetcher& inner_;
    const Deadline& deadline_;
};
