#include "ui/ColourPanel.h"

#include "ui/Gdi.h"

bool ColourPanel::Create(HWND parent, int id, const RECT& place)
{
    id_ = id;
    if (!CreateWindowOf(L"VelmoraColourPanel", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP, L"", place.left, place.top,
                        place.right - place.left, place.bottom - place.top, parent))
        return false;
    SetWindowLongPtrW(hwnd(), GWLP_ID, id);
    return true;
}

void ColourPanel::setColour(COLORREF colour)
{
    colour_ = colour;
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void ColourPanel::Clicked()
{
    SendMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id_, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd()));
}

void ColourPanel::Paint(HDC dc)
{
    RECT r;
    GetClientRect(hwnd(), &r);
    FillSolid(dc, r, GetSysColor(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
    FillSolid(dc, r, colour_);
    // Keyboard users see where the focus is.
    if (GetFocus() == hwnd()) {
        InflateRect(&r, -1, -1);
        DrawFocusRect(dc, &r);
    }
}

LRESULT ColourPanel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PaintGuard paint(hwnd());
        Paint(paint.dc());
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd(), nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN: SetFocus(hwnd()); return 0;
    case WM_LBUTTONUP: {
        const POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT r;
        GetClientRect(hwnd(), &r);
        if (PtInRect(&r, p))
            Clicked();
        return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTCHARS;
    case WM_KEYUP:
        if (wParam == VK_SPACE)
            Clicked();
        return 0;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND))); return TRUE;
    default: return DefaultHandling(msg, wParam, lParam);
    }
}
