// The hotkey and the delivery of a template into the captured window.
#include "app/mainDialog.h"

#include "common/Text.h"
#include "ui/CodePage.h"
#include "store/ConfigRecord.h"

namespace {

// How long a character may take before the target counts as slow and this program goes
// back to its own messages while it waits.
const UINT kQuickReplyMs = 100;

// The target's window procedure has returned from the character: it is taken.
void CALLBACK CharacterTaken(HWND, UINT, ULONG_PTR data, LRESULT) { *reinterpret_cast<bool*>(data) = true; }

} // namespace

WindowHandle TMainFrm::windowUnderPointer()
{
    POINT p = {};
    GetCursorPos(&p);
    return reinterpret_cast<WindowHandle>(WindowFromPoint(p));
}

void TMainFrm::showMainWindow() { ShowWindow(hwnd(), SW_SHOWNORMAL); }

void TMainFrm::bringMainWindowToFront()
{
    // While a window of ours is open the main window takes no input: that window comes first.
    if (ModalWindow* open = ModalWindow::Current())
        open->BringToFront();
    else
        SetForegroundWindow(hwnd());
}

void TMainFrm::activate(WindowHandle target)
{
    SetForegroundWindow(reinterpret_cast<HWND>(target));
    SetActiveWindow(reinterpret_cast<HWND>(target));
}

bool TMainFrm::isUnicodeWindow(WindowHandle target) { return IsWindowUnicode(reinterpret_cast<HWND>(target)) != FALSE; }

bool TMainFrm::toCodePage(const std::string& character, CodePageText& bytes) { return ToCodePage(character, bytes); }

CharacterSent TMainFrm::sendCharacter(WindowHandle target, unsigned value, bool unicode)
{
    HWND window = reinterpret_cast<HWND>(target);
    if (!IsWindow(window))
        return CharacterSent::Gone;
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
    // nothing is sent yet; only a reported error (a closed window) is a failure.
    return error == ERROR_SUCCESS && IsWindow(window) ? CharacterSent::Taken : CharacterSent::Gone;
}

TargetWait TMainFrm::waitForTarget(unsigned ms)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        // The reply arrives while this thread looks at its messages.
        MSG msg;
        while (!characterTaken_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return TargetWait::ProgramEnding;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (characterTaken_)
            return TargetWait::Taken;
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (elapsed >= ms)
            return TargetWait::StillWaiting;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms - elapsed), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

TargetState TMainFrm::targetState(WindowHandle target)
{
    HWND window = reinterpret_cast<HWND>(target);
    if (!IsWindow(window))
        return TargetState::Closed;
    return IsHungAppWindow(window) ? TargetState::Hung : TargetState::Responding;
}

void TMainFrm::handlePendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TMainFrm::reportRefused(const std::string& typed, const std::string& whole)
{
    boxes_.notice(TypingRefusedNotice(CharacterCount(typed), CharacterCount(whole)), NoticeType::Exclamation);
}

void TMainFrm::reportCutShort(const std::string& typed, const std::string& whole, TypingStop why)
{
    boxes_.notice(TypingCutShortNotice(why == TypingStop::TargetClosed, CharacterCount(typed), CharacterCount(whole)),
                  NoticeType::Exclamation);
}

void TMainFrm::reportNotTaken(const std::vector<std::string>& characters)
{
    boxes_.notice(CharactersNotTakenNotice(characters), NoticeType::Exclamation);
}

void TMainFrm::CreateDelivery() { delivery_ = std::make_unique<HotKeyDelivery>(*this, Config.THotKeyInt); }

void TMainFrm::RegisterHotKeyOnce()
{
    // The atom is system-wide and outlives the process unless deleted: the close path does that.
    hotKeyAtom_ = GlobalAddAtomW(L"Exe");
    HotKeyId = static_cast<int>(static_cast<unsigned short>(hotKeyAtom_)) - 0xC000;
    delivery_->setRegisteredKey(Config.THotKeyInt);
    if (RegisterHotKey(hwnd(), HotKeyId, MOD_CONTROL, static_cast<UINT>(Config.THotKeyInt)))
        return;
    // Another program holds the letter: the hint must not promise it, and the user learns
    // once, at start, where to choose another.
    RzTrayIcon1.setHint(HotKeyTakenHint(Config.THotKeyInt));
    boxes_.notice(HotKeyTakenNotice(Config.THotKeyInt), NoticeType::Exclamation);
}

void TMainFrm::UnregisterHotKeyOnce()
{
    UnregisterHotKey(hwnd(), HotKeyId);
    if (hotKeyAtom_) {
        GlobalDeleteAtom(hotKeyAtom_);
        hotKeyAtom_ = 0;
    }
}

void TMainFrm::WMHotKey(LPARAM lParam) { delivery_->WMHotKey(LOWORD(lParam), HIWORD(lParam), Config.THotKeyInt); }

void TMainFrm::ListBox1DblClick()
{
    const int index = static_cast<int>(SendMessageW(ListBox1, LB_GETCURSEL, 0, 0));
    delivery_->ListBox1DblClick(index >= 0, index >= 0 ? EntryText(index) : std::string());
}
