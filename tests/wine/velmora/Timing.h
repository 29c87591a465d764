// Timing for the benchmarks: a clock, and a click timed as a user waits for it.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace vt {

// Seconds from an arbitrary start, at the performance counter's resolution.
double Now();

// Moves the pointer to `at` and presses the left button (the driver paces those events),
// then releases it at once and returns the moment of the release: programs act on it.
double PressAndRelease(POINT at);

// How many times each figure is measured: $VELMORA_BENCH_RUNS, 10 when unset.
int BenchRuns();

// The median and the range of repeated measurements.
struct Spread {
    double median = 0, low = 0, high = 0;
};
Spread SpreadOf(std::vector<double> values);

// Prints one line of a figure table: Velmora's and the baseline's median and range, scaled
// into `unit`, their ratio and the aim; a side without a sample is said to have measured
// nothing. PrintFigureHeader prints the column names.
void PrintFigureHeader(const char* baseline);
void PrintFigure(const char* figure, const std::vector<double>& velmora, const std::vector<double>& baseline,
                 double scale, const char* unit, const char* aim);

// Runs `round` `runs` times for Velmora and for the baseline, alternating which goes first, with
// a pause after each so that Wine has torn the last program down. At the first round that fails
// prints "<who> did not <failed> with <templates> templates" and returns false.
bool AlternateRounds(int runs, int templates, const char* failed, const std::function<bool(bool velmora)>& round);

} // namespace vt
