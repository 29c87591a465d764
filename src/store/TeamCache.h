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

// One template of the team library: the server's id, its text (UTF-8) and its place in the
// server's order, from 0.
struct TeamTemplate {
    long long id = 0;
    std::string text;
    long long sortId = 0;

    bool operator==(const TeamTemplate& other) const
    {
        return id == other.id && text == other.text && sortId == other.sortId;
    }
};

struct TeamSettings {
    std::string protectedConnection;  // the connection text as the Protector made it
    std::string server;               // the server as the connection text names it, for people to read
    std::optional<long long> counter; // the server's change counter at the last read of the templates
    DateTime lastSync = 0;            // the last check the server answered; 0: never
    int rows = 0;                     // team templates in the cache
    std::string lastError;            // why the last check failed, one sentence; empty after a success
    int checkSeconds = kDefaultTeamCheckSeconds;
};

// The settings, or nothing on a desk without a team library. Throws StoreError.
std::optional<TeamSettings> ReadTeamSettings(Connection& connection);

// Sets the desk up for the team library named by `protectedConnection`: the tables are created
// when missing, the settings row written. Connecting to the same server again (a new password)
// keeps the cache, so an offline desk keeps its rows; another server empties it. Either way the
// next check reads the templates. One transaction.
void ConnectTeamLibrary(Connection& connection, const std::string& protectedConnection, const std::string& server);

// Drops the team's tables in one transaction; the desk's own templates stay as they are.
// False when the desk had no team library.
bool RemoveTeamLibrary(Connection& connection);

// The cached team templates in the server's order.
std::vector<TeamTemplate> ReadTeamCache(Connection& connection);

// Asked between the rows of a long write: true when the program is closing and wants the
// write given up.
using StopRequested = std::function<bool()>;

// Replaces the cache whole by `templates` and records the counter and a successful check at
// `now`, in one transaction. Once `stopping` says so the transaction is rolled back and false
// returned: the cache is as it was, and the file is free for the backup made at exit.
bool StoreTeamTemplates(Connection& connection, const std::vector<TeamTemplate>& templates, long long counter,
                        DateTime now, const StopRequested& stopping = {});
// A check that found the library unchanged: a successful sync at `now`, the error cleared.
void RecordTeamCheck(Connection& connection, DateTime now);
// A failed check: the sentence is kept for the status, the cache and the last sync stay.
void RecordTeamFailure(Connection& connection, const std::string& sentence);

// A backup made before the desk joined its team library holds no team tables: restored as it
// is, it would quietly take the library away from the desk. When the database at `toPath` has
// none and the one at `fromPath` has them, the settings row and the cache are copied across
// exactly, in one transaction. Returns whether it copied. Throws StoreError.
bool CarryTeamLibrary(const std::string& fromPath, const std::string& toPath);
