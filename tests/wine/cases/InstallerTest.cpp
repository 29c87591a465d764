// The setup program ($VELMORA_INSTALLER) as a user meets it: a silent per-user install into the local
// programs folder that starts Velmora with Windows, the installed program started, an upgrade over an
// installation that holds the user's templates and backups and keeps the choice of starting with
// Windows, and a silent uninstall that removes the program and its Run entry and keeps the data. The
// MSI ($VELMORA_MSI, and $VELMORA_MSI_NEWER to upgrade) the same way through msiexec.
#include "Velmora.h"

#include <shlobj.h>
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
const POINT kCloseIcon = {242 + 8, 7 + 8}; // the main window's close icon (client coordinates)

std::string ExpandedPath(const std::string& text)
{
    wchar_t buffer[MAX_PATH * 2] = {};
    ExpandEnvironmentStringsW(wt::Widen(text).c_str(), buffer, MAX_PATH * 2);
    return wt::Narrow(buffer);
}

std::string ShellFolder(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        throw std::runtime_error("SHGetFolderPathW failed");
    return wt::Narrow(buffer);
}

bool Exists(const std::string& path) { return GetFileAttributesW(wt::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::string& path)
{
    wt::UniqueHandle file(
        CreateFileW(wt::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return "(missing)";
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    wt::UniqueHandle file(
        CreateFileW(wt::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr))
        throw std::runtime_error(wt::LastErrorText("writing " + path));
}

// The first column of the first row of `sql` on a database file, as text; "" without rows.
std::string Query(const std::string& database, const std::string& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + database);
    }
    sqlite3_stmt* stmt = nullptr;
    std::string value;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW && sqlite3_column_text(stmt, 0))
            value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    const std::string error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw std::runtime_error(sql + ": " + error);
    return value;
}

// The value `name` of the uninstall registration, or nullopt when the key or value is missing.
std::optional<std::string> Registration(const char* name)
{
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, wt::Widen(kUninstallKey).c_str(), wt::Widen(name).c_str(), RRF_RT_REG_SZ,
                     nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return wt::Narrow(buffer);
}

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wt::Widen(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = wt::Narrow(found.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Runs a setup or uninstall program and returns its exit code; -1 when it did not end in time.
long RunToEnd(const std::string& exe, const std::vector<std::string>& arguments, const std::string& folder)
{
    wt::AppProcess process(exe, folder, arguments);
    if (!process.waitForExit(60000))
        return -1;
    return long(process.exitCode());
}

// The per-user installation the setup program makes. Removed before and after the test, so that
// what the test sees was made by this run.
struct InstalledCopy {
    InstalledCopy()
        : folder(ExpandedPath("%LOCALAPPDATA%\\Programs\\Velmora")),
          shortcut(ShellFolder(CSIDL_PROGRAMS) + "\\Velmora.lnk")
    {
        clear();
    }
    ~InstalledCopy() { clear(); }
    void clear() const
    {
        if (folder.find('%') != std::string::npos)
            return; // LOCALAPPDATA unset: no path of ours to clear
        wt::RemoveFolderTree(folder);
        DeleteFileW(wt::Widen(shortcut).c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, wt::Widen(kUninstallKey).c_str());
    }
    std::string file(const std::string& name) const { return folder + "\\" + name; }

    const std::string folder;
    const std::string shortcut;
};

const wchar_t* const kPolicyKey = L"Software\\Policies\\Velmora";

// The current user's policy value `name` as text (a number as its decimal digits); nullopt when missing.
std::optional<std::string> Policy(const wchar_t* name)
{
    BYTE data[2048] = {};
    DWORD size = sizeof data, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kPolicyKey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD)
        return std::to_string(*reinterpret_cast<DWORD*>(data));
    return wt::Narrow(reinterpret_cast<wchar_t*>(data));
}

long Msiexec(const std::vector<std::string>& arguments, const std::string& folder)
{
    return RunToEnd(ExpandedPath("%SystemRoot%\\system32\\msiexec.exe"), arguments, folder);
}

} // namespace

TEST(Installer, InstallsPerUserUpgradesOverDataAndUninstallsKeepingIt)
{
    const std::string setup = wt::RequiredEnvironmentPath("VELMORA_INSTALLER");
    const std::string builtProgram = ReadBytes(wt::RequiredEnvironmentPath("VELMORA_EXE"));
    wt::ProgramFolder scratch; // the setup programs' working folder, and where the uninstaller runs from
    InstalledCopy installed;
    ASSERT_EQ(installed.folder.find('%'), std::string::npos) << "LOCALAPPDATA is not set";
    ASSERT_EQ(installed.folder.find(' '), std::string::npos) << "_?= takes no quotes: " << installed.folder;

    // A silent first install: the program as built, the delivered database, the shortcut, the registration.
    ASSERT_EQ(RunToEnd(setup, {"/S"}, scratch.path()), 0);
    ASSERT_TRUE(Exists(installed.file("Velmora.exe"))) << installed.folder;
    EXPECT_TRUE(ReadBytes(installed.file("Velmora.exe")) == builtProgram)
        << "the installed program is not the built one";
    EXPECT_EQ(Query(installed.file("DB.mdb"), "SELECT THotKeyItem IS NOT NULL FROM Tconfig WHERE TID = 1"), "1");
    EXPECT_TRUE(Exists(installed.file("Uninstall.exe")));
    EXPECT_TRUE(Exists(installed.shortcut)) << installed.shortcut;
    EXPECT_EQ(Registration("InstallLocation"), installed.folder);
    EXPECT_EQ(Registration("DisplayVersion"), "1.0");
    EXPECT_EQ(Registration("UninstallString"), "\"" + installed.file("Uninstall.exe") + "\"");
    const std::string startCommand = "\"" + installed.file("Velmora.exe") + "\" /autostart";
    EXPECT_EQ(vt::RunEntry(), startCommand) << "ticked by default";

    {
        // The installed program starts and shows its main window; while it runs, setup refuses to replace it.
        wt::AppProcess velmora(installed.file("Velmora.exe"), installed.folder);
        HWND main = wt::WaitForWindow(velmora.pid(), wt::HasClass("TMainFrm"), 15000);
        ASSERT_TRUE(main);
        // The picture once the title band and the list's second row have been painted.
        const RECT client = wt::ClientRectOnScreen(main);
        wt::WaitForPixel({client.left + 3, client.top + 20}, RGB(0, 128, 255));
        wt::WaitForPixel({client.left + 260, client.top + 69 + 22 + 2}, RGB(230, 230, 242));
        wt::SaveWindowScreenshot(main, "installer_installed_main.png");
        EXPECT_NE(RunToEnd(setup, {"/S"}, scratch.path()), 0);
        EXPECT_TRUE(velmora.running());

        POINT close = kCloseIcon;
        ClientToScreen(main, &close);
        wt::Click(close);
        vt::ExpectMessageBox(velmora.pid(), "是否想退出系统？", "系统提示", wt::MessageBoxIcon::Question, IDYES);
        ASSERT_TRUE(velmora.waitForExit(15000));
    }

    // The user's own template and a backup; an old program file that an upgrade must replace.
    Query(installed.file("DB.mdb"), "INSERT INTO TText (TText) VALUES ('升级后还在的模板')");
    wt::MakeFolders(installed.file("DatabackUp"));
    WriteBytes(installed.file("DatabackUp\\20240102030405.bk"), "backup");
    WriteBytes(installed.file("Velmora.exe"), "old program");

    // Turned off in the tray menu: an upgrade keeps it off, unless told otherwise.
    vt::RemoveRunEntry();
    ASSERT_EQ(RunToEnd(setup, {"/S"}, scratch.path()), 0);
    EXPECT_FALSE(vt::RunEntry()) << "the upgrade turned the start with Windows on again";
    EXPECT_TRUE(ReadBytes(installed.file("Velmora.exe")) == builtProgram) << "the upgrade did not replace the program";
    ASSERT_EQ(RunToEnd(setup, {"/S", "/AUTOSTART=1"}, scratch.path()), 0);
    EXPECT_EQ(vt::RunEntry(), startCommand);
    ASSERT_EQ(RunToEnd(setup, {"/S", "/AUTOSTART=0"}, scratch.path()), 0);
    EXPECT_FALSE(vt::RunEntry());
    ASSERT_EQ(RunToEnd(setup, {"/S", "/AUTOSTART=1"}, scratch.path()), 0);
    EXPECT_EQ(Query(installed.file("DB.mdb"), "SELECT COUNT(*) FROM TText WHERE TText = '升级后还在的模板'"), "1");
    EXPECT_EQ(ReadBytes(installed.file("DatabackUp\\20240102030405.bk")), "backup");

    // A silent uninstall, run the way the uninstaller runs itself (a copy elsewhere, told the folder).
    scratch.copyIn(installed.file("Uninstall.exe"), "Uninstall.exe");
    ASSERT_EQ(RunToEnd(scratch.file("Uninstall.exe"), {"/S", "_?=" + installed.folder}, scratch.path()), 0);
    EXPECT_EQ(Names(installed.folder), (std::vector<std::string>{"DB.mdb", "DatabackUp"}));
    EXPECT_FALSE(Exists(installed.shortcut));
    EXPECT_FALSE(Registration("InstallLocation"));
    EXPECT_FALSE(vt::RunEntry()) << "the uninstaller left the start with Windows";
    EXPECT_EQ(Query(installed.file("DB.mdb"), "SELECT COUNT(*) FROM TText WHERE TText = '升级后还在的模板'"), "1");
    EXPECT_EQ(ReadBytes(installed.file("DatabackUp\\20240102030405.bk")), "backup");
}

TEST(Installer, MsiInstallsSilentlyUpgradesKeepingTheDataAndUninstalls)
{
    const std::string msi = wt::RequiredEnvironmentPath("VELMORA_MSI");
    const std::string newer = wt::RequiredEnvironmentPath("VELMORA_MSI_NEWER");
    const std::string builtProgram = ReadBytes(wt::RequiredEnvironmentPath("VELMORA_EXE"));
    wt::ProgramFolder scratch;
    InstalledCopy installed;
    RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    ASSERT_EQ(installed.folder.find('%'), std::string::npos) << "LOCALAPPDATA is not set";

    // IT's silent install: no start with Windows, the team library by policy.
    ASSERT_EQ(Msiexec({"/i", msi, "/qn", "AUTOSTART=0", "TEAMCONNECTION=Driver={PostgreSQL Unicode};Server=db;",
                       "TEAMSETS=售后", "TEAMCHECKSECONDS=90"},
                      scratch.path()),
              0);
    EXPECT_TRUE(ReadBytes(installed.file("Velmora.exe")) == builtProgram);
    EXPECT_EQ(Names(installed.folder),
              (std::vector<std::string>{"DB.mdb", "Help.chm", "Velmora.exe", "VelmoraDb.exe"}));
    EXPECT_TRUE(Exists(installed.shortcut)) << installed.shortcut;
    EXPECT_FALSE(vt::RunEntry()) << "AUTOSTART=0";
    EXPECT_EQ(Policy(L"TeamConnection"), "Driver={PostgreSQL Unicode};Server=db;");
    EXPECT_EQ(Policy(L"TeamSets"), "售后");
    EXPECT_EQ(Policy(L"TeamCheckSeconds"), "90");

    // The agent's templates and a backup; then a newer build, with the defaults.
    Query(installed.file("DB.mdb"), "INSERT INTO TText (TText) VALUES ('升级后还在的模板')");
    wt::MakeFolders(installed.file("DatabackUp"));
    WriteBytes(installed.file("DatabackUp\\20240102030405.bk"), "backup");
    ASSERT_EQ(Msiexec({"/i", newer, "/qn"}, scratch.path()), 0);
    EXPECT_TRUE(ReadBytes(installed.file("Velmora.exe")) == builtProgram);
    EXPECT_EQ(Query(installed.file("DB.mdb"), "SELECT COUNT(*) FROM TText WHERE TText = '升级后还在的模板'"), "1");
    EXPECT_EQ(ReadBytes(installed.file("DatabackUp\\20240102030405.bk")), "backup");
    EXPECT_EQ(vt::RunEntry(), "\"" + installed.file("Velmora.exe") + "\" /autostart");
    EXPECT_EQ(Policy(L"TeamSets"), "售后") << "an upgrade that does not name the policy keeps it";

    ASSERT_EQ(Msiexec({"/x", newer, "/qn"}, scratch.path()), 0);
    EXPECT_EQ(Names(installed.folder), (std::vector<std::string>{"DB.mdb", "DatabackUp"}));
    EXPECT_FALSE(Exists(installed.shortcut));
    EXPECT_FALSE(vt::RunEntry()) << "the uninstall left the start with Windows";
    EXPECT_EQ(Query(installed.file("DB.mdb"), "SELECT COUNT(*) FROM TText WHERE TText = '升级后还在的模板'"), "1");
    RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
}
