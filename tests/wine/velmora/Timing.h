// Timing for the benchmarks: a clock, and a click timed as a user waits for it.
#pragma once

#include <windows.h>

namespace vt {

// Seconds from an arbitrary start, at the performance counter's resolution.
double Now();

// Moves the pointer to `at` and presses the left button (the driver paces those events),
// then releases it at once and returns the moment of the release: programs act on it.
double PressAndRelease(POINT at);

} // namespace vt
