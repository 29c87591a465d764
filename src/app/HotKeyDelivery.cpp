#include "app/HotKeyDelivery.h"

#include "common/TemplateRule.h"
#include "common/Text.h"

#include <algorithm>

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
    desktop_.rememberForeground();
    desktop_.showMainWindow();
    desktop_.bringMainWindowToFront();
    armed_ = true;
    return true;
}

bool HotKeyDelivery::ListBox1DblClick(bool selected, const std::string& text)
{
    // Without a selected row there is nothing to deliver: stay armed and shown.
    if (!armed_ || !selected || delivering_)
        return false;
    if (text.empty()) {
        armed_ = false;
        return false;
    }
    if (target_ != 0) {
        const bool unicode = desktop_.isUnicodeWindow(target_);
        Messages messages;
        std::vector<std::string> missing;
        if (!Prepare(text, unicode, messages, missing)) {
            // Never a silent '?' in a reply: nothing is typed, the list stays, and the
            // user learns which characters that window cannot take.
            desktop_.reportNotTaken(missing);
            return false;
        }
        delivering_ = true;
        desktop_.activate(target_);
        size_t taken = 0;
        const UnitSent stop = SendAll(messages, unicode, taken);
        desktop_.handlePendingMessages();
        delivering_ = false;
        switch (stop) {
        case UnitSent::Refused:
            // Nothing more can reach that window: the user is told, and the list stays
            // for another try once Velmora runs with the same rights.
            desktop_.reportRefused(TypedPart(text, messages, taken), text);
            return false;
        case UnitSent::TargetClosed:
        case UnitSent::TargetHung:
        case UnitSent::KindChanged:
            // Part of the reply is in the target and the rest is not: the user must know
            // before going on there. The list stays for the rest; the next reply needs
            // a target chosen afresh, as this one no longer takes text as it did.
            armed_ = false;
            desktop_.reportCutShort(TypedPart(text, messages, taken), text,
                                    stop == UnitSent::TargetClosed ? TypingStop::TargetClosed
                                    : stop == UnitSent::TargetHung ? TypingStop::TargetHung
                                                                   : TypingStop::KindChanged);
            return false;
        case UnitSent::Taken:
        case UnitSent::ProgramEnding: break; // all typed, or the program ends anyway
        }
        desktop_.hideToTray();
        armed_ = false;
        // The reply is out without them: the agent, about to send it, learns that it is not
        // the whole template, and which characters to mend.
        if (stop == UnitSent::Taken && !messages.skipped.empty())
            desktop_.reportSkipped(messages.skipped);
        // The agent goes on where she was, without a click: after the notice, which needs
        // this program in front.
        desktop_.returnToForeground();
        return stop == UnitSent::Taken;
    }
    desktop_.hideToTray();
    armed_ = false;
    desktop_.returnToForeground();
    return false;
}

bool HotKeyDelivery::Prepare(const std::string& text, bool unicode, Messages& messages,
                             std::vector<std::string>& missing)
{
    messages.values.reserve(text.size());
    messages.characterEnds.reserve(text.size());
    CodePageText bytes;
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharacterLength(text, at);
        const std::string character = text.substr(at, length);
        at += length;
        if (const FoundCharacter refused = FindRefusedCharacter(character)) {
            // A control would act in the target (a backspace erases the agent's draft, Ctrl+V
            // pastes the clipboard) and a bidirectional mark would show the text otherwise than
            // it is: never typed, whoever wrote the template.
            if (std::find(messages.skipped.begin(), messages.skipped.end(), refused.code) == messages.skipped.end() &&
                messages.skipped.size() < kMostNamed)
                messages.skipped.push_back(refused.code);
        } else if (unicode) {
            // A character beyond the first 65,536 goes as its surrogate pair, high then low.
            for (char16_t unit : Utf16Units(character))
                messages.values.push_back(unit);
        } else if (length == 1 && static_cast<unsigned char>(character[0]) < 0x80) {
            messages.values.push_back(static_cast<unsigned char>(character[0]));
        } else if (desktop_.toCodePage(character, bytes)) {
            for (char byte : bytes.bytes)
                messages.values.push_back(static_cast<unsigned char>(byte));
        } else if (std::find(missing.begin(), missing.end(), character) == missing.end() &&
                   missing.size() < kMostNamed) {
            missing.push_back(character);
        }
        messages.characterEnds.push_back(messages.values.size());
    }
    return missing.empty();
}

std::string HotKeyDelivery::TypedPart(const std::string& text, const Messages& messages, size_t sent)
{
    // A character counts once all its messages went: a lead byte or a high surrogate
    // alone is no character in the target yet.
    size_t at = 0;
    for (size_t end : messages.characterEnds) {
        if (end > sent)
            break;
        at += CharacterLength(text, at);
    }
    return text.substr(0, at);
}

HotKeyDelivery::UnitSent HotKeyDelivery::SendAll(const Messages& messages, bool unicode, size_t& sent)
{
    sent = 0;
    for (size_t end : messages.characterEnds) {
        if (sent == end)
            continue; // a character left out
        // A window may change its kind while it is being typed into (a program that subclasses
        // it with an ANSI procedure): the messages were made for the kind it had, and the other
        // kind would turn what its code page lacks into '?'. Asked before each character that
        // is not ASCII, never between the halves of one: an ASCII character arrives the same in
        // either kind, and the question costs a trip to the system for another program's window.
        if (messages.values[sent] >= 0x80 && desktop_.isUnicodeWindow(target_) != unicode)
            return UnitSent::KindChanged;
        for (; sent < end; ++sent) {
            const UnitSent unit = SendUnit(messages.values[sent], unicode);
            if (unit != UnitSent::Taken)
                return unit;
        }
    }
    return UnitSent::Taken;
}

HotKeyDelivery::UnitSent HotKeyDelivery::SendUnit(unsigned value, bool unicode)
{
    switch (desktop_.sendCharacter(target_, value, unicode)) {
    case CharacterSent::Taken: return UnitSent::Taken;
    case CharacterSent::Gone: return UnitSent::TargetClosed;
    case CharacterSent::Refused: return UnitSent::Refused;
    case CharacterSent::Pending: break;
    }
    for (;;) {
        switch (desktop_.waitForTarget(kPollMs)) {
        case TargetWait::Taken: return UnitSent::Taken;
        case TargetWait::ProgramEnding: return UnitSent::ProgramEnding;
        case TargetWait::StillWaiting: break;
        }
        switch (desktop_.targetState(target_)) {
        case TargetState::Responding: break;
        case TargetState::Closed: return UnitSent::TargetClosed;
        case TargetState::Hung: return UnitSent::TargetHung;
        }
    }
}
