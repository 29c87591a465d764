// The template list panel: loading, searching, painting the rows, the row hint.
#include "app/mainDialog.h"

#include "common/RowGeometry.h"
#include "store/ConfigRecord.h"
#include "store/TeamCache.h"
#include "templates/TeamSync.h"
#include "common/Text.h"
#include "common/FunPub.h"
#include "ui/Gdi.h"
#include "ui/ListFill.h"
#include "ui/TemplateRows.h"
#include "ui/WinText.h"

namespace {

const int kShownCharacters = 20;
// A team row carries a band this wide at its left edge, in the title's colour: the row's
// own colours stay the ones configured.
const int kTeamBandWidth = 3;

// The list box as the rows of the template list; `teamFirstRow` learns where the team's begin.
class ListBoxRows : public ListedRows {
public:
    ListBoxRows(HWND list, int& teamFirstRow) : fill_(list), teamFirstRow_(teamFirstRow) { teamFirstRow_ = kNoTeamRow; }
    void clear() override
    {
        fill_.clear();
        count_ = 0;
        teamFirstRow_ = kNoTeamRow;
    }
    void add(std::string_view text) override
    {
        fill_.add(text);
        ++count_;
    }
    void teamRowsFollow() override { teamFirstRow_ = count_; }

    static constexpr int kNoTeamRow = 0x7fffffff;

private:
    ListBoxFill fill_;
    int& teamFirstRow_;
    int count_ = 0;
};

} // namespace

void TMainFrm::LoadTemplates(int mode, const std::string& text)
{
    hintRow_ = -1;
    listShowsSearch_ = mode != 0;
    searchedText_ = text;
    ListBoxRows rows(ListBox1, teamFirstRow_);
    list_.LoadTemplates(mode == 0 ? LoadMode::All : LoadMode::Search, text, rows);
}

std::string TMainFrm::EntryText(int index) const { return ListEntryText(ListBox1, index); }

std::string TMainFrm::SearchText() const { return Utf8FromWide(WindowTextWide(Edit1)); }

void TMainFrm::Image5Click()
{
    const TemplateSearch search = SearchFor(SearchText());
    LoadTemplates(search.mode == LoadMode::All ? 0 : 1, search.text);
}

void TMainFrm::Image6Click() { LoadTemplates(0, ""); }

void TMainFrm::ListBox1DrawItem(const DRAWITEMSTRUCT& item)
{
    const RowColours colours = {StoredColour(Config.TBGColor), StoredColour(Config.TDifRowColor),
                                StoredColour(Config.TSelRowColor), StoredColour(Config.TSelRowColorB)};
    PaintTemplateRow(item, skin_.font(), colours, kShownCharacters);
    if (item.itemID != static_cast<UINT>(-1) && static_cast<int>(item.itemID) >= teamFirstRow_) {
        RECT band = item.rcItem;
        band.right = band.left + kTeamBandWidth;
        FillSolid(item.hDC, band, bandColour_);
    }
}

void TMainFrm::LookForTeamLibrary()
{
    // The one look a desk without a team library pays at start. The cache is listed with the
    // first load, so an offline desk shows its last copy of the team's rows.
    try {
        list_.setTeamLibrary(ReadTeamSettings(_conn).has_value());
    } catch (const std::exception&) {
        list_.setTeamLibrary(false);
    }
}

void TMainFrm::StartTeamLibrary()
{
    if (!list_.teamLibrary() || closed_)
        return;
    ShowTeamHint();
    teamSync_.start(hwnd(), kTeamChecked, programFolder_ + "DB.mdb");
}

void TMainFrm::ShowTeamHint()
{
    const std::string& hint = trayHint_;
    std::optional<TeamSettings> settings;
    try {
        settings = ReadTeamSettings(_conn);
    } catch (const std::exception&) {
    }
    if (!settings) {
        RzTrayIcon1.setHint(hint);
        return;
    }
    // One line break between; the notification area shows at most 127 characters.
    const int room = 127 - CharacterCount(hint) - 1;
    RzTrayIcon1.setHint(hint + "\n" + TeamHintLine(*settings, room));
}

void TMainFrm::OnTeamChecked(WPARAM result)
{
    const auto check = static_cast<TeamCheckResult>(result);
    if (check == TeamCheckResult::NoLibrary) {
        // `VelmoraDb team off` while the program ran: the team rows go.
        list_.setTeamLibrary(false);
        RzTrayIcon1.setHint(trayHint_);
        ReloadKeepingView();
        return;
    }
    ShowTeamHint();
    if (check == TeamCheckResult::Updated)
        ReloadKeepingView();
}

void TMainFrm::ReloadKeepingView()
{
    const int top = static_cast<int>(SendMessageW(ListBox1, LB_GETTOPINDEX, 0, 0));
    const int selected = static_cast<int>(SendMessageW(ListBox1, LB_GETCURSEL, 0, 0));
    const std::string selectedText = selected >= 0 ? EntryText(selected) : std::string();
    try {
        LoadTemplates(listShowsSearch_ ? 1 : 0, searchedText_);
    } catch (const std::exception&) {
        // The next check or the user's next search lists again; a background reload shows no box.
        return;
    }
    if (selected >= 0) {
        // The list box compares without letter case: the row must match exactly.
        const std::wstring wide = Widen(selectedText);
        int from = -1;
        for (;;) {
            const int found = static_cast<int>(SendMessageW(ListBox1, LB_FINDSTRINGEXACT, static_cast<WPARAM>(from),
                                                            reinterpret_cast<LPARAM>(wide.c_str())));
            if (found == LB_ERR || found <= from)
                break;
            if (EntryText(found) == selectedText) {
                SendMessageW(ListBox1, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
                break;
            }
            from = found;
        }
    }
    SendMessageW(ListBox1, LB_SETTOPINDEX, static_cast<WPARAM>(top < 0 ? 0 : top), 0);
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
