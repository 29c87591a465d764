#include "settings/SysDialog.h"

#include "common/FunPub.h"
#include "settings/SysLayout.h"
#include "store/ConfigRecord.h"
#include "ui/JpegPicture.h"
#include "backup/WinFiles.h"
#include "ui/WinText.h"

#include "../resources/resource.h"

#include <algorithm>
#include <commctrl.h>
#include <commdlg.h>

namespace {

// Control ids: 100 + the control's place in the layout (never IDOK or IDCANCEL).
const int kFirstId = 100;

int IdOf(SysControl control) { return kFirstId + static_cast<int>(control); }

// The colour panels in the order of the settings' colours.
const SysControl kPanels[] = {SysControl::Panel1, SysControl::Panel2, SysControl::Panel3, SysControl::Panel4,
                              SysControl::Panel5};

size_t PanelOf(SysControl control)
{
    return static_cast<size_t>(std::find(std::begin(kPanels), std::end(kPanels), control) - std::begin(kPanels));
}

} // namespace

TSysFrm::TSysFrm(Connection& connection) : connection_(connection) {}

std::unique_ptr<ModalWindow> NewSettingsDialog(Connection& connection) { return std::make_unique<TSysFrm>(connection); }

ModalFrame TSysFrm::Frame() const
{
    return {L"TSysFrm",
            L"系统设置",
            WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
            WS_EX_DLGMODALFRAME,
            SysLook::kClientWidth,
            SysLook::kClientHeight,
            GetSysColorBrush(COLOR_BTNFACE)};
}

void TSysFrm::OnCreated()
{
    boxes_.setOwner(hwnd());
    CreateControls();
    FormShow();
}

void TSysFrm::CreateControls()
{
    font_ = MakeFont(L"宋体", SysLook::kFontHeight);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlLayout<SysControl>& c : SysLayout()) {
        const int id = IdOf(c.id);
        const std::wstring text = Widen(c.text);
        const wchar_t* kind = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        int height = c.height;
        switch (c.kind) {
        case ControlKind::GroupBox:
            kind = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case ControlKind::Label: style |= SS_LEFT | SS_NOPREFIX; break;
        case ControlKind::ComboBox:
            kind = L"COMBOBOX";
            style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
            height = SysLook::kDropDownHeight;
            break;
        case ControlKind::CheckBox:
            kind = L"BUTTON";
            style |= WS_TABSTOP | BS_AUTOCHECKBOX;
            break;
        case ControlKind::Button:
            kind = L"BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case ControlKind::Bevel: style |= SS_ETCHEDFRAME; break;
        case ControlKind::Image: style |= SS_BITMAP; break;
        case ControlKind::ColourPanel: panels_.at(PanelOf(c.id)).Create(hwnd(), id, c.rect()); continue;
        default: continue;
        }
        HWND control = CreateWindowExW(0, kind, text.c_str(), style, c.left, c.top, c.width, height, hwnd(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    // The bevel frames its four controls: it lies behind them.
    SetWindowPos(Child(SysControl::Bevel1), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    HWND letters = Child(SysControl::ComboBox1);
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const wchar_t item[2] = {static_cast<wchar_t>(letter), 0};
        SendMessageW(letters, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    HWND periods = Child(SysControl::ComboBox2);
    for (const char* period : {"每周", "每月"})
        SendMessageW(periods, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(period).c_str()));
    for (size_t i = 0; i < typingHooks_.size(); ++i) {
        HWND combo = i == 0 ? letters : periods;
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        // ComboBox1KeyPress, ComboBox2KeyPress: every typed character is discarded.
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(combo, &info) && info.hwndItem)
            typingHooks_[i].attach(info.hwndItem, DiscardTypingProc, this);
    }

    // A picture that cannot be read leaves its place empty.
    illustration_ = LoadJpegResource(IDR_SETTINGS_ILLUSTRATION);
    if (illustration_.get())
        SendMessageW(Child(SysControl::Image1), STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(illustration_.get()));
}

HWND TSysFrm::Child(SysControl control) const { return GetDlgItem(hwnd(), IdOf(control)); }

void TSysFrm::FormShow() { LoadControls(); }

void TSysFrm::LoadControls()
{
    const SettingsControls controls = ::LoadControls(Config);
    for (size_t i = 0; i < panels_.size(); ++i)
        panels_[i].setColour(static_cast<COLORREF>(controls.colours[i]));
    HWND letters = Child(SysControl::ComboBox1);
    SendMessageW(letters, CB_SETCURSEL, static_cast<WPARAM>(controls.letterItem), 0);
    SetWindowTextW(letters, Widen(controls.letterText).c_str());
    SendMessageW(Child(SysControl::CheckBox1), BM_SETCHECK, controls.saveDb ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(Child(SysControl::CheckBox2), BM_SETCHECK, controls.askSaveDb ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(Child(SysControl::ComboBox2), CB_SETCURSEL, static_cast<WPARAM>(controls.periodItem), 0);
}

SettingsControls TSysFrm::ReadControls() const
{
    SettingsControls controls;
    HWND letters = Child(SysControl::ComboBox1);
    controls.letterText = Utf8FromWide(WindowTextWide(letters));
    controls.letterItem = static_cast<int>(SendMessageW(letters, CB_GETCURSEL, 0, 0));
    for (size_t i = 0; i < panels_.size(); ++i)
        controls.colours[i] = static_cast<int>(panels_[i].colour());
    controls.saveDb = SendMessageW(Child(SysControl::CheckBox1), BM_GETCHECK, 0, 0) == BST_CHECKED;
    controls.askSaveDb = SendMessageW(Child(SysControl::CheckBox2), BM_GETCHECK, 0, 0) == BST_CHECKED;
    controls.periodItem = static_cast<int>(SendMessageW(Child(SysControl::ComboBox2), CB_GETCURSEL, 0, 0));
    return controls;
}

namespace {

// The system's colour dialog. Its library is loaded the first time a colour is picked
// rather than at every start of the program, which it slowed by a good part.
BOOL ChooseColour(CHOOSECOLORA& choose)
{
    using ChooseColorFn = BOOL(WINAPI*)(CHOOSECOLORA*);
    static const auto chooseColor = reinterpret_cast<ChooseColorFn>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"comdlg32.dll"), "ChooseColorA")));
    return chooseColor && chooseColor(&choose);
}

} // namespace

void TSysFrm::PanelClick(int panel)
{
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = hwnd();
    choose.rgbResult = lastPicked_;
    choose.lpCustColors = customColours_;
    choose.Flags = CC_RGBINIT;
    if (!ChooseColour(choose))
        return; // cancelled: nothing changes
    lastPicked_ = choose.rgbResult;
    panels_[static_cast<size_t>(panel)].setColour(choose.rgbResult);
}

void TSysFrm::BitBtn1Click()
{
    if (SaveConfig(connection_, Config, ReadControls(), WinClock().now()) == SaveResult::NoLetter) {
        boxes_.notice(Texts::kNoHotKeyLetter, NoticeType::Exclamation);
        return;
    }
    // The plain box, centred on the screen; the dialog takes no input meanwhile.
    ShowMessageBox(nullptr, Texts::kSettingsSaved, ApplicationTitle(), MB_OK | MB_TASKMODAL);
}

void TSysFrm::BitBtn2Click()
{
    SettingsControls controls = ReadControls();
    RestoreDefaultColours(controls);
    for (size_t i = 0; i < panels_.size(); ++i)
        panels_[i].setColour(static_cast<COLORREF>(controls.colours[i]));
}

void TSysFrm::OnCommand(int id, int code)
{
    const int place = id - kFirstId;
    if (code != BN_CLICKED || place < 0 || place >= static_cast<int>(SysLayout().size()))
        return;
    const auto control = static_cast<SysControl>(place);
    switch (control) {
    case SysControl::Panel1:
    case SysControl::Panel2:
    case SysControl::Panel3:
    case SysControl::Panel4:
    case SysControl::Panel5: PanelClick(static_cast<int>(PanelOf(control))); break;
    case SysControl::BitBtn1: BitBtn1Click(); break;
    case SysControl::BitBtn2: BitBtn2Click(); break;
    case SysControl::GroupBox1:
    case SysControl::Label1:
    case SysControl::Label2:
    case SysControl::ComboBox1:
    case SysControl::ComboBox2:
    case SysControl::CheckBox1:
    case SysControl::CheckBox2:
    case SysControl::GroupBox2:
    case SysControl::Image1:
    case SysControl::Label3:
    case SysControl::Label4:
    case SysControl::Label5:
    case SysControl::Label6:
    case SysControl::Bevel1:
    case SysControl::Label7:
    case SysControl::Label8: break;
    }
}

bool TSysFrm::PreTranslate(MSG& msg)
{
    // Tab and the arrow keys move between the controls as in any dialog.
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
        return IsDialogMessageW(hwnd(), &msg) != FALSE;
    return false;
}

LRESULT TSysFrm::DiscardTypingProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CHAR || msg == WM_IME_CHAR)
        return 0;
    return hook.CallOriginal(hwnd, msg, wParam, lParam);
}

LRESULT TSysFrm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (lParam != 0)
            OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR: {
        HWND over = reinterpret_cast<HWND>(wParam);
        if (over == Child(SysControl::BitBtn1) || over == Child(SysControl::BitBtn2)) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            return TRUE;
        }
        break;
    }
    default: break;
    }
    return ModalWindow::HandleMessage(msg, wParam, lParam);
}
