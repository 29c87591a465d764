#pragma once
#include <string>

// The folder of the running program's executable, in the system code page, ending in
// a backslash. A folder name the code page cannot carry comes out with '?' in it: open
// files by the wide or UTF-8 form below.
std::string ExecutableFolder();
// The same folder in UTF-8, exact whatever its name holds.
std::string ExecutableFolderUtf8();
