#include "app/ImportWait.h"

#include "common/ImportMutex.h"
#include "ui/Gdi.h"
#include "ui/MessagePump.h"
#include "ui/Window.h"

#include <windows.h>

namespace {

const DWORD kQuietWaitMs = 2000;
const int kWidth = 400;
const int kHeight = 64;
const wchar_t kNotice[] = L"VelmoraDb 正在导入模板，导入结束后 Velmora 就会启动……";

// Shown from the moment the wait becomes noticeable until it ends; no main window exists yet,
// so it stands alone in the middle of the screen. The window text is the notice too.
class ImportWaitNotice : public Window {
public:
    void Show()
    {
        RECT area{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        const int x = area.left + (area.right - area.left - kWidth) / 2;
        const int y = area.top + (area.bottom - area.top - kHeight) / 2;
        if (!CreateWindowOf(L"VelmoraImportWait", WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WS_POPUP, kNotice, x, y, kWidth,
                            kHeight, nullptr))
            return; // a courtesy: the wait goes on without it
        ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd());
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT painted = 0;
        if (HandlePaintMessages(hwnd(), msg, wParam, painted, [](HDC dc) { PaintContent(dc); }))
            return painted;
        if (msg == WM_MOUSEACTIVATE)
            return MA_NOACTIVATE;
        return DefaultHandling(msg, wParam, lParam);
    }

private:
    static void PaintContent(HDC dc)
    {
        RECT all = {0, 0, kWidth, kHeight};
        FillSolid(dc, all, RGB(0, 0, 0));
        InflateRect(&all, -1, -1);
        FillSolid(dc, all, RGB(255, 255, 255));
        Font font = MakeFont(L"宋体", 12);
        SelectGuard select(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextW(dc, kNotice, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
};

} // namespace

void WaitForDatabaseImport()
{
    const HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, kImportMutexName);
    if (!lock)
        return; // no import runs
    DWORD waited = WaitForSingleObject(lock, kQuietWaitMs);
    if (waited == WAIT_TIMEOUT) {
        ImportWaitNotice notice;
        notice.Show();
        // The notice is painted while the wait goes on.
        while ((waited = MsgWaitForMultipleObjects(1, &lock, FALSE, INFINITE, QS_ALLINPUT)) == WAIT_OBJECT_0 + 1)
            ProcessPendingMessages();
    }
    // Owning the mutex was only the sign that the import ended (or its process did).
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0)
        ReleaseMutex(lock);
    CloseHandle(lock);
}
