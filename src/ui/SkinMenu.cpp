#include "ui/SkinMenu.h"

#include "ui/Gdi.h"
#include "ui/WinText.h"

namespace {

const int kItemHeight = 22;
const int kSeparatorHeight = 7;
const int kTextIndent = 24;
const ULONG_PTR kSeparatorData = 0;

// Item data points at the captions, so they live in a container whose elements never
// move. Submenus' captions are kept there too: a submenu is destroyed with its parent.
HMENU Build(const std::vector<MenuItemLayout>& items, std::list<std::wstring>& captions)
{
    HMENU menu = CreatePopupMenu();
    for (const MenuItemLayout& item : items) {
        if (!item.caption || !*item.caption) {
            AppendMenuW(menu, MF_OWNERDRAW | MF_SEPARATOR, 0, reinterpret_cast<LPCWSTR>(kSeparatorData));
            continue;
        }
        captions.push_back(Widen(item.caption));
        const auto data = reinterpret_cast<LPCWSTR>(captions.back().c_str());
        if (!item.submenu.empty()) {
            HMENU submenu = Build(item.submenu, captions);
            AppendMenuW(menu, MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), data);
        } else {
            AppendMenuW(menu, MF_OWNERDRAW, item.id, data);
        }
    }
    return menu;
}

Font& MenuFont()
{
    static Font font = MakeFont(L"宋体", 12);
    return font;
}

} // namespace

SkinMenu::SkinMenu(const std::vector<MenuItemLayout>& items) : menu_(Build(items, captions_)) {}

SkinMenu::~SkinMenu() { DestroyMenu(menu_); }

void SkinMenu::popUp(HWND owner, POINT screenPoint) const
{
    TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0, owner,
                   nullptr);
    // Lets the menu close when the user clicks elsewhere next time.
    PostMessageW(owner, WM_NULL, 0, 0);
}

void SkinMenu::setChecked(UINT id, bool checked) const
{
    CheckMenuItem(menu_, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool SkinMenu::Measure(MEASUREITEMSTRUCT* item)
{
    if (item->CtlType != ODT_MENU)
        return false;
    const auto* caption = reinterpret_cast<const wchar_t*>(item->itemData);
    if (!caption) {
        item->itemWidth = 60;
        item->itemHeight = kSeparatorHeight;
        return true;
    }
    HDC dc = GetDC(nullptr);
    SIZE size = {};
    {
        SelectGuard font(dc, MenuFont().get());
        GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &size);
    }
    ReleaseDC(nullptr, dc);
    item->itemWidth = static_cast<UINT>(kTextIndent + size.cx + 24);
    item->itemHeight = kItemHeight;
    return true;
}

bool SkinMenu::Draw(const DRAWITEMSTRUCT* item, COLORREF highlight)
{
    if (item->CtlType != ODT_MENU)
        return false;
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    const auto* caption = reinterpret_cast<const wchar_t*>(item->itemData);
    FillSolid(dc, r, RGB(255, 255, 255));
    if (!caption) {
        const int y = (r.top + r.bottom) / 2;
        FillSolid(dc, {r.left + 4, y, r.right - 4, y + 1}, RGB(200, 200, 200));
        return true;
    }
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    if (selected) {
        Brush fill(CreateSolidBrush(highlight));
        Pen frame(CreatePen(PS_SOLID, 1, highlight));
        SelectGuard brushGuard(dc, fill.get());
        SelectGuard penGuard(dc, frame.get());
        RoundRect(dc, r.left + 2, r.top + 1, r.right - 2, r.bottom - 1, 4, 4);
    }
    SelectGuard font(dc, MenuFont().get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    RECT text = {r.left + kTextIndent, r.top, r.right, r.bottom};
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item->itemState & ODS_CHECKED) {
        // A tick in the mark's place, in the text's colour.
        Pen tick(CreatePen(PS_SOLID, 2, selected ? RGB(255, 255, 255) : highlight));
        SelectGuard penGuard(dc, tick.get());
        const POINT points[] = {{r.left + 7, r.top + 11}, {r.left + 10, r.top + 14}, {r.left + 16, r.top + 7}};
        Polyline(dc, points, 3);
        return true;
    }
    // The selection's own small mark on the left, in the highlight colour when idle.
    if (!selected)
        FillSolid(dc, {r.left + 10, r.top + 9, r.left + 14, r.top + 13}, highlight);
    return true;
}
