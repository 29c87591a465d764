#include "Timing.h"

#include "Driver.h"

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

} // namespace vt
