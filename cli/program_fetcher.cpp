#include "cli/program_fetcher.h"

#include "cli/interrupt.h"
#include "demo/demo_fetcher.h"
#include "demo/demo_lookups.h"

#include <algorithm>

QString demoNote() {
    return QStringLiteral("tessivo-cli：演示模式，结果是程序自带示例页面上编造的%1，"
                          "不是真实的查询结果，也没有连接网络")
        .arg(kDemoMark);
}

namespace {

// --timeout holds every request to it, its connection included.
template <typename Limits> Limits timedOut(Limits limits, const Settings& settings) {
    if (const auto timeout = requestTimeout(settings)) {
        limits.totalTimeout = *timeout;
        limits.connectTimeout = std::min(limits.connectTimeout, *timeout);
    }
    return limits;
}

} // namespace

FetchLimits programLimits(const Settings& settings) {
    return timedOut(FetchLimits{.proxy = settings.proxy}, settings);
}

std::unique_ptr<Fetcher> programFetcher(const Settings& settings) {
    if (settings.demo)
        return std::make_unique<DemoFetcher>();
    return std::make_unique<InterruptibleFetcher>(programLimits(settings));
}

std::unique_ptr<Resolver> programResolver(const Settings& settings) {
    if (settings.demo)
        return std::make_unique<DemoResolver>();
    return std::make_unique<SystemResolver>();
}

std::unique_ptr<WhoisClient> programWhois(const Settings& settings) {
    if (settings.demo)
        return std::make_unique<DemoWhoisClient>();
    return std::make_unique<TcpWhoisClient>(timedOut(WhoisLimits{}, settings));
}
