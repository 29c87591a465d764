#pragma once
// The team lead's commands of VelmoraDb: `team init` creates the team library's tables on the
// company's database server and sets its options, `team publish` makes the templates of a
// DB.mdb a new version of a set, `team history`, `diff` and `rollback` show and restore kept
// versions, `team sets` lists and removes sets. The server is reached through ODBC, which only
// the Windows build has.
#include "Commands.h"
#include "store/TeamServer.h"

#include <memory>
#include <string>
#include <vector>

// The team library's server as the commands use it (store/TeamServer on Windows).
class TeamLink {
public:
    virtual ~TeamLink() = default;
    virtual std::string serverName() = 0;
    virtual void createTables() = 0;
    virtual long long counter() = 0;
    // Where a publish from `databasePath` comes from: the lead's user, computer and the file.
    virtual std::string sourceOf(const std::string& databasePath) = 0;
    virtual TeamServer::Published publishVersion(const std::string& setName, std::vector<TeamVersionRow> rows,
                                                 const std::string& source, const std::string& note, bool numbered) = 0;
    virtual bool findSet(const std::string& name, int& setId, int& currentVersion) = 0;
    virtual std::vector<TeamServer::HistoryLine> history(int setId, size_t atMost) = 0;
    virtual std::vector<TeamVersionRow> versionRows(int setId, int versionNo, size_t textBytesAtMost,
                                                    size_t rowsAtMost) = 0;
    virtual std::vector<TeamServer::SetLine> sets() = 0;
    virtual bool removeSet(const std::string& name) = 0;
    virtual void setOption(const std::string& name, const std::string& value) = 0;
};

// Connects with the login timeout; throws TeamError. Null in a build without ODBC.
std::unique_ptr<TeamLink> ConnectTeam(const std::string& connectionText);

// Whether `arguments` (from "team" on) is one of the lead's commands.
bool IsLeadTeamCommand(const std::vector<std::string>& arguments);
// `arguments` from "team" on.
int RunTeamLead(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output);
// The lead's commands in --help.
std::string LeadTeamHelp();
