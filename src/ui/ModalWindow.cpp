#include "ui/ModalWindow.h"

#include "ui/StoreErrorText.h"
#include "ui/WinMessageBoxes.h"

#include <exception>
#include <stdexcept>

ModalWindow* ModalWindow::current_ = nullptr;

namespace {

// The owner's restored rectangle in screen coordinates. A window minimised and hidden
// in the tray is parked far off the screen; its placement still holds where it was.
RECT NormalRect(HWND owner)
{
    RECT rect = {};
    if (IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &rect);
        return rect;
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(owner, &placement);
    rect = placement.rcNormalPosition;
    // The placement is in work-area coordinates, except for tool windows.
    if (!(GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTOPRIMARY), &monitor);
        OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    }
    return rect;
}

} // namespace

POINT CentredOver(HWND owner, int width, int height)
{
    RECT over = {};
    if (owner)
        over = NormalRect(owner);
    if (IsRectEmpty(&over))
        over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    POINT at = {over.left + (over.right - over.left - width) / 2, over.top + (over.bottom - over.top - height) / 2};
    // Whatever the owner's place, the window opens where the user can see and close it.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    if (at.x + width > work.right)
        at.x = work.right - width;
    if (at.y + height > work.bottom)
        at.y = work.bottom - height;
    if (at.x < work.left)
        at.x = work.left;
    if (at.y < work.top)
        at.y = work.top;
    return at;
}

void ModalWindow::ShowModal(HWND owner)
{
    const ModalFrame frame = Frame();
    RECT outer = {0, 0, frame.clientWidth, frame.clientHeight};
    AdjustWindowRectEx(&outer, frame.style, FALSE, frame.exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const POINT at = CentredOver(owner, width, height);
    done_ = false;
    if (!CreateWindowOf(frame.className, frame.exStyle, frame.style, frame.title, at.x, at.y, width, height, owner,
                        frame.background))
        throw std::runtime_error("窗口无法打开");

    // From here on the owner gets its input back and the window goes, however this ends.
    struct OpenWindow {
        ModalWindow& window;
        HWND owner;
        ModalWindow* previous;
        ~OpenWindow()
        {
            // Enabled before the window goes, so the activation returns to the owner.
            if (owner)
                EnableWindow(owner, TRUE);
            if (window.hwnd())
                DestroyWindow(window.hwnd());
            current_ = previous;
        }
    } open{*this, owner, current_};
    current_ = this;
    if (owner)
        EnableWindow(owner, FALSE);
    OnCreated();
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
    RunLoop();
}

void ModalWindow::RunLoop()
{
    MSG msg = {};
    while (!done_ && hwnd()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // The program is ending: the outer loop must see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (PreTranslate(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool ModalWindow::RequestClose()
{
    if (done_)
        return true;
    try {
        if (!OnCloseRequest())
            return false;
    } catch (const std::exception& e) {
        ReportError(hwnd(), FailureText(e).c_str());
        return false;
    } catch (...) {
        ReportError(hwnd(), nullptr);
        return false;
    }
    done_ = true;
    // Wakes the loop if it is waiting for a message.
    if (hwnd())
        PostMessageW(hwnd(), WM_NULL, 0, 0);
    return true;
}

void ModalWindow::BringToFront() const
{
    if (!hwnd())
        return;
    if (IsIconic(hwnd()))
        ShowWindow(hwnd(), SW_RESTORE);
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(hwnd());
}

LRESULT ModalWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE) {
        RequestClose();
        return 0;
    }
    return DefaultHandling(msg, wParam, lParam);
}
