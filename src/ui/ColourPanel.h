#pragma once
// A flat rectangle with a one-line border, filled with its colour; it takes the focus
// and tells its parent when it is clicked (or chosen with Space), as a button would:
// WM_COMMAND with its id and BN_CLICKED.
#include "ui/Window.h"

class ColourPanel : public Window {
public:
    bool Create(HWND parent, int id, const RECT& place);
    COLORREF colour() const { return colour_; }
    void setColour(COLORREF colour);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    void Clicked();

    COLORREF colour_ = RGB(255, 255, 255);
    int id_ = 0;
};
