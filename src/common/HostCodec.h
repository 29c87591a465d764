#pragma once
// Code page 936 (GBK) through iconv, for the Linux build: the database tool and the
// unit tests hold text exactly as the program does on a Chinese Windows system.
#include "common/TextCodec.h"

class HostCodec : public TextCodec {
public:
    std::string toUtf8(const std::string& ansi) const override;
    std::string fromUtf8(const std::string& utf8) const override;
    bool isLeadByte(unsigned char value) const override { return value >= 0x81 && value <= 0xFE; }
};
