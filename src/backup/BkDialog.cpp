#include "backup/BkDialog.h"

#include "ui/WinText.h"

namespace {

const int kClientWidth = 363;
const int kClientHeight = 240;
const int kRowHeight = 12;
const int kListId = 101;
const int kButtonId = 102;

} // namespace

TBkFrm::TBkFrm(Connection& connection, BackupPlaces places) : connection_(connection), places_(std::move(places)) {}

std::unique_ptr<ModalWindow> NewRestoreDialog(Connection& connection, const BackupPlaces& places)
{
    return std::make_unique<TBkFrm>(connection, places);
}

ModalFrame TBkFrm::Frame() const
{
    return {L"TBkFrm",
            L"模板数据库还原",
            WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
            WS_EX_DLGMODALFRAME,
            kClientWidth,
            kClientHeight,
            GetSysColorBrush(COLOR_BTNFACE)};
}

void TBkFrm::OnCreated()
{
    boxes_.setOwner(hwnd());
    CreateControls();
    FormShow();
}

void TBkFrm::CreateControls()
{
    font_ = MakeFont(L"宋体", 12);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto create = [&](const wchar_t* kind, const std::string& text, DWORD style, int x, int y, int width, int height,
                      int id) {
        HWND control = CreateWindowExW(0, kind, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                       hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
    };
    // Created in tab order: the button first, then the list.
    Button1 = create(L"BUTTON", "还原数据库", WS_TABSTOP | BS_PUSHBUTTON, 266, 198, 89, 25, kButtonId);
    FileListBox1 =
        create(L"LISTBOX", "", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT, 24, 29, 331, 157, kListId);
    SendMessageW(FileListBox1, LB_SETITEMHEIGHT, 0, kRowHeight);
    create(L"STATIC", "备份数据库列表:", SS_LEFT | SS_NOPREFIX, 24, 11, 90, 12, 0);
    Label2 = create(L"STATIC", "注: 备份数据名前14为日期格式:\r\nYYYY MM DD HH MM SS", SS_LEFT | SS_NOPREFIX, 24, 198,
                    174, 24, 0);
}

void TBkFrm::FormShow()
{
    // A folder that does not exist yet (no backup made so far) gives an empty list.
    for (const std::string& name : files_.backupNames(places_.backupFolder()))
        SendMessageW(FileListBox1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(name).c_str()));
    SendMessageW(FileListBox1, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void TBkFrm::Button1Click()
{
    const LRESULT row = SendMessageW(FileListBox1, LB_GETCURSEL, 0, 0);
    std::string name;
    if (row != LB_ERR) {
        const LRESULT length = SendMessageW(FileListBox1, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(FileListBox1, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        name = Utf8FromWide(text);
    }
    if (name.empty() || !files_.isFile(places_.backupPath(name))) {
        boxes_.notice(Texts::kNoBackupFile, NoticeType::Exclamation);
        return;
    }
    // A damaged or foreign file would leave the program unable to start: it is refused.
    std::string reason;
    if (!IsSoundDatabase(places_.backupPath(name), reason)) {
        boxes_.notice(Texts::kRestoreRefused + reason, NoticeType::Exclamation);
        return;
    }
    if (!boxes_.question(Texts::kRestoreQuestion))
        return;
    restoring_ = true;
    std::string error;
    if (RestoreBackup(connection_, places_, name, files_, error))
        ShowMessageBox(hwnd(), Texts::kRestored, Texts::kNoticeCaption, MB_OK);
    else
        boxes_.notice(Texts::kRestoreFailed + error + Texts::kRestoreFailedEnd, NoticeType::Exclamation);
    EndProgram();
}

void TBkFrm::EndProgram()
{
    // The connection is closed: the program ends at once.
    PostQuitMessage(0);
}

bool TBkFrm::PreTranslate(MSG& msg)
{
    if (msg.message == WM_KEYDOWN)
        return IsDialogMessageW(hwnd(), &msg) != FALSE;
    return false;
}

LRESULT TBkFrm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED)
            Button1Click();
        return 0;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, reinterpret_cast<HWND>(lParam) == Label2 ? RGB(255, 0, 0) : GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    default: break;
    }
    return ModalWindow::HandleMessage(msg, wParam, lParam);
}
