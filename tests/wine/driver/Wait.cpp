#include "Wait.h"

#include <windows.h>

namespace wt {

namespace {

void DispatchPendingMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

void Pause(unsigned ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        DispatchPendingMessages();
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs, unsigned pollMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= end)
            return condition();
        Pause(pollMs);
    }
}

} // namespace wt
