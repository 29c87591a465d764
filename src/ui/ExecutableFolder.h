#pragma once
#include <string>

// The folder of the running program's executable, in the system code page, ending in
// a backslash.
std::string ExecutableFolder();
