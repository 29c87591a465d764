// A team connection protected the older way is protected anew, and nothing else happens to
// the stored connection on the way.
#include "TestSupport.h"

#include "store/ProtectionRenewal.h"
#include "store/TeamCache.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Bytes marked "old:" are what the older protection made: they read back, and are outdated.
std::string Older(const std::string& text) { return "old:" + FakeProtector().protect(text); }

class OlderProtector : public FakeProtector {
public:
    std::string protect(const std::string& bytes) override
    {
        if (duringProtect)
            duringProtect();
        return FakeProtector::protect(bytes);
    }
    std::string unprotect(const std::string& bytes) override
    {
        if (bytes.rfind("old:", 0) == 0)
            return FakeProtector::unprotect(bytes.substr(4));
        return readsBackWrong ? "something else" : FakeProtector::unprotect(bytes);
    }
    bool outdated(const std::string& bytes) override { return bytes.rfind("old:", 0) == 0; }

    std::function<void()> duringProtect;
    bool readsBackWrong = false;
};

TEST(ProtectionRenewal, AnOutdatedConnectionIsStoredAnewOnlyWhenThatIsSafe)
{
    const std::string text = "Driver={PostgreSQL Unicode};Server=db01;Pwd=s3cret";
    struct Case {
        const char* what;
        std::string stored; // as the desk holds it before
        std::function<void(Connection&, OlderProtector&)> arrange;
        bool renewed;
        std::string after; // the connection the desk then reads back
    };
    const Case cases[] = {
        {"outdated", Older(text), {}, true, text},
        {"current", FakeProtector().protect(text), {}, false, text},
        {"a connect while it was protected anew wins", Older(text),
         [](Connection& desk, OlderProtector& protector) {
             protector.duringProtect = [&desk] {
                 ConnectTeamLibrary(desk, FakeProtector().protect("Server=db02"), "db02", "server=\"db02\";");
             };
         },
         false, "Server=db02"},
        {"the new bytes do not read back", Older(text),
         [](Connection&, OlderProtector& protector) { protector.readsBackWrong = true; }, false, text},
        {"the file refuses the write", Older(text),
         [](Connection& desk, OlderProtector&) {
             desk.execute("CREATE TRIGGER refuse BEFORE UPDATE ON TTeamConfig BEGIN SELECT RAISE(ABORT, 'no'); END");
         },
         false, text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        Connection desk;
        desk.setConnectionText(ConnectionTextFor(folder.deliveredDatabase()));
        ConnectTeamLibrary(desk, c.stored, "db01", "server=\"db01\";");
        OlderProtector protector;
        if (c.arrange)
            c.arrange(desk, protector);
        bool renewed = false;
        try {
            renewed = RenewTeamConnectionProtection(desk, protector);
        } catch (const StoreError&) {
        }
        EXPECT_EQ(renewed, c.renewed);
        protector.readsBackWrong = false;
        const std::string stored = ReadTeamSettings(desk)->protectedConnection;
        EXPECT_EQ(protector.unprotect(stored), c.after);
        EXPECT_EQ(protector.outdated(stored), !c.renewed && c.after == text && c.stored.rfind("old:", 0) == 0);
        EXPECT_EQ(stored.find("s3cret"), std::string::npos) << "never stored readable";
    }
    // A desk without a team library has nothing to renew.
    TempFolder folder;
    Connection desk;
    desk.setConnectionText(ConnectionTextFor(folder.deliveredDatabase()));
    OlderProtector protector;
    EXPECT_FALSE(RenewTeamConnectionProtection(desk, protector));
}

} // namespace
