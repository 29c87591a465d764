#include "Text.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace wt {

namespace {

std::wstring ToWide(const std::string& bytes, unsigned codePage)
{
    if (bytes.empty())
        return {};
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
    return wide;
}

std::string FromWide(const std::wstring& wide, unsigned codePage)
{
    if (wide.empty())
        return {};
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
}

} // namespace

std::wstring Widen(const std::string& utf8) { return ToWide(utf8, CP_UTF8); }

std::string Narrow(const std::wstring& wide) { return FromWide(wide, CP_UTF8); }

std::string FromCodePage(const std::string& bytes, unsigned codePage) { return Narrow(ToWide(bytes, codePage)); }

std::string ToCodePage(const std::string& utf8, unsigned codePage) { return FromWide(Widen(utf8), codePage); }

std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string converted = "Z:" + path;
    for (char& c : converted) {
        if (c == '/')
            c = '\\';
    }
    return converted;
}

std::string EnvironmentPath(const char* name)
{
    const std::wstring wideName = Widen(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::vector<wchar_t> value(size);
    GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    return WindowsPath(Narrow(value.data()));
}

std::string RequiredEnvironmentPath(const char* name)
{
    std::string path = EnvironmentPath(name);
    if (path.empty())
        throw std::runtime_error(std::string("environment variable ") + name + " is not set");
    return path;
}

std::string LastErrorText(const std::string& what)
{
    const DWORD error = GetLastError();
    wchar_t* message = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::string text = what + " failed (error " + std::to_string(error) + ")";
    if (message) {
        std::string detail = Narrow(message);
        LocalFree(message);
        while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r'))
            detail.pop_back();
        text += ": " + detail;
    }
    return text;
}

} // namespace wt
