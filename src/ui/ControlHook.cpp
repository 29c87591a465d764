#include "ui/ControlHook.h"

#include "ui/FailureReport.h"

ControlHook::~ControlHook() { detach(); }

void ControlHook::attach(HWND control, Handler handler, void* owner)
{
    detach();
    control_ = control;
    handler_ = handler;
    owner_ = owner;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlHook::Proc)));
}

void ControlHook::detach()
{
    if (!control_)
        return;
    if (IsWindow(control_) && GetWindowLongPtrW(control_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Proc)) {
        SetWindowLongPtrW(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        SetWindowLongPtrW(control_, GWLP_USERDATA, 0);
    }
    control_ = nullptr;
}

LRESULT ControlHook::CallOriginal(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) const
{
    return CallWindowProcW(original_, control, msg, wParam, lParam);
}

LRESULT CALLBACK ControlHook::Proc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* hook = reinterpret_cast<ControlHook*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (!hook)
        return DefWindowProcW(control, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The control goes: it leaves with its own procedure.
        const WNDPROC original = hook->original_;
        hook->detach();
        return CallWindowProcW(original, control, msg, wParam, lParam);
    }
    return GuardedCall(control, msg, [&] { return hook->handler_(*hook, control, msg, wParam, lParam); });
}
