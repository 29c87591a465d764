#pragma once
// `VelmoraDb team usage`: the team lead's view of what the desks send, so that replies nobody
// uses can be pruned. The counts are the desks' (store/TeamCache, TTeamUsage), added to the
// server's TeamUsage while the lead counts usage; the server is reached through ODBC, which
// only the Windows build has.
#include "Commands.h"

#include <memory>
#include <string>
#include <vector>

class Platform;

// One template of a set's current version and what the desks sent of it in the period.
struct TeamUsageLine {
    long long templateNo = 0;
    std::string text;
    long long sends = 0;
    long long desks = 0; // how many desks sent it
};

// The server as the command asks it (store/TeamServer on Windows).
class TeamUsageSource {
public:
    virtual ~TeamUsageSource() = default;
    // The current templates of the set named `set`, the most sent over the last `days` days
    // (the server's days, today among them) first, then those never sent, in the set's order.
    virtual std::vector<TeamUsageLine> usage(const std::string& set, int days) = 0;
};

// Connects with the login timeout; throws TeamError. Null in a build without ODBC.
std::unique_ptr<TeamUsageSource> ConnectTeamUsage(const std::string& connectionText);

bool IsTeamUsageCommand(const std::vector<std::string>& arguments);
// `arguments` from "team" on. `source` replaces the server (tests).
int RunTeamUsage(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output,
                 TeamUsageSource* source = nullptr);

// The report as the console shows it, and as a CSV file (spreadsheet-safe as export is).
std::string TeamUsageReport(const std::vector<TeamUsageLine>& lines, const std::string& set, int days);
std::string TeamUsageCsv(const std::vector<TeamUsageLine>& lines, const std::string& set, int days);

// The lines of --help about the command.
std::string TeamUsageHelp();
