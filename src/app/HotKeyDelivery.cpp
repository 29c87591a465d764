#include "app/HotKeyDelivery.h"

bool HotKeyDelivery::WMHotKey(unsigned modifiers, unsigned key, int configKey)
{
    if (modifiers != kModControl)
        return false;
    // The letter registered at start keeps working after the settings changed it, until
    // the restart registers the new one: the user is never left without a hotkey.
    if (key != static_cast<unsigned>(configKey) && key != static_cast<unsigned>(registeredKey_))
        return false;
    target_ = desktop_.windowUnderPointer();
    desktop_.showMainWindow();
    desktop_.bringMainWindowToFront();
    armed_ = true;
    return true;
}

void HotKeyDelivery::ListBox1DblClick(bool selected, const std::string& text)
{
    // Without a selected row there is nothing to deliver: stay armed and shown.
    if (!armed_ || !selected)
        return;
    if (text.empty()) {
        armed_ = false;
        return;
    }
    if (target_ != 0) {
        desktop_.activate(target_);
        for (char c : text)
            if (!desktop_.sendCharacter(target_, static_cast<unsigned char>(c)))
                break; // a hung or closed target: give up on the rest
    }
    desktop_.hideToTray();
    armed_ = false;
}
