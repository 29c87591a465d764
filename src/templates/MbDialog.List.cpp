// The template manager's list: its rows, the chosen row, the painting and the drag that
// reorders the rows.
#include "templates/MbDialog.h"

#include "templates/MbLayout.h"
#include "ui/ListFill.h"
#include "ui/TemplateRows.h"
#include "ui/WinText.h"

void TMBFrm::ShowRows() { FillList(ListBox1, manager_.Rows()); }

int TMBFrm::CurrentRow() const
{
    if (SendMessageW(ListBox1, LB_GETCOUNT, 0, 0) <= 0)
        return -1;
    return static_cast<int>(SendMessageW(ListBox1, LB_GETCARETINDEX, 0, 0));
}

void TMBFrm::ListBox1Click() { manager_.RecordDragRow(CurrentRow()); }

void TMBFrm::ListBox1DblClick()
{
    std::string memo;
    if (manager_.Choose(CurrentRow(), memo))
        SetMemoText(memo);
}

void TMBFrm::ListBox1DrawItem(const DRAWITEMSTRUCT& item)
{
    // Fixed colours here, not the configured ones of the main list.
    static const RowColours colours = {RGB(255, 255, 255), RGB(230, 230, 242), RGB(255, 206, 157), RGB(255, 128, 0)};
    PaintTemplateRow(item, skin_.font(), colours, MbLook::kShownCharacters);
}

int TMBFrm::RowAt(POINT listPoint) const { return ListRowAt(ListBox1, listPoint, MbLook::kRowHeight); }

void TMBFrm::ListBox1DragOver(POINT listPoint)
{
    RECT client;
    GetClientRect(ListBox1, &client);
    if (!PtInRect(&client, listPoint))
        return;
    const int target = RowAt(listPoint);
    const int source = manager_.DragOver(target);
    if (source < 0)
        return;
    // The list shows the move the rows made: out at its old place, in at the new one,
    // and marked selected there.
    const std::wstring text = Widen(manager_.Rows()[static_cast<size_t>(target)]);
    SendMessageW(ListBox1, LB_DELETESTRING, static_cast<WPARAM>(source), 0);
    SendMessageW(ListBox1, LB_INSERTSTRING, static_cast<WPARAM>(target), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(ListBox1, LB_SETSEL, TRUE, target);
    SendMessageW(ListBox1, LB_SETCARETINDEX, static_cast<WPARAM>(target), FALSE);
}

bool TMBFrm::ListMouse(UINT msg, POINT listPoint)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
        // A press on a row may become a drag; the list selects the row as usual first.
        pressArmed_ = RowAt(listPoint) >= 0;
        dragging_ = false;
        pressPoint_ = listPoint;
        return false;
    case WM_MOUSEMOVE:
        if (!pressArmed_)
            return false;
        if (!dragging_ && (std::abs(listPoint.x - pressPoint_.x) > GetSystemMetrics(SM_CXDRAG) ||
                           std::abs(listPoint.y - pressPoint_.y) > GetSystemMetrics(SM_CYDRAG)))
            dragging_ = true;
        if (dragging_)
            ListBox1DragOver(listPoint);
        // Taken from the list either way: it would stretch the selection with the pointer.
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        // The drop: the list already shows the new order.
        pressArmed_ = false;
        dragging_ = false;
        return false;
    default: return false;
    }
}

LRESULT TMBFrm::ListBoxProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TMBFrm*>(hook.owner());
    LRESULT result = 0;
    if (EmptyListMessage(hook, hwnd, msg, wParam, lParam, result))
        return result;
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (msg == WM_LBUTTONDOWN) {
        // The press makes its row current at once (the list tells only when the button
        // is released): a drag that starts now moves that row.
        const LRESULT pressed = hook.CallOriginal(hwnd, msg, wParam, lParam);
        self->ListBox1Click();
        self->ListMouse(msg, point);
        return pressed;
    }
    if ((msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP || msg == WM_CAPTURECHANGED) && self->ListMouse(msg, point))
        return 0;
    return hook.CallOriginal(hwnd, msg, wParam, lParam);
}
