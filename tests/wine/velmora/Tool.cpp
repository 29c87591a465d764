#include "Tool.h"

#include <stdexcept>

namespace vt {

ToolRun RunTool(const wt::ProgramFolder& folder, const std::vector<std::string>& arguments)
{
    const std::string exe = wt::RequiredEnvironmentPath("VELMORA_DB_EXE");
    std::wstring commandLine = wt::QuoteArgument(wt::Widen(exe));
    for (const std::string& argument : arguments)
        commandLine += L" " + wt::QuoteArgument(wt::Widen(argument));

    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    wt::UniqueHandle output(CreateFileW(wt::Widen(folder.file("output.txt")).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output)
        throw std::runtime_error(wt::LastErrorText("CreateFileW output.txt"));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(wt::Widen(exe).c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        wt::Widen(folder.path()).c_str(), &startup, &info))
        throw std::runtime_error(wt::LastErrorText("CreateProcessW " + exe));
    const wt::UniqueHandle process(info.hProcess);
    CloseHandle(info.hThread);
    output.reset();
    ToolRun run;
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
    GetExitCodeProcess(process.get(), &run.exitCode);
    run.output = folder.readFile("output.txt");
    return run;
}

} // namespace vt
