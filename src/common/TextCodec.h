#pragma once
// Conversion between the system's ANSI code page, in which the program holds
// template text, and UTF-8, in which the database stores it.
#include <string>

class TextCodec {
public:
    virtual ~TextCodec() = default;
    // ANSI bytes of the system code page to UTF-8. Throws std::runtime_error on bytes
    // that are not valid in the code page.
    virtual std::string toUtf8(const std::string& ansi) const = 0;
    // UTF-8 to the system code page; characters the code page lacks become '?'.
    virtual std::string fromUtf8(const std::string& utf8) const = 0;
    // True when the byte starts a two-byte character of the code page.
    virtual bool isLeadByte(unsigned char value) const = 0;
};

// The codec the program runs with: the system code page on Windows. Tests and the
// database tool on Linux use code page 936 (see HostCodec.h).
const TextCodec& SystemCodec();
void SetSystemCodec(const TextCodec* codec);
