#include "ui/Pictures.h"

#include <cstddef>
#include <cstring>

namespace {

// The names resources/Velmora.rc gives the pictures.
const wchar_t* ResourceName(Picture picture)
{
    switch (picture) {
    case Picture::Logo: return L"PICTURE_LOGO";
    case Picture::Minimise: return L"PICTURE_MINIMISE";
    case Picture::Close: return L"PICTURE_CLOSE";
    case Picture::SystemMenu: return L"PICTURE_SYSTEM_MENU";
    case Picture::Search: return L"PICTURE_SEARCH";
    case Picture::ShowAll: return L"PICTURE_SHOW_ALL";
    case Picture::Refresh: return L"PICTURE_REFRESH";
    case Picture::Add: return L"PICTURE_ADD";
    case Picture::Edit: return L"PICTURE_EDIT";
    case Picture::Delete: return L"PICTURE_DELETE";
    case Picture::Done: return L"PICTURE_DONE";
    }
    return L"PICTURE_LOGO";
}
constexpr const wchar_t* kSavingName = L"PICTURE_SAVING";
constexpr const wchar_t* kIconName = L"VELMORA_ICON";

// A 32-bit bitmap resource read in place: blue, green, red and straight (not premultiplied) alpha
// a pixel. The bytes belong to the module and stay valid as long as it is loaded.
struct Pixels {
    const BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    bool bottomUp = true;

    const BYTE* At(int column, int row) const
    {
        const int line = bottomUp ? height - 1 - row : row;
        return bits + (static_cast<std::size_t>(line) * width + column) * 4;
    }
};

DWORD ReadDword(const BYTE* at)
{
    DWORD value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// A BITMAP resource is the .bmp file without its file header. Image editors write 32-bit pictures
// either as BI_RGB, alpha in the fourth byte, or as BI_BITFIELDS with the masks after a short header
// or inside a V4/V5 header; any other layout (palettes, other masks, compression) is refused.
bool FindPixels(const wchar_t* name, Pixels& pixels)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(2)); // RT_BITMAP
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = SizeofResource(module, found);
    BITMAPINFOHEADER header = {};
    if (!data || size < sizeof header)
        return false;
    std::memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof header || header.biSize > size || header.biPlanes != 1 || header.biBitCount != 32 ||
        header.biWidth <= 0 || header.biWidth > 256 || header.biHeight == 0 || header.biHeight > 256 ||
        header.biHeight < -256 || header.biClrUsed != 0)
        return false;

    std::size_t offset = header.biSize;
    if (header.biCompression == BI_BITFIELDS) {
        const bool masksFollow = header.biSize == sizeof header;
        if (size < sizeof header + 3 * sizeof(DWORD))
            return false;
        const BYTE* masks = data + sizeof header;
        if (ReadDword(masks) != 0x00FF0000 || ReadDword(masks + 4) != 0x0000FF00 || ReadDword(masks + 8) != 0x000000FF)
            return false;
        // V4 and V5 headers carry an alpha mask too; a bare header leaves alpha in the fourth byte.
        if (header.biSize >= sizeof header + 4 * sizeof(DWORD) && ReadDword(masks + 12) != 0xFF000000)
            return false;
        if (masksFollow)
            offset += 3 * sizeof(DWORD);
    } else if (header.biCompression != BI_RGB) {
        return false;
    }

    pixels.width = header.biWidth;
    pixels.height = header.biHeight > 0 ? header.biHeight : -header.biHeight;
    pixels.bottomUp = header.biHeight > 0;
    // 32-bit rows need no padding.
    if (size < offset + static_cast<std::size_t>(pixels.width) * pixels.height * 4)
        return false;
    pixels.bits = data + offset;
    return true;
}

BYTE Mix(BYTE top, BYTE below, BYTE alpha)
{
    return static_cast<BYTE>((top * alpha + below * (255 - alpha) + 127) / 255);
}

// Draws the named picture with its top-left corner at (x, y). Opaque pixels are set, transparent ones
// left untouched, and the others mixed with the pixel below them one by one: the pictures are small,
// and this exact rounding is what the screens were checked with.
void DrawNamed(HDC dc, const wchar_t* name, int x, int y)
{
    Pixels pixels;
    if (!FindPixels(name, pixels))
        return;
    for (int row = 0; row < pixels.height; ++row) {
        for (int column = 0; column < pixels.width; ++column) {
            const BYTE* pixel = pixels.At(column, row);
            const BYTE blue = pixel[0], green = pixel[1], red = pixel[2], alpha = pixel[3];
            if (alpha == 0)
                continue;
            COLORREF colour = RGB(red, green, blue);
            if (alpha != 255) {
                const COLORREF below = GetPixel(dc, x + column, y + row);
                if (below == CLR_INVALID)
                    continue; // clipped away
                colour = RGB(Mix(red, GetRValue(below), alpha), Mix(green, GetGValue(below), alpha),
                             Mix(blue, GetBValue(below), alpha));
            }
            SetPixelV(dc, x + column, y + row, colour);
        }
    }
}

} // namespace

void DrawPicture(HDC dc, Picture picture, int x, int y) { DrawNamed(dc, ResourceName(picture), x, y); }

void DrawSavingPicture(HDC dc, int x, int y) { DrawNamed(dc, kSavingName, x, y); }

Icon CreateAppIcon(int size)
{
    if (size <= 0)
        return Icon();
    // The icon file's own image at 16 and 32; at any other size the system scales the nearest one.
    return Icon(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), kIconName, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

Icon CreateTrayIcon() { return CreateAppIcon(16); }
