// The team library set by policy: which value wins (HKLM, HKCU, the desk's own), what the
// cache holds when the policy comes, changes and goes, and the join window's connection text.
#include "TestSupport.h"

#include "app/TeamJoin.h"
#include "app/TeamPolicy.h"
#include "store/Connection.h"
#include "store/TeamCache.h"
#include "store/TeamConnectionText.h"

#include <gtest/gtest.h>

namespace {

const char* const kPolicyA = "Driver={PostgreSQL Unicode};Server=db01;Database=team_a;Uid=desk;Pwd=a;";
const char* const kPolicyB = "Driver={PostgreSQL Unicode};Server=db02;Database=team_b;Uid=desk;";

TeamSettings Own(const std::string& identity = "own")
{
    TeamSettings settings;
    settings.protectedConnection = "protected";
    settings.server = "db09";
    settings.identity = identity;
    settings.checkSeconds = 120;
    return settings;
}

// One hive's values; null and 0 for a value not set.
TeamPolicyValues Hive(const char* connection, const char* sets = nullptr, long long seconds = 0)
{
    TeamPolicyValues values;
    if (connection)
        values.connection = connection;
    if (sets)
        values.sets = sets;
    if (seconds)
        values.checkSeconds = seconds;
    return values;
}

} // namespace

TEST(TeamPolicy, EachValueTakesHklmThenHkcuThenTheDesksOwn)
{
    TeamSettings withPassword = Own();
    withPassword.policyPassword = "protected password";
    withPassword.policyPasswordIdentity = TeamConnectionIdentity(kPolicyB);
    TeamSettings passwordForAnother = withPassword;
    passwordForAnother.policyPasswordIdentity = TeamConnectionIdentity(kPolicyA);
    struct Case {
        const char* name;
        TeamPolicy policy;
        std::optional<TeamSettings> own;
        bool active, byPolicy;
        std::string server;
        bool needsPassword;
        int checkSeconds;
        bool checkByPolicy;
        std::vector<std::string> sets;
    };
    const Case cases[] = {
        {"nothing", {}, std::nullopt, false, false, "", false, 300, false, {}},
        {"own only", {}, Own(), true, false, "db09", false, 120, false, {}},
        {"HKCU over own", {Hive(nullptr), Hive(kPolicyA)}, Own(), true, true, "db01", false, 120, false, {}},
        {"HKLM over HKCU",
         {Hive(kPolicyB, nullptr, 60), Hive(kPolicyA, nullptr, 30)},
         Own(),
         true,
         true,
         "db02",
         true,
         60,
         true,
         {}},
        {"blank HKLM",
         {Hive("  "), Hive(kPolicyA, nullptr, 30)},
         std::nullopt,
         true,
         true,
         "db01",
         false,
         30,
         true,
         {}},
        {"longer than a day",
         {Hive(nullptr), Hive(nullptr, nullptr, 999999)},
         Own(),
         true,
         false,
         "db09",
         false,
         86400,
         true,
         {}},
        {"password entered", {Hive(kPolicyB), Hive(nullptr)}, withPassword, true, true, "db02", false, 120, false, {}},
        {"password for another",
         {Hive(kPolicyB), Hive(nullptr)},
         passwordForAnother,
         true,
         true,
         "db02",
         true,
         120,
         false,
         {}},
        {"windows sign-in",
         {Hive("Driver={ODBC Driver 17 for SQL Server};Server=db03;Database=t;Trusted_Connection=yes;"), Hive(nullptr)},
         std::nullopt,
         true,
         true,
         "db03",
         false,
         300,
         false,
         {}},
        {"sets",
         {Hive(nullptr, "甲， 乙,甲,"), Hive(nullptr, "丙")},
         Own(),
         true,
         false,
         "db09",
         false,
         120,
         false,
         {"甲", "乙"}},
    };
    for (const Case& c : cases) {
        const TeamChoice choice = ChooseTeam(c.policy, c.own);
        EXPECT_EQ(choice.active, c.active) << c.name;
        EXPECT_EQ(choice.connectionByPolicy, c.byPolicy) << c.name;
        EXPECT_EQ(choice.server, c.server) << c.name;
        EXPECT_EQ(choice.needsPassword, c.needsPassword) << c.name;
        EXPECT_EQ(choice.checkSeconds, c.checkSeconds) << c.name;
        EXPECT_EQ(choice.checkSecondsByPolicy, c.checkByPolicy) << c.name;
        EXPECT_EQ(choice.sets, c.sets) << c.name;
        EXPECT_EQ(choice.setsByPolicy, !c.sets.empty()) << c.name;
    }
}

// The cache belongs to the connection in use; the desk's own setting outlives a policy.
TEST(TeamPolicy, APolicyMovesTheCacheAndItsRemovalGivesTheDeskBackItsOwnSetting)
{
    TempFolder folder;
    Connection desk;
    desk.setConnectionText(ConnectionTextFor(folder.deliveredDatabase({"本机"})));
    FakeProtector protector;
    const std::string own = "Driver={PostgreSQL Unicode};Server=db09;Database=mine;Uid=desk;Pwd=x;";
    ConnectTeamLibrary(desk, protector.protect(own), "db09", TeamConnectionIdentity(own));
    StoreTeamTemplates(desk, {{1, "本机库的一条", 0}}, {1, "g"}, "", 1);
    const auto policyOf = [](const char* text) { return TeamPolicy{Hive(text), Hive(nullptr)}; };

    bool emptied = false;
    EXPECT_TRUE(SettleTeamLibrary(desk, policyOf(kPolicyB), &emptied).needsPassword);
    EXPECT_TRUE(emptied);
    EXPECT_TRUE(ReadTeamCache(desk).empty());
    EXPECT_EQ(ReadTeamSettings(desk)->identity, TeamConnectionIdentity(own)) << "the desk's own setting was replaced";
    EXPECT_EQ(protector.unprotect(ReadTeamSettings(desk)->protectedConnection), own);

    // The password entered for the policy's connection; `team connect` meanwhile keeps the policy's cache.
    StorePolicyPassword(desk, TeamConnectionIdentity(kPolicyB), protector.protect("b"));
    StoreTeamTemplates(desk, {{1, "策略库的一条", 0}}, {1, "g"}, "", 1);
    ConnectTeamLibrary(desk, protector.protect(own), "db09", TeamConnectionIdentity(own), {}, {},
                       TeamConnectionIdentity(kPolicyB));
    const TeamChoice choice = SettleTeamLibrary(desk, policyOf(kPolicyB), &emptied);
    EXPECT_FALSE(emptied);
    EXPECT_FALSE(choice.needsPassword);
    EXPECT_EQ(ReadTeamCache(desk).size(), 1u);
    EXPECT_EQ(PolicyConnectionText(choice, *ReadTeamSettings(desk), protector), std::string(kPolicyB) + "Pwd=b;");
    // Another policy's connection gets none of it.
    const TeamChoice other = SettleTeamLibrary(desk, policyOf(kPolicyA), &emptied);
    EXPECT_TRUE(emptied);
    EXPECT_EQ(PolicyConnectionText(other, *ReadTeamSettings(desk), protector), kPolicyA);

    // Removed: the desk's own library again, its cache to be read anew.
    EXPECT_EQ(SettleTeamLibrary(desk, {}, &emptied).identity, TeamConnectionIdentity(own));
    EXPECT_TRUE(ReadTeamCache(desk).empty());
    EXPECT_FALSE(ReadTeamSettings(desk)->version);
}

TEST(TeamPolicy, TheJoinWindowsFieldsMakeTheConnectionTextAndBack)
{
    struct Case {
        JoinFields fields;
        std::string text, error;
    };
    const std::vector<Case> cases = {
        {{ServerKind::PostgreSql, " db01 ", "5432", "客服", "desk", "p;w"},
         "Driver={PostgreSQL Unicode};Server=db01;Port=5432;Database=客服;Uid=desk;Pwd={p;w};",
         ""},
        {{ServerKind::SqlServer, "db01", "1433", "kefu", "", ""},
         "Driver={ODBC Driver 17 for SQL Server};Server=db01,1433;Database=kefu;Trusted_Connection=yes;",
         ""},
        {{ServerKind::PostgreSql, "", "", "kefu", "desk", ""}, "", "请填写服务器的名字或地址"},
        {{ServerKind::PostgreSql, "db01", "70000", "kefu", "desk", ""}, "", "端口应是 1 到 65535 之间的数字"},
        {{ServerKind::PostgreSql, "db01", "", "", "desk", ""}, "", "请填写数据库的名字"},
        {{ServerKind::PostgreSql, "db01", "", "kefu", "", ""}, "", "请填写用户名"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(JoinConnectionText(c.fields, error), c.text);
        EXPECT_EQ(error, c.error);
        if (c.text.empty())
            continue;
        const JoinFields back = JoinFieldsOf(c.text);
        EXPECT_EQ(back.kind, c.fields.kind) << c.text;
        EXPECT_EQ(back.server + "|" + back.port + "|" + back.database + "|" + back.user + "|" + back.password,
                  "db01|" + c.fields.port + "|" + c.fields.database + "|" + c.fields.user + "|")
            << c.text;
    }
}
