#include "ui/TemplateRows.h"

#include "common/RowGeometry.h"
#include "common/Text.h"
#include "ui/WinText.h"
#include "ui/Gdi.h"
#include "ui/ListFill.h"

void PaintTemplateRow(const DRAWITEMSTRUCT& item, HFONT font, const RowColours& colours, int shownCharacters)
{
    if (item.itemID == static_cast<UINT>(-1))
        return;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const int index = static_cast<int>(item.itemID);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;

    const COLORREF rowColour = index % 2 == 0 ? colours.even : colours.odd;
    FillSolid(dc, r, rowColour);
    SelectGuard fontGuard(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    COLORREF textBackground = rowColour;
    if (selected) {
        Pen outline(CreatePen(PS_SOLID, 1, colours.selectedFrame));
        Brush fill(CreateSolidBrush(colours.selectedFill));
        SelectGuard brushGuard(dc, fill.get());
        SelectGuard penGuard(dc, outline.get());
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        textBackground = colours.selectedFill;
    }
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, textBackground);

    SIZE letter = {};
    GetTextExtentPoint32W(dc, L"A", 1, &letter);
    const int count = static_cast<int>(SendMessageW(item.hwndItem, LB_GETCOUNT, 0, 0));
    const RowPlaces places = PlaceRow(count, {r.left, r.top, r.right, r.bottom}, letter.cy, [dc](const std::string& s) {
        SIZE size = {};
        const std::wstring wide = Widen(s);
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
    });
    const std::wstring number = Widen(RowNumberText(index));
    TextOutW(dc, places.numberX, places.y, number.c_str(), static_cast<int>(number.size()));
    const std::wstring shown = Widen(ShortenText(ListEntryText(item.hwndItem, index), shownCharacters));
    TextOutW(dc, places.textX, places.y, shown.c_str(), static_cast<int>(shown.size()));
}

bool EmptyListMessage(const ControlHook& hook, HWND list, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg != WM_PAINT && msg != WM_SETFOCUS && msg != WM_KILLFOCUS)
        return false;
    // Asked of the list itself, past our own procedure.
    if (hook.CallOriginal(list, LB_GETCOUNT, 0, 0) > 0)
        return false;
    if (msg == WM_PAINT) {
        PaintGuard paint(list);
        RECT client;
        GetClientRect(list, &client);
        FillSolid(paint.dc(), client, GetSysColor(COLOR_WINDOW));
        result = 0;
        return true;
    }
    // The list draws its focus frame straight away on a focus change: paint over it.
    result = hook.CallOriginal(list, msg, wParam, lParam);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return true;
}
