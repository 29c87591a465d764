#include "Tool.h"

#include <stdexcept>

namespace vt {

ToolRun RunTool(const wt::ProgramFolder& folder, const std::vector<std::string>& arguments, const std::string* input)
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
    // Without input the tool reads an empty file, never a console: under Wine a child without a
    // standard input of its own gets a hidden console, and a prompt there would wait for ever.
    // A file of its own for each run: Wine's helper of the console the last run had may still
    // hold the last one open for a moment.
    static int runs = 0;
    const std::string inputName = "input" + std::to_string(++runs) + ".txt";
    if (input)
        folder.writeFile(inputName, *input);
    const std::wstring inputPath = input ? wt::Widen(folder.file(inputName)) : L"NUL";
    wt::UniqueHandle inputFile(CreateFileW(inputPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!inputFile)
        throw std::runtime_error(wt::LastErrorText("CreateFileW " + wt::Narrow(inputPath)));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputFile.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(wt::Widen(exe).c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        wt::Widen(folder.path()).c_str(), &startup, &info))
        throw std::runtime_error(wt::LastErrorText("CreateProcessW " + exe));
    const wt::UniqueHandle process(info.hProcess);
    CloseHandle(info.hThread);
    output.reset();
    inputFile.reset();
    ToolRun run;
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
    GetExitCodeProcess(process.get(), &run.exitCode);
    run.output = folder.readFile("output.txt");
    return run;
}

} // namespace vt
