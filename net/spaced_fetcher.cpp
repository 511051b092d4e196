#include "net/spaced_fetcher.h"

#include "net/stop.h"

#include <QRandomGenerator>
#include <QUrl>

namespace {

QString hostOf(const QString& url) {
    const QUrl u(url);
    return u.host().toLower() + u':' + QString::number(u.port(-1));
}

} // namespace

template <typename Call> auto SpacedFetcher::spaced(const QString& url, Call call) {
    using Clock = std::chrono::steady_clock;
    const QString host = hostOf(url);
    if (const auto last = lastEnd_.constFind(host); last != lastEnd_.cend()) {
        const std::chrono::milliseconds extra(
            jitter_.count() > 0
                ? qint64(QRandomGenerator::global()->bounded(quint64(jitter_.count()) + 1))
                : 0);
        waitUnlessStopped(*last + delay_ + extra - Clock::now());
    }
    struct Stamp {
        QHash<QString, Clock::time_point>& ends;
        const QString& host;
        ~Stamp() { ends.insert(host, Clock::now()); }
    } stamp{lastEnd_, host};
    return call();
}

HttpResponse SpacedFetcher::get(const QString& url) {
    return spaced(url, [&] { return inner_.get(url); });
}

PageResponse SpacedFetcher::request(const PageRequest& request) {
    return spaced(request.url, [&] { return inner_.request(request); });
}
