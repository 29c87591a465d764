// The main window's frame: painting, moving, hiding, the tray icon, the menus,
// help and about.
#include "app/mainDialog.h"

#include "app/AboutDialog.h"
#include "app/AutoStart.h"
#include "app/WinAutoStart.h"
#include "app/TeamJoinDialog.h"
#include "app/mainLayout.h"
#include "backup/BkDialog.h"
#include "settings/SysDialog.h"
#include "templates/MbDialog.h"
#include "common/FunPub.h"
#include "ui/VirtualList.h"
#include "common/RowGeometry.h"
#include "store/ConfigRecord.h"
#include "ui/ExecutableFolder.h"
#include "ui/Pictures.h"
#include "backup/WinFiles.h"
#include "ui/WinText.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

const ControlLayout<MainControl>& Control(MainControl id) { return ControlOf(MainLayout(), id); }

} // namespace

void TMainFrm::CreateControls()
{
    skin_.create(hwnd(), hints_);
    HINSTANCE instance = GetModuleHandleW(nullptr);

    const auto& edit = Control(MainControl::Edit1);
    Edit1 = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                            edit.left, edit.top, edit.width, edit.height, hwnd(), nullptr, instance, nullptr);
    SendMessageW(Edit1, WM_SETFONT, reinterpret_cast<WPARAM>(skin_.font()), FALSE);
    // Its grey cue is ours (PaintSearchCue), shown while it is empty, the caret in it or not.
    searchBoxHook_.attach(Edit1, SearchBoxProc, this);

    const auto& list = Control(MainControl::ListBox1);
    ListBox1 = CreateVirtualListBox(hwnd(), WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                    {list.left, list.top, list.left + list.width, list.top + list.height});
    SendMessageW(ListBox1, WM_SETFONT, reinterpret_cast<WPARAM>(skin_.font()), FALSE);
    SendMessageW(ListBox1, LB_SETITEMHEIGHT, 0, kListRowHeight);
    listHook_.attach(ListBox1, ListBoxProc, this);

    hints_.addWindow(ListBox1, "");

    PopupMenu1 = std::make_unique<SkinMenu>(TrayMenuLayout());
    PopupMenu2 = std::make_unique<SkinMenu>(SystemMenuLayout());
}

void TMainFrm::PaintFrame()
{
    HDC dc = GetWindowDC(hwnd());
    RECT window;
    GetWindowRect(hwnd(), &window);
    OffsetRect(&window, -window.left, -window.top);
    RECT inner = window;
    InflateRect(&inner, -MainLook::kFrame, -MainLook::kFrame);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    FillSolid(dc, window, MainLook::kKeyColour);
    ReleaseDC(hwnd(), dc);
}

void TMainFrm::PaintContent(HDC dc) { skin_.paint(dc, bandColour_); }

void TMainFrm::OnMouseDown(POINT p, bool leftButton)
{
    if (leftButton)
        skin_.press(skin_.controlAt(p));
    else
        skin_.cancelPress();
}

void TMainFrm::OnMouseUp(POINT p)
{
    if (const std::optional<MainControl> clicked = skin_.release(skin_.controlAt(p)))
        OnClick(*clicked);
}

void TMainFrm::OnClick(MainControl control)
{
    switch (control) {
    case MainControl::Image1: Image1Click(); break;
    case MainControl::Image3: Image3Click(); break;
    case MainControl::Image4: Image4Click(); break;
    case MainControl::Image5: Image5Click(); break;
    case MainControl::Image6: Image6Click(); break;
    case MainControl::RzPanel1:
    case MainControl::RzBackground2:
    case MainControl::Image2:
    case MainControl::Label1:
    case MainControl::Bevel1:
    case MainControl::Panel1:
    case MainControl::Label2:
    case MainControl::Edit1:
    case MainControl::Bevel2:
    case MainControl::ListBox1:
    case MainControl::Bevel3:
    case MainControl::RzBackground1: break;
    }
}

void TMainFrm::Image1Click() { HideToTray(); }

void TMainFrm::Image3Click() { ConfirmQuit(); }

void TMainFrm::Image4Click()
{
    const auto& panel = Control(MainControl::RzPanel1);
    const auto& icon = Control(MainControl::Image4);
    POINT p = {panel.left, panel.top};
    ClientToScreen(hwnd(), &p);
    PopupMenu2->popUp(hwnd(), {p.x + icon.left + icon.width + 1, p.y + icon.top + icon.height - 1});
}

void TMainFrm::HideToTray()
{
    ShowWindow(hwnd(), SW_HIDE);
    ShowWindow(hwnd(), SW_SHOWMINIMIZED);
    ShowWindow(hwnd(), SW_HIDE);
    ShowWindow(application_.hwnd(), SW_HIDE);
}

void TMainFrm::OnTrayMessage(LPARAM event)
{
    if (event != WM_RBUTTONDOWN)
        return;
    // The menu closes properly only when its owner is the foreground window.
    SetForegroundWindow(hwnd());
    // Read afresh each time: a setup program or another copy may have changed the entry.
    PopupMenu1->setChecked(cmdAutoStart, AutoStartOn());
    POINT p;
    GetCursorPos(&p);
    PopupMenu1->popUp(hwnd(), p);
}

void TMainFrm::OnCommand(UINT id)
{
    switch (id) {
    case cmdN15: ShowWindow(hwnd(), SW_SHOWNORMAL); break;
    case cmdN1:
    case cmdN10: OpenWindow(&TMainFrm::OpenSettings); break;
    case cmdN3:
    case cmdN12: OpenWindow(&TMainFrm::OpenTemplateManager); break;
    case cmdN14: OpenWindow(&TMainFrm::OpenRestore); break;
    case cmdN30: OpenWindow(&TMainFrm::OpenTeamJoin); break;
    case cmdN5:
    case cmdN23: ShowHelp(); break;
    case cmdN7:
    case cmdN18: OpenWindow(&TMainFrm::ShowAbout); break;
    case cmdN9: Image3Click(); break;
    case cmdAutoStart: ToggleAutoStart(); break;
    default: break;
    }
}

void TMainFrm::ToggleAutoStart()
{
    const std::string failure = SetAutoStart(!AutoStartOn());
    if (!failure.empty())
        boxes_.notice(kAutoStartNotChanged + failure, NoticeType::Exclamation);
}

void TMainFrm::OpenWindow(void (TMainFrm::*open)())
{
    // One window at a time: a second choice of a menu item shows the one already open.
    if (ModalWindow* shown = ModalWindow::Current()) {
        shown->BringToFront();
        return;
    }
    (this->*open)();
}

void TMainFrm::RunModal(ModalWindow& window)
{
    closeAfterWindow_ = false;
    window.ShowModal(hwnd());
    // A quit chosen while the window was open closed it first; the close path runs now.
    if (closeAfterWindow_) {
        closeAfterWindow_ = false;
        SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    }
}

bool TMainFrm::CloseOpenWindow()
{
    ModalWindow* open = ModalWindow::Current();
    if (!open)
        return false;
    // Closed through its own close, which keeps what the user did there; the close
    // path follows once the window's opener has finished with it.
    if (open->RequestClose())
        closeAfterWindow_ = true;
    return true;
}

void TMainFrm::ShowHelp()
{
    const std::wstring help = Widen(programFolder_ + "Help.chm");
    const DWORD attributes = GetFileAttributesW(help.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        ShellExecuteW(hwnd(), L"Open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    else
        boxes_.notice(Texts::kHelpMissing, NoticeType::Exclamation);
}

void TMainFrm::ShowAbout() { RunModal(*NewAboutWindow()); }

// The settings, template manager and restore windows open here once they exist.
void TMainFrm::OpenSettings()
{
    RunModal(*NewSettingsDialog(_conn));
    // Saved list colours show at once; the rest of the settings apply at the next start.
    InvalidateRect(ListBox1, nullptr, TRUE);
}
void TMainFrm::OpenTemplateManager()
{
    RunModal(*NewTemplateManager(_conn, hwnd()));
    // The list follows the order stored at the manager's close; the search box keeps its text.
    ShowAllTemplates();
}
void TMainFrm::OpenTeamJoin()
{
    RunModal(*NewTeamJoinWindow(_conn, [this](const std::function<void()>& change) { ChangeTeamLibrary(change); }));
}
void TMainFrm::OpenRestore()
{
    // A restore ends the program from inside the dialog. It replaces DB.mdb, which the team
    // library's check keeps open on its own connection, so the check rests while the dialog is
    // open and starts again only when the program goes on.
    teamSync_.stop();
    RunModal(*NewRestoreDialog(_conn, BackupPlaces{programFolder_}));
    MSG quit;
    if (!PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        StartTeamLibrary();
}

void TMainFrm::OnQueryEndSession()
{
    // A tray program usually ends with the session: a backup due by the automatic policy is
    // made now, and Windows shows why the program holds the shutdown while it copies.
    WinClock clock;
    if (!closed_ && databaseOpened_ && AutomaticBackupDue(Config, clock.now()))
        HoldSessionEnd(true);
}

void TMainFrm::OnEndSession(bool ending)
{
    if (!ending) {
        HoldSessionEnd(false);
        return;
    }
    // Windows is ending the logon: the program stops without the close path and asks nothing.
    // A window open now keeps what it holds first; then the automatic backup, when due. A
    // close under way has run its own policy already.
    teamSync_.stop();
    if (!closed_ && databaseOpened_) {
        closed_ = true;
        ModalWindow* open = ModalWindow::Current();
        if (!open || open->OnSessionEnding()) {
            WinClock clock;
            if (AutomaticBackupDue(Config, clock.now()))
                HoldSessionEnd(true);
            WinFiles files;
            BackupContext backup{_conn, Config, BackupPlaces{programFolder_}, clock, files, boxes_};
            BackupAtSessionEnd(backup);
        }
        _conn.disconnect();
    }
    HoldSessionEnd(false);
    RzTrayIcon1.remove();
    ExitProcess(0);
}

void TMainFrm::HoldSessionEnd(bool hold)
{
    // Looked up at run time, as the program keeps starting where user32 lacks them.
    using CreateReasonFn = BOOL(WINAPI*)(HWND, LPCWSTR);
    using DestroyReasonFn = BOOL(WINAPI*)(HWND);
    if (hold == holdingSessionEnd_)
        return;
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (hold) {
        auto create = reinterpret_cast<CreateReasonFn>(
            reinterpret_cast<void*>(GetProcAddress(user, "ShutdownBlockReasonCreate")));
        holdingSessionEnd_ = create && create(hwnd(), Widen(Texts::kBackupAtSessionEnd).c_str());
    } else {
        auto destroy = reinterpret_cast<DestroyReasonFn>(
            reinterpret_cast<void*>(GetProcAddress(user, "ShutdownBlockReasonDestroy")));
        if (destroy)
            destroy(hwnd());
        holdingSessionEnd_ = false;
    }
}
