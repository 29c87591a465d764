#include "Input.h"

#include "Text.h"
#include "Wait.h"

#include <cctype>
#include <vector>

namespace wt {

namespace {

// Gaps that let Wine route one event before the next arrives; a double-click's two clicks
// stay well inside the double-click time.
const unsigned kEventGapMs = 30;

void Send(INPUT input)
{
    SendInput(1, &input, sizeof input);
    Pause(kEventGapMs);
}

INPUT MouseInput(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

INPUT KeyInput(WORD virtualKey, bool release)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

std::vector<WORD> ModifierKeys(Modifiers modifiers)
{
    std::vector<WORD> keys;
    if (modifiers & Ctrl)
        keys.push_back(VK_CONTROL);
    if (modifiers & Shift)
        keys.push_back(VK_SHIFT);
    if (modifiers & Alt)
        keys.push_back(VK_MENU);
    return keys;
}

} // namespace

void MovePointer(POINT to)
{
    // Absolute coordinates are 0..65535 across the primary screen; round to the pixel centre.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
    input.mi.dx = static_cast<LONG>((to.x * 65536LL + width / 2) / width);
    input.mi.dy = static_cast<LONG>((to.y * 65536LL + height / 2) / height);
    Send(input);
}

POINT PointerPosition()
{
    POINT position{};
    GetCursorPos(&position);
    return position;
}

void PressButton(MouseButton button)
{
    Send(MouseInput(button == MouseButton::Left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN));
}

void ReleaseButton(MouseButton button)
{
    Send(MouseInput(button == MouseButton::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP));
}

void Click(POINT at, MouseButton button)
{
    MovePointer(at);
    PressButton(button);
    ReleaseButton(button);
}

void RightClick(POINT at) { Click(at, MouseButton::Right); }

void DoubleClick(POINT at)
{
    MovePointer(at);
    for (int i = 0; i < 2; ++i) {
        PressButton(MouseButton::Left);
        ReleaseButton(MouseButton::Left);
    }
}

void Drag(POINT from, POINT to, MouseButton button, int steps)
{
    MovePointer(from);
    PressButton(button);
    if (steps < 1)
        steps = 1;
    for (int i = 1; i <= steps; ++i) {
        MovePointer({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
    }
    ReleaseButton(button);
}

void KeyDown(WORD virtualKey) { Send(KeyInput(virtualKey, false)); }

void KeyUp(WORD virtualKey) { Send(KeyInput(virtualKey, true)); }

void PressKey(WORD virtualKey, Modifiers modifiers)
{
    const std::vector<WORD> held = ModifierKeys(modifiers);
    for (WORD key : held)
        Send(KeyInput(key, false));
    Send(KeyInput(virtualKey, false));
    Send(KeyInput(virtualKey, true));
    for (auto key = held.rbegin(); key != held.rend(); ++key)
        Send(KeyInput(*key, true));
}

void PressCtrlLetter(char letter, Modifiers extra)
{
    PressKey(static_cast<WORD>(std::toupper(static_cast<unsigned char>(letter))), Ctrl | extra);
}

void TypeText(const std::string& utf8)
{
    std::vector<INPUT> keys;
    for (wchar_t unit : Widen(utf8))
        for (const bool release : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = unit;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0);
            keys.push_back(input);
        }
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    Pause(kEventGapMs);
}

} // namespace wt
