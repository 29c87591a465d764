// The template list panel: loading, searching, painting the rows, the row hint.
#include "app/mainDialog.h"

#include "common/RowGeometry.h"
#include "common/Text.h"
#include "store/ConfigRecord.h"
#include "ui/ListFill.h"
#include "ui/TemplateRows.h"
#include "ui/WinText.h"

namespace {
const int kShownCharacters = 20;
}

void TMainFrm::LoadTemplates(int mode, const std::string& text)
{
    SendMessageW(ListBox1, LB_RESETCONTENT, 0, 0);
    hintRow_ = -1;
    RowReader rows =
        mode == 0 ? RowReader(_conn, "Select * from TText order by TSortId asc")
                  : RowReader(_conn, "Select * from TText where TText like ? escape '\\'", {SqlParam::Contains(text)});
    FillListFromRows(ListBox1, rows, "TText");
}

std::string TMainFrm::EntryText(int index) const { return ListEntryText(ListBox1, index); }

std::string TMainFrm::SearchText() const { return Utf8FromWide(WindowTextWide(Edit1)); }

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
    const RowColours colours = {StoredColour(Config.TBGColor), StoredColour(Config.TDifRowColor),
                                StoredColour(Config.TSelRowColor), StoredColour(Config.TSelRowColorB)};
    PaintTemplateRow(item, skin_.font(), colours, kShownCharacters);
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
    hints_.setWindowHint(ListBox1, EntryText(hintRow_));
}

LRESULT TMainFrm::ListBoxProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TMainFrm*>(hook.owner());
    LRESULT result = 0;
    if (EmptyListMessage(hook, hwnd, msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case WM_MOUSELEAVE: self->hints_.pointerMoved(); break;
    case WM_MOUSEMOVE:
        self->ListBox1MouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        self->hints_.pointerMoved();
        break;
    default: break;
    }
    return hook.CallOriginal(hwnd, msg, wParam, lParam);
}
