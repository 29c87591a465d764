#pragma once
// Our own procedure in front of a standard control's (the list boxes, a drop-down's edit
// part). The system's subclass helper looks a window property up on every message,
// which under Wine is a trip to its server: a list of 10,000 rows then took over a
// second to fill. This keeps the owner in the control's user data instead.
#include <windows.h>

class ControlHook {
public:
    using Handler = LRESULT (*)(const ControlHook& hook, HWND control, UINT msg, WPARAM wParam, LPARAM lParam);

    ControlHook() = default;
    ~ControlHook();
    ControlHook(const ControlHook&) = delete;
    ControlHook& operator=(const ControlHook&) = delete;

    // From now on every message of `control` goes to `handler` first; `owner` is for the handler.
    void attach(HWND control, Handler handler, void* owner);
    void* owner() const { return owner_; }
    // The control's own handling of a message.
    LRESULT CallOriginal(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK Proc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
    void detach();

    HWND control_ = nullptr;
    WNDPROC original_ = nullptr;
    Handler handler_ = nullptr;
    void* owner_ = nullptr;
};
