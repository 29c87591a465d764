#include "ui/JpegPicture.h"

#include "common/JpegDecoder.h"

#include <cstring>

namespace {

struct DeleteMemoryDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = UniqueResource<HDC, DeleteMemoryDc>;

bool ResourceBytes(int id, const unsigned char*& data, DWORD& size)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found)
        return false;
    // A resource handle needs no freeing, and the locked bytes stay valid as long as the module.
    HGLOBAL loaded = LoadResource(module, found);
    size = SizeofResource(module, found);
    data = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    return data && size > 0;
}

} // namespace

Bitmap LoadJpegResource(int id)
{
    const unsigned char* data = nullptr;
    DWORD size = 0;
    DecodedPicture picture;
    if (!ResourceBytes(id, data, size) || !DecodeJpeg(data, size, picture))
        return Bitmap();

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height; // top-down, as the decoder's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return Bitmap();

    // A DIB row is padded to a multiple of four bytes; the decoder's rows are not.
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    const size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);
    auto* target = static_cast<unsigned char*>(bits);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(target + stride * y, picture.bgr.data() + rowBytes * y, rowBytes);
    GdiFlush();
    return bitmap;
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y)
{
    BITMAP size = {};
    if (!dc || !bitmap || !GetObjectW(bitmap, sizeof(size), &size))
        return;
    MemoryDc source(CreateCompatibleDC(dc));
    if (!source)
        return;
    SelectGuard guard(source.get(), bitmap);
    BitBlt(dc, x, y, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
}
