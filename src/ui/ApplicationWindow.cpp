#include "ui/ApplicationWindow.h"

#include "ui/Pictures.h"
#include "ui/WinMessageBoxes.h"
#include "ui/WinText.h"

namespace {
const wchar_t kClassName[] = L"VelmoraApplication";
}

ApplicationWindow::~ApplicationWindow()
{
    // The window and its class go before icon_ does.
    if (hwnd())
        DestroyWindow(hwnd());
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

bool ApplicationWindow::Create()
{
    if (!icon_)
        icon_ = CreateAppIcon(32);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    return CreateWindowOf(kClassName, 0, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                          Widen(ApplicationTitle()).c_str(), x, y, 0, 0, nullptr, nullptr, icon_.get());
}

LRESULT ApplicationWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        // The taskbar button's close: the main window's close path, without a question.
        if (mainWindow_)
            SendMessageW(mainWindow_, WM_CLOSE, 0, 0);
        return 0;
    default: return DefaultHandling(msg, wParam, lParam);
    }
}
