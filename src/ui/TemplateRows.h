#pragma once
// One row of a template list, painted the same way in the main window and in the
// template manager; only the colours and the length of the shown text differ.
#include "ui/ControlHook.h"

#include <windows.h>

struct RowColours {
    COLORREF even; // rows 1, 3, 5, ... (even index)
    COLORREF odd;  // rows 2, 4, 6, ...
    COLORREF selectedFill;
    COLORREF selectedFrame;
};

// Paints the row of an owner-drawn list box: its fill (or the selection's fill and
// frame), its number from 1 and its text shortened to `shownCharacters`, all texts in
// one column right of the widest number. No row ever gets a focus rectangle.
void PaintTemplateRow(const DRAWITEMSTRUCT& item, HFONT font, const RowColours& colours, int shownCharacters);

// For the subclass of such a list: an empty list paints only its background, where the
// list's own painting would draw a dotted focus frame with no row in it. True when the
// message was handled here, with its result in `result`.
bool EmptyListMessage(const ControlHook& hook, HWND list, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
