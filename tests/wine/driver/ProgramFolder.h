// A fresh program folder under %TEMP% for one test: the program is copied in, the test puts
// its data files next to it, and the whole folder goes away with the object.
#pragma once

#include <string>
#include <vector>

namespace wt {

class ProgramFolder {
public:
    // `name` is the folder's own name (Chinese names welcome); it is placed inside a unique
    // parent folder so that tests never share files. Empty: a generated name.
    explicit ProgramFolder(const std::string& name = "");
    // Deletes the folder and everything in it, read-only files included. Destroy the
    // processes that use it first (declare the ProgramFolder before the AppProcess).
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // The folder, ending with a backslash.
    const std::string& path() const { return path_; }
    // path() + relative name ("DB.mdb", "DatabackUp\\x.bk").
    std::string file(const std::string& name) const;

    // Copies the program under test ($VELMORA_EXE) in as Velmora.exe; returns its full path.
    std::string copyProgram() const;
    // Copies any file in under `name`, replacing an older one.
    void copyIn(const std::string& sourcePath, const std::string& name) const;

    void writeFile(const std::string& name, const std::string& bytes) const;
    std::string readFile(const std::string& name) const;
    bool exists(const std::string& name) const;
    void removeFile(const std::string& name) const;
    void makeFolder(const std::string& name) const;
    void setReadOnly(const std::string& name, bool readOnly = true) const;
    // Names (not paths) of the files in the sub-folder `folder` ("" for the folder itself)
    // matching `pattern` ("*.bk"), sorted.
    std::vector<std::string> list(const std::string& folder, const std::string& pattern = "*") const;

private:
    std::string root_; // the unique parent, deleted in the destructor
    std::string path_;
};

// Creates `path` and every missing folder above it; throws std::runtime_error on failure.
void MakeFolders(const std::string& path);

// Deletes a folder tree, clearing read-only attributes on the way; retries for a while
// because a process that has just ended may still hold a file. Returns false on failure.
bool RemoveFolderTree(const std::string& path);

} // namespace wt
