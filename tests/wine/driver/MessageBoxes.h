// Reading and answering the message boxes another process shows.
#pragma once

#include "Image.h"

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace wt {

// The icon of a message box, by the MB_ICON... flag that asked for it.
enum class MessageBoxIcon {
    None,
    Exclamation, // MB_ICONEXCLAMATION, MB_ICONWARNING
    Error,       // MB_ICONHAND, MB_ICONERROR, MB_ICONSTOP
    Question,    // MB_ICONQUESTION
    Information, // MB_ICONASTERISK, MB_ICONINFORMATION
    Unknown,     // an icon that is none of the standard ones
};
const char* IconName(MessageBoxIcon icon);
std::ostream& operator<<(std::ostream& out, MessageBoxIcon icon);

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string caption; // UTF-8
    std::string text;    // UTF-8
    MessageBoxIcon icon = MessageBoxIcon::None;
    std::vector<int> buttons; // control ids in dialog order: IDOK, IDCANCEL, IDYES, IDNO, ...

    bool hasButton(int id) const;
    std::string buttonText(int id) const;
};

// Waits up to `timeoutMs` for a message box (a visible "#32770" dialog) of process `pid`
// and reads it; nothing when none appeared.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, unsigned timeoutMs);
// Reads the message box `box`.
MessageBoxInfo ReadMessageBox(HWND box);

// Presses the button `buttonId` (IDYES, IDOK, ...) and waits until the box has gone; false
// when it is still there after `timeoutMs`. Throws std::invalid_argument when the box has no
// such button.
bool Answer(const MessageBoxInfo& box, int buttonId, unsigned timeoutMs = 5000);
// Presses the button as Answer does and returns at once, for a test that times what follows.
void Press(const MessageBoxInfo& box, int buttonId);

// Which standard icon `iconControl` (a static control of another process) shows. The icon
// handle cannot be compared across processes, so its pixels on the screen are compared with
// the standard icons drawn here.
MessageBoxIcon DetectIcon(HWND iconControl);
// The share (0..1) of pixels of `captured` that differ from `kind`'s standard icon drawn at
// the same size on the captured background.
double IconMismatch(const Image& captured, MessageBoxIcon kind);

} // namespace wt
