#pragma once
// The application's own top-level window. It has no size and carries the taskbar
// button; the main window is owned by it, so the main window has no button of its
// own and hiding this window removes the button for good.
#include "ui/Gdi.h"
#include "ui/Window.h"

class ApplicationWindow : public Window {
public:
    ApplicationWindow() = default;
    ~ApplicationWindow() override;
    bool Create();
    // Where a close from the taskbar button's menu goes.
    void setMainWindow(HWND mainWindow) { mainWindow_ = mainWindow; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND mainWindow_ = nullptr;
    // The class icon: it must outlive the window and the class registration.
    Icon icon_;
};
