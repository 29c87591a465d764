#pragma once
// Base of the windows the main window opens from its menus (about, template manager,
// settings, restore). Each opening is a new instance, owned by the main window and
// centred over the main window's normal place, also while that window is hidden in the
// tray. The owner takes no input while the window is open and gets it back on every
// path. Only one such window is open at a time: Current() names it.
#include "ui/Window.h"

struct ModalFrame {
    const wchar_t* className;
    const wchar_t* title;
    DWORD style;
    DWORD exStyle;
    int clientWidth;
    int clientHeight;
    HBRUSH background; // nullptr: the window paints all of it
};

class ModalWindow : public Window {
public:
    // Creates the window over `owner` and runs it until it closes. A failure while it
    // opens is raised to the caller after the owner has its input back.
    void ShowModal(HWND owner);

    // The ordinary close, as the window's own close button: false when the window
    // stayed open (it refused, or its close failed and was reported).
    bool RequestClose();
    bool closed() const { return done_; }

    // Windows ends the session and the program ends without its close path: the window keeps
    // what it holds, asking nothing. False when the program must not touch the database any
    // more (a restore under way, a store half done).
    virtual bool OnSessionEnding() { return true; }

    // The window open now, or nullptr.
    static ModalWindow* Current() { return current_; }
    void BringToFront() const;

protected:
    virtual ModalFrame Frame() const = 0;
    // After the window exists and before it shows: controls, timers.
    virtual void OnCreated() {}
    // The window's own checks before it closes; false keeps it open. A failure raised
    // here is reported and keeps it open too.
    virtual bool OnCloseRequest() { return true; }

    // A message of the window's loop before it is dispatched; true when it was handled
    // (keyboard navigation between controls, for one).
    virtual bool PreTranslate(MSG&) { return false; }

    // WM_CLOSE runs RequestClose; everything else goes to the default handling.
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void RunLoop();

    static ModalWindow* current_;
    bool done_ = false;
};

// Where a window of `width` × `height` goes to lie centred over `owner`'s normal
// (restored) rectangle, kept inside the work area of that rectangle's monitor.
POINT CentredOver(HWND owner, int width, int height);
