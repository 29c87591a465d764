// VelmoraDb.exe run from the Wine tests as a team lead runs it: its output (both streams,
// UTF-8) kept in a file of the folder it runs in.
#pragma once

#include "Driver.h"

#include <string>
#include <vector>

namespace vt {

struct ToolRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string output; // both streams, UTF-8 as the tool writes them to a file
};

// Runs VelmoraDb.exe in `folder` with its output going to a file there, and waits for it.
ToolRun RunTool(const wt::ProgramFolder& folder, const std::vector<std::string>& arguments);

inline bool Says(const ToolRun& run, const std::string& sentence)
{
    return run.output.find(sentence) != std::string::npos;
}

} // namespace vt
