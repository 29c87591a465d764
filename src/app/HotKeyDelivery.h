#pragma once
// The hotkey captures the window under the pointer and arms delivery; the next
// double-click on the list types the chosen template into that window, one
// character message per byte, and hides the list window.
#include <cstdint>
#include <string>

using WindowHandle = std::uintptr_t;

// The desktop calls of capture and delivery; the main window implements them with
// Win32, the tests record them.
class DeliveryDesktop {
public:
    virtual ~DeliveryDesktop() = default;
    virtual WindowHandle windowUnderPointer() = 0; // 0 when there is none
    virtual void showMainWindow() = 0;
    virtual void bringMainWindowToFront() = 0;
    virtual void activate(WindowHandle target) = 0;
    // One WM_CHAR; false when the target did not take it in time or is gone.
    virtual bool sendCharacter(WindowHandle target, unsigned char value) = 0;
    virtual void hideToTray() = 0;
};

const unsigned kModControl = 2;

class HotKeyDelivery {
public:
    // `registeredKey`: the key code registered with the system at start.
    HotKeyDelivery(DeliveryDesktop& desktop, int registeredKey) : desktop_(desktop), registeredKey_(registeredKey) {}

    void setRegisteredKey(int key) { registeredKey_ = key; }

    // WMHotKey: `modifiers` and `key` are the low and high words of lParam; `configKey`
    // is the key code held in the configuration. True when the press was recognised.
    bool WMHotKey(unsigned modifiers, unsigned key, int configKey);

    // ListBox1DblClick: `selected` tells whether a row is selected, `text` is its full entry.
    void ListBox1DblClick(bool selected, const std::string& text);

    bool HotKeyArmed() const { return armed_; }
    WindowHandle TargetWnd() const { return target_; }

private:
    DeliveryDesktop& desktop_;
    int registeredKey_;
    WindowHandle target_ = 0;
    bool armed_ = false;
};
