// Velmora: types canned replies into other programs' windows.
#include "app/ImportWait.h"
#include "app/mainDialog.h"
#include "common/FunPub.h"
#include "ui/StoreErrorText.h"
#include "ui/WinMessageBoxes.h"

#include <windows.h>

#include <exception>

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

} // namespace

namespace {

int Run()
{
    // The handle stays open until the process ends; the system then drops it.
    CreateMutexW(nullptr, FALSE, L"Velmora");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ShowMessageBox(nullptr, Texts::kAlreadyRunning, Texts::kErrorCaption, MB_OK | MB_ICONERROR);
        return 0;
    }
    WaitForDatabaseImport();

    TMainFrm mainForm;
    if (mainForm.Create())
        mainForm.ShowAtStart();

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
