#pragma once

#include <QString>
#include <functional>

// Told before each request of a run of several: what is asked now (an engine, a rating, a
// keyword), and which step of how many it is, counted from 1. steps is 0 while the run does not
// know yet how many there will be.
using Progress = std::function<void(const QString& what, int step, int steps)>;
