#pragma once
// The general error report at the boundary of every window procedure: a failure that no
// handler caught is shown in a message box with its own text, and the program runs on.
// A failure raised while painting is shown after the paint, once.
#include "ui/StoreErrorText.h"

#include <windows.h>

#include <exception>

void ReportFailure(HWND window, UINT msg, const char* what);

// Runs `handle` for message `msg` of `window`; whatever it raises is reported and
// `failed` returned instead. Nothing escapes into the system.
template <typename Handler>
LRESULT GuardedCall(HWND window, UINT msg, Handler&& handle, LRESULT failed = 0)
{
    try {
        return handle();
    } catch (const std::exception& e) {
        ReportFailure(window, msg, FailureText(e).c_str());
    } catch (...) {
        ReportFailure(window, msg, nullptr);
    }
    return failed;
}
