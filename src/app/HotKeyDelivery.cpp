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
        size_t taken = 0;
        ByteSent stop = ByteSent::Taken;
        for (; taken < text.size(); ++taken) {
            stop = SendByte(static_cast<unsigned char>(text[taken]));
            if (stop != ByteSent::Taken)
                break;
        }
        desktop_.handlePendingMessages();
        delivering_ = false;
        switch (stop) {
        case ByteSent::Refused:
            // Nothing more can reach that window: the user is told, and the list stays
            // for another try once Velmora runs with the same rights.
            desktop_.reportRefused(text.substr(0, taken), text);
            return;
        case ByteSent::TargetClosed:
        case ByteSent::TargetHung:
            // Part of the reply is in the target and the rest is not: the user must know
            // before going on there. The list stays for the rest; the next reply needs
            // a target chosen afresh, as this one no longer takes text.
            armed_ = false;
            desktop_.reportCutShort(text.substr(0, taken), text,
                                    stop == ByteSent::TargetClosed ? TypingStop::TargetClosed : TypingStop::TargetHung);
            return;
        case ByteSent::Taken:
        case ByteSent::ProgramEnding: break; // all typed, or the program ends anyway
        }
    }
    desktop_.hideToTray();
    armed_ = false;
}

HotKeyDelivery::ByteSent HotKeyDelivery::SendByte(unsigned char value)
{
    switch (desktop_.sendCharacter(target_, value)) {
    case CharacterSent::Taken: return ByteSent::Taken;
    case CharacterSent::Gone: return ByteSent::TargetClosed;
    case CharacterSent::Refused: return ByteSent::Refused;
    case CharacterSent::Pending: break;
    }
    for (;;) {
        switch (desktop_.waitForTarget(kPollMs)) {
        case TargetWait::Taken: return ByteSent::Taken;
        case TargetWait::ProgramEnding: return ByteSent::ProgramEnding;
        case TargetWait::StillWaiting: break;
        }
        switch (desktop_.targetState(target_)) {
        case TargetState::Responding: break;
        case TargetState::Closed: return ByteSent::TargetClosed;
        case TargetState::Hung: return ByteSent::TargetHung;
        }
    }
}
