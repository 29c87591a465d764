#pragma once
// The hotkey captures the window under the pointer and arms delivery; the next
// double-click on the list types the chosen template into that window, one character
// message per UTF-16 code unit into a Unicode window and per code-page byte into an
// older one, and hides the list window. A slow target gets the
// whole text however long it takes; only a target that is gone or hung, or that changes
// between the two kinds of window, stops it, and then the list stays and the user learns
// how much was typed. Characters that would act in the target instead of showing there
// (common/TemplateRule.h) are never typed, whatever the template's source.
#include "common/CodePageText.h"

#include <cstdint>
#include <string>
#include <vector>

using WindowHandle = std::uintptr_t;

enum class CharacterSent {
    Taken,   // the target has it (or keeps the first half of a two-part character)
    Pending, // on its way: waitForTarget tells when it is taken
    Gone,    // the target window no longer exists
    Refused  // the system refused it: the target runs with higher rights than Velmora
};

enum class TargetState {
    Responding, // slow perhaps, but it looks at its messages
    Closed,     // the window no longer exists
    Hung        // the system finds its program hung (no look at its messages for seconds)
};

// Why the rest of a reply did not reach the target.
enum class TypingStop {
    TargetClosed,
    TargetHung,
    KindChanged // the target turned from a Unicode window into an older one, or back
};

enum class TargetWait {
    Taken,
    StillWaiting,
    ProgramEnding // the program's own loop was told to quit
};

// The desktop calls of capture and delivery; the main window implements them with
// Win32, the tests record them.
class DeliveryDesktop {
public:
    virtual ~DeliveryDesktop() = default;
    virtual WindowHandle windowUnderPointer() = 0; // 0 when there is none
    // Notes the foreground window and its keyboard focus at a press; when this program was in
    // front, the window under the pointer instead (nothing when that is this program's too).
    virtual void rememberForeground() = 0;
    // Brings the window noted back to the foreground with the focus where it was, so that the
    // agent types on there; nothing when it is gone.
    virtual void returnToForeground() = 0;
    virtual void showMainWindow() = 0;
    virtual void bringMainWindowToFront() = 0;
    virtual void activate(WindowHandle target) = 0;
    // True when the target takes UTF-16 (a Unicode window); otherwise it takes code-page bytes.
    virtual bool isUnicodeWindow(WindowHandle target) = 0;
    // The code page's bytes of one UTF-8 character; false when the code page cannot carry it
    // (the system would put '?' or a look-alike in its place).
    virtual bool toCodePage(const std::string& character, CodePageText& bytes) = 0;
    // One WM_CHAR: a UTF-16 code unit when `unicode`, else one code-page byte. Taken when the
    // target took it at once; Pending when it is still on its way (waitForTarget says when
    // it arrives).
    virtual CharacterSent sendCharacter(WindowHandle target, unsigned value, bool unicode) = 0;
    // Waits up to `ms` for the character sent last, handling the program's own messages
    // meanwhile so that it stays responsive.
    virtual TargetWait waitForTarget(unsigned ms) = 0;
    // A slow target is still responding.
    virtual TargetState targetState(WindowHandle target) = 0;
    // Handles the program's messages that came in while the text was typed, before the
    // typing is over, so that presses and double-clicks among them are dropped.
    virtual void handlePendingMessages() = 0;
    virtual void hideToTray() = 0;
    // The target refused the text after `typed` of `whole` had been typed (both UTF-8;
    // `typed` holds whole characters and may be empty). The list stays shown.
    virtual void reportRefused(const std::string& typed, const std::string& whole) = 0;
    // The target closed or hung after `typed` of `whole` had been typed (as above). The
    // list stays shown.
    virtual void reportCutShort(const std::string& typed, const std::string& whole, TypingStop why) = 0;
    // Nothing was typed: the target is no Unicode window and its code page cannot carry
    // `characters` of the template (UTF-8, each once, at most ten). The list stays shown.
    virtual void reportNotTaken(const std::vector<std::string>& characters) = 0;
    // The reply went out without these refused characters (code points, each once, at most
    // ten); the list is hidden already.
    virtual void reportSkipped(const std::vector<unsigned long>& codes) = 0;
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

    // ListBox1DblClick: `selected` tells whether a row is selected, `text` is its full entry (UTF-8).
    // True when the reply reached its window whole (a delivery that counts).
    bool ListBox1DblClick(bool selected, const std::string& text);

    bool HotKeyArmed() const { return armed_; }
    WindowHandle TargetWnd() const { return target_; }
    bool Delivering() const { return delivering_; }

    // How often a waiting delivery asks whether the target still responds.
    static const unsigned kPollMs = 100;
    // How many characters a code page cannot carry the notice names at most.
    static const size_t kMostNamed = 10;

private:
    // The messages for `text`, in order, and after how many of them each character is
    // whole in the target. False (with `missing` named) when the target cannot take it.
    struct Messages {
        std::vector<unsigned> values;
        std::vector<size_t> characterEnds;
        std::vector<unsigned long> skipped; // refused characters left out, each once
    };
    bool Prepare(const std::string& text, bool unicode, Messages& messages, std::vector<std::string>& missing);
    // How one message fared: taken, or why the rest of the text is not sent.
    enum class UnitSent { Taken, Refused, TargetClosed, TargetHung, KindChanged, ProgramEnding };
    // Sends the messages in order, each character only while the target is still of the kind
    // they were made for; `sent` is how many went.
    UnitSent SendAll(const Messages& messages, bool unicode, size_t& sent);
    // The first whole characters of `text` that `sent` messages carried.
    static std::string TypedPart(const std::string& text, const Messages& messages, size_t sent);

    UnitSent SendUnit(unsigned value, bool unicode);

    DeliveryDesktop& desktop_;
    int registeredKey_;
    WindowHandle target_ = 0;
    bool armed_ = false;
    bool delivering_ = false;
};
