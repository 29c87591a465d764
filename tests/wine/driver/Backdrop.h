// A plain coloured area behind everything else, so that tests can tell what a window lets
// through (the see-through corners of a layered window) from the window itself.
#pragma once

#include <windows.h>

#include <thread>

namespace wt {

class Backdrop {
public:
    // Covers `area` (default: the whole screen) with `colour`, below every other window and
    // never taking the activation. The window lives on its own thread with its own message
    // loop, so it paints even while the test waits.
    explicit Backdrop(COLORREF colour, RECT area = {0, 0, 0, 0});
    ~Backdrop();
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

    HWND window() const { return window_; }
    COLORREF colour() const { return colour_; }

private:
    void run(RECT area);

    COLORREF colour_;
    HWND window_ = nullptr;
    HANDLE ready_ = nullptr;
    std::thread thread_;
};

} // namespace wt
