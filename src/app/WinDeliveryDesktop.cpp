#include "app/WinDeliveryDesktop.h"

#include "common/Text.h"
#include "ui/CodePage.h"
#include "ui/MessagePump.h"
#include "ui/ModalWindow.h"

#include <utility>

namespace {

// How long a character may take before the target counts as slow and this program goes
// back to its own messages while it waits.
const UINT kQuickReplyMs = 100;

// The target's window procedure has returned from the character: it is taken.
void CALLBACK CharacterTaken(HWND, UINT, ULONG_PTR data, LRESULT) { *reinterpret_cast<bool*>(data) = true; }

} // namespace

WinDeliveryDesktop::WinDeliveryDesktop(HWND mainWindow, MessageBoxes& boxes, std::function<void()> hide)
    : mainWindow_(mainWindow), boxes_(boxes), hide_(std::move(hide))
{
}

WindowHandle WinDeliveryDesktop::windowUnderPointer()
{
    POINT p = {};
    GetCursorPos(&p);
    underPointer_ = WindowFromPoint(p);
    return reinterpret_cast<WindowHandle>(underPointer_);
}

void WinDeliveryDesktop::rememberForeground()
{
    previousForeground_ = nullptr;
    previousFocus_ = nullptr;
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    DWORD thread = foreground ? GetWindowThreadProcessId(foreground, &process) : 0;
    if (thread && process == GetCurrentProcessId()) {
        // Pressed while the list was in front: the agent goes on in the window she points at,
        // the one the reply goes to (unless that is the list itself).
        foreground = underPointer_ ? GetAncestor(underPointer_, GA_ROOT) : nullptr;
        thread = foreground ? GetWindowThreadProcessId(foreground, &process) : 0;
        if (!thread || process == GetCurrentProcessId())
            return;
        previousForeground_ = foreground;
        return;
    }
    if (!thread)
        return;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    previousForeground_ = foreground;
    previousFocus_ = GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void WinDeliveryDesktop::returnToForeground()
{
    HWND window = previousForeground_;
    if (!window || !IsWindow(window))
        return; // closed meanwhile: nothing is forced on whatever is in front now
    // This program is in the foreground here, so the system lets it hand the foreground on.
    SetForegroundWindow(window);
    HWND focus = previousFocus_;
    if (!focus || !IsWindow(focus) || GetAncestor(focus, GA_ROOT) != window)
        return;
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &process);
    // The window takes its activation in its own thread; a window that restores its focus by
    // itself has done so once it answers. One that is busy is not waited for long.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kQuickReplyMs, &ignored);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus == focus)
        return;
    // The focus of another program's thread can be set only from inside its input state.
    const DWORD own = GetCurrentThreadId();
    if (thread == own || !AttachThreadInput(own, thread, TRUE))
        return;
    SetFocus(focus);
    AttachThreadInput(own, thread, FALSE);
}

void WinDeliveryDesktop::showMainWindow() { ShowWindow(mainWindow_, SW_SHOWNORMAL); }

void WinDeliveryDesktop::bringMainWindowToFront()
{
    // While a window of ours is open the main window takes no input: that window comes first.
    if (ModalWindow* open = ModalWindow::Current())
        open->BringToFront();
    else
        SetForegroundWindow(mainWindow_);
}

void WinDeliveryDesktop::activate(WindowHandle target)
{
    SetForegroundWindow(reinterpret_cast<HWND>(target));
    SetActiveWindow(reinterpret_cast<HWND>(target));
}

bool WinDeliveryDesktop::isUnicodeWindow(WindowHandle target)
{
    return IsWindowUnicode(reinterpret_cast<HWND>(target)) != FALSE;
}

bool WinDeliveryDesktop::toCodePage(const std::string& character, CodePageText& bytes)
{
    return ToCodePage(character, bytes);
}

CharacterSent WinDeliveryDesktop::sendCharacter(WindowHandle target, unsigned value, bool unicode)
{
    HWND window = reinterpret_cast<HWND>(target);
    // No IsWindow before the send: a closed target makes the send fail on its own
    // (ERROR_INVALID_WINDOW_HANDLE), and asking about another program's window costs a round
    // trip to the system for every character, as much as a tenth of the send itself.
    // Most targets take a character at once: a short wait for that costs no more than a
    // plain send. Meanwhile only messages sent to this program are handled.
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    const LRESULT sent = unicode ? SendMessageTimeoutW(window, WM_CHAR, value, 0, SMTO_NORMAL, kQuickReplyMs, &result)
                                 : SendMessageTimeoutA(window, WM_CHAR, value, 0, SMTO_NORMAL, kQuickReplyMs, &result);
    if (sent)
        return CharacterSent::Taken;
    const DWORD error = GetLastError();
    // The system keeps a program from typing into one that runs with higher rights. The
    // same error comes back when the target's program ends while it holds the character.
    if (error == ERROR_ACCESS_DENIED)
        return IsWindow(window) ? CharacterSent::Refused : CharacterSent::Gone;
    if (error == ERROR_TIMEOUT && IsWindow(window)) {
        // A slow target: the character waits in its queue. A message sent after it reports
        // when the target has taken both, while this program paints and answers as usual.
        characterTaken_ = false;
        if (SendMessageCallbackW(window, WM_NULL, 0, 0, CharacterTaken, reinterpret_cast<ULONG_PTR>(&characterTaken_)))
            return CharacterSent::Pending;
        return IsWindow(window) ? CharacterSent::Pending : CharacterSent::Gone;
    }
    // The lead byte of a two-byte character is kept until its trail byte comes and
    // nothing is sent yet; only a reported error (a closed window) is a failure. A target
    // closed meanwhile fails the trail byte's send.
    return error == ERROR_SUCCESS ? CharacterSent::Taken : CharacterSent::Gone;
}

TargetWait WinDeliveryDesktop::waitForTarget(unsigned ms)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        // The reply arrives while this thread looks at its messages.
        if (!ProcessPendingMessages(&characterTaken_))
            return TargetWait::ProgramEnding;
        if (characterTaken_)
            return TargetWait::Taken;
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= ms)
            return TargetWait::StillWaiting;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms - elapsed), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

TargetState WinDeliveryDesktop::targetState(WindowHandle target)
{
    HWND window = reinterpret_cast<HWND>(target);
    if (!IsWindow(window))
        return TargetState::Closed;
    return IsHungAppWindow(window) ? TargetState::Hung : TargetState::Responding;
}

void WinDeliveryDesktop::handlePendingMessages() { ProcessPendingMessages(); }

void WinDeliveryDesktop::hideToTray() { hide_(); }

void WinDeliveryDesktop::reportRefused(const std::string& typed, const std::string& whole)
{
    boxes_.notice(TypingRefusedNotice(CharacterCount(typed), CharacterCount(whole)), NoticeType::Exclamation);
}

void WinDeliveryDesktop::reportCutShort(const std::string& typed, const std::string& whole, TypingStop why)
{
    const int typedCount = CharacterCount(typed), wholeCount = CharacterCount(whole);
    boxes_.notice(why == TypingStop::KindChanged
                      ? TypingKindChangedNotice(typedCount, wholeCount)
                      : TypingCutShortNotice(why == TypingStop::TargetClosed, typedCount, wholeCount),
                  NoticeType::Exclamation);
}

void WinDeliveryDesktop::reportNotTaken(const std::vector<std::string>& characters)
{
    boxes_.notice(CharactersNotTakenNotice(characters), NoticeType::Exclamation);
}

void WinDeliveryDesktop::reportSkipped(const std::vector<unsigned long>& codes)
{
    boxes_.notice(CharactersSkippedNotice(codes), NoticeType::Exclamation);
}
