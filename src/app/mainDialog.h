#pragma once
// The main window: a borderless panel with its tray icon and menus. Start-up and the
// close path live in mainDialog.cpp, the frame and its commands in mainDialog.Frame.cpp.
#include "app/HotKeyDelivery.h"
#include "app/TeamRowsRefresh.h"
#include "app/TeamSyncThread.h"
#include "app/TypedSearch.h"
#include "app/WinDeliveryDesktop.h"
#include "app/mainLayout.h"
#include "store/Connection.h"
#include "templates/TemplateList.h"
#include "ui/ApplicationWindow.h"
#include "ui/ControlHook.h"
#include "ui/Gdi.h"
#include "ui/Hints.h"
#include "ui/ModalWindow.h"
#include "ui/SkinMenu.h"
#include "ui/SkinnedFrame.h"
#include "common/TextRows.h"
#include "ui/TrayIcon.h"
#include "ui/WinMessageBoxes.h"
#include "ui/Window.h"

#include <functional>
#include <memory>
#include <string>

// Raised through a search that gave way to a key. Not a std::exception: a handler of failures
// on the way does not take it for one, and only cleanup (catch (...) { ...; throw; }) sees it.
struct SearchGaveWay {};

class TMainFrm : public Window {
public:
    TMainFrm();
    ~TMainFrm() override;

    // Creates the window and runs FormCreate. False when start-up ended on the way
    // (the close path has run then).
    bool Create();
    // The first show at start: the list is filled; the window shows unless Windows started the
    // program at sign-in, which leaves only the tray icon (the hotkey or 显示界面 bring it up).
    void ShowAtStart(bool showWindow);

    void HideToTray();
    void ConfirmQuit();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Start and close (mainDialog.cpp).
    void FormCreate();
    void FormShow();
    // After the first show: the first paint, then the tray icon.
    void FinishStart();
    void FormClose();
    bool OpenDatabase();
    void LoadConfig();
    void ApplyTitleColor();
    // The team library (mainDialog.List.cpp): looked for once at the first show, then
    // checked in the background; each check's result arrives as kTeamChecked.
    void LookForTeamLibrary();
    void StartTeamLibrary();
    void OnTeamChecked(WPARAM result);
    void ShowTeamHint();
    // The join window's change to the desk's team library: made while the check rests, then
    // the list follows and the first check starts at once. A policy's change the same way.
    void ChangeTeamLibrary(const std::function<void()>& change);
    void OnPolicyChanged();
    // A team row went out whole: counted while the lead counts usage.
    void CountTeamDelivery(const std::string& text);
    // The hint of a row: its text, after the name of its set for a named set's row.
    std::string RowHint(int index);
    // Lists again after the team rows changed, keeping the search, the selection and the top row.
    void ReloadKeepingView();
    // The same for the team's rows alone, in slices (kFillTeamRows) that leave the window
    // answering; `rows`, the check's, are all of them (null: read them from DB.mdb).
    void RefreshTeamRows(std::unique_ptr<TeamSyncThread::Rows> rows);
    void RegisterHotKeyOnce();
    void UnregisterHotKeyOnce();

    // The frame (mainDialog.Frame.cpp).
    void CreateControls();
    void PaintContent(HDC dc);
    void PaintFrame();
    void OnMouseDown(POINT p, bool leftButton);
    void OnMouseUp(POINT p);
    void OnClick(MainControl control);
    void OnCommand(UINT id);
    void OnTrayMessage(LPARAM event);
    void OnQueryEndSession();
    void OnEndSession(bool ending);
    void OpenTeamJoin();
    void HoldSessionEnd(bool hold);
    void Image1Click();
    void Image3Click();
    void Image4Click();
    void ShowHelp();
    void ShowAbout();
    void OpenSettings();
    void OpenTemplateManager();
    void OpenRestore();
    // The tray item 开机时自动启动 Velmora: writes or removes the Run entry.
    void ToggleAutoStart();
    // Runs an opener unless a window is open already; then that one comes to the front.
    void OpenWindow(void (TMainFrm::*open)());
    void RunModal(ModalWindow& window);
    // Closes the open window, if any, and has the close path run after it. True when a
    // window was open (closed or not).
    bool CloseOpenWindow();

    // The hotkey and delivery (mainDialog.HotKey.cpp).
    void CreateDelivery();
    void WMHotKey(LPARAM lParam);
    void ListBox1DblClick();
    // Esc: hidden as by the minimise icon; after a press, back to the window the agent came from.
    void HideByKey();

    // The keyboard's way into the list (mainDialog.Keys.cpp): the search box's keys, the search
    // as it is typed, where the focus goes.
    void FocusSearchBox();
    void Edit1Change();
    // The grey cue over the empty search box, drawn after the box painted itself.
    void PaintSearchCue();
    void StartTypingPause();
    void OnTypingPauseOver();
    // Lists the hits of the box's text with the first selected. With `givesWay` a key that
    // comes meanwhile interrupts it, and it runs again after that key.
    void RunTypedSearch(bool givesWay);
    // True when the key was the list's or the window's rather than the box's.
    bool SearchBoxKeyDown(WPARAM key);
    static LRESULT SearchBoxProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // The template list (mainDialog.List.cpp).
    // Fills the list box by `load`, one of list_'s loads. With `givesWay` it stops, raising
    // SearchGaveWay, as soon as a key is waiting.
    void FillList(const std::function<void(ListedRows&)>& load, bool givesWay = false);
    void ShowAllTemplates();
    std::string EntryText(int index) const;
    std::string SearchText() const;
    void Image5Click();
    void Image6Click();
    void ListBox1DrawItem(const DRAWITEMSTRUCT& item);
    void ListBox1MouseMove(POINT listPoint);
    static LRESULT ListBoxProc(const ControlHook& hook, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    static const UINT kAddTrayIcon = TrayIcon::kCallbackMessage + 1;
    static const UINT kTeamChecked = TrayIcon::kCallbackMessage + 2;
    static const UINT kFillTeamRows = TrayIcon::kCallbackMessage + 3;
    static const UINT kTeamRowsRead = TrayIcon::kCallbackMessage + 4;
    static const UINT_PTR kTypingPauseTimer = 1;

    // The program folder, ending in a backslash; recorded once at start.
    std::string programFolder_;
    // The tray icon's hint as the settings and the hotkey left it; a team desk adds its line below.
    std::string trayHint_;
    Connection _conn;
    TemplateList list_{_conn};
    ApplicationWindow application_;
    WinMessageBoxes boxes_;
    TrayIcon RzTrayIcon1;
    Hints hints_;
    std::unique_ptr<SkinMenu> PopupMenu1;
    std::unique_ptr<SkinMenu> PopupMenu2;
    Icon trayPicture_;
    SkinnedFrame<MainControl> skin_;
    HWND Edit1 = nullptr;
    // The texts of the list's rows: the list box holds only their count.
    TextRows listRows_;
    HWND ListBox1 = nullptr;
    ControlHook listHook_;
    ControlHook searchBoxHook_;
    TypedSearch typed_;
    // The control that had the focus when the window was last left; it has it again on return.
    HWND focusWhenLeft_ = nullptr;
    COLORREF bandColour_;
    std::unique_ptr<WinDeliveryDesktop> desktop_;
    std::unique_ptr<HotKeyDelivery> delivery_;
    int hintRow_ = -1;
    // The first team row of the list; the count of rows when none is listed.
    int teamFirstRow_ = 0x7fffffff;
    TeamSyncThread teamSync_;
    TeamRowsRefresh teamRefresh_;
    // The rows a check read were listed before it stored them, and no load has listed since.
    bool teamRowsHanded_ = false;
    int HotKeyId = 0;
    ATOM hotKeyAtom_ = 0;
    bool closed_ = false;
    bool closeAfterWindow_ = false;
    bool databaseOpened_ = false;
    bool holdingSessionEnd_ = false;
};
