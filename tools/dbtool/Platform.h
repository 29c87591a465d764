#pragma once
// What the database tool needs of the system it runs on, by UTF-8 paths: files, a scratch
// file, the import's lock, whether Velmora is running, the protection of a password, and
// standard input for a connection text or a password. PlatformHost.cpp and
// PlatformWindows.cpp implement it; the tests replace single calls.
#include "app/TeamPolicy.h"

#include <cstddef>
#include <string>

class Protector;

// A line of standard input is never longer than this: a longer one comes back cut to it.
const size_t kInputLineLimit = 65536;

class Platform {
public:
    virtual ~Platform() = default;
    virtual bool isFile(const std::string& path) = 0;
    // The whole file; false with a sentence in `error` when it cannot be read.
    virtual bool readFile(const std::string& path, std::string& bytes, std::string& error) = 0;
    // The file's size in bytes, looked up without reading it; false with a sentence in `error`.
    virtual bool fileSize(const std::string& path, unsigned long long& bytes, std::string& error) = 0;
    // Writes a file that must not exist yet; false with a sentence in `error`, and no file
    // left behind, when it exists or cannot be written whole.
    virtual bool writeNewFile(const std::string& path, const std::string& bytes, std::string& error) = 0;
    virtual void removeFile(const std::string& path) = 0;
    // Creates an empty file of its own in the system's temporary folder and returns its path;
    // empty, with a sentence in `error`, on failure.
    virtual std::string makeScratchFile(std::string& error) = 0;
    // Creates an empty file of its own under a fresh name in the folder of `path` and returns its
    // path; empty, with a sentence in `error`, on failure.
    virtual std::string makeFileBeside(const std::string& path, std::string& error) = 0;
    // Gives the file `from` the name `to` when no file has that name; false with a sentence in
    // `error` when a file is in the way or the rename fails. Never replaces anything.
    virtual bool renameWithoutReplacing(const std::string& from, const std::string& to, std::string& error) = 0;
    // Holds the import's named mutex (common/ImportMutex.h) until releaseImportLock(), waiting
    // while another import holds it; false with a sentence in `error` when it cannot be had.
    virtual bool takeImportLock(std::string& error) = 0;
    virtual void releaseImportLock() = 0;
    // True while a copy of Velmora runs on this desktop (its named mutex exists).
    virtual bool velmoraRunning() = 0;
    // Protects the team library's connection text for the user running the tool.
    virtual Protector& protector() = 0;
    // True when standard input is a console someone types at (not a file or a pipe).
    virtual bool inputIsConsole() = 0;
    // The next line of standard input as UTF-8, without its line end; false at the end of the
    // input. With `echo` false a console does not show what is typed.
    virtual bool readInputLine(std::string& line, bool echo) = 0;
    // Shows `text` on the console at once (standard error), ahead of the command's report.
    virtual void prompt(const std::string& text) = 0;
    // The team library's values set by policy (Windows' registry); none elsewhere.
    virtual TeamPolicy teamPolicy() { return {}; }
};

// The platform the tool was built for.
Platform& ThisPlatform();
