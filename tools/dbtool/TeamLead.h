#pragma once
// The team lead's commands of VelmoraDb: `team init` creates the team library's tables on the
// company's database server, `team publish` makes the templates of a DB.mdb the team library.
// The server is reached through ODBC, which only the Windows build has.
#include "Commands.h"

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
    // In one transaction; returns the new counter.
    virtual long long replaceTemplates(const std::vector<std::string>& texts) = 0;
};

// Connects with the login timeout; throws TeamError. Null in a build without ODBC.
std::unique_ptr<TeamLink> ConnectTeam(const std::string& connectionText);

// `arguments` from "team" on.
int RunTeamLead(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output);
