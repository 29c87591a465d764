// The hotkey and the delivery of a template into the captured window (its desktop side
// is WinDeliveryDesktop).
#include "app/mainDialog.h"

#include "store/ConfigRecord.h"

void TMainFrm::CreateDelivery()
{
    desktop_ = std::make_unique<WinDeliveryDesktop>(hwnd(), boxes_, [this] { HideToTray(); });
    delivery_ = std::make_unique<HotKeyDelivery>(*desktop_, Config.THotKeyInt);
}

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
    trayHint_ = HotKeyTakenHint(Config.THotKeyInt);
    RzTrayIcon1.setHint(trayHint_);
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

void TMainFrm::WMHotKey(LPARAM lParam)
{
    if (delivery_->WMHotKey(LOWORD(lParam), HIWORD(lParam), Config.THotKeyInt))
        FocusSearchBox();
}

void TMainFrm::ListBox1DblClick()
{
    const int index = static_cast<int>(SendMessageW(ListBox1, LB_GETCURSEL, 0, 0));
    const std::string text = index >= 0 ? EntryText(index) : std::string();
    if (delivery_->ListBox1DblClick(index >= 0, text) && index >= teamFirstRow_)
        CountTeamDelivery(text);
}

void TMainFrm::HideByKey()
{
    // A reply still being typed into a slow window finishes first; its end hides the list.
    if (delivery_->Delivering())
        return;
    HideToTray();
    // After a press the agent goes on where she was, as after a delivery; shown from the tray
    // there is no such window.
    if (delivery_->HotKeyArmed())
        desktop_->returnToForeground();
}
