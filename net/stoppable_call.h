#pragma once

#include "net/stop.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace stoppable_call {

// What a call's thread tells whoever waits for it: that it has ended.
struct CallEnd {
    std::mutex mutex;
    std::condition_variable done;
    bool ended = false;
};

// Keeps the thread of a call a stop gave up on, until joinAbandoned() joins it.
void abandon(std::thread thread, std::shared_ptr<CallEnd> end);

// Joins the abandoned calls' threads that end within bound; returns how many are still running.
int joinAbandoned(std::chrono::milliseconds bound);

} // namespace stoppable_call

// Runs a blocking library call that cannot be interrupted (getaddrinfo, getnameinfo, res_query)
// on a thread of its own and waits for it, looking at this thread's stop flag every 50 ms. A stop
// raises ToolStopped at once and leaves the call to finish by itself; its result is dropped and
// its thread is joined by the AbandonedCallsGuard main() holds. Whatever call captures must stay
// valid until then, so it should capture by value.
template <typename T> T stoppableCall(std::function<T()> call) {
    struct Shared : stoppable_call::CallEnd {
        std::optional<T> result;
        std::exception_ptr error;
    };
    auto shared = std::make_shared<Shared>();
    std::thread thread([shared, call = std::move(call)] {
        std::optional<T> result;
        std::exception_ptr error;
        try {
            result.emplace(call());
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard lock(shared->mutex);
        shared->result = std::move(result);
        shared->error = error;
        shared->ended = true;
        shared->done.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    while (
        !shared->done.wait_for(lock, std::chrono::milliseconds(50), [&] { return shared->ended; }))
        if (stopRequested()) {
            lock.unlock();
            stoppable_call::abandon(std::move(thread), shared);
            throw ToolStopped{};
        }
    lock.unlock();
    thread.join();
    if (shared->error)
        std::rethrow_exception(shared->error);
    return std::move(*shared->result);
}

// Held by main() for the program's life: at its end the calls a stop abandoned get up to bound
// to end, and are joined, so that no thread of ours runs on into the program's exit. One still
// blocked past it (a resolver that does not answer) is left to the exit rather than keep the user
// waiting.
class AbandonedCallsGuard {
public:
    explicit AbandonedCallsGuard(std::chrono::milliseconds bound = std::chrono::seconds(2))
        : bound_(bound) {}
    ~AbandonedCallsGuard() { stoppable_call::joinAbandoned(bound_); }
    AbandonedCallsGuard(const AbandonedCallsGuard&) = delete;
    AbandonedCallsGuard& operator=(const AbandonedCallsGuard&) = delete;

private:
    std::chrono::milliseconds bound_;
};
