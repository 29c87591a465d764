#pragma once
// The registry side of starting with Windows: the current user's Run entry for the running program
// (the rule is AutoStart's).
#include <string>

// At start: an entry left by this program in a folder it has moved from now starts it from here.
// Silent: the tray item shows the entry as it stays.
void CorrectAutoStartEntry();
// True when the entry starts this program at sign-in: the tray item's tick.
bool AutoStartOn();
// Writes (on) or removes (off) the entry; "" when done, else the system's reason.
std::string SetAutoStart(bool on);
