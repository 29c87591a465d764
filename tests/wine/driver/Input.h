// Mouse and keyboard input as a user gives it, through SendInput.
// Wine delivers keyboard input (and hotkeys) only while one of its windows has the focus:
// give a window the focus first (TargetProcess::focusEdit does).
#pragma once

#include <windows.h>

#include <string>

namespace wt {

enum class MouseButton { Left, Right };

enum Modifiers : unsigned { NoModifiers = 0, Ctrl = 1, Shift = 2, Alt = 4 };
inline Modifiers operator|(Modifiers a, Modifiers b) { return static_cast<Modifiers>(unsigned(a) | unsigned(b)); }

// Moves the pointer to screen point `to`.
void MovePointer(POINT to);
POINT PointerPosition();

void PressButton(MouseButton button);
void ReleaseButton(MouseButton button);
void Click(POINT at, MouseButton button = MouseButton::Left);
void RightClick(POINT at);
void DoubleClick(POINT at);
// Presses `button` at `from`, moves to `to` in `steps` steps, releases it there.
void Drag(POINT from, POINT to, MouseButton button = MouseButton::Left, int steps = 10);

// One key going down or up, for a caller that times what happens between the two.
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
// Presses and releases the key `virtualKey` with `modifiers` held.
void PressKey(WORD virtualKey, Modifiers modifiers = NoModifiers);
// Ctrl+letter ('A'..'Z', either case), Shift and Alt added when asked.
void PressCtrlLetter(char letter, Modifiers extra = NoModifiers);
// Types `utf8` into the window with the focus as one burst of key presses, one character each
// (as an input method hands on the characters chosen: VK_PACKET keys that arrive as WM_CHAR).
void TypeText(const std::string& utf8);

} // namespace wt
