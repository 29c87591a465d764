// VelmoraTarget.exe ($VELMORA_TARGET_EXE) seen from the tests: a window in another process
// whose edit control records every WM_CHAR it receives. Wine's notepad, a program of
// someone else's, can stand in as the window typed into.
#pragma once

#include "AppProcess.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace wt {

// The window typed into: the target whose edit control is an ANSI window (characters sent as
// code-page bytes arrive as those bytes), the target whose edit control is a Unicode window
// (UTF-16 code units), the Unicode one that turns into an ANSI window once it has its first
// character, or notepad.exe of the Wine prefix (Unicode; records nothing). AnsiWithSubject is
// the ANSI target with a second text box above the recording one, which the window gives the
// focus whenever it is activated: the recording box has it back only when it is given back.
enum class TargetKind { Ansi, Unicode, UnicodeTurningAnsi, Notepad, AnsiWithSubject };

class TargetProcess {
public:
    // Starts the target and waits for its window; throws std::runtime_error when it does not
    // appear. With `hangAfterFirstChar` the target stops answering messages for 60 s after
    // the first character it receives; with `slowFirstCharMs` it is busy that long with
    // the first character, yet not hung.
    explicit TargetProcess(bool hangAfterFirstChar = false, unsigned slowFirstCharMs = 0);
    explicit TargetProcess(TargetKind kind);
    ~TargetProcess();
    TargetProcess(const TargetProcess&) = delete;
    TargetProcess& operator=(const TargetProcess&) = delete;

    DWORD pid() const { return process_.pid(); }
    AppProcess& process() { return process_; }
    HWND window() const { return window_; }
    HWND edit() const { return edit_; }
    POINT editCentre() const;

    // The wParam of every WM_CHAR the edit control received, in order (works while the
    // target hangs).
    std::vector<unsigned> recordedChars() const;
    // Waits until at least `count` characters were recorded.
    bool waitForChars(size_t count, unsigned timeoutMs) const;
    // The edit control's text (WM_GETTEXT), UTF-8.
    std::string editText() const;
    // The same as the UTF-16 the control holds, for comparing code unit by code unit.
    std::wstring editTextUtf16() const;
    void setEditText(const std::string& text) const;
    // The selected range [first, second) of the edit control, in characters.
    std::pair<int, int> editSelection() const;
    // A screen point on the left edge of character `index` in the edit control.
    POINT characterPoint(int index) const;
    // Brings the target to the foreground and clicks into the edit control; true when the
    // edit control then has the keyboard focus.
    bool focusEdit();
    void stop();

private:
    TargetKind kind_ = TargetKind::Ansi;
    std::string recordPath_;
    AppProcess process_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
};

// Shows a message box from VelmoraTarget.exe: MessageBoxW(nullptr, text, caption, flags).
// The process's exit code is the id of the button that closed the box.
AppProcess ShowTargetMessageBox(const std::string& caption, const std::string& text, unsigned flags);

} // namespace wt
