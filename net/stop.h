#pragma once

#include <atomic>
#include <chrono>

// How a run is stopped from outside: the window's stop button, Esc, closing the window, or the
// CLI's Ctrl-C. A run's fetches see the flag of the StopScope that the thread running them
// holds, so the tools themselves need not carry it.
class StopFlag {
public:
    // Safe from any thread and from a signal handler.
    void request() { stop_.store(true); }
    bool requested() const { return stop_.load(); }

private:
    std::atomic<bool> stop_{false};
    static_assert(std::atomic<bool>::is_always_lock_free);
};

// Makes flag the one this thread's fetches obey while the scope lasts.
class StopScope {
public:
    explicit StopScope(const StopFlag& flag);
    ~StopScope();
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;

private:
    const StopFlag* previous_;
};

// Whether this thread's run has been asked to stop.
bool stopRequested();

// The flag this thread's run obeys, nullptr outside a StopScope: a run that hands its requests
// to threads of its own gives them the same flag.
const StopFlag* currentStopFlag();

// Raised by a fetch whose run was stopped. Not a ToolError: a stop is no failure, and the tools
// that turn their failures into "-" must let it through.
struct ToolStopped {};

// Waits that long in short slices, so that Ctrl-C or the stop button ends the wait at once
// (raising ToolStopped).
void waitUnlessStopped(std::chrono::steady_clock::duration wait);
