#include "MessageBoxes.h"

#include "Gdi.h"
#include "Screen.h"
#include "Wait.h"
#include "WindowQuery.h"

#include <stdexcept>

namespace wt {

namespace {

// The static control holding a message box's text has the id 0xFFFF (under Wine and Windows);
// the icon is the static control with style SS_ICON (id 1088 under Wine, 20 under Windows).
const int kTextControlId = 0xFFFF;

// A pixel counts as different beyond this channel distance (anti-aliased edges stay under it).
const int kPixelTolerance = 40;
// An icon matches when at most this share of its pixels differ.
const double kMatchLimit = 0.02;

bool IsStatic(HWND control) { return ClassName(control) == "Static"; }

bool IsIconStatic(HWND control)
{
    return IsStatic(control) && (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

LPCWSTR StandardIconId(MessageBoxIcon kind)
{
    switch (kind) {
    case MessageBoxIcon::Exclamation: return IDI_EXCLAMATION;
    case MessageBoxIcon::Error: return IDI_HAND;
    case MessageBoxIcon::Question: return IDI_QUESTION;
    case MessageBoxIcon::Information: return IDI_ASTERISK;
    default: return nullptr;
    }
}

MessageBoxIcon MatchStandardIcon(const Image& captured)
{
    MessageBoxIcon best = MessageBoxIcon::Unknown;
    double bestMismatch = kMatchLimit;
    for (MessageBoxIcon kind :
         {MessageBoxIcon::Exclamation, MessageBoxIcon::Error, MessageBoxIcon::Question, MessageBoxIcon::Information}) {
        const double mismatch = IconMismatch(captured, kind);
        if (mismatch <= bestMismatch) {
            best = kind;
            bestMismatch = mismatch;
        }
    }
    return best;
}

} // namespace

const char* IconName(MessageBoxIcon icon)
{
    switch (icon) {
    case MessageBoxIcon::None: return "None";
    case MessageBoxIcon::Exclamation: return "Exclamation";
    case MessageBoxIcon::Error: return "Error";
    case MessageBoxIcon::Question: return "Question";
    case MessageBoxIcon::Information: return "Information";
    case MessageBoxIcon::Unknown: return "Unknown";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, MessageBoxIcon icon) { return out << IconName(icon); }

bool MessageBoxInfo::hasButton(int id) const
{
    for (int button : buttons) {
        if (button == id)
            return true;
    }
    return false;
}

std::string MessageBoxInfo::buttonText(int id) const
{
    HWND button = GetDlgItem(hwnd, id);
    return button ? WindowText(button) : std::string();
}

double IconMismatch(const Image& captured, MessageBoxIcon kind)
{
    const LPCWSTR id = StandardIconId(kind);
    if (!id || captured.empty())
        return 1.0;
    // The icons' corners are transparent, so the top-left pixel is the dialog's background.
    DibCanvas reference(captured.width, captured.height);
    reference.fill(captured.pixel(0, 0));
    DrawIconEx(reference.dc(), 0, 0, LoadIconW(nullptr, id), captured.width, captured.height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    size_t different = 0;
    for (int y = 0; y < captured.height; ++y) {
        for (int x = 0; x < captured.width; ++x) {
            const std::uint32_t p = reference.pixels()[static_cast<size_t>(y) * captured.width + x];
            const COLORREF drawn = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            if (ColourDistance(drawn, captured.pixel(x, y)) > kPixelTolerance)
                ++different;
        }
    }
    return static_cast<double>(different) / (static_cast<double>(captured.width) * captured.height);
}

MessageBoxIcon DetectIcon(HWND iconControl)
{
    if (!iconControl || !IsWindowVisible(iconControl))
        return MessageBoxIcon::None;
    // A message box without an icon keeps its (empty) icon control: it holds no icon handle.
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutW(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon) || icon == 0)
        return MessageBoxIcon::None;
    // The box may not have painted yet: look again for a while before giving up.
    MessageBoxIcon kind = MessageBoxIcon::Unknown;
    WaitUntil(
        [&] {
            kind = MatchStandardIcon(CaptureScreenArea(WindowRect(iconControl)));
            return kind != MessageBoxIcon::Unknown;
        },
        2000, 100);
    return kind;
}

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.hwnd = box;
    info.caption = WindowText(box);
    HWND iconControl = nullptr;
    HWND textControl = nullptr;
    for (HWND child : ChildWindows(box)) {
        if (GetParent(child) != box || !IsWindowVisible(child))
            continue;
        if (ClassName(child) == "Button") {
            info.buttons.push_back(GetDlgCtrlID(child));
        } else if (IsIconStatic(child)) {
            iconControl = child;
        } else if (IsStatic(child) && (GetDlgCtrlID(child) == kTextControlId || !textControl)) {
            textControl = child;
        }
    }
    if (textControl)
        info.text = WindowText(textControl);
    info.icon = DetectIcon(iconControl);
    return info;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, unsigned timeoutMs)
{
    HWND box = WaitForWindow(pid, HasClass("#32770"), timeoutMs);
    if (!box)
        return std::nullopt;
    // Wait until the buttons exist: the dialog can be visible a moment before it is complete.
    WaitUntil([&] { return FindChild(box, "Button") != nullptr; }, 2000);
    return ReadMessageBox(box);
}

void Press(const MessageBoxInfo& box, int buttonId)
{
    HWND button = GetDlgItem(box.hwnd, buttonId);
    if (!button || !box.hasButton(buttonId))
        throw std::invalid_argument("the message box \"" + box.caption + "\" has no button " +
                                    std::to_string(buttonId));
    // Posted, not sent: the box's owner may be busy, and the click must not block the test.
    PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool Answer(const MessageBoxInfo& box, int buttonId, unsigned timeoutMs)
{
    Press(box, buttonId);
    return WaitUntil([&] { return !IsWindow(box.hwnd); }, timeoutMs);
}

} // namespace wt
