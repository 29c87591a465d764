// The template list panel: loading, searching, painting the rows, the row hint.
#include "app/mainDialog.h"

#include "backup/WinFiles.h"
#include "common/RowGeometry.h"
#include "store/ConfigRecord.h"
#include "app/PolicyRegistry.h"
#include "store/Connection.h"
#include "store/TeamCache.h"
#include "templates/TeamSync.h"
#include "common/Text.h"
#include "common/FunPub.h"
#include "ui/Gdi.h"
#include "ui/ListFill.h"
#include "ui/TemplateRows.h"
#include "ui/VirtualList.h"
#include "ui/WinText.h"

namespace {

const int kShownCharacters = 20;
// A team row carries a band this wide at its left edge, in the title's colour: the row's
// own colours stay the ones configured.
const int kTeamBandWidth = 3;

// A search that gives way looks for a key this often. A look asks the system, which under
// Wine costs about as much as a few hundred rows: asked every 256 rows, it more than doubled
// the time of a fill of 100,000. The clock is read every 64 rows.
const ULONGLONG kKeyLookMs = 15;
const int kRowsPerClockLook = 64;

// The list box as the rows of the template list; `teamFirstRow` learns where the team's begin.
// With `givesWay` the fill stops (SearchGaveWay) when a key comes.
class ListBoxRows : public ListedRows {
public:
    ListBoxRows(HWND list, TextRows& texts, int& teamFirstRow, bool givesWay)
        : fill_(list, texts), teamFirstRow_(teamFirstRow), givesWay_(givesWay)
    {
        teamFirstRow_ = kNoTeamRow;
    }
    void clear() override
    {
        fill_.clear();
        count_ = 0;
        teamFirstRow_ = kNoTeamRow;
    }
    void add(std::string_view text) override
    {
        giveWayToAWaitingKey();
        fill_.add(text);
        ++count_;
    }
    void teamRowsFollow() override { teamFirstRow_ = count_; }
    // Kept as the list keeps its rows, and handed over whole: a search of 100,000 pinyin hits
    // would otherwise hold them twice.
    void keepBack(std::string_view text) override
    {
        giveWayToAWaitingKey();
        AppendUtf8(kept_, text);
    }
    void addKeptBack() override
    {
        count_ += static_cast<int>(kept_.size());
        fill_.add(std::move(kept_));
    }
    void dropKeptBack() override { kept_.clear(); }

    static constexpr int kNoTeamRow = 0x7fffffff;

private:
    void giveWayToAWaitingKey()
    {
        if (givesWay_ && ++sinceLook_ == kRowsPerClockLook) {
            sinceLook_ = 0;
            const ULONGLONG now = GetTickCount64();
            if (now >= nextKeyLook_) {
                nextKeyLook_ = now + kKeyLookMs;
                if (KeyWaiting())
                    throw SearchGaveWay();
            }
        }
    }

    VirtualListFill fill_;
    TextRows kept_;
    int& teamFirstRow_;
    bool givesWay_;
    int count_ = 0;
    int sinceLook_ = 0;
    ULONGLONG nextKeyLook_ = GetTickCount64() + kKeyLookMs;
};

// The team's rows read into memory, to be handed to the list box a slice at a time.
class RowsInMemory : public ListedRows {
public:
    explicit RowsInMemory(std::vector<std::string>& rows) : rows_(rows) {}
    void clear() override { rows_.clear(); }
    void add(std::string_view text) override { rows_.emplace_back(text); }

private:
    std::vector<std::string>& rows_;
};

} // namespace

void TMainFrm::FillList(const std::function<void(ListedRows&)>& load, bool givesWay)
{
    teamRefresh_.cancel();
    teamRowsHanded_ = false;
    hintRow_ = -1;
    ListBoxRows rows(ListBox1, listRows_, teamFirstRow_, givesWay);
    load(rows);
}

void TMainFrm::ShowAllTemplates()
{
    FillList([&](ListedRows& rows) { list_.ShowAll(rows); });
}

std::string TMainFrm::EntryText(int index) const { return ListEntryText(ListBox1, index); }

std::string TMainFrm::SearchText() const { return Utf8FromWide(WindowTextWide(Edit1)); }

void TMainFrm::Image5Click()
{
    // The icon lists what the typing would have listed: a search still waiting is dropped.
    KillTimer(hwnd(), kTypingPauseTimer);
    typed_.dropPending();
    FillList([&](ListedRows& rows) { list_.Search(SearchText(), rows); });
}

void TMainFrm::Image6Click()
{
    KillTimer(hwnd(), kTypingPauseTimer);
    typed_.dropPending();
    ShowAllTemplates();
}

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
    // The one look a desk without a team library pays at start, with the policy's values. The
    // cache is listed with the first load, so an offline desk shows its last copy of the team's
    // rows; a cache of a library the desk no longer uses (the policy changed) is emptied first.
    try {
        list_.setTeamLibrary(SettleTeamLibrary(_conn, ReadTeamPolicy()).active);
    } catch (const std::exception&) {
        list_.setTeamLibrary(false);
    }
}

void TMainFrm::ChangeTeamLibrary(const std::function<void()>& change)
{
    teamSync_.stop();
    struct Again {
        TMainFrm& window;
        ~Again()
        {
            window.LookForTeamLibrary();
            window.ReloadKeepingView();
            if (window.list_.teamLibrary())
                window.StartTeamLibrary();
            else
                window.RzTrayIcon1.setHint(window.trayHint_);
        }
    } again{*this};
    if (change)
        change();
}

void TMainFrm::OnPolicyChanged()
{
    // Group Policy says so after it applied: a policy set, changed or removed counts now, not
    // at the next check.
    if (!closed_ && databaseOpened_ && !ModalWindow::Current())
        ChangeTeamLibrary({});
}

void TMainFrm::StartTeamLibrary()
{
    if (!list_.teamLibrary() || closed_)
        return;
    ShowTeamHint();
    teamSync_.start(hwnd(), kTeamChecked, kTeamRowsRead, programFolder_ + "DB.mdb");
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
    // One line break between (none when the settings row could not be read and left no hint);
    // the notification area shows at most 127 characters.
    std::string before = hint.empty() ? std::string() : hint + "\n";
    if (ChooseTeam(ReadTeamPolicy(), settings).connectionByPolicy)
        before += std::string(kSetByAdministrator) + "的";
    RzTrayIcon1.setHint(before + TeamHintLine(*settings, 127 - CharacterCount(before)));
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
    // Rows listed as they were read stay, even when storing them failed: they are the server's,
    // and the next check stores them again.
    if (check == TeamCheckResult::Updated && !teamRowsHanded_)
        RefreshTeamRows(nullptr);
    teamRowsHanded_ = false;
}

void TMainFrm::RefreshTeamRows(std::unique_ptr<TeamSyncThread::Rows> handed)
{
    // The team rows follow the desk's own, which a check does not change. A list that shows
    // no team rows to replace (a load that failed) is listed whole again.
    if (teamFirstRow_ == ListBoxRows::kNoTeamRow) {
        ReloadKeepingView();
        return;
    }
    std::vector<std::string> rows;
    if (handed) {
        rows = std::move(*handed);
        teamRowsHanded_ = true;
    } else {
        try {
            RowsInMemory collected(rows);
            list_.ReloadTeamRows(collected);
        } catch (const std::exception&) {
            // The next check or the user's next search lists again; a background reload shows no box.
            return;
        }
    }
    hintRow_ = -1;
    teamRefresh_.begin(ListBox1, listRows_, teamFirstRow_, std::move(rows));
    PostMessageW(hwnd(), kFillTeamRows, 0, 0);
}

void TMainFrm::ReloadKeepingView()
{
    const ListView view = SaveListView(ListBox1);
    try {
        FillList([&](ListedRows& rows) { list_.Reload(rows); });
    } catch (const std::exception&) {
        // The next check or the user's next search lists again; a background reload shows no box.
        return;
    }
    RestoreListView(ListBox1, view);
}

void TMainFrm::ListBox1MouseMove(POINT listPoint)
{
    const int index = ListRowAt(ListBox1, listPoint, kListRowHeight);
    if (index < 0 || index == hintRow_)
        return;
    hintRow_ = index;
    hints_.setWindowHint(ListBox1, RowHint(index));
}

std::string TMainFrm::RowHint(int index)
{
    const std::string text = EntryText(index);
    if (index < teamFirstRow_)
        return text;
    // A row of a named set says which; the default set's rows show their text alone.
    try {
        RowReader named(_conn, "select count(*) from TTeamSet where TSetID <> 1");
        if (!named.next() || named.utf8At(0) == "0")
            return text;
        const std::optional<TeamRowOrigin> origin = FindTeamRow(_conn, text);
        if (origin && origin->setId != kDefaultTeamSetId)
            return "团队模板（" + origin->setName + "）\n" + text;
    } catch (const std::exception&) {
    }
    return text;
}

void TMainFrm::CountTeamDelivery(const std::string& text)
{
    // A count that cannot be kept is not worth a box in the agent's way.
    try {
        const std::optional<TeamSettings> settings = ReadTeamSettings(_conn);
        if (!settings || !settings->usage)
            return;
        if (const std::optional<TeamRowOrigin> origin = FindTeamRow(_conn, text))
            CountTeamSend(_conn, origin->setId, origin->templateNo, WinClock().now());
    } catch (const std::exception&) {
    }
}

LRESULT TMainFrm::ListBoxProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TMainFrm*>(hook.owner());
    LRESULT result = 0;
    if (AnswerTextMessage(self->listRows_, hook, hwnd, msg, wParam, lParam, result))
        return result;
    if (EmptyListMessage(hook, hwnd, msg, wParam, lParam, result))
        return result;
    switch (msg) {
    case WM_KEYDOWN:
        // With the focus in the list, Enter delivers and Esc hides as they do in the search box.
        if (wParam == VK_RETURN) {
            self->ListBox1DblClick();
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            self->HideByKey();
            return 0;
        }
        break;
    case WM_CHAR:
        // The list would look for a row beginning with them.
        if (wParam == '\r' || wParam == '\n' || wParam == 0x1B)
            return 0;
        break;
    case WM_MOUSELEAVE: self->hints_.pointerMoved(); break;
    case WM_MOUSEMOVE:
        self->ListBox1MouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        self->hints_.pointerMoved();
        break;
    default: break;
    }
    return hook.CallOriginal(hwnd, msg, wParam, lParam);
}
