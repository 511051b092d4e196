#include "net/spaced_fetcher.h"

#include "net/stop.h"

#include <QUrl>
#include <thread>

namespace {

QString hostOf(const QString& url) {
    const QUrl u(url);
    return u.host().toLower() + u':' + QString::number(u.port(-1));
}

} // namespace

HttpResponse SpacedFetcher::get(const QString& url) {
    using Clock = std::chrono::steady_clock;
    const QString host = hostOf(url);
    if (const auto last = lastEnd_.constFind(host); last != lastEnd_.cend()) {
        const Clock::time_point due = *last + delay_;
        // Short slices, so that Ctrl-C or the stop button ends the wait at once.
        while (Clock::now() < due) {
            if (stopRequested())
                throw ToolStopped{};
            std::this_thread::sleep_for(
                std::min<Clock::duration>(std::chrono::milliseconds(50), due - Clock::now()));
        }
    }
    struct Stamp {
        QHash<QString, Clock::time_point>& ends;
        const QString& host;
        ~Stamp() { ends.insert(host, Clock::now()); }
    } stamp{lastEnd_, host};
    return inner_.get(url);
}
