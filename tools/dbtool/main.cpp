// VelmoraDb: new, check, export and import of DB.mdb from the command line (see --help).
#include "Commands.h"
#include "Platform.h"
#include "ui/StoreErrorText.h"

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

namespace {

std::string Utf8(const wchar_t* wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

// The arguments as typed: the ANSI command line would turn a folder name the code page
// lacks into '?'.
std::vector<std::string> Arguments(int, char**)
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

// A console shows the text whatever its code page; a file or a pipe gets the UTF-8 bytes.
void Write(DWORD which, const std::string& text)
{
    if (text.empty())
        return;
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void WriteOut(const std::string& text) { Write(STD_OUTPUT_HANDLE, text); }
void WriteErr(const std::string& text) { Write(STD_ERROR_HANDLE, text); }

} // namespace

#else

namespace {

// Run under the old name velmora-makedb, the tool does what that program did: `new`.
std::vector<std::string> Arguments(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const std::string self = argv[0];
    const size_t slash = self.rfind('/');
    if (self.substr(slash == std::string::npos ? 0 : slash + 1) == "velmora-makedb")
        arguments.insert(arguments.begin(), "new");
    return arguments;
}

void WriteOut(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }
void WriteErr(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stderr); }

} // namespace

#endif

int main(int argc, char** argv)
{
    ToolOutput output;
    int code = kExitFileProblem;
    try {
        code = RunDbTool(Arguments(argc, argv), ThisPlatform(), output);
    } catch (const std::exception& e) {
        output.err += "VelmoraDb：" + FailureText(e) + "\n";
    }
    WriteOut(output.out);
    WriteErr(output.err);
    return code;
}
