#include "ui/FailureReport.h"

#include "common/FailureQueue.h"
#include "ui/WinMessageBoxes.h"

#include <string>

namespace {

const UINT kShowWaiting = WM_APP + 1;

bool IsPaintMessage(UINT msg)
{
    switch (msg) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: return true;
    default: return false;
    }
}

FailureQueue& Waiting()
{
    static FailureQueue queue;
    return queue;
}

HWND& WaitingOwner()
{
    static HWND owner = nullptr;
    return owner;
}

LRESULT CALLBACK ReporterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != kShowWaiting)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    std::string text;
    while (Waiting().take(text)) {
        HWND owner = IsWindow(WaitingOwner()) ? WaitingOwner() : nullptr;
        ReportError(owner, text.c_str());
    }
    return 0;
}

// A message-only window of its own: a posted report then reaches it from any message
// loop, a message box's or a menu's included.
HWND Reporter()
{
    static HWND window = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ReporterProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VelmoraFailureReport";
        RegisterClassW(&wc);
        return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }();
    return window;
}

} // namespace

void ReportFailure(HWND window, UINT msg, const char* what)
{
    const std::string text = what && *what ? what : "";
    if (!IsPaintMessage(msg)) {
        ReportError(window, text.c_str());
        return;
    }
    const bool wasEmpty = Waiting().empty();
    if (!Waiting().add(text))
        return;
    WaitingOwner() = GetAncestor(window, GA_ROOT);
    HWND reporter = Reporter();
    if (!reporter) {
        // No window to post to: say it now rather than never.
        std::string now;
        while (Waiting().take(now))
            ReportError(window, now.c_str());
        return;
    }
    if (wasEmpty)
        PostMessageW(reporter, kShowWaiting, 0, 0);
}
