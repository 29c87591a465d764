// Velmora: types canned replies into other programs' windows.
#include "app/AutoStart.h"
#include "app/ImportWait.h"
#include "app/WinAutoStart.h"
#include "app/mainDialog.h"
#include "common/FunPub.h"
#include "ui/StoreErrorText.h"
#include "ui/WinText.h"
#include "ui/WinMessageBoxes.h"

#include <shellapi.h>
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

namespace {

// Load DLLs from the system folder only. Looked up at run time: Windows 7 without
// its update lacks the call, and an import would stop the program from loading.
void RestrictDllSearch()
{
    using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDirectories =
        reinterpret_cast<SetDirectoriesFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectories)
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments.push_back(Utf8FromWide(words[i]));
        LocalFree(words);
    }
    return arguments;
}

int Run()
{
    // The handle stays open until the process ends; the system then drops it.
    CreateMutexW(nullptr, FALSE, L"Velmora");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowMessageBox(nullptr, Texts::kAlreadyRunning, Texts::kErrorCaption, MB_OK | MB_ICONERROR);
        return 0;
    }
    // A program folder moved since the entry was written: the next sign-in starts it from here.
    CorrectAutoStartEntry();
    WaitForDatabaseImport();

    TMainFrm mainForm;
    if (mainForm.Create())
        mainForm.ShowAtStart(!StartedAtSignIn(Arguments()));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    // Window procedures report their own failures; this catches what start-up or the
    // end raise outside them, so nothing reaches the system's crash handling.
    try {
        return Run();
    } catch (const std::exception& e) {
        ReportError(nullptr, FailureText(e).c_str());
    } catch (...) {
        ReportError(nullptr, nullptr);
    }
    return 1;
}
