// The hotkey and the delivery of a template into the captured window.
#include "app/mainDialog.h"

#include "store/ConfigRecord.h"

namespace {

// A target whose program stopped handling messages gets this long per character.
const UINT kCharacterTimeoutMs = 1000;

} // namespace

WindowHandle TMainFrm::windowUnderPointer()
{
    POINT p = {};
    GetCursorPos(&p);
    return reinterpret_cast<WindowHandle>(WindowFromPoint(p));
}

void TMainFrm::showMainWindow() { ShowWindow(hwnd(), SW_SHOWNORMAL); }

void TMainFrm::bringMainWindowToFront() { SetForegroundWindow(hwnd()); }

void TMainFrm::activate(WindowHandle target)
{
    SetForegroundWindow(reinterpret_cast<HWND>(target));
    SetActiveWindow(reinterpret_cast<HWND>(target));
}

bool TMainFrm::sendCharacter(WindowHandle target, unsigned char value)
{
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutA(reinterpret_cast<HWND>(target), WM_CHAR, value, 0, SMTO_ABORTIFHUNG, kCharacterTimeoutMs,
                            &result) != 0)
        return true;
    // Some systems answer 0 for the lead byte of a two-byte character that they keep
    // until its trail byte arrives; only a reported error (a timeout, a closed window) fails.
    return GetLastError() == ERROR_SUCCESS;
}

void TMainFrm::CreateDelivery()
{
    delivery_ = std::make_unique<HotKeyDelivery>(*this, Config.THotKeyInt);
}

void TMainFrm::RegisterHotKeyOnce()
{
    const ATOM atom = GlobalAddAtomA("Exe");
    HotKeyId = static_cast<int>(static_cast<unsigned short>(atom)) - 0xC000;
    RegisterHotKey(hwnd(), HotKeyId, MOD_CONTROL, static_cast<UINT>(Config.THotKeyInt));
    delivery_->setRegisteredKey(Config.THotKeyInt);
}

void TMainFrm::UnregisterHotKeyOnce() { UnregisterHotKey(hwnd(), HotKeyId); }

void TMainFrm::WMHotKey(LPARAM lParam) { delivery_->WMHotKey(LOWORD(lParam), HIWORD(lParam), Config.THotKeyInt); }

void TMainFrm::ListBox1DblClick()
{
    const int index = static_cast<int>(SendMessageA(ListBox1, LB_GETCURSEL, 0, 0));
    delivery_->ListBox1DblClick(index >= 0, index >= 0 ? EntryText(index) : std::string());
}
