#pragma once
// The desk's side of a team library, kept in DB.mdb beside the desk's own templates: a copy
// of the team's templates as last read from the server (TTeamText), and one row of settings
// (TTeamConfig). Both tables exist only on a desk that `VelmoraDb team connect` set up; a
// database without them is a desk without a team library, and nothing here creates them
// anywhere else. They are separate tables, so older builds, which read only TText and
// Tconfig, open such a database as before.
#include "common/DateTime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class Connection;

// How often a desk asks the server whether the team library changed, unless set otherwise.
inline constexpr int kDefaultTeamCheckSeconds = 300;
inline constexpr int kLongestTeamCheckSeconds = 24 * 60 * 60;
// How long one check may wait on the server, all its questions together, unless set otherwise.
inline constexpr int kDefaultTeamDeadlineSeconds = 60;

// The version of the library on the server: its change counter and, on a server this build
// set up or published to, a generation made anew at `team init` and at every publish. A
// library made again (its tables dropped, the server's database restored from a backup) may
// bring a counter back that a desk already holds, never its generation. Empty generation: a
// server that has none yet.
struct TeamLibraryVersion {
    long long counter = 0;
    std::string generation;

    bool operator==(const TeamLibraryVersion& other) const
    {
        return counter == other.counter && generation == other.generation;
    }
    bool operator!=(const TeamLibraryVersion& other) const { return !(*this == other); }
};

// The set a library of an older server is, and every desk's set unless it chose others.
inline constexpr long long kDefaultTeamSetId = 1;
extern const char* const kDefaultTeamSetName; // "默认"

// One template of the team library: the server's id, its text (UTF-8) and its place in the
// server's order, from 0; the set it belongs to and, on a server with sets, its number there,
// which stays the same across publishes (0 on an older server: such rows are not counted).
struct TeamTemplate {
    long long id = 0;
    std::string text;
    long long sortId = 0;
    long long setId = kDefaultTeamSetId;
    long long templateNo = 0;

    bool operator==(const TeamTemplate& other) const
    {
        return id == other.id && text == other.text && sortId == other.sortId && setId == other.setId &&
               templateNo == other.templateNo;
    }
};

// A set of the library as the desk last read it: which version of it the cached rows are,
// and how many of its rows the character rule refused.
struct TeamSetState {
    long long setId = kDefaultTeamSetId;
    std::string name;
    TeamLibraryVersion version; // the set's change counter and generation
    long long versionNo = 0;    // the version of the set desks read; 0 on an older server
    int refusedRows = 0;

    bool sameVersion(const TeamSetState& other) const
    {
        return setId == other.setId && version == other.version && versionNo == other.versionNo;
    }
};

struct TeamSettings {
    std::string protectedConnection; // the connection text as the Protector made it
    std::string server;              // the server as the connection text names it, for people to read
    // The whole connection without its password (TeamConnectionIdentity): the cache belongs to
    // it. Empty on a desk set up by an older build.
    std::string identity;
    // The library's version at the last read of the templates; none before the first.
    std::optional<TeamLibraryVersion> version;
    DateTime lastSync = 0; // the last check the server answered; 0: never
    int rows = 0;          // team templates in the cache
    std::string lastError; // why the last check failed, one sentence; empty after a success
    std::string note;      // what the last read left out (rows refused), one sentence; kept while the cache is
    // A library refused whole (over the limits), not read again while the server's version
    // is this one, and the sentence that said why.
    std::optional<TeamLibraryVersion> refused;
    std::string refusedError;
    int checkSeconds = kDefaultTeamCheckSeconds;
    int deadlineSeconds = kDefaultTeamDeadlineSeconds; // for one whole check
    // The sets this desk lists, in its order; empty on a desk set up before sets: the default.
    std::vector<std::string> sets;
    // A random name of this desk, made at connect: usage counts are known by it, never by a user.
    std::string deskId;
    // The lead has turned usage counting on (as the server said at the last check).
    bool usage = false;
    // Whose library the cache holds (an identity as above): the desk's own connection's, or
    // the one a policy names, which may differ from the desk's own and must not replace it.
    // A desk set up by an older build: its own identity.
    std::string cacheIdentity;
    // The password entered on this desk for a policy's connection that names none, protected
    // as the connection is, and the identity of the connection it was entered for.
    std::string policyPassword;
    std::string policyPasswordIdentity;
};

// The sets a desk lists: its chosen ones, or the default set.
std::vector<std::string> ChosenTeamSets(const TeamSettings& settings);
// The sentence a desk says while the lead counts usage (the tray hint and `team status`).
extern const char* const kTeamUsageSentence;

// The settings, or nothing on a desk without a team library. Throws StoreError.
std::optional<TeamSettings> ReadTeamSettings(Connection& connection);

// Sets the desk up for the team library named by `protectedConnection`: the tables are created
// when missing, the settings row written. Connecting again with the same `identity` (the same
// driver, server, port, database and user; a new password) keeps the cache, so an offline desk
// keeps its rows; any other connection empties it. Either way the next check reads the
// templates. One transaction.
// `sets` are the names the desk lists, in order (empty: the default set); `deskId` names the
// desk unless it is connected again to the same library, which keeps the name it had.
// While a policy names the connection in use, `cacheFor` is its identity: the cache stays the
// policy's library, and only the desk's own setting changes.
void ConnectTeamLibrary(Connection& connection, const std::string& protectedConnection, const std::string& server,
                        const std::string& identity, const std::vector<std::string>& sets = {},
                        const std::string& deskId = {}, const std::string& cacheFor = {});
// Makes the cache the library of `identity` (the connection in use, the desk's own or a
// policy's): the tables are created when missing (a desk that only a policy connects), and a
// cache that holds another connection's library is emptied, with its sets' versions and the
// usage counts not yet sent, so the next check reads the templates. True when anything
// changed. One transaction.
bool AdoptTeamCache(Connection& connection, const std::string& identity);
// Keeps the password entered for the policy's connection of `identity`, protected.
void StorePolicyPassword(Connection& connection, const std::string& identity, const std::string& protectedPassword);
// Records the identity of the connection already stored, for a desk an older build set up.
void RecordTeamIdentity(Connection& connection, const std::string& identity);

// Adds what a desk set up by an older build lacks to its team tables (columns of TTeamConfig);
// nothing on a desk without a team library or with everything there. Throws StoreError.
void UpgradeTeamTables(Connection& connection);

// Drops the team's tables in one transaction; the desk's own templates stay as they are.
// False when the desk had no team library.
bool RemoveTeamLibrary(Connection& connection);

// The cached team templates in the server's order.
std::vector<TeamTemplate> ReadTeamCache(Connection& connection);

// Asked between the rows of a long write: true when the program is closing and wants the
// write given up.
using StopRequested = std::function<bool()>;

// Replaces the cache whole by `templates` and records the version, the note (what the read
// left out, or empty) and a successful check at `now`, in one transaction. Once `stopping`
// says so the transaction is rolled back and false returned: the cache is as it was, and the
// file is free for the backup made at exit.
// `sets` are the states of the sets the templates come from (kept for the next check, which
// reads again only the sets whose version moved).
bool StoreTeamTemplates(Connection& connection, const std::vector<TeamTemplate>& templates,
                        const TeamLibraryVersion& version, const std::string& note, DateTime now,
                        const StopRequested& stopping = {}, const std::vector<TeamSetState>& sets = {});
// The states StoreTeamTemplates kept, in the desk's order.
std::vector<TeamSetState> ReadTeamSetStates(Connection& connection);
// Whether the lead counts usage, as the server said; counts not yet sent go when it is off.
void RecordTeamUsageSwitch(Connection& connection, bool on);

// Where a team row listed on the desk comes from: the first cached row with this text.
struct TeamRowOrigin {
    long long setId = kDefaultTeamSetId;
    std::string setName;
    long long templateNo = 0; // 0: from an older server, not counted
};
std::optional<TeamRowOrigin> FindTeamRow(Connection& connection, const std::string& text);

// Usage counts kept on the desk until they reach the server: per local day, set and template.
// Bounded: days older than kTeamUsageDays before the newest count and rows beyond
// kTeamUsageRows (the oldest days first) are dropped.
inline constexpr int kTeamUsageDays = 90;
inline constexpr int kTeamUsageRows = 20000;
struct TeamUsageCount {
    std::string day; // "YYYY-MM-DD", the desk's local day
    long long setId = 0;
    long long templateNo = 0;
    long long sends = 0;

    bool operator==(const TeamUsageCount& other) const
    {
        return day == other.day && setId == other.setId && templateNo == other.templateNo && sends == other.sends;
    }
};
// One more delivery of a team row on `day`; nothing unless the lead counts usage.
void CountTeamSend(Connection& connection, long long setId, long long templateNo, DateTime day);
// The counts of one upload, under a name made once and kept until the server has them, so
// that an upload repeated after a failure is the same upload.
struct TeamUsageUpload {
    std::string deskId;
    std::string uploadId;
    std::vector<TeamUsageCount> counts;
};
// The upload under way, or the counts not yet sent sealed as a new one named by `newId`
// (in one transaction: a delivery counted meanwhile goes to the next); nothing when there are
// no counts.
std::optional<TeamUsageUpload> SealTeamUsage(Connection& connection, const std::function<std::string()>& newId);
// Names a desk that has no name yet.
void RecordTeamDeskId(Connection& connection, const std::string& deskId);
// The server has the upload: its counts go.
void ForgetTeamUpload(Connection& connection, const std::string& uploadId);
// A check that found the library unchanged: a successful sync at `now`, the error cleared.
void RecordTeamCheck(Connection& connection, DateTime now);
// A failed check: the sentence is kept for the status, the cache and the last sync stay.
void RecordTeamFailure(Connection& connection, const std::string& sentence);
// A library refused whole at `version`: the sentence as for a failure, and the version, so that
// the library is not read again until it changes. The cache stays.
void RecordTeamRefusal(Connection& connection, const TeamLibraryVersion& version, const std::string& sentence);

// A backup made before the desk joined its team library holds no team tables: restored as it
// is, it would quietly take the library away from the desk. When the database at `toPath` has
// none and the one at `fromPath` has them, the settings row and the cache are copied across
// exactly, in one transaction. Returns whether it copied. Throws StoreError.
bool CarryTeamLibrary(const std::string& fromPath, const std::string& toPath);
