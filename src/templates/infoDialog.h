#pragma once
// The saving notice TinfoFrm: "请稍后，系统正在保存数据......" while the manager stores the
// order. Shown without being modal; it has no behaviour of its own and goes with the object.
#include "ui/Window.h"

class TinfoFrm : public Window {
public:
    // Shows the notice owned by `owner`, centred over `centreOver`'s normal place, and
    // paints it at once.
    void Show(HWND owner, HWND centreOver);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void PaintContent(HDC dc);
};
