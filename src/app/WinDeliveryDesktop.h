#pragma once
// The desktop side of capture and delivery on Windows: the window under the pointer, the
// characters sent to the captured window, the wait for a slow one and the notices. It
// reaches the main window only through its handle and the hide-to-tray it is given.
#include "app/HotKeyDelivery.h"
#include "common/FunPub.h"

#include <windows.h>

#include <functional>

class WinDeliveryDesktop : public DeliveryDesktop {
public:
    // `mainWindow` is shown and brought to the front; `hide` hides it to the tray; the
    // notices go through `boxes`.
    WinDeliveryDesktop(HWND mainWindow, MessageBoxes& boxes, std::function<void()> hide);

    WindowHandle windowUnderPointer() override;
    void rememberForeground() override;
    void returnToForeground() override;
    void showMainWindow() override;
    void bringMainWindowToFront() override;
    void activate(WindowHandle target) override;
    bool isUnicodeWindow(WindowHandle target) override;
    bool toCodePage(const std::string& character, CodePageText& bytes) override;
    CharacterSent sendCharacter(WindowHandle target, unsigned value, bool unicode) override;
    TargetWait waitForTarget(unsigned ms) override;
    TargetState targetState(WindowHandle target) override;
    void handlePendingMessages() override;
    void hideToTray() override;
    void reportRefused(const std::string& typed, const std::string& whole) override;
    void reportCutShort(const std::string& typed, const std::string& whole, TypingStop why) override;
    void reportNotTaken(const std::vector<std::string>& characters) override;
    void reportSkipped(const std::vector<unsigned long>& codes) override;

private:
    HWND mainWindow_;
    MessageBoxes& boxes_;
    std::function<void()> hide_;
    // The foreground window at the last press and the window that had its keyboard focus.
    HWND previousForeground_ = nullptr;
    HWND previousFocus_ = nullptr;
    HWND underPointer_ = nullptr; // at the last press
    // Set when the slow target has taken the character sent last.
    bool characterTaken_ = false;
};
