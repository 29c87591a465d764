#include "app/HotKeyDelivery.h"

bool HotKeyDelivery::WMHotKey(unsigned modifiers, unsigned key, int configKey)
{
    // Presses and double-clicks that arrive while a text is being typed wait their turn:
    // they are dropped rather than change the target in the middle of a reply.
    if (modifiers != kModControl || delivering_)
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
    if (!armed_ || !selected || delivering_)
        return;
    if (text.empty()) {
        armed_ = false;
        return;
    }
    if (target_ != 0) {
        delivering_ = true;
        desktop_.activate(target_);
        for (char c : text)
            if (!SendByte(static_cast<unsigned char>(c)))
                break; // a hung or closed target: give up on the rest
        delivering_ = false;
    }
    desktop_.hideToTray();
    armed_ = false;
}

bool HotKeyDelivery::SendByte(unsigned char value)
{
    const CharacterSent sent = desktop_.sendCharacter(target_, value);
    if (sent != CharacterSent::Pending)
        return sent == CharacterSent::Taken;
    for (;;) {
        switch (desktop_.waitForTarget(kPollMs)) {
        case TargetWait::Taken: return true;
        case TargetWait::ProgramEnding: return false;
        case TargetWait::StillWaiting: break;
        }
        if (!desktop_.targetResponding(target_))
            return false;
    }
}
