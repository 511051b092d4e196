#pragma once

#include "net/http_fetch.h"
#include "net/stop.h"

// tessivo-cli's fetcher. Its first request turns Ctrl-C into a stop of the run: the transfer in
// flight ends at once and the program exits with status 130, without half a result on standard
// output. Before that, Ctrl-C keeps its usual effect, so a command that makes no request (a
// conversion reading standard input, say) is ended by it as any program is.
class InterruptibleFetcher : public Fetcher {
public:
    explicit InterruptibleFetcher(FetchLimits limits = {}) : curl_(limits) {}
    HttpResponse get(const QString& url) override;
    HttpResponse getWithin(const QString& url, std::chrono::milliseconds timeout) override;
    HttpResponse post(const QString& url, const QByteArray& contentType,
                      const QByteArray& body) override;
    PageResponse request(const PageRequest& request) override;

private:
    CurlFetcher curl_;
};

// From now on Ctrl-C stops the run instead of ending the program: for commands whose first
// request is no fetch (a name resolved, a WHOIS query).
void armInterrupt();

// The flag Ctrl-C raises once a request has been made; main() runs the command under it.
StopFlag& interruptFlag();

// The exit status of a program ended by Ctrl-C.
inline constexpr int kInterruptedStatus = 130;
