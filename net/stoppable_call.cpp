#include "net/stoppable_call.h"

#include <algorithm>
#include <vector>

namespace stoppable_call {
namespace {

struct Abandoned {
    std::thread thread;
    std::shared_ptr<CallEnd> end;

    bool ended() const {
        const std::lock_guard lock(end->mutex);
        return end->ended;
    }
};

class Registry {
public:
    // A thread still blocked when the program ends is left to the exit: destroying it joinable
    // would end the program with std::terminate.
    ~Registry() {
        for (Abandoned& a : calls_)
            a.thread.detach();
    }

    void add(Abandoned call) {
        const std::lock_guard lock(mutex_);
        joinEnded();
        calls_.push_back(std::move(call));
    }

    int join(std::chrono::milliseconds bound) {
        const auto deadline = std::chrono::steady_clock::now() + bound;
        std::vector<std::shared_ptr<CallEnd>> ends;
        {
            const std::lock_guard lock(mutex_);
            for (const Abandoned& a : calls_)
                ends.push_back(a.end);
        }
        for (const std::shared_ptr<CallEnd>& end : ends) {
            std::unique_lock lock(end->mutex);
            end->done.wait_until(lock, deadline, [&] { return end->ended; });
        }
        const std::lock_guard lock(mutex_);
        joinEnded();
        return int(calls_.size());
    }

private:
    // An ended call's thread has only its return left, so joining it does not wait.
    void joinEnded() {
        const auto ended = std::stable_partition(calls_.begin(), calls_.end(),
                                                 [](const Abandoned& a) { return !a.ended(); });
        for (auto it = ended; it != calls_.end(); ++it)
            it->thread.join();
        calls_.erase(ended, calls_.end());
    }

    std::mutex mutex_;
    std::vector<Abandoned> calls_;
};

Registry& registry() {
    static Registry calls;
    return calls;
}

} // namespace

void abandon(std::thread thread, std::shared_ptr<CallEnd> end) {
    registry().add({std::move(thread), std::move(end)});
}

int joinAbandoned(std::chrono::milliseconds bound) {
    return registry().join(bound);
}

} // namespace stoppable_call
