// The template manager window: its frame, tool bar and commands. The list and the drag
// live in MbDialog.List.cpp, the operations themselves in TemplateManager.
#include "templates/MbDialog.h"

#include "common/Text.h"
#include "store/TeamCache.h"
#include "templates/MbLayout.h"
#include "templates/TemplateNotices.h"
#include "templates/infoDialog.h"
#include "ui/FailureReport.h"
#include "ui/MessagePump.h"
#include "ui/Pictures.h"
#include "ui/StoreErrorText.h"
#include "ui/WinText.h"

#include <commctrl.h>
#include <exception>

namespace {

const ControlLayout<MbControl>& Control(MbControl id) { return ControlOf(MbLayout(), id); }

// While the order is stored the manager takes no input; it gets it back however the
// store ends.
class InputOff {
public:
    explicit InputOff(HWND window) : window_(window) { EnableWindow(window_, FALSE); }
    ~InputOff() { EnableWindow(window_, TRUE); }
    InputOff(const InputOff&) = delete;
    InputOff& operator=(const InputOff&) = delete;

private:
    HWND window_;
};

} // namespace

TMBFrm::TMBFrm(Connection& connection, HWND mainWindow)
    : mainWindow_(mainWindow), connection_(connection), manager_(connection),
      skin_(MbLayout(), MbControl::RzPanel1, MbLook::kSkin)
{
}

std::unique_ptr<ModalWindow> NewTemplateManager(Connection& connection, HWND mainWindow)
{
    return std::make_unique<TMBFrm>(connection, mainWindow);
}

ModalFrame TMBFrm::Frame() const
{
    return {L"TMBFrm", L"文本模板管理", WS_POPUP | WS_CLIPCHILDREN, 0, MbLook::kClientWidth, MbLook::kClientHeight,
            nullptr};
}

void TMBFrm::OnCreated()
{
    boxes_.setOwner(hwnd());
    CreateControls();
    // A list that cannot be read is reported and stays empty; the window still opens.
    GuardedCall(hwnd(), WM_SHOWWINDOW, [this] {
        FormShow();
        return LRESULT{0};
    });
}

void TMBFrm::CreateControls()
{
    skin_.create(hwnd(), hints_);
    HINSTANCE instance = GetModuleHandleW(nullptr);

    const auto& edit = Control(MbControl::Edit1);
    Edit1 = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                            edit.left, edit.top, edit.width, edit.height, hwnd(), nullptr, instance, nullptr);
    const auto& list = Control(MbControl::ListBox1);
    ListBox1 = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                                   LBS_HASSTRINGS | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                               list.left, list.top, list.width, list.height, hwnd(), nullptr, instance, nullptr);
    SendMessageW(ListBox1, LB_SETITEMHEIGHT, 0, MbLook::kRowHeight);
    listHook_.attach(ListBox1, ListBoxProc, this);
    const auto& memo = Control(MbControl::Memo1);
    Memo1 =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                        memo.left, memo.top, memo.width, memo.height, hwnd(), nullptr, instance, nullptr);
    for (HWND control : {Edit1, ListBox1, Memo1})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(skin_.font()), FALSE);
    CreateTeamNote();
}

void TMBFrm::CreateTeamNote()
{
    // The manager edits only the desk's own templates; on a desk with a team library it says
    // where the team's are kept, in the free space right of the memo's label.
    bool team = false;
    try {
        team = ReadTeamSettings(connection_).has_value();
    } catch (const std::exception&) {
    }
    if (!team)
        return;
    const auto& label = Control(MbControl::Label3);
    const auto& memo = Control(MbControl::Memo1);
    const int left = label.left + label.width + 4;
    TeamNote = CreateWindowExW(0, L"STATIC", Widen(kTeamNoteText).c_str(), WS_CHILD | WS_VISIBLE | SS_RIGHT, left,
                               label.top, memo.left + memo.width - left, label.height, hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SendMessageW(TeamNote, WM_SETFONT, reinterpret_cast<WPARAM>(skin_.font()), FALSE);
}

void TMBFrm::PaintContent(HDC dc)
{
    skin_.paint(dc, MbLook::kHeaderColour);
    PaintToolBar(dc);
}

void TMBFrm::PaintToolBar(HDC dc)
{
    SelectGuard font(dc, skin_.font());
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    const std::optional<MbControl> pressed = skin_.pressed();
    for (const ToolButtonLayout& button : MbToolButtons()) {
        const RECT r = {button.left, MbLook::kToolTop, button.left + button.width,
                        MbLook::kToolTop + MbLook::kToolHeight};
        // A pressed button shows sunk while the left button is held on it.
        if (pressed == button.id) {
            RECT edge = r;
            DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
        }
        const std::wstring caption = Widen(button.caption);
        SIZE size = {};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        const int contentWidth = 17 + 3 + size.cx;
        const int x = r.left + (button.width - contentWidth) / 2;
        DrawPicture(dc, button.picture, x, r.top + (MbLook::kToolHeight - 17) / 2);
        TextOutW(dc, x + 20, r.top + (MbLook::kToolHeight - size.cy) / 2, caption.c_str(),
                 static_cast<int>(caption.size()));
    }
    for (int groove : MbToolGrooves()) {
        const RECT line = {groove, MbLook::kToolTop + 2, groove + 2, MbLook::kToolTop + MbLook::kToolHeight - 2};
        RECT edge = line;
        DrawEdge(dc, &edge, EDGE_ETCHED, BF_LEFT);
    }
}

std::optional<MbControl> TMBFrm::ControlAt(POINT p) const
{
    for (const ToolButtonLayout& button : MbToolButtons())
        if (p.x >= button.left && p.x < button.left + button.width && p.y >= MbLook::kToolTop &&
            p.y < MbLook::kToolTop + MbLook::kToolHeight)
            return button.id;
    if (const std::optional<MbControl> control = skin_.controlAt(p))
        return control;
    // Between the tool bar's buttons.
    if (Control(MbControl::RzToolbar1).contains(p))
        return MbControl::RzToolbar1;
    return std::nullopt;
}

void TMBFrm::OnMouseDown(POINT p)
{
    // A press on a button shows it sunk until the button comes up, wherever that is.
    skin_.press(ControlAt(p));
    if (skin_.pressed()) {
        SetCapture(hwnd());
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
}

void TMBFrm::OnMouseUp(POINT p)
{
    const bool pressed = skin_.pressed().has_value();
    if (GetCapture() == hwnd())
        ReleaseCapture();
    const std::optional<MbControl> clicked = skin_.release(ControlAt(p));
    if (!pressed)
        return;
    InvalidateRect(hwnd(), nullptr, FALSE);
    if (clicked)
        OnClick(*clicked);
}

void TMBFrm::OnClick(MbControl control)
{
    switch (control) {
    case MbControl::Image3:
    case MbControl::BtnOK: BtnOKClick(); break;
    case MbControl::Image5: Image5Click(); break;
    case MbControl::BtnRefresh: BtnRefreshClick(); break;
    case MbControl::BtnNew: BtnNewClick(); break;
    case MbControl::BtnEdit: BtnEditClick(); break;
    case MbControl::BtnCancel: BtnCancelClick(); break;
    case MbControl::RzPanel1:
    case MbControl::RzBackground1:
    case MbControl::Label1:
    case MbControl::Label2:
    case MbControl::Edit1:
    case MbControl::ListBox1:
    case MbControl::Label3:
    case MbControl::Memo1:
    case MbControl::RzToolbar1: break;
    }
}

bool TMBFrm::HandAt(POINT p) const
{
    const std::optional<MbControl> control = ControlAt(p);
    for (const ToolButtonLayout& button : MbToolButtons())
        if (control == button.id)
            return true;
    return skin_.handCursorOver(control);
}

void TMBFrm::FormShow()
{
    ShowRowsAfter([this] { manager_.LoadTemplates(LoadMode::All, ""); });
}

bool TMBFrm::OnCloseRequest()
{
    // A close asked for while the order is being stored, or while the user is being
    // asked about a store that failed, waits for that to end.
    if (saving_ || askingToClose_)
        return false;
    try {
        FormClose();
    } catch (const std::exception& e) {
        // The file may stay locked or the disk full for as long as it likes: the user
        // decides whether to close without the order (the stored one stays as it was) or
        // to keep the window and its order and try again. A quit waits for the same answer.
        askingToClose_ = true;
        struct Asking {
            bool& flag;
            ~Asking() { flag = false; }
        } asking{askingToClose_};
        return boxes_.question(std::string(Texts::kOrderNotStored) + FailureText(e) + Texts::kCloseWithoutOrder);
    }
    return true;
}

void TMBFrm::FormClose() { SaveOrder(); }

bool TMBFrm::OnSessionEnding()
{
    // The session ended while the order was being stored: the store is half done.
    if (saving_)
        return false;
    try {
        SaveOrder();
    } catch (...) {
        // Nothing is asked at the end of the session; the order stored before stays.
    }
    return true;
}

void TMBFrm::SaveOrder()
{
    saving_ = true;
    struct Saving {
        bool& flag;
        ~Saving() { flag = false; }
    } saving{saving_};
    InputOff input(hwnd());
    TinfoFrm notice;
    notice.Show(hwnd(), mainWindow_);
    ProcessPendingMessages();
    ULONGLONG lastPass = GetTickCount64();
    manager_.SaveOrder([&] {
        // Often enough to keep the windows painted, rarely enough not to slow the store.
        const ULONGLONG now = GetTickCount64();
        if (now - lastPass >= 50) {
            lastPass = now;
            ProcessPendingMessages();
        }
    });
}

void TMBFrm::BtnOKClick() { SendMessageW(hwnd(), WM_CLOSE, 0, 0); }

void TMBFrm::ShowRowsAfter(const std::function<void()>& operation)
{
    // The list shows the rows as they are however the operation ended: a load that
    // failed leaves it empty, as the rows are.
    struct Show {
        TMBFrm& window;
        ~Show() { window.ShowRows(); }
    } show{*this};
    operation();
}

void TMBFrm::BtnRefreshClick()
{
    ShowRowsAfter([this] { manager_.Refresh(); });
}

void TMBFrm::Image5Click()
{
    ShowRowsAfter([this] { manager_.Search(Utf8FromWide(WindowTextWide(Edit1))); });
}

void TMBFrm::BtnNewClick()
{
    RunOnMemo([this](std::string& memo) { return manager_.AddTemplate(memo); });
}

void TMBFrm::BtnEditClick()
{
    RunOnMemo([this](std::string& memo) { return manager_.ModifyTemplate(memo); });
}

void TMBFrm::BtnCancelClick()
{
    RunOnMemo([this](std::string& memo) {
        return manager_.DeleteTemplate(memo, [this] { return ConfirmTemplateDelete(boxes_); });
    });
}

void TMBFrm::RunOnMemo(const std::function<TemplateResult(std::string&)>& operation)
{
    ShowRowsAfter([this, &operation] {
        std::string memo = MemoText();
        // The box shows before the memo and the list change, as the user's click left them.
        ShowTemplateResult(operation(memo), boxes_);
        SetMemoText(memo);
    });
}

std::string TMBFrm::MemoText() const { return Utf8FromWide(WindowTextWide(Memo1)); }

void TMBFrm::SetMemoText(const std::string& utf8)
{
    if (utf8 != MemoText())
        SetWindowTextW(Memo1, Widen(utf8).c_str());
}

bool TMBFrm::PreTranslate(MSG& msg)
{
    // Tab moves between the search box, the list and the memo; Enter in the search box searches
    // as the search icon does (an input method's Enter, choosing characters, reaches the box as
    // a key of its own and is not taken here). There are no other shortcuts.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB)
        return IsDialogMessageW(hwnd(), &msg) != FALSE;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == Edit1) {
        // Outside the window procedure here: a search that fails is reported as there.
        GuardedCall(hwnd(), msg.message, [this] {
            Image5Click();
            return LRESULT{0};
        });
        return true;
    }
    return false;
}

LRESULT TMBFrm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    LRESULT painted = 0;
    if (HandlePaintMessages(hwnd(), msg, wParam, painted, [this](HDC dc) { PaintContent(dc); }))
        return painted;
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnMouseDown(point); return 0;
    case WM_LBUTTONUP: OnMouseUp(point); return 0;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: hints_.pointerMoved(); return 0;
    case WM_SETCURSOR:
        if (SetSkinCursor(hwnd(), wParam, lParam, [this](POINT p) { return HandAt(p); }))
            return TRUE;
        break;
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == ListBox1) {
            if (HIWORD(wParam) == LBN_SELCHANGE)
                ListBox1Click();
            else if (HIWORD(wParam) == LBN_DBLCLK)
                ListBox1DblClick();
            return 0;
        }
        break;
    case WM_DRAWITEM:
        if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem == ListBox1) {
            ListBox1DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_DELETEITEM: return TRUE; // one per row as the list empties; the rows own nothing
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == TeamNote) {
            // On the white panel, in grey: a remark beside the label, not a control.
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(128, 128, 128));
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        break;
    default: break;
    }
    return ModalWindow::HandleMessage(msg, wParam, lParam);
}
