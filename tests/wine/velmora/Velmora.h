// Velmora seen from the Wine tests: its program folder and database, the running program,
// its main window and its hints.
#pragma once

#include "Driver.h"

#include <optional>
#include <string>
#include <vector>

namespace vt {

// --- The database in a program folder --------------------------------------------------

// Writes DB.mdb as delivered, with these templates (UTF-8) in this order.
void WriteDatabase(const wt::ProgramFolder& folder, const std::vector<std::string>& templates = {});
// Runs SQL statements on the folder's DB.mdb (UTF-8); throws on failure.
void RunSql(const wt::ProgramFolder& folder, const std::string& sql);
// The first column of the first row, as text.
std::string QueryValue(const wt::ProgramFolder& folder, const std::string& sql);

// A folder with the program and a delivered database holding `templates`.
struct Installation {
    explicit Installation(const std::vector<std::string>& templates = {}, const std::string& folderName = "");
    wt::ProgramFolder folder;
};

// --- The running program ------------------------------------------------------------------

class Velmora {
public:
    // Starts Velmora.exe from the folder with `arguments`; does not wait for anything.
    explicit Velmora(const wt::ProgramFolder& folder, const std::vector<std::string>& arguments = {});

    wt::AppProcess& process() { return process_; }
    DWORD pid() const { return process_.pid(); }

    // Waits for the main window to be shown; nullptr when it was not within the time.
    HWND waitForMainWindow(unsigned timeoutMs = 15000);
    HWND mainWindow() const { return main_; }
    // The hidden top-level window that carries the taskbar button.
    HWND applicationWindow() const;
    HWND list() const;
    HWND searchBox() const;

    // A point of the main window's client area (RzPanel1's coordinates) on the screen.
    POINT screenPoint(int x, int y) const;
    void click(int x, int y) const;

    // The list's entries as UTF-8, and its selection.
    std::vector<std::string> listEntries() const;
    int selectedIndex() const;
    // Puts `text` into the search box (replacing it), waits for the list to follow it, clicks
    // the search icon and waits until the list is filled afresh.
    void search(const std::string& text) const;
    // Clicks the show-all icon and waits until the list is filled afresh. As the program handles
    // input in order, it has then also handled everything given before.
    void showAll() const;
    std::string searchText() const;
    // Posts a change of the list's selection and waits until the list shows it. Posted messages
    // are handled in order, so the program has then handled every message posted to it before,
    // a hotkey included. The list must have rows.
    bool waitForEarlierMessages() const;
    // The screen rectangle of list row `index` (while visible).
    RECT rowRect(int index) const;

    // Answers the quit question (close icon) with `answer`.
    void quitWith(int answer);

private:
    void clickAndWaitForRefill(POINT icon) const;
    // A row the program never lists, and whether it is still there.
    void addMarker() const;
    bool marked() const;

    wt::AppProcess process_;
    HWND main_ = nullptr;
};

// Expects a message box of `pid` with exactly this text, caption and icon, saves it as `screenshot`
// when one is named, answers it with `answer` and returns true when everything matched (failures are
// reported by gtest).
bool ExpectMessageBox(DWORD pid, const std::string& text, const std::string& caption, wt::MessageBoxIcon icon,
                      int answer = IDOK, unsigned timeoutMs = 15000, const std::string& screenshot = "");

// The notice shown when an older (ANSI) window cannot take `characters` of a template.
std::string NotTakenNotice(const std::string& characters);

// The file names of the DLLs loaded in `process` now, lower case ("crypt32.dll").
std::vector<std::string> LoadedModules(HANDLE process);

// --- A target program to type into ----------------------------------------------------

// Moves the target to (x, y), clear of Velmora in the middle of the screen, and waits until it is there.
void PlaceTarget(wt::TargetProcess& target, int x = 20, int y = 60);
// Puts the pointer on the target's text box and waits until the system has it there.
void RestPointerOn(const wt::TargetProcess& target);
// Gives the target's text box the focus, rests the pointer on it and presses Ctrl+letter;
// false when the text box did not take the focus.
bool PressHotKeyOver(wt::TargetProcess& target, char letter = 'A');

// --- Starting with Windows --------------------------------------------------------------

// The current user's Run entry "Velmora", or nullopt when there is none; and its removal.
std::optional<std::string> RunEntry();
void RemoveRunEntry();

// --- Hints --------------------------------------------------------------------------------

// The text of a hint window (of any process) shown now, waiting up to `timeoutMs`.
std::optional<std::string> WaitForHint(unsigned timeoutMs);
std::optional<std::string> WaitForHintText(const std::string& expected, unsigned timeoutMs);
HWND VisibleHintWindow();
// The shell's hint (the notification area's) while one is shown.
HWND VisibleShellHint();
// Rests the pointer on the notification-area icon and reads its hint.
std::optional<std::string> TrayHint();
// Where the program's icon sits in the notification area (screen point).
POINT TrayIconPoint();
// True while any icon is in the notification area.
bool TrayHasIcon();

} // namespace vt
