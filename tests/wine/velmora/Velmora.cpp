#include "Velmora.h"

#include "store/Schema.h"

#include <psapi.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace vt {

namespace {

struct Db {
    explicit Db(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
    }
    ~Db() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};

// Main-window layout places used by the tests (client coordinates).
const POINT kSearchIcon = {2 + 202 + 8, 36 + 7 + 8};
const POINT kShowAllIcon = {2 + 225 + 8, 36 + 8 + 8};
const POINT kCloseIcon = {242 + 8, 7 + 8};

BOOL CALLBACK CollectProcess(HWND window, LPARAM out)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    auto* pids = reinterpret_cast<std::vector<DWORD>*>(out);
    if (std::find(pids->begin(), pids->end(), pid) == pids->end())
        pids->push_back(pid);
    return TRUE;
}

std::vector<DWORD> AllProcessesWithWindows()
{
    std::vector<DWORD> pids;
    EnumWindows(CollectProcess, reinterpret_cast<LPARAM>(&pids));
    return pids;
}

} // namespace

void WriteDatabase(const wt::ProgramFolder& folder, const std::vector<std::string>& templates)
{
    folder.removeFile("DB.mdb");
    CreateDeliveredDatabase(folder.file("DB.mdb"), templates);
}

void RunSql(const wt::ProgramFolder& folder, const std::string& sql)
{
    Db db(folder.file("DB.mdb"));
    char* error = nullptr;
    if (sqlite3_exec(db.db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(sql + ": " + message);
    }
}

std::string QueryValue(const wt::ProgramFolder& folder, const std::string& sql)
{
    Db db(folder.file("DB.mdb"));
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db.db));
    std::string value;
    if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
        value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return value;
}

Installation::Installation(const std::vector<std::string>& templates, const std::string& folderName)
    : folder(folderName)
{
    folder.copyProgram();
    WriteDatabase(folder, templates);
}

Velmora::Velmora(const wt::ProgramFolder& folder, const std::vector<std::string>& arguments)
    : process_(folder.file("Velmora.exe"), folder.path(), arguments)
{
}

HWND Velmora::waitForMainWindow(unsigned timeoutMs)
{
    main_ = wt::WaitForWindow(process_.pid(), wt::HasClass("TMainFrm"), timeoutMs);
    return main_;
}

HWND Velmora::applicationWindow() const
{
    for (HWND window : wt::TopLevelWindows(process_.pid(), false))
        if (wt::ClassName(window) == "VelmoraApplication")
            return window;
    return nullptr;
}

HWND Velmora::list() const { return wt::FindChild(main_, "ListBox"); }

HWND Velmora::searchBox() const { return wt::FindChild(main_, "Edit"); }

POINT Velmora::screenPoint(int x, int y) const
{
    POINT p = {x, y};
    ClientToScreen(main_, &p);
    return p;
}

void Velmora::click(int x, int y) const { wt::Click(screenPoint(x, y)); }

std::vector<std::string> Velmora::listEntries() const
{
    std::vector<std::string> entries;
    HWND box = list();
    const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length < 0 ? 0 : length));
        entries.push_back(wt::Narrow(text));
    }
    return entries;
}

int Velmora::selectedIndex() const { return static_cast<int>(SendMessageW(list(), LB_GETCURSEL, 0, 0)); }

void Velmora::search(const std::string& text) const
{
    // The list follows a change of the box's text by itself: that search ends first, so that
    // the icon's is the one waited for.
    if (searchText() != text) {
        addMarker();
        SendMessageW(searchBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wt::Widen(text).c_str()));
        EXPECT_TRUE(wt::WaitUntil([&] { return !marked(); }, 5000)) << "the list did not follow the text";
    }
    clickAndWaitForRefill(kSearchIcon);
}

void Velmora::showAll() const { clickAndWaitForRefill(kShowAllIcon); }

// A row the program never writes: it goes when the program empties the list to fill it afresh.
const char* const kMarker = "(the list before the click)";

void Velmora::addMarker() const
{
    SendMessageW(list(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wt::Widen(kMarker).c_str()));
    EXPECT_TRUE(marked()) << "the list could not be marked";
}

bool Velmora::marked() const
{
    const std::vector<std::string> entries = listEntries();
    return std::find(entries.begin(), entries.end(), kMarker) != entries.end();
}

void Velmora::clickAndWaitForRefill(POINT icon) const
{
    addMarker();
    click(icon.x, icon.y);
    EXPECT_TRUE(wt::WaitUntil([&] { return !marked(); }, 5000)) << "the list was not filled again";
}

std::string Velmora::searchText() const { return wt::ControlText(searchBox()); }

bool Velmora::waitForEarlierMessages() const
{
    const int next = selectedIndex() == -1 ? 0 : -1;
    PostMessageW(list(), LB_SETCURSEL, static_cast<WPARAM>(next), 0);
    return wt::WaitUntil([&] { return selectedIndex() == next; }, 5000);
}

RECT Velmora::rowRect(int index) const
{
    RECT r = {};
    SendMessageW(list(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(list(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Velmora::quitWith(int answer)
{
    click(kCloseIcon.x, kCloseIcon.y);
    ExpectMessageBox(pid(), "是否想退出系统？", "系统提示", wt::MessageBoxIcon::Question, answer);
}

bool ExpectMessageBox(DWORD pid, const std::string& text, const std::string& caption, wt::MessageBoxIcon icon,
                      int answer, unsigned timeoutMs, const std::string& screenshot)
{
    auto box = wt::WaitForMessageBox(pid, timeoutMs);
    EXPECT_TRUE(box) << "no message box \"" << text << "\"";
    if (!box)
        return false;
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->caption, caption);
    EXPECT_EQ(box->icon, icon);
    if (!screenshot.empty()) {
        // The box and its text painted before the picture: a box just shown may not be yet.
        RedrawWindow(box->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        wt::SaveWindowScreenshot(box->hwnd, screenshot);
    }
    const bool matched = box->text == text && box->caption == caption && box->icon == icon;
    EXPECT_TRUE(wt::Answer(*box, answer));
    return matched;
}

std::string NotTakenNotice(const std::string& characters)
{
    return "目标窗口是不支持 Unicode 的旧程序,不能输入模板中的这些字符: " + characters +
           "\r这条回复没有输入。请在支持 Unicode 的程序中使用这条模板,或删除这些字符后再试。";
}

HWND VisibleHintWindow()
{
    // Hints of every process: the notification area's hint belongs to the shell.
    for (DWORD pid : AllProcessesWithWindows())
        for (HWND window : wt::TopLevelWindows(pid))
            if (wt::ClassName(window) == "tooltips_class32" || wt::ClassName(window) == "VelmoraHint")
                return window;
    return nullptr;
}

std::optional<std::string> WaitForHint(unsigned timeoutMs)
{
    std::optional<std::string> text;
    wt::WaitUntil(
        [&] {
            HWND hint = VisibleHintWindow();
            if (!hint)
                return false;
            text = wt::ControlText(hint);
            return !text->empty();
        },
        timeoutMs);
    if (text && text->empty())
        text.reset();
    return text;
}

std::optional<std::string> WaitForHintText(const std::string& expected, unsigned timeoutMs)
{
    std::optional<std::string> last;
    wt::WaitUntil(
        [&] {
            HWND hint = VisibleHintWindow();
            if (hint)
                last = wt::ControlText(hint);
            return last && *last == expected;
        },
        timeoutMs);
    return last;
}

HWND VisibleShellHint()
{
    for (HWND hint = FindWindowW(L"tooltips_class32", nullptr); hint;
         hint = FindWindowExW(nullptr, hint, L"tooltips_class32", nullptr))
        if (IsWindowVisible(hint))
            return hint;
    return nullptr;
}

namespace {
const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

std::optional<std::string> RunEntry()
{
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Velmora", RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return wt::Narrow(buffer);
}

void RemoveRunEntry() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Velmora"); }

POINT TrayIconPoint()
{
    // Without a desktop shell, Wine keeps the icons in a small tray window of its own. The
    // program adds its icon just after its window is first painted. An icon window an earlier
    // program left hidden there is passed over: resting on it would show no hint.
    HWND icon = nullptr;
    wt::WaitUntil(
        [&] {
            HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
            icon = nullptr;
            for (HWND child = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
                 child && !icon; child = FindWindowExW(tray, child, L"__winex11_tray_icon", nullptr))
                if (IsWindowVisible(child))
                    icon = child;
            return icon != nullptr;
        },
        5000);
    if (!icon)
        throw std::runtime_error("no icon in the notification area");
    return wt::Centre(wt::WindowRect(icon));
}

bool TrayHasIcon()
{
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
    return icon && IsWindowVisible(icon);
}

std::optional<std::string> TrayHint()
{
    // Off the icon first, until the shell's hint has gone, so that resting on it starts afresh.
    wt::MovePointer({500, 700});
    wt::WaitUntil([] { return !VisibleShellHint(); }, 3000);
    wt::MovePointer(TrayIconPoint());
    // Only the shell's hint: one of Velmora's own may still be on its way out.
    std::optional<std::string> text;
    wt::WaitUntil(
        [&] {
            HWND hint = VisibleShellHint();
            if (hint)
                text = wt::ControlText(hint);
            return hint && !text->empty();
        },
        5000);
    if (text && text->empty())
        text.reset();
    return text;
}

void PlaceTarget(wt::TargetProcess& target, int x, int y)
{
    SetWindowPos(target.window(), nullptr, x, y, 320, 220, SWP_NOZORDER);
    EXPECT_TRUE(wt::WaitUntil([&] { return WindowFromPoint(target.editCentre()) == target.edit(); }, 3000));
}

// Keys pressed at once after the click that gave the focus can reach the text box before
// Wine has finished the focus change, and nothing shows when it has: a short rest stays.
void RestPointerOn(const wt::TargetProcess& target)
{
    const POINT at = target.editCentre();
    wt::MovePointer(at);
    wt::WaitUntil([&] { return wt::PointerPosition().x == at.x && wt::PointerPosition().y == at.y; }, 1000);
    wt::Pause(100);
}

bool PressHotKeyOver(wt::TargetProcess& target, char letter)
{
    if (!target.focusEdit())
        return false;
    RestPointerOn(target);
    wt::PressCtrlLetter(letter);
    return true;
}

std::vector<std::string> LoadedModules(HANDLE process)
{
    std::vector<HMODULE> modules(256);
    DWORD needed = 0;
    if (!EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed))
        return {};
    modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
    std::vector<std::string> names;
    for (HMODULE module : modules) {
        wchar_t name[MAX_PATH] = {};
        if (GetModuleBaseNameW(process, module, name, MAX_PATH)) {
            std::string narrow = wt::Narrow(name);
            std::transform(narrow.begin(), narrow.end(), narrow.begin(),
                           [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
            names.push_back(narrow);
        }
    }
    return names;
}

} // namespace vt
