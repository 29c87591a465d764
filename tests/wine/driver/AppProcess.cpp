#include "AppProcess.h"

#include "ProgramFolder.h"
#include "Text.h"

#include <stdexcept>
#include <utility>

namespace wt {

std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote is escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

AppProcess::AppProcess(const std::string& exe, const std::string& workingFolder,
                       const std::vector<std::string>& arguments)
{
    const std::wstring wideExe = Widen(exe);
    std::wstring commandLine = QuoteArgument(wideExe);
    for (const std::string& argument : arguments)
        commandLine += L" " + QuoteArgument(Widen(argument));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring folder = Widen(workingFolder);
    if (!CreateProcessW(wideExe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        throw std::runtime_error(LastErrorText("CreateProcessW " + exe));
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    pid_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
}

AppProcess::~AppProcess()
{
    if (process_)
        kill();
}

AppProcess& AppProcess::operator=(AppProcess&& other) noexcept
{
    if (this != &other) {
        kill();
        process_ = std::move(other.process_);
        pid_ = other.pid_;
        threadId_ = other.threadId_;
    }
    return *this;
}

bool AppProcess::running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool AppProcess::waitForExit(unsigned ms) const
{
    return !process_ || WaitForSingleObject(process_.get(), ms) == WAIT_OBJECT_0;
}

DWORD AppProcess::exitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (process_)
        GetExitCodeProcess(process_.get(), &code);
    return code;
}

void AppProcess::kill()
{
    if (!running())
        return;
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 10000);
}

AppProcess StartProgram(const ProgramFolder& folder) { return AppProcess(folder.file("Velmora.exe"), folder.path()); }

} // namespace wt
