// The template list panel: loading, searching, painting the rows, the row hint.
#include "app/mainDialog.h"

#include "common/RowGeometry.h"
#include "common/Text.h"
#include "common/TextCodec.h"
#include "store/ConfigRecord.h"
#include "ui/FailureReport.h"
#include "ui/ListFill.h"
#include "ui/WinText.h"

#include <commctrl.h>

namespace {
const int kShownCharacters = 20;
}

void TMainFrm::LoadTemplates(int mode, const std::string& text)
{
    SendMessageA(ListBox1, LB_RESETCONTENT, 0, 0);
    hintRow_ = -1;
    Query query(_conn);
    if (mode == 0)
        query.open("Select * from TText order by TSortId asc");
    else
        query.open("Select * from TText where TText like ? escape '\\'", {SqlParam::Contains(text)});
    FillListFromQuery(ListBox1, query, "TText");
}

std::string TMainFrm::EntryText(int index) const { return ListEntryText(ListBox1, index); }

std::string TMainFrm::SearchText() const
{
    const int length = GetWindowTextLengthA(Edit1);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(Edit1, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void TMainFrm::Image5Click()
{
    const std::string text = TrimText(SearchText());
    if (text.empty())
        LoadTemplates(0, "");
    else
        LoadTemplates(1, text);
}

void TMainFrm::Image6Click() { LoadTemplates(0, ""); }

void TMainFrm::ListBox1DrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1))
        return;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const int index = static_cast<int>(item.itemID);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;

    const COLORREF rowColour = StoredColour(index % 2 == 0 ? Config.TBGColor : Config.TDifRowColor);
    FillSolid(dc, r, rowColour);
    SelectGuard font(dc, font_.get());
    SetTextColor(dc, RGB(0, 0, 0));
    Pen outline(CreatePen(PS_SOLID, 1, StoredColour(Config.TSelRowColorB)));
    COLORREF textBackground = rowColour;
    if (selected) {
        Brush fill(CreateSolidBrush(StoredColour(Config.TSelRowColor)));
        SelectGuard brushGuard(dc, fill.get());
        SelectGuard penGuard(dc, outline.get());
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        textBackground = StoredColour(Config.TSelRowColor);
    }
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, textBackground);

    SIZE letter = {};
    GetTextExtentPoint32A(dc, "A", 1, &letter);
    const int count = static_cast<int>(SendMessageA(ListBox1, LB_GETCOUNT, 0, 0));
    const RowPlaces places = PlaceRow(count, {r.left, r.top, r.right, r.bottom}, letter.cy, [dc](const std::string& s) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    });
    const std::string number = RowNumberText(index);
    TextOutA(dc, places.numberX, places.y, number.c_str(), static_cast<int>(number.size()));
    const std::string shown = ShortenText(EntryText(index), kShownCharacters, SystemCodec());
    TextOutA(dc, places.textX, places.y, shown.c_str(), static_cast<int>(shown.size()));
}

void TMainFrm::ListBox1MouseMove(POINT listPoint)
{
    // The row from the top index and the fixed row height: the list's own hit test gives
    // the row in 16 bits and names a wrong row past 65,535 templates.
    RECT client;
    GetClientRect(ListBox1, &client);
    if (!PtInRect(&client, listPoint))
        return;
    const LRESULT top = SendMessageW(ListBox1, LB_GETTOPINDEX, 0, 0);
    const LRESULT count = SendMessageW(ListBox1, LB_GETCOUNT, 0, 0);
    const long long index = static_cast<long long>(top) + listPoint.y / kListRowHeight;
    if (top < 0 || index >= count)
        return;
    if (index == hintRow_)
        return;
    hintRow_ = static_cast<int>(index);
    hints_.setWindowHint(ListBox1, Utf8FromWide(WidenAnsi(EntryText(hintRow_))));
}

// An empty list paints only its background: the list's own painting would draw a
// dotted focus frame where no row is.
void TMainFrm::PaintEmptyList()
{
    PaintGuard paint(ListBox1);
    RECT client;
    GetClientRect(ListBox1, &client);
    FillSolid(paint.dc(), client, GetSysColor(COLOR_WINDOW));
}

LRESULT CALLBACK TMainFrm::ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* self = reinterpret_cast<TMainFrm*>(data);
    return GuardedCall(hwnd, msg, [&]() -> LRESULT {
        // Asked of the list itself, past this procedure, and only where it matters.
        const auto empty = [&] { return DefSubclassProc(hwnd, LB_GETCOUNT, 0, 0) <= 0; };
        switch (msg) {
        case WM_MOUSELEAVE: self->hints_.pointerMoved(); break;
        case WM_MOUSEMOVE:
            self->ListBox1MouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            self->hints_.pointerMoved();
            break;
        case WM_PAINT:
            if (empty()) {
                self->PaintEmptyList();
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (empty()) {
                // The list draws its focus frame straight away on a focus change.
                const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
                RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                return result;
            }
            break;
        default: break;
        }
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    });
}
