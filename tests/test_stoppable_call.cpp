#include "base/tool_error.h"
#include "net/stoppable_call.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(StoppableCall, AnsweredCallsLeaveNoThreadBehind) {
    EXPECT_EQ(stoppableCall<int>([] { return 42; }), 42);
    try {
        stoppableCall<int>([]() -> int { throw ToolError(QStringLiteral("无法解析")); });
        ADD_FAILURE() << "the call's error was dropped";
    } catch (const ToolError& e) {
        EXPECT_EQ(e.description(), QStringLiteral("无法解析"));
    }
    EXPECT_EQ(stoppable_call::joinAbandoned(0ms), 0);
}

// A stop leaves the blocked call running; the guard main() holds joins its thread once the call
// ends, and gives up on one still blocked after its bound instead of waiting for it.
TEST(StoppableCall, TheGuardJoinsTheThreadAStopAbandoned) {
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    const auto finished = std::make_shared<std::atomic<bool>>(false);
    {
        const AbandonedCallsGuard guard(30s);
        StopFlag flag;
        flag.request();
        {
            const StopScope scope(flag);
            EXPECT_THROW(stoppableCall<int>([released, finished] {
                             released.wait();
                             finished->store(true);
                             return 1;
                         }),
                         ToolStopped);
        }
        EXPECT_FALSE(finished->load());
        EXPECT_EQ(stoppable_call::joinAbandoned(10ms), 1) << "blocked past the bound: left";
        release.set_value();
    }
    EXPECT_TRUE(finished->load()) << "the guard returned before the call ended";
    EXPECT_EQ(stoppable_call::joinAbandoned(0ms), 0) << "its thread was joined";
}
