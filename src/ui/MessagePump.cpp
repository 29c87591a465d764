#include "ui/MessagePump.h"

#include <windows.h>

bool ProcessPendingMessages(const bool* stopWhenSet)
{
    MSG msg;
    while (!(stopWhenSet && *stopWhenSet) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}
