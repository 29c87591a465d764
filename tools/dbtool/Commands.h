#pragma once
// The commands of VelmoraDb, the team lead's tool for DB.mdb: new, check, export, import, and
// the team library's init and publish (TeamLead.h).
// Paths and texts are UTF-8; what the tool has to say is returned, not printed, so that
// main() writes it the way the console wants it.
#include <string>
#include <vector>

class Platform;

// The exit codes, as --help lists them.
enum ExitCode : int {
    kExitDone = 0,
    kExitUnusable = 1,       // the program would not start on the database or could not work on it
    kExitUsage = 2,          // the command line is wrong
    kExitNeedsAttention = 3, // check: usable, but some templates need a look
    kExitUnreadableCsv = 4,  // import: a row of the file cannot be read; nothing changed
    kExitVelmoraRunning = 5, // import: Velmora runs; nothing changed
    kExitFileProblem = 6,    // a file is missing, exists already, or cannot be read or written
    kExitTeamServer = 7,     // team: the team library's server could not be used; nothing changed there
};

struct ToolOutput {
    std::string out; // the report
    std::string err; // why the command did not do its work
};

// `arguments` without the program's own name.
int RunDbTool(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output);

std::string HelpText();
