#include "net/stop.h"

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
