#pragma once
// Starting with Windows: the current user's Run entry that starts Velmora at sign-in, and what a
// start makes of the entry it finds. Portable; the registry side is WinAutoStart.
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The entry's place: HKEY_CURRENT_USER, this key, this value. The setup programs write the same.
inline const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const char* const kRunValue = "Velmora";
// The argument the entry adds, so that a start at sign-in is told from a start by hand.
inline const char* const kSignInArgument = "/autostart";
// The notice when the entry could not be written or removed; the system's reason follows.
inline const char* const kAutoStartNotChanged = "无法更改开机自动启动设置：";

// The entry's text for the program at `programPath`: the path quoted (it may hold spaces), then the
// argument.
std::string AutoStartCommand(const std::string& programPath);

// The program an entry's text starts: the quoted path, or an unquoted one up to the first space
// before an argument; "" when the text names none.
std::string ProgramOfCommand(const std::string& command);

// True when the two Windows paths name the same file: letters in either case, either slash.
bool SamePath(const std::string& a, const std::string& b);

// What the program makes of the entry it found (nullopt: none).
struct AutoStartFinding {
    // The tray item's tick: the entry starts this program, or one that is gone from its place.
    bool on = false;
    // Written anew at start: the entry names a program that is no longer there (its folder
    // moved) or is not in the form AutoStartCommand gives.
    bool rewrite = false;
};
// `exists` tells whether a program file is at a path. An entry that starts another copy that is
// still there belongs to that copy and is left alone.
AutoStartFinding FindAutoStart(const std::optional<std::string>& entry, const std::string& programPath,
                               const std::function<bool(const std::string&)>& exists);

// True when the program's arguments (without the program's own name) mark a start at sign-in.
bool StartedAtSignIn(const std::vector<std::string>& arguments);
