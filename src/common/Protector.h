#pragma once
// Protects bytes that must not lie readable in a file: the team library's connection text,
// which may hold a password. On Windows the system protects them for the signed-in user
// (ui/DpapiProtector.h), so another user, or the file copied to another machine, cannot read
// them back; the tests use a fake.
#include <stdexcept>
#include <string>

// Why bytes could not be protected or read back: one sentence for the user.
class ProtectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Protector {
public:
    virtual ~Protector() = default;
    // Throws ProtectionError.
    virtual std::string protect(const std::string& bytes) = 0;
    // The bytes protect() was given; throws ProtectionError when they cannot be had back
    // (another user, another machine, damaged bytes).
    virtual std::string unprotect(const std::string& bytes) = 0;
    // True when `bytes` read back but were protected an older, weaker way: they are to be
    // protected anew (store/ProtectionRenewal.h).
    virtual bool outdated(const std::string& /*bytes*/) { return false; }
};
