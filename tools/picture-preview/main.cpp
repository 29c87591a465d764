// Shows every picture of ui/Pictures at 1:1 and at 4x, on white and on the blue-to-white
// title gradient, the pictures in their places on mock bands, the icons, and the template manager's
// tool bar pictures and saving picture on a mock tool bar and notice. Closes itself
// after five seconds (take the screenshot meanwhile). The pictures are the program's own resources,
// so the preview links resources/Velmora.rc too. Built by hand:
//   i686-w64-mingw32-windres -I resources resources/Velmora.rc -O coff -o velmora-resources.o
//   i686-w64-mingw32-g++-posix -std=c++17 -Wall -Wextra -Wshadow -DUNICODE -D_UNICODE -I src -static
//       -mwindows -o picture-preview.exe tools/picture-preview/main.cpp src/ui/Pictures.cpp
//       velmora-resources.o -lgdi32 -lmsimg32 -luser32
#include "ui/Pictures.h"

namespace {

const int kWidth = 760;
const int kHeight = 730;
const int kMargin = 20;
const int kBandWidth = kWidth - 2 * kMargin;
const COLORREF kBandBlue = RGB(0, 128, 255);

const Picture kAll[] = {Picture::Logo,       Picture::Minimise, Picture::Close,
                        Picture::SystemMenu, Picture::Search,   Picture::ShowAll};
const wchar_t* const kNames[] = {L"Logo", L"Minimise", L"Close", L"SystemMenu", L"Search", L"ShowAll"};

const Picture kToolBar[] = {Picture::Refresh, Picture::Add, Picture::Edit, Picture::Delete, Picture::Done};
const wchar_t* const kToolBarNames[] = {L"Refresh", L"Add", L"Edit", L"Delete", L"Done"};

Icon g_tray;
Icon g_big;
Icon g_small;

void Fill(HDC dc, int x, int y, int w, int h, COLORREF colour)
{
    RECT r = {x, y, x + w, y + h};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// The title band: blue at the left fading to white at the right.
void Gradient(HDC dc, int x, int y, int w, int h)
{
    TRIVERTEX v[2] = {};
    v[0].x = x;
    v[0].y = y;
    v[0].Red = 0x0000;
    v[0].Green = 0x8000;
    v[0].Blue = 0xff00;
    v[1].x = x + w;
    v[1].y = y + h;
    v[1].Red = 0xff00;
    v[1].Green = 0xff00;
    v[1].Blue = 0xff00;
    GRADIENT_RECT rect = {0, 1};
    GradientFill(dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

void Label(HDC dc, int x, int y, const wchar_t* text) { TextOutW(dc, x, y, text, lstrlenW(text)); }

// The size x size block at (x, y) of `dc` copied 4x larger to (toX, toY), pixels kept square.
void Magnify(HDC dc, int x, int y, int size, int toX, int toY)
{
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, toX, toY, size * 4, size * 4, dc, x, y, size, size, SRCCOPY);
}

void Paint(HDC dc)
{
    Fill(dc, 0, 0, kWidth, kHeight, RGB(210, 210, 210));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));

    // In place: title band, search row, bottom band.
    int y = 10;
    Gradient(dc, kMargin, y, kBandWidth, 25);
    DrawPicture(dc, Picture::Logo, kMargin + 4, y + 4);
    DrawPicture(dc, Picture::Minimise, kMargin + kBandWidth - 46, y + 4);
    DrawPicture(dc, Picture::Close, kMargin + kBandWidth - 23, y + 4);
    y += 25;
    Fill(dc, kMargin, y, kBandWidth, 25, RGB(255, 255, 255));
    DrawPicture(dc, Picture::Search, kMargin + 4, y + 4);
    DrawPicture(dc, Picture::ShowAll, kMargin + kBandWidth - 23, y + 4);
    y += 25;
    Fill(dc, kMargin, y, kBandWidth, 40, RGB(255, 255, 255));
    y += 40;
    Gradient(dc, kMargin, y, kBandWidth, 25);
    DrawPicture(dc, Picture::SystemMenu, kMargin + kBandWidth - 23, y + 4);

    // Each picture 1:1 and 4x, on white and on the gradient.
    const int cell = kBandWidth / 6;
    const int rows[2] = {168, 288};
    Fill(dc, kMargin, rows[0] - 8, kBandWidth, 110, RGB(255, 255, 255));
    Gradient(dc, kMargin, rows[1] - 8, kBandWidth, 110);
    for (int i = 0; i < 6; ++i) {
        const int x = kMargin + i * cell + 8;
        Label(dc, x, rows[0] - 28, kNames[i]);
        for (int row : rows) {
            DrawPicture(dc, kAll[i], x, row);
            Magnify(dc, x, row, 17, x + 24, row);
        }
    }

    // The icons: tray (16) and window icons (32, 16) on white, band blue, dark and grey.
    y = 428;
    const COLORREF grounds[4] = {RGB(255, 255, 255), kBandBlue, RGB(32, 32, 32), RGB(200, 200, 200)};
    Label(dc, kMargin, y - 18, L"Tray icon 16, window icons 32 and 16, tray icon 4x");
    for (int i = 0; i < 4; ++i) {
        const int x = kMargin + i * 180;
        Fill(dc, x, y, 170, 80, grounds[i]);
        DrawIconEx(dc, x + 8, y + 8, g_tray.get(), 16, 16, 0, nullptr, DI_NORMAL);
        DrawIconEx(dc, x + 32, y + 8, g_big.get(), 32, 32, 0, nullptr, DI_NORMAL);
        DrawIconEx(dc, x + 72, y + 8, g_small.get(), 16, 16, 0, nullptr, DI_NORMAL);
        Magnify(dc, x + 8, y + 8, 16, x + 100, y + 8);
    }

    // The template manager: its tool bar in place (picture left of its caption on white), then each
    // tool bar picture 1:1 and 4x on white and on the button face, and the saving notice 1:1 and 4x.
    y = 540;
    Label(dc, kMargin, y - 18, L"Template manager: tool bar, its pictures on white and button face, saving notice");
    Fill(dc, kMargin, y, kBandWidth, 25, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    for (int i = 0; i < 5; ++i) {
        const int x = kMargin + 4 + i * 90;
        DrawPicture(dc, kToolBar[i], x, y + 4);
        Label(dc, x + 21, y + 6, kToolBarNames[i]);
    }
    y += 35;
    const COLORREF faces[2] = {RGB(255, 255, 255), GetSysColor(COLOR_BTNFACE)};
    for (int band = 0; band < 2; ++band) {
        const int top = y + band * 76;
        Fill(dc, kMargin, top, 490, 76, faces[band]);
        for (int i = 0; i < 5; ++i) {
            const int x = kMargin + 8 + i * 96;
            DrawPicture(dc, kToolBar[i], x, top + 4);
            Magnify(dc, x, top + 4, 17, x + 24, top + 4);
        }
    }
    const int noticeX = kMargin + 500;
    Fill(dc, noticeX, y, kBandWidth - 500, 152, RGB(255, 255, 255));
    DrawSavingPicture(dc, noticeX + 8, y + 8);
    Label(dc, noticeX + 8, y + 48, L"Please wait,");
    Label(dc, noticeX + 8, y + 62, L"saving...");
    Magnify(dc, noticeX + 8, y + 8, 33, noticeX + 80, y + 10);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
        HGDIOBJ old = SelectObject(memory, bitmap);
        Paint(memory);
        BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_TIMER: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    g_tray = CreateTrayIcon();
    g_big = CreateAppIcon(32);
    g_small = CreateAppIcon(16);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = g_big.get();
    wc.lpszClassName = L"VelmoraPicturePreview";
    RegisterClassW(&wc);

    RECT r = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowW(wc.lpszClassName, L"Velmora pictures", WS_OVERLAPPEDWINDOW, 0, 0, r.right - r.left,
                                r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_small.get()));
    ShowWindow(window, show);
    SetTimer(window, 1, 5000, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
