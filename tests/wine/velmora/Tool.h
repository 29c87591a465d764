// VelmoraDb.exe run from the Wine tests as a team lead runs it: its output (both streams,
// UTF-8) kept in a file of the folder it runs in.
#pragma once

#include "Driver.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace vt {

struct ToolRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string output; // both streams, UTF-8 as the tool writes them to a file
};

// Runs VelmoraDb.exe in `folder` with its output going to a file there, and waits for it.
// Its standard input is `input` when given, else empty; from a file either way, never a console.
ToolRun RunTool(const wt::ProgramFolder& folder, const std::vector<std::string>& arguments,
                const std::string* input = nullptr);

inline bool Says(const ToolRun& run, const std::string& sentence)
{
    return run.output.find(sentence) != std::string::npos;
}

// The private PostgreSQL server's connection texts for the team lead and for a desk, as
// scripts/test.sh sets them; empty when unset.
inline std::string TeamServerText(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? value : "";
}

} // namespace vt

// Declares `lead` and `desk`, the two connection texts, or skips the test when the server is missing.
#define TEAM_SERVER_OR_SKIP(lead, desk)                                                                                \
    const std::string lead = vt::TeamServerText("VELMORA_TEAM_LEAD");                                                  \
    const std::string desk = vt::TeamServerText("VELMORA_TEAM_DESK");                                                  \
    if (lead.empty() || desk.empty())                                                                                  \
    GTEST_SKIP() << "VELMORA_TEAM_LEAD and VELMORA_TEAM_DESK are not set: scripts/test.sh starts the "                 \
                    "private PostgreSQL server (scripts/team-server.sh) and sets them"
