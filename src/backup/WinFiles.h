#pragma once
// The backup's files and clock, on Windows: wide calls throughout, so any folder name
// works, and the system's own words for what went wrong.
#include "backup/Backup.h"

class WinFiles : public Files {
public:
    bool isFile(const std::string& path) override;
    bool isFolder(const std::string& path) override;
    bool makeFolder(const std::string& path, std::string& error) override;
    bool moveReplacing(const std::string& from, const std::string& to, std::string& error) override;
    bool copyWithoutReplacing(const std::string& from, const std::string& to, std::string& error) override;
    bool flushToDisk(const std::string& path, std::string& error) override;
    bool moveWithoutReplacing(const std::string& from, const std::string& to, std::string& error) override;
    bool remove(const std::string& path) override;
    std::vector<std::string> backupNames(const std::string& folder) override;
};

class WinClock : public Clock {
public:
    DateTime now() override;
};
