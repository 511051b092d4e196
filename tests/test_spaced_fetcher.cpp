#include "net/spaced_fetcher.h"
#include "net/stop.h"

#include <QThread>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct TimedFetcher : Fetcher {
    QList<Clock::time_point> starts;
    HttpResponse get(const QString&) override {
        starts << Clock::now();
        return {};
    }
};

TEST(SpacedFetcher, SpacesRequestsToOneHostOnly) {
    TimedFetcher inner;
    SpacedFetcher spaced(inner, milliseconds(300));
    spaced.get("http://a.example/1");
    spaced.get("http://b.example/1"); // another host: no wait
    spaced.get("http://A.example/2"); // the first host again, however it is written
    ASSERT_EQ(inner.starts.size(), 3);
    EXPECT_GE(inner.starts[2] - inner.starts[0], milliseconds(300));
    // A wait of its own would have taken the full delay.
    EXPECT_LT(inner.starts[1] - inner.starts[0], milliseconds(300));
}

TEST(SpacedFetcher, AStopEndsTheWait) {
    TimedFetcher inner;
    SpacedFetcher spaced(inner, std::chrono::hours(1));
    StopFlag flag;
    const StopScope scope(flag);
    spaced.get("http://a.example/");
    QThread* stopper = QThread::create([&flag] {
        QThread::msleep(100);
        flag.request();
    });
    stopper->start();
    EXPECT_THROW(spaced.get("http://a.example/"), ToolStopped);
    stopper->wait();
    delete stopper;
    EXPECT_EQ(inner.starts.size(), 1);
}

} // namespace
