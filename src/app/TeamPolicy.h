#pragma once
// The team library as IT sets it by policy: the values under Software\Policies\Velmora, in
// HKLM and in HKCU, against the desk's own setting (`team connect`, the join window). A value
// set by policy wins over the desk's own, HKLM's over HKCU's, each value on its own; a value
// the policy no longer sets gives the desk back its own. Portable: the registry is read by
// PolicyRegistry (Windows), the rule is here.
#include "store/TeamCache.h"

#include <optional>
#include <string>
#include <vector>

class Connection;
class Protector;

// How a value set by policy is shown: in `team status`, the tray hint and the join window.
inline constexpr const char* kSetByAdministrator = "由管理员设置";

// The values of one hive; a value not set there is empty.
struct TeamPolicyValues {
    std::optional<std::string> connection; // TeamConnection (REG_SZ): an ODBC connection text
    std::optional<std::string> sets;       // TeamSets (REG_SZ): the sets, separated by commas
    std::optional<long long> checkSeconds; // TeamCheckSeconds (REG_DWORD)
};

struct TeamPolicy {
    TeamPolicyValues machine; // HKLM
    TeamPolicyValues user;    // HKCU
};

// The team library a desk uses, all things considered.
struct TeamChoice {
    bool active = false;             // the desk uses a team library at all
    bool connectionByPolicy = false; // the connection is the policy's
    std::string policyConnection;    // the policy's text as IT wrote it; empty otherwise
    // The policy's text names no password and none was entered for it on this desk: the join
    // window asks for it; until then the server refuses the login.
    bool needsPassword = false;
    std::string identity; // the connection in use without its password: the cache belongs to it
    std::string server;   // for people to read
    int checkSeconds = kDefaultTeamCheckSeconds;
    bool checkSecondsByPolicy = false;
    std::vector<std::string> sets; // the sets the desk lists, in order; empty: the default set
    bool setsByPolicy = false;
};

// The policy's values and the desk's own settings (none: the desk never joined) as the desk
// uses them. Empty texts and intervals below a second count as not set; a longer interval than
// a day is a day.
TeamChoice ChooseTeam(const TeamPolicy& policy, const std::optional<TeamSettings>& settings);

// Brings DB.mdb in line with the choice before the cache is listed or checked: a desk a policy
// connects gets its team tables, a cache of another connection's library is emptied (then
// `cacheEmptied`), and the tables a policy alone made go with the policy. Returns the choice.
// Throws StoreError.
TeamChoice SettleTeamLibrary(Connection& desk, const TeamPolicy& policy, bool* cacheEmptied = nullptr);

// "a, b，c" as its sets, blanks trimmed, empty and repeated names left out.
std::vector<std::string> SplitTeamSets(const std::string& text);

// The connection text to connect with for a choice made by policy: the policy's, with the
// password entered for it on this desk read back when it names none. Throws ProtectionError.
std::string PolicyConnectionText(const TeamChoice& choice, const TeamSettings& settings, Protector& protector);

// The value as `team status` and the join window show it: "text（由管理员设置）" when the
// policy set it.
std::string ShownWithSource(const std::string& text, bool byPolicy);
