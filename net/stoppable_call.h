#pragma once

#include "net/stop.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Runs a blocking library call that cannot be interrupted (getaddrinfo, getnameinfo, res_query)
// on a thread of its own and waits for it, looking at this thread's stop flag every 50 ms. A stop
// raises ToolStopped at once and leaves the call to finish by itself; its result is dropped.
// Whatever call captures must stay valid until then, so it should capture by value.
template <typename T> T stoppableCall(std::function<T()> call) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<T> result;
        std::exception_ptr error;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, call = std::move(call)] {
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
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    while (!shared->done.wait_for(lock, std::chrono::milliseconds(50),
                                  [&] { return shared->result || shared->error; }))
        if (stopRequested())
            throw ToolStopped{};
    if (shared->error)
        std::rethrow_exception(shared->error);
    return std::move(*shared->result);
}
