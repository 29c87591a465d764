// The template list panel: loading, searching, painting the rows, the row hint.
#include "app/mainDialog.h"

#include "common/RowGeometry.h"
#include "store/ConfigRecord.h"
#include "ui/ListFill.h"
#include "ui/TemplateRows.h"
#include "ui/WinText.h"

namespace {

const int kShownCharacters = 20;

// The list box as the rows of the template list.
class ListBoxRows : public ListedRows {
public:
    explicit ListBoxRows(HWND list) : fill_(list) {}
    void clear() override { fill_.clear(); }
    void add(std::string_view text) override { fill_.add(text); }

private:
    ListBoxFill fill_;
};

} // namespace

void TMainFrm::LoadTemplates(int mode, const std::string& text)
{
    hintRow_ = -1;
    ListBoxRows rows(ListBox1);
    list_.LoadTemplates(mode == 0 ? LoadMode::All : LoadMode::Search, text, rows);
}

std::string TMainFrm::EntryText(int index) const { return ListEntryText(ListBox1, index); }

std::string TMainFrm::SearchText() const { return Utf8FromWide(WindowTextWide(Edit1)); }

void TMainFrm::Image5Click()
{
    hintRow_ = -1;
    ListBoxRows rows(ListBox1);
    list_.Search(SearchText(), rows);
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
    const int index = ListRowAt(ListBox1, listPoint, kListRowHeight);
    if (index < 0 || index == hintRow_)
        return;
    hintRow_ = index;
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
