#include "Timing.h"

#include "Driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vt {

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PressAndRelease(POINT at)
{
    wt::MovePointer(at);
    wt::PressButton(wt::MouseButton::Left);
    INPUT up{};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    const double start = Now();
    SendInput(1, &up, sizeof up);
    return start;
}

int BenchRuns()
{
    const char* runs = std::getenv("VELMORA_BENCH_RUNS");
    return runs ? std::max(1, std::atoi(runs)) : 10;
}

Spread SpreadOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

void PrintFigureHeader(const char* baseline)
{
    std::printf("  %-38s %-28s %-28s %6s  %s\n", "figure", "Velmora", baseline, "ratio", "aim");
}

void PrintFigure(const char* figure, const std::vector<double>& velmora, const std::vector<double>& baseline,
                 double scale, const char* unit, const char* aim)
{
    if (velmora.empty() || baseline.empty()) {
        // A median of nothing is no figure: 0.0 and a ratio would read as a result.
        std::printf("  %-38s measured nothing: %u samples of Velmora, %u of the baseline  %s\n", figure,
                    static_cast<unsigned>(velmora.size()), static_cast<unsigned>(baseline.size()), aim);
        return;
    }
    const Spread v = SpreadOf(velmora), b = SpreadOf(baseline);
    char left[64], right[64];
    std::snprintf(left, sizeof left, "%.1f %s (%.1f..%.1f)", v.median * scale, unit, v.low * scale, v.high * scale);
    std::snprintf(right, sizeof right, "%.1f %s (%.1f..%.1f)", b.median * scale, unit, b.low * scale, b.high * scale);
    char ratio[16] = "-";
    if (b.median > 0)
        std::snprintf(ratio, sizeof ratio, "%.2f", v.median / b.median);
    std::printf("  %-38s %-28s %-28s %6s  %s\n", figure, left, right, ratio, aim);
}

bool AlternateRounds(int runs, int templates, const char* failed, const std::function<bool(bool velmora)>& round)
{
    for (int run = 0; run < runs; ++run)
        for (int turn = 0; turn < 2; ++turn) {
            const bool velmora = (run + turn) % 2 == 0;
            if (!round(velmora)) {
                std::printf("%s did not %s with %d templates\n", velmora ? "Velmora" : "the minimal program", failed,
                            templates);
                return false;
            }
            // A program started while Wine still tears the last one down waits about 2 s more
            // for its window: let the teardown end first.
            wt::Pause(3000);
            std::fprintf(stderr, "%d templates, run %d of %d, %s done\n", templates, run + 1, runs,
                         velmora ? "Velmora" : "minimal");
        }
    return true;
}

} // namespace vt
