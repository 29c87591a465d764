#include "Backdrop.h"

#include "Screen.h"
#include "Wait.h"

#include <stdexcept>

namespace wt {

namespace {

const wchar_t kClassName[] = L"VelmoraTestBackdrop";

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_WINDOWPOSCHANGING:
        // Stay at the bottom whatever else comes and goes.
        reinterpret_cast<WINDOWPOS*>(lParam)->hwndInsertAfter = HWND_BOTTOM;
        return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA)));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        DeleteObject(brush);
        return 1;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

Backdrop::Backdrop(COLORREF colour, RECT area) : colour_(colour)
{
    if (area.right <= area.left || area.bottom <= area.top)
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, area] { run(area); });
    WaitForSingleObject(ready_, 10000);
    if (!window_) {
        thread_.join();
        CloseHandle(ready_);
        throw std::runtime_error("the backdrop window could not be created");
    }
    // Wait until it shows on the screen wherever no other window covers it.
    const bool painted = WaitUntil(
        [&] {
            for (int i = 0; i < 5; ++i)
                for (int j = 0; j < 5; ++j) {
                    const POINT p = {area.left + (area.right - area.left - 1) * i / 4,
                                     area.top + (area.bottom - area.top - 1) * j / 4};
                    if (WindowFromPoint(p) == window_ && ScreenPixel(p.x, p.y) != colour)
                        return false;
                }
            return true;
        },
        5000);
    if (!painted)
        throw std::runtime_error("the backdrop did not show");
}

Backdrop::~Backdrop()
{
    if (window_)
        PostMessageW(window_, WM_CLOSE, 0, 0);
    if (thread_.joinable())
        thread_.join();
    CloseHandle(ready_);
}

void Backdrop::run(RECT area)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BackdropProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassW(&windowClass); // fails harmlessly when an earlier backdrop registered it

    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"Velmora test backdrop", WS_POPUP,
                                  area.left, area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    if (window) {
        SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(colour_));
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        UpdateWindow(window);
    }
    window_ = window;
    SetEvent(ready_);
    if (!window)
        return;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace wt
