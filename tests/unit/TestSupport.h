#pragma once
// A temporary folder with a delivered database in it, removed after the test.
#include "backup/Backup.h"
#include "common/FunPub.h"
#include "common/Protector.h"

#include <string>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path(const std::string& name) const { return root_ + "/" + name; }
    // Creates DB.mdb as delivered, optionally with templates, and returns its path.
    std::string deliveredDatabase(const std::vector<std::string>& utf8Templates = {}) const;
    // Creates the folder `utf8Name` inside this one and DB.mdb as delivered in it.
    std::string deliveredDatabaseIn(const std::string& utf8Name) const;
    std::string readFile(const std::string& name) const;

private:
    std::string root_;
};

// Files on this machine's file system, doing what the program's own do on Windows.
class HostFiles : public Files {
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

// Message boxes that record what they show ("notice! ", "question ", "plain " + text) and
// answer every question with `answer`.
class FakeBoxes : public MessageBoxes {
public:
    void notice(const std::string& text, NoticeType type) override;
    bool question(const std::string& text) override;
    void plain(const std::string& text) override;
    // What was shown since the last call.
    std::vector<std::string> take();

    std::vector<std::string> shown;
    bool answer = true;
};

// Stands in for the system's protection: the bytes scrambled and marked, so that a stored
// copy never holds them as given; bytes it did not make are refused, as another user's are.
class FakeProtector : public Protector {
public:
    std::string protect(const std::string& bytes) override;
    std::string unprotect(const std::string& bytes) override;
};
