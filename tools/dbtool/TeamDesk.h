#pragma once
// `VelmoraDb team connect / off / status`: setting a desk up for the team library, turning it
// off, and saying how the desk stands. Paths and texts are UTF-8, as for the other commands.
#include "Commands.h"

#include <string>
#include <vector>

class Platform;

// True for the desk's own team commands (the first argument "team", the second one of them).
bool IsDeskTeamCommand(const std::vector<std::string>& arguments);
int RunDeskTeamCommand(const std::vector<std::string>& arguments, Platform& platform, ToolOutput& output);

// The server named by an ODBC connection text, for people to read: its Server (or Host,
// Address, Addr) value, else its DSN; empty when it names none of them.
std::string TeamServerName(const std::string& connectionText);
// The connection a text names, without its password, the same however it is written (letter
// case of keys and of host and driver names, order, blanks, the several names of a key): a
// desk's cache belongs to it, so another database, user, port or driver is another library.
std::string TeamConnectionIdentity(const std::string& connectionText);
// Whether the text names the way to the server: a Driver or a DSN with a value.
bool NamesOdbcDriver(const std::string& connectionText);

// The lines of --help about these commands.
std::string DeskTeamHelp();
