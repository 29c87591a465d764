#pragma once
// Base of the program's windows: the window procedure binds the object at
// WM_NCCREATE and hands every message to HandleMessage. No exception leaves a
// window procedure: a failure in a handler is shown by the general error report
// (ui/FailureReport.h), after the paint when it was raised while painting.
#include <windows.h>

class Window {
public:
    virtual ~Window();
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

protected:
    // Registers the class once per name and creates the window.
    bool CreateWindowOf(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* title, int x, int y,
                        int width, int height, HWND owner, HBRUSH background = nullptr, HICON icon = nullptr);
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};
