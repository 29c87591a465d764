#include "Screen.h"

#include "Gdi.h"
#include "Handle.h"
#include "ProgramFolder.h"
#include "Text.h"
#include "Wait.h"

#include <stdexcept>

namespace wt {

DibCanvas::DibCanvas(int width, int height) : width_(width), height_(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ScreenDc screen;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_)
        throw std::runtime_error(LastErrorText("CreateDIBSection"));
    bits_ = static_cast<std::uint32_t*>(bits);
    dc_ = CreateCompatibleDC(screen.get());
    previous_ = SelectObject(dc_, bitmap_);
}

DibCanvas::~DibCanvas()
{
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

void DibCanvas::fill(COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
    GdiFlush();
}

Image CaptureScreenArea(const RECT& area)
{
    Image image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    if (image.width <= 0 || image.height <= 0)
        return Image{};
    DibCanvas canvas(image.width, image.height);
    ScreenDc screen;
    if (!BitBlt(canvas.dc(), 0, 0, image.width, image.height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT))
        throw std::runtime_error(LastErrorText("BitBlt from the screen"));
    GdiFlush();
    image.pixels.assign(canvas.pixels(), canvas.pixels() + static_cast<size_t>(image.width) * image.height);
    for (std::uint32_t& p : image.pixels)
        p &= 0xFFFFFF;
    return image;
}

Image CaptureScreen()
{
    return CaptureScreenArea({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

Image CaptureWindow(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return CaptureScreenArea(rect);
}

COLORREF ScreenPixel(int x, int y) { return CaptureScreenArea({x, y, x + 1, y + 1}).pixel(0, 0); }

bool WaitForPixel(POINT point, COLORREF colour, unsigned timeoutMs)
{
    return WaitUntil([&] { return ScreenPixel(point.x, point.y) == colour; }, timeoutMs, 20);
}

std::string ScreenshotFolder()
{
    std::string folder = EnvironmentPath("VELMORA_SCREENSHOTS");
    if (folder.empty())
        folder = "screenshots";
    MakeFolders(folder);
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string SaveScreenshot(const Image& image, const std::string& fileName)
{
    const std::string path = ScreenshotFolder() + fileName;
    const std::vector<std::uint8_t> png = EncodePng(image);
    UniqueHandle file(
        CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr) ||
        written != png.size())
        throw std::runtime_error(LastErrorText("writing screenshot " + path));
    return path;
}

std::string SaveWindowScreenshot(HWND window, const std::string& fileName)
{
    return SaveScreenshot(CaptureWindow(window), fileName);
}

std::string SaveScreenScreenshot(const std::string& fileName) { return SaveScreenshot(CaptureScreen(), fileName); }

} // namespace wt
