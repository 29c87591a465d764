#include "ui/ApplicationWindow.h"

#include "ui/Pictures.h"
#include "ui/WinMessageBoxes.h"
#include "ui/WinText.h"

bool ApplicationWindow::Create()
{
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    return CreateWindowOf(L"VelmoraApplication", 0, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                          Widen(ApplicationTitle()).c_str(), x, y, 0, 0, nullptr, nullptr, CreateAppIcon(32));
}

LRESULT ApplicationWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        // The taskbar button's close: the main window's close path, without a question.
        if (mainWindow_)
            SendMessageW(mainWindow_, WM_CLOSE, 0, 0);
        return 0;
    default:
        return DefaultHandling(msg, wParam, lParam);
    }
}
