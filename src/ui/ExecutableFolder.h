#pragma once
#include <string>

// The folder of the running program's executable in UTF-8, ending in a backslash: exact
// whatever its name holds.
std::string ExecutableFolder();
// The running program's executable, its full path in UTF-8.
std::string ExecutablePath();
