// Text and path conversions at the Win32 boundary.
// The driver hands paths and texts around as UTF-8 and calls the ...W functions, so Chinese
// folder names and captions survive whatever the system code page is.
#pragma once

#include <string>

namespace wt {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// Bytes in a Windows code page (936 for GBK) as UTF-8, for comparing what an ANSI program
// wrote with a literal in a test.
std::string FromCodePage(const std::string& bytes, unsigned codePage);
std::string ToCodePage(const std::string& utf8, unsigned codePage);

// "/home/x/a.exe" -> "Z:\home\x\a.exe" (Wine maps the Unix root to drive Z:); Windows paths
// come back unchanged.
std::string WindowsPath(const std::string& path);

// An environment variable holding a path (CTest passes Unix paths), in Windows form;
// empty when the variable is not set.
std::string EnvironmentPath(const char* name);

// The same, but throws std::runtime_error naming the variable when it is not set.
std::string RequiredEnvironmentPath(const char* name);

// "text of the last Win32 error" for exception messages.
std::string LastErrorText(const std::string& what);

} // namespace wt
