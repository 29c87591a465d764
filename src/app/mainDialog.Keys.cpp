// The keyboard's way into the main list: after the hotkey the caret is in the search box, the
// list follows what is typed there, the arrows move in the list, Enter delivers and Esc hides.
#include "app/mainDialog.h"

#include "common/FunPub.h"
#include "ui/Gdi.h"
#include "ui/ListFill.h"
#include "ui/WinText.h"

#include <commctrl.h>

void TMainFrm::FocusSearchBox()
{
    // A window of ours open over the list keeps the keyboard.
    if (ModalWindow::Current())
        return;
    SetFocus(Edit1);
    // Typing replaces the last search, and the arrows still work on the list it left.
    SendMessageW(Edit1, EM_SETSEL, 0, -1);
}

void TMainFrm::Edit1Change()
{
    // The cue comes and goes with the text: the box repaints only what its text changed.
    InvalidateRect(Edit1, nullptr, TRUE);
    if (typed_.textChanged())
        StartTypingPause();
}

void TMainFrm::PaintSearchCue()
{
    if (GetWindowTextLengthW(Edit1) != 0)
        return;
    // Where the box puts its first character, in its own font, in the system's grey.
    RECT format = {};
    SendMessageW(Edit1, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const bool caretShown = GetFocus() == Edit1;
    if (caretShown)
        HideCaret(Edit1);
    HDC dc = GetDC(Edit1);
    {
        SelectGuard font(dc, reinterpret_cast<HFONT>(SendMessageW(Edit1, WM_GETFONT, 0, 0)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        const std::wstring cue = Widen(Texts::kSearchCue);
        DrawTextW(dc, cue.c_str(), static_cast<int>(cue.size()), &format,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    ReleaseDC(Edit1, dc);
    if (caretShown)
        ShowCaret(Edit1);
}

void TMainFrm::StartTypingPause()
{
    // The timer's own message, posted: it comes after the messages already posted and before
    // any input, which it then finds waiting.
    PostMessageW(hwnd(), WM_TIMER, kTypingPauseTimer, 0);
}

void TMainFrm::OnTypingPauseOver()
{
    KillTimer(hwnd(), kTypingPauseTimer);
    if (KeyWaiting()) {
        // More keys of a burst: the timer's message comes only once no input is waiting. Set
        // again, it starts its wait again.
        SetTimer(hwnd(), kTypingPauseTimer, TypedSearch::kTypingPauseMs, nullptr);
        return;
    }
    if (typed_.waitOver())
        RunTypedSearch(true);
}

void TMainFrm::RunTypedSearch(bool givesWay)
{
    KillTimer(hwnd(), kTypingPauseTimer);
    try {
        FillList([&](ListedRows& rows) { list_.Search(SearchText(), rows); }, givesWay);
    } catch (const SearchGaveWay&) {
        if (typed_.gaveWay())
            StartTypingPause();
        return;
    } catch (...) {
        // Reported as the search icon's failures are; the next change searches afresh.
        typed_.searched();
        throw;
    }
    typed_.searched();
    if (SendMessageW(ListBox1, LB_GETCOUNT, 0, 0) > 0)
        SendMessageW(ListBox1, LB_SETCURSEL, 0, 0);
}

bool TMainFrm::SearchBoxKeyDown(WPARAM key)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    const SearchBoxKey route = RouteSearchBoxKey(static_cast<unsigned>(key), ctrl, shift, false);
    if (route == SearchBoxKey::Edit)
        return false;
    if (route == SearchBoxKey::Hide) {
        HideByKey();
        return true;
    }
    // The key acts on the rows of the text typed before it.
    if (typed_.searchBeforeKey())
        RunTypedSearch(false);
    if (route == SearchBoxKey::Deliver) {
        ListBox1DblClick();
        return true;
    }
    // With no row selected every move starts at the first row (the list itself would skip it).
    if (SendMessageW(ListBox1, LB_GETCURSEL, 0, 0) == LB_ERR && key != VK_END) {
        if (SendMessageW(ListBox1, LB_GETCOUNT, 0, 0) > 0)
            SendMessageW(ListBox1, LB_SETCURSEL, 0, 0);
        return true;
    }
    // The list moves its selection as it would with the focus: by a row, by a page, to an end.
    SendMessageW(ListBox1, WM_KEYDOWN, key, 0);
    return true;
}

LRESULT TMainFrm::SearchBoxProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TMainFrm*>(hook.owner());
    switch (msg) {
    case WM_KEYDOWN:
        if (self->SearchBoxKeyDown(wParam))
            return 0;
        break;
    case WM_CHAR:
        // Enter and Esc did their work as keys; the box would only beep at their characters.
        if (wParam == '\r' || wParam == '\n' || wParam == 0x1B)
            return 0;
        break;
    case WM_PAINT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        // A one-line box paints itself over whole when the focus comes or goes.
        const LRESULT result = hook.CallOriginal(hwnd, msg, wParam, lParam);
        self->PaintSearchCue();
        return result;
    }
    case WM_IME_STARTCOMPOSITION: self->typed_.compositionStarted(); break;
    case WM_IME_ENDCOMPOSITION: {
        const LRESULT result = hook.CallOriginal(hwnd, msg, wParam, lParam);
        if (self->typed_.compositionEnded())
            self->StartTypingPause();
        return result;
    }
    default: break;
    }
    return hook.CallOriginal(hwnd, msg, wParam, lParam);
}
