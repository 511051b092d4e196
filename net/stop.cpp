#include "net/stop.h"

#include <algorithm>
#include <thread>

namespace {

thread_local const StopFlag* current = nullptr;

} // namespace

StopScope::StopScope(const StopFlag& flag) : previous_(current) {
    current = &flag;
}

StopScope::~StopScope() {
    current = previous_;
}

bool stopRequested() {
    return current && current->requested();
}

const StopFlag* currentStopFlag() {
    return current;
}

void waitUnlessStopped(std::chrono::steady_clock::duration wait) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point due = Clock::now() + wait;
    while (Clock::now() < due) {
        if (stopRequested())
            throw ToolStopped{};
        std::this_thread::sleep_for(
            std::min<Clock::duration>(std::chrono::milliseconds(50), due - Clock::now()));
    }
}
