#pragma once
// The Windows data protection for the current user (CryptProtectData): no window is ever
// shown, and what it protects can be read back only by the same user on the same machine.
#include "common/Protector.h"

class DpapiProtector : public Protector {
public:
    std::string protect(const std::string& bytes) override;
    std::string unprotect(const std::string& bytes) override;
};
