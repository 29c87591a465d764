// A program under test running in its own process.
#pragma once

#include "Handle.h"

#include <string>
#include <vector>

namespace wt {

class ProgramFolder;

class AppProcess {
public:
    // Starts `exe` (a full path) with `workingFolder` as its current folder; `arguments` are
    // quoted as needed. Throws std::runtime_error when the process cannot be created.
    AppProcess(const std::string& exe, const std::string& workingFolder,
               const std::vector<std::string>& arguments = {});
    // Kills the process if it is still running and waits for it to go.
    ~AppProcess();
    AppProcess(AppProcess&&) = default;
    // Kills the process this object held before taking over `other`'s.
    AppProcess& operator=(AppProcess&& other) noexcept;

    DWORD pid() const { return pid_; }
    DWORD mainThreadId() const { return threadId_; }
    HANDLE handle() const { return process_.get(); }
    bool running() const;
    // True when the process ended within `ms`.
    bool waitForExit(unsigned ms) const;
    // The exit code, or STILL_ACTIVE (259) while running.
    DWORD exitCode() const;
    void kill();

private:
    UniqueHandle process_;
    DWORD pid_ = 0;
    DWORD threadId_ = 0;
};

// Starts Velmora.exe from `folder` the way a user double-clicks it: the program file in the
// folder, the folder as the current folder. Call folder.copyProgram() first.
AppProcess StartProgram(const ProgramFolder& folder);

// Builds a command line the way CommandLineToArgvW splits it.
std::wstring QuoteArgument(const std::wstring& argument);

} // namespace wt
