#include "app/mainDialog.h"

#include "app/mainLayout.h"
#include "backup/Backup.h"
#include "common/FunPub.h"
#include "store/ConfigRecord.h"
#include "store/SchemaCheck.h"
#include "store/StoreError.h"
#include "ui/ExecutableFolder.h"
#include "ui/MessagePump.h"
#include "backup/WinFiles.h"
#include "ui/Pictures.h"
#include "ui/StoreErrorText.h"
#include "ui/WinText.h"

namespace {

// A write-protected DB.mdb would lose every change the user makes; say so at start.
void RefuseReadOnlyFile(const std::string& utf8Path)
{
    const DWORD attributes = GetFileAttributesW(Widen(utf8Path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw StoreError(StoreFault::ReadOnlyFile, "read-only database file: " + utf8Path, utf8Path);
}

} // namespace

TMainFrm::TMainFrm()
    : skin_(MainLayout(), MainControl::RzPanel1, MainLook::kSkin), bandColour_(MainLook::kLayoutTitleColour)
{
}

TMainFrm::~TMainFrm()
{
    if (hwnd())
        DestroyWindow(hwnd());
}

bool TMainFrm::Create()
{
    using namespace MainLook;
    if (!application_.Create())
        return false;
    const int width = kClientWidth + 2 * kFrame;
    const int height = kClientHeight + 2 * kFrame;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!CreateWindowOf(L"TMainFrm", 0, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, L"MainFrm", x, y,
                        width, height, application_.hwnd()))
        return false;
    // The frame and the corners outside the panel's rounded border are painted in the
    // window colour clFuchsia and lie outside the window's region (set with the skin): they show what is
    // behind the window, and clicks there reach it. (A layered window's colour key shows
    // the same, but not every system passes clicks through it, and under Wine a key and a
    // region together paint the frame black.)
    application_.setMainWindow(hwnd());
    boxes_.setOwner(hwnd());
    CreateControls();
    CreateDelivery();
    trayPicture_ = CreateTrayIcon();
    // The tray icon follows the window's first paint (FinishStart): adding it waits on the
    // shell, and the user waits for the list.
    PostMessageW(hwnd(), kAddTrayIcon, 0, 0);
    FormCreate();
    return !closed_;
}

void TMainFrm::ShowAtStart(bool showWindow)
{
    // The list is filled before the window shows: it appears whole, and the rows are
    // not laid out on the screen while they arrive.
    try {
        FormShow();
    } catch (const std::exception& e) {
        ReportError(hwnd(), FailureText(e).c_str());
    }
    if (!showWindow)
        return;
    // The taskbar button's window shows without taking the activation: the main window takes
    // it right after, and each activation (its notices and the move of the keyboard focus)
    // costs some 10 ms at start under Wine.
    ShowWindow(application_.hwnd(), SW_SHOWNOACTIVATE);
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
    FocusSearchBox();
}

void TMainFrm::FinishStart()
{
    // Adding the tray icon waits on the shell, for 5 to 60 ms under Wine: a posted message comes
    // before the window's first paint, so the window and its list are painted first.
    if (IsWindowVisible(hwnd()))
        RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RzTrayIcon1.add(hwnd(), trayPicture_.get());
}

void TMainFrm::FormCreate()
{
    programFolder_ = ExecutableFolder();
    if (!OpenDatabase())
        return;
    RegisterHotKeyOnce();
}

void TMainFrm::FormShow()
{
    LookForTeamLibrary();
    ShowAllTemplates();
    // The check starts before the window shows: the server's answer is what takes long, and
    // the rows it brings arrive once the window is up.
    StartTeamLibrary();
}

bool TMainFrm::OpenDatabase()
{
    try {
        _conn.disconnect();
        const std::string path = programFolder_ + "DB.mdb";
        RefuseReadOnlyFile(path);
        _conn.setConnectionText(ConnectionTextFor(path));
        _conn.connect();
        // A file another tool wrote may hold a view or a trigger of its own: it is refused
        // before anything reads or writes through it.
        const std::string foreign = ForeignSchemaObject(_conn.database());
        if (!foreign.empty())
            throw StoreError(foreign);
        LoadConfig();
        databaseOpened_ = true;
        return true;
    } catch (const std::exception& e) {
        boxes_.notice(std::string(Texts::kConnectError) + FailureText(e), NoticeType::Exclamation);
        SendMessageW(hwnd(), WM_CLOSE, 0, 0);
        return false;
    }
}

void TMainFrm::LoadConfig()
{
    if (ReadConfigRecord(_conn, Config) != ConfigLoad::Loaded) {
        boxes_.notice(Texts::kConfigRowError, NoticeType::Exclamation);
        return;
    }
    ApplyTitleColor();
    trayHint_ = TrayHintText(Config.THotKeyInt);
    RzTrayIcon1.setHint(trayHint_);
}

void TMainFrm::ApplyTitleColor()
{
    bandColour_ = StoredColour(Config.TTitleColor);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TMainFrm::ConfirmQuit()
{
    if (!boxes_.question(Texts::kQuitQuestion))
        return;
    if (CloseOpenWindow())
        return;
    // The menu or box that asked finishes first.
    if (ProcessPendingMessages())
        SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TMainFrm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    teamSync_.stop();
    UnregisterHotKeyOnce();
    // A start that could not open the database has no policy to follow: nothing is asked.
    if (databaseOpened_) {
        WinClock clock;
        WinFiles files;
        BackupContext backup{_conn, Config, BackupPlaces{programFolder_}, clock, files, boxes_};
        BackupAtExit(backup);
    }
    RzTrayIcon1.remove();
    DestroyWindow(hwnd());
}

LRESULT TMainFrm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (RzTrayIcon1.handleShellRestart(msg))
        return 0;
    LRESULT painted = 0;
    if (HandlePaintMessages(hwnd(), msg, wParam, painted, [this](HDC dc) { PaintContent(dc); }))
        return painted;
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (msg) {
    case WM_NCCALCSIZE: {
        // The 2-pixel frame around the client area is see-through.
        RECT& r = wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : *reinterpret_cast<RECT*>(lParam);
        InflateRect(&r, -MainLook::kFrame, -MainLook::kFrame);
        return 0;
    }
    case WM_NCPAINT: PaintFrame(); return 0;
    case WM_NCACTIVATE: return TRUE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // a quick second click on an icon is a click as well
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: OnMouseDown(point, msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK); return 0;
    case WM_LBUTTONUP: OnMouseUp(point); return 0;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE: hints_.pointerMoved(); return 0;
    case WM_SETCURSOR:
        if (skin_.setCursor(wParam, lParam))
            return TRUE;
        break;
    case WM_HOTKEY: WMHotKey(lParam); return 0;
    case WM_TIMER:
        if (wParam == kTypingPauseTimer) {
            OnTypingPauseOver();
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // As a dialog box does: the control that had the focus has it again on return.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd(), focus))
                focusWhenLeft_ = focus;
        }
        break;
    case WM_SETFOCUS: SetFocus(focusWhenLeft_ && IsWindow(focusWhenLeft_) ? focusWhenLeft_ : Edit1); return 0;
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == ListBox1 && HIWORD(wParam) == LBN_DBLCLK) {
            ListBox1DblClick();
            return 0;
        }
        if (reinterpret_cast<HWND>(lParam) == Edit1 && HIWORD(wParam) == EN_CHANGE) {
            Edit1Change();
            return 0;
        }
        if (lParam == 0) {
            OnCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_MEASUREITEM:
        if (SkinMenu::Measure(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_DRAWITEM:
        if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem == ListBox1) {
            ListBox1DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        if (SkinMenu::Draw(reinterpret_cast<DRAWITEMSTRUCT*>(lParam), bandColour_))
            return TRUE;
        break;
    case kAddTrayIcon:
        if (!closed_)
            FinishStart();
        return 0;
    case WM_DELETEITEM:
        // Sent for every row when the list empties; the rows own nothing to free, and the
        // system's default handling would cost a call per row.
        return TRUE;
    case TrayIcon::kCallbackMessage: OnTrayMessage(lParam); return 0;
    case kTeamChecked:
        if (!closed_)
            OnTeamChecked(wParam);
        return 0;
    case kTeamRowsRead: {
        std::unique_ptr<TeamSyncThread::Rows> rows(reinterpret_cast<TeamSyncThread::Rows*>(lParam));
        // A search lists what the database finds: it waits for the rows to be stored.
        if (!closed_ && rows && !list_.showsSearch())
            RefreshTeamRows(std::move(rows));
        return 0;
    }
    case kFillTeamRows:
        if (!closed_ && teamRefresh_.step())
            PostMessageW(hwnd(), kFillTeamRows, 0, 0);
        return 0;
    case WM_SETTINGCHANGE:
        if (lParam && lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam), L"Policy") == 0)
            OnPolicyChanged();
        break;
    case WM_QUERYENDSESSION: OnQueryEndSession(); return TRUE;
    case WM_ENDSESSION: OnEndSession(wParam != 0); return 0;
    case WM_CLOSE:
        if (!CloseOpenWindow())
            FormClose();
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
    }
    return DefaultHandling(msg, wParam, lParam);
}
