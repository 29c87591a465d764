#pragma once
#include <string>

// Bytes of the system code page: what an older window, one that is no Unicode window,
// must be given. Everything else in the program is UTF-8; this type keeps the two apart.
struct CodePageText {
    std::string bytes;
};
