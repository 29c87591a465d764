#pragma once
// The Windows data protection for the current user (CryptProtectData): no window is ever
// shown, and what it protects can be read back only by the same user on the same machine, and
// only with the program's own entropy. Bytes protected without it, as the program did before,
// still read back; outdated() tells them.
#include "common/Protector.h"

// Mixed into every protection, so another program running as the same user cannot read the
// connection back with a plain CryptUnprotectData. Part of the file format: changing it makes
// every stored connection unreadable.
inline constexpr char kConnectionEntropy[] = "Velmora/team-connection/1:7c4e09a2d5b31f68";

class DpapiProtector : public Protector {
public:
    std::string protect(const std::string& bytes) override;
    std::string unprotect(const std::string& bytes) override;
    bool outdated(const std::string& bytes) override;
};
