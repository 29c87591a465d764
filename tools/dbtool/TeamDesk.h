#pragma once
// `VelmoraDb team connect / off / status`: setting a desk up for the team library, turning it
// off, and saying how the desk stands. Paths and texts are UTF-8, as for the other commands.
#include "Commands.h"
#include "store/TeamConnectionText.h"

#include <string>
#include <vector>

class Platform;

// True for the desk's own team commands (the first argument "team", the second one of them).
bool IsDeskTeamCommand(const std::vector<std::string>& arguments);
int RunDeskTeamCommand(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output);

// The lines of --help about these commands.
std::string DeskTeamHelp();
