#include "cli/interrupt.h"

#include <csignal>

namespace {

StopFlag flag;

extern "C" void onInterrupt(int) {
    flag.request();
}

} // namespace

StopFlag& interruptFlag() {
    return flag;
}

void armInterrupt() {
    static const bool armed = [] {
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGINT, &action, nullptr) == 0;
    }();
    (void)armed;
}

HttpResponse InterruptibleFetcher::get(const QString& url) {
    armInterrupt();
    return curl_.get(url);
}

HttpResponse InterruptibleFetcher::getWithin(const QString& url,
                                             std::chrono::milliseconds timeout) {
    armInterrupt();
    return curl_.getWithin(url, timeout);
}

HttpResponse InterruptibleFetcher::post(const QString& url, const QByteArray& contentType,
                                        const QByteArray& body) {
    armInterrupt();
    return curl_.post(url, contentType, body);
}

PageResponse InterruptibleFetcher::request(const PageRequest& request) {
    armInterrupt();
    return curl_.request(request);
}
