// The team library as IT sets it by policy, and as an agent joins it from the tray menu's
// window "团队模板库…", against the private PostgreSQL scripts/test.sh starts (without it these
// cases skip). The policy is written into the prefix's registry, where Group Policy writes it.
// Before windows.h, which the others bring in.
#include <winsock2.h>

#include "Menus.h"
#include "Relay.h"
#include "Tool.h"
#include "Velmora.h"

#include "app/TeamJoinLayout.h"

#include <gtest/gtest.h>

using vt::Installation;
using vt::Velmora;
using Entries = std::vector<std::string>;

namespace {

const wchar_t* const kPolicyKey = L"Software\\Policies\\Velmora";

// The policy key in both hives, removed whatever the case's end: the prefix is shared.
class Policy {
public:
    Policy() { remove(); }
    ~Policy() { remove(); }
    void set(HKEY hive, const wchar_t* name, const std::string& text)
    {
        const std::wstring wide = wt::Widen(text);
        write(hive, name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    }
    void set(HKEY hive, const wchar_t* name, DWORD number) { write(hive, name, REG_DWORD, &number, sizeof number); }
    void remove()
    {
        for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            RegDeleteKeyExW(hive, kPolicyKey, KEY_WOW64_64KEY, 0);
    }

private:
    static void write(HKEY hive, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(hive, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

void Publish(const std::string& lead, const Entries& texts)
{
    wt::ProgramFolder folder("组长");
    vt::WriteDatabase(folder, texts);
    ASSERT_EQ(vt::RunTool(folder, {"team", "init", lead}).exitCode, 0u);
    const vt::ToolRun publish = vt::RunTool(folder, {"team", "publish", folder.file("DB.mdb"), lead});
    ASSERT_EQ(publish.exitCode, 0u) << publish.output;
}

// The value of `key` in a connection text as the test server writes it ("Key=value;").
std::string ValueOf(const std::string& text, const std::string& key)
{
    const size_t at = text.find(key + "=");
    const size_t from = at + key.size() + 1;
    return at == std::string::npos ? std::string() : text.substr(from, text.find(';', from) - from);
}

std::string WithoutPassword(const std::string& text) { return text.substr(0, text.find("Pwd=")); }

bool ListBecomes(const Velmora& velmora, const Entries& expected, unsigned timeoutMs = 20000)
{
    return wt::WaitUntil([&] { return velmora.listEntries() == expected; }, timeoutMs);
}

bool HintHas(const std::string& part, unsigned timeoutMs = 20000)
{
    return wt::WaitUntil(
        [&] {
            const std::optional<std::string> hint = vt::TrayHint();
            return hint && hint->find(part) != std::string::npos;
        },
        timeoutMs);
}

bool HasTeamTables(const Installation& app)
{
    try {
        return vt::QueryValue(app.folder, "select count(*) from sqlite_master where name='TTeamConfig'") == "1";
    } catch (const std::exception&) {
        return true; // written just then: asked again
    }
}

// The join window as the agent opens it from the tray menu.
class JoinWindow {
public:
    explicit JoinWindow(const Velmora& velmora)
    {
        for (int attempt = 0; attempt < 2 && !window_; ++attempt) {
            vt::ChooseTrayItem(vt::TrayItem::TeamLibrary);
            window_ = wt::WaitForWindow(velmora.pid(), wt::HasClass("TTeamJoinFrm"), 5000);
        }
    }
    HWND window() const { return window_; }
    HWND control(TeamJoinControl id) const { return GetDlgItem(window_, TeamJoinControlId(id)); }
    std::string text(TeamJoinControl id) const { return wt::Narrow(wt::ControlTextUtf16(control(id))); }
    void type(TeamJoinControl id, const std::string& text) const
    {
        SendMessageW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wt::Widen(text).c_str()));
    }
    bool readOnly(TeamJoinControl id) const { return (GetWindowLongW(control(id), GWL_STYLE) & ES_READONLY) != 0; }
    bool enabled(TeamJoinControl id) const { return IsWindowEnabled(control(id)) != FALSE; }
    void click(TeamJoinControl id) const
    {
        const RECT r = wt::WindowRect(control(id));
        wt::Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    bool stateSays(const std::string& part, unsigned timeoutMs = 15000) const
    {
        return wt::WaitUntil([&] { return text(TeamJoinControl::State).find(part) != std::string::npos; }, timeoutMs);
    }
    void close() const
    {
        RECT r = wt::WindowRect(window_);
        wt::Click({r.left + 347 + 8, r.top + 9 + 8});
        EXPECT_TRUE(wt::WaitForWindowGone(window_, 5000));
    }

private:
    HWND window_ = nullptr;
};

} // namespace

// No `team connect`: the policy alone connects the desk (HKLM over HKCU), the password it leaves
// out is entered in the join window, another library named by the policy moves the desk, and
// the policy's removal takes the team's rows away. No box on the way.
TEST(TeamPolicy, APolicyConnectsTheDeskMovesItAndTakesItsRowsAwayWhenRemoved)
{
    TEAM_SERVER_OR_SKIP(lead, desk);
    Publish(lead, {"团队：策略一", "团队：策略二"});
    Installation app({"本机：您好"});
    const vt::SilentListener nobody;
    Policy policy;
    policy.set(HKEY_LOCAL_MACHINE, L"TeamConnection", WithoutPassword(desk));
    policy.set(HKEY_LOCAL_MACHINE, L"TeamCheckSeconds", 1);
    policy.set(HKEY_CURRENT_USER, L"TeamConnection", vt::WithPort(desk, nobody.port()));

    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    EXPECT_TRUE(HintHas("由管理员设置的团队模板：离线")) << vt::TrayHint().value_or("");
    EXPECT_EQ(velmora.listEntries(), Entries{"本机：您好"});
    {
        JoinWindow join(velmora);
        ASSERT_TRUE(join.window());
        EXPECT_EQ(join.text(TeamJoinControl::Server), "127.0.0.1");
        EXPECT_EQ(join.text(TeamJoinControl::User), ValueOf(desk, "Uid"));
        EXPECT_TRUE(join.readOnly(TeamJoinControl::Server));
        EXPECT_FALSE(join.readOnly(TeamJoinControl::Password));
        EXPECT_FALSE(join.enabled(TeamJoinControl::Leave));
        EXPECT_TRUE(join.stateSays("连接设置：由管理员设置"));
        EXPECT_TRUE(join.stateSays("管理员设置的连接没有密码"));
        join.type(TeamJoinControl::Password, ValueOf(desk, "Pwd"));
        join.click(TeamJoinControl::Join);
        EXPECT_TRUE(ListBecomes(velmora, {"本机：您好", "团队：策略一", "团队：策略二"}))
            << join.text(TeamJoinControl::State);
        EXPECT_TRUE(join.stateSays("团队模板：2 条"));
        wt::SaveWindowScreenshot(join.window(), "team_join_policy.png");
        join.close();
    }
    EXPECT_EQ(app.folder.readFile("DB.mdb").find(ValueOf(desk, "Pwd")), std::string::npos)
        << "the password lies readable in DB.mdb";
    const vt::ToolRun status = vt::RunTool(app.folder, {"team", "status", app.folder.file("DB.mdb")});
    EXPECT_TRUE(vt::Says(status, "  服务器：127.0.0.1（由管理员设置）")) << status.output;
    EXPECT_TRUE(vt::Says(status, "  检查间隔：1 秒（由管理员设置）")) << status.output;

    // Another library (the same server through a relay of its own, closed): the old rows go at once.
    vt::Relay relay(vt::PortOf(desk));
    relay.close();
    policy.set(HKEY_LOCAL_MACHINE, L"TeamConnection", vt::WithPort(desk, relay.port()));
    EXPECT_TRUE(ListBecomes(velmora, {"本机：您好"})) << velmora.listEntries().size();
    EXPECT_TRUE(HintHas("由管理员设置的团队模板：离线"));
    ASSERT_TRUE(relay.open());
    EXPECT_TRUE(ListBecomes(velmora, {"本机：您好", "团队：策略一", "团队：策略二"}));
    EXPECT_TRUE(HintHas("由管理员设置的团队模板：在线"));

    // The policy's sets in place of the desk's default one.
    {
        wt::ProgramFolder folder("组长");
        vt::WriteDatabase(folder, {"售前：报价"});
        const vt::ToolRun publish =
            vt::RunTool(folder, {"team", "publish", folder.file("DB.mdb"), lead, "--set", "售前"});
        ASSERT_EQ(publish.exitCode, 0u) << publish.output;
    }
    policy.set(HKEY_CURRENT_USER, L"TeamSets", "售前");
    EXPECT_TRUE(ListBecomes(velmora, {"本机：您好", "售前：报价"})) << velmora.listEntries().size();

    policy.remove();
    EXPECT_TRUE(ListBecomes(velmora, {"本机：您好"}));
    EXPECT_TRUE(wt::WaitUntil([&] { return !HasTeamTables(app); }, 10000));
    EXPECT_TRUE(wt::WaitUntil([] { return vt::TrayHint().value_or("团队").find("团队") == std::string::npos; }, 10000))
        << vt::TrayHint().value_or("");
    // Set again while the desk has no library: Group Policy's notice after it applied brings it at once.
    policy.set(HKEY_LOCAL_MACHINE, L"TeamConnection", desk);
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    EXPECT_TRUE(ListBecomes(velmora, {"本机：您好", "团队：策略一", "团队：策略二"}));
    EXPECT_FALSE(wt::WaitForMessageBox(velmora.pid(), 100));
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(10000));
}

// An agent joins without a command line: a wrong password says one sentence and stores
// nothing, the right one lists the team's rows, and leaving takes them away after one question.
TEST(TeamJoin, AWrongPasswordSaysOneSentenceTheRightOneListsTheTeamsRowsAndLeavingTakesThemAway)
{
    TEAM_SERVER_OR_SKIP(lead, desk);
    Publish(lead, {"团队：加入一", "团队：加入二"});
    Installation app({"本机：您好"});
    Velmora velmora(app.folder);
    ASSERT_TRUE(velmora.waitForMainWindow());
    JoinWindow join(velmora);
    ASSERT_TRUE(join.window());
    EXPECT_TRUE(join.stateSays("这台电脑没有使用团队模板库。"));
    EXPECT_FALSE(join.enabled(TeamJoinControl::Leave));
    join.type(TeamJoinControl::Server, "127.0.0.1");
    join.type(TeamJoinControl::Port, std::to_string(vt::PortOf(desk)));
    join.type(TeamJoinControl::Database, ValueOf(desk, "Database"));
    join.type(TeamJoinControl::User, ValueOf(desk, "Uid"));
    join.type(TeamJoinControl::Password, "not-the-password");
    join.click(TeamJoinControl::Join);
    EXPECT_TRUE(join.stateSays("数据库服务器拒绝登录")) << join.text(TeamJoinControl::State);
    EXPECT_EQ(join.text(TeamJoinControl::State).find("not-the-password"), std::string::npos);
    EXPECT_FALSE(HasTeamTables(app)) << "a connection that failed was stored";
    EXPECT_FALSE(wt::WaitForMessageBox(velmora.pid(), 100));

    join.type(TeamJoinControl::Password, ValueOf(desk, "Pwd"));
    join.click(TeamJoinControl::Test);
    EXPECT_TRUE(join.stateSays("连接成功，团队模板库有 2 条模板")) << join.text(TeamJoinControl::State);
    join.click(TeamJoinControl::Join);
    EXPECT_TRUE(ListBecomes(velmora, {"本机：您好", "团队：加入一", "团队：加入二"}))
        << join.text(TeamJoinControl::State);
    EXPECT_TRUE(join.stateSays("状态：在线")) << join.text(TeamJoinControl::State);
    EXPECT_TRUE(join.stateSays("团队模板：2 条"));
    EXPECT_TRUE(join.enabled(TeamJoinControl::Leave));
    wt::SaveWindowScreenshot(join.window(), "team_join.png");

    join.click(TeamJoinControl::Leave);
    auto box = wt::WaitForMessageBox(velmora.pid(), 5000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "系统提示");
    EXPECT_EQ(box->text, "断开后这台电脑不再使用团队模板库，列表中的团队模板也会去掉。是否断开？");
    EXPECT_EQ(box->icon, wt::MessageBoxIcon::Question);
    ASSERT_TRUE(wt::Answer(*box, IDYES));
    EXPECT_TRUE(ListBecomes(velmora, {"本机：您好"}));
    EXPECT_TRUE(join.stateSays("这台电脑没有使用团队模板库。"));
    EXPECT_FALSE(HasTeamTables(app));
    join.close();
    velmora.quitWith(IDYES);
    EXPECT_TRUE(velmora.process().waitForExit(10000));
}
