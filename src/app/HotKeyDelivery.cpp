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
        size_t typed = 0;
        CharacterSent stop = CharacterSent::Taken;
        for (; typed < text.size() && stop == CharacterSent::Taken; ++typed)
            stop = SendByte(static_cast<unsigned char>(text[typed]));
        desktop_.handlePendingMessages();
        delivering_ = false;
        if (stop == CharacterSent::Refused) {
            // Nothing more can reach that window: the user is told, and the list stays
            // for another try once Velmora runs with the same rights.
            desktop_.reportRefused(text.substr(0, typed - 1), text);
            return;
        }
        // Otherwise everything went, or a hung or closed target took what it could.
    }
    desktop_.hideToTray();
    armed_ = false;
}

CharacterSent HotKeyDelivery::SendByte(unsigned char value)
{
    const CharacterSent sent = desktop_.sendCharacter(target_, value);
    if (sent != CharacterSent::Pending)
        return sent;
    for (;;) {
        switch (desktop_.waitForTarget(kPollMs)) {
        case TargetWait::Taken: return CharacterSent::Taken;
        case TargetWait::ProgramEnding: return CharacterSent::Gone;
        case TargetWait::StillWaiting: break;
        }
        if (!desktop_.targetResponding(target_))
            return CharacterSent::Gone;
    }
}
