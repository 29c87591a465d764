#pragma once
#include "common/TextCodec.h"

// The system's ANSI code page, as the program holds template text.
class AnsiCodec : public TextCodec {
public:
    std::string toUtf8(const std::string& ansi) const override;
    std::string fromUtf8(const std::string& utf8) const override;
    bool isLeadByte(unsigned char value) const override;
};
