// Draws the settings dialog's illustration (Image1, 273 x 142): Velmora's main window in
// miniature, in its default colours, with small red captions naming the colour that paints
// each part. It draws with the program's own band painter and pictures, then writes the
// JPEG with libjpeg. The committed resources/settings-illustration.jpg is its output.
//
// Rebuild the JPEG from the repository root (scripts/build-thirdparty.sh must have run):
//   tools/illustration/make.sh
// which runs (each command on one line):
//   cmake -S . -B build/illustration -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
//         -DVELMORA_THIRDPARTY_PATHS=$PWD/build/thirdparty/paths.cmake -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/illustration --target illustration
//   VELMORA_WINEPREFIX=$PWD/build/illustration/wine/prefix scripts/with-wine.sh
//         wine build/illustration/tools/illustration/illustration.exe resources/settings-illustration.jpg
// Under Wine "宋体" is WenQuanYi Zen Hei (scripts/with-wine.sh maps it), so the Chinese texts
// are drawn in that face.
#include "ui/Gdi.h"
#include "ui/Pictures.h"

#include <cstdio>
#include <cwchar>
#include <vector>

#include <jpeglib.h>

namespace {

const int kWidth = 273;
const int kHeight = 142;

// The delivered colours (the defaults of the configuration record).
const COLORREF kTitleColour = RGB(0, 128, 255);
const COLORREF kRowColour = RGB(255, 255, 255);
const COLORREF kAlternateRowColour = RGB(230, 230, 242);
const COLORREF kSelectedFill = RGB(255, 206, 157);
const COLORREF kSelectedFrame = RGB(255, 128, 0);
const COLORREF kBorder = RGB(128, 128, 128);
const COLORREF kCaption = RGB(255, 0, 0);

// Rows of the picture, top to bottom: the main window's own, with the bands and the
// search row a little lower so that three list rows and the bottom band fit.
const RECT kTitleBand = {1, 1, kWidth - 1, 27};
const RECT kTopBevel = {1, 27, kWidth - 1, 29};
const RECT kSearchRow = {1, 29, kWidth - 1, 53};
const RECT kSearchBevel = {1, 53, kWidth - 1, 55};
const int kFirstRowTop = 55;
const int kRowHeight = 22; // the list's own row height
const RECT kListRest = {1, kFirstRowTop + 3 * kRowHeight, kWidth - 1, 124};
const RECT kBottomBevel = {1, 124, kWidth - 1, 126};
const RECT kBottomBand = {1, 126, kWidth - 1, kHeight - 1};

void Text(HDC dc, int x, int y, const wchar_t* text, COLORREF colour)
{
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text, static_cast<int>(wcslen(text)));
}

// A caption whose right end is at `right`, its middle on `middleY`.
void Caption(HDC dc, int right, int middleY, const wchar_t* text)
{
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    Text(dc, right - size.cx, middleY - size.cy / 2, text, kCaption);
}

void PaintRow(HDC dc, int index, const wchar_t* text, HFONT font)
{
    const RECT row = {1, kFirstRowTop + index * kRowHeight, kWidth - 1, kFirstRowTop + (index + 1) * kRowHeight};
    if (index == 2) {
        Pen frame(CreatePen(PS_SOLID, 1, kSelectedFrame));
        Brush fill(CreateSolidBrush(kSelectedFill));
        SelectGuard penGuard(dc, frame.get());
        SelectGuard brushGuard(dc, fill.get());
        Rectangle(dc, row.left, row.top, row.right, row.bottom);
    } else {
        FillSolid(dc, row, index == 1 ? kAlternateRowColour : kRowColour);
    }
    SelectGuard fontGuard(dc, font);
    // Number and text where the list puts them: the number 5 px in, the text 10 px past it.
    const wchar_t number[] = {static_cast<wchar_t>(L'1' + index), L'.', 0};
    SIZE digit = {};
    GetTextExtentPoint32W(dc, number, 1, &digit);
    const int y = row.top + (kRowHeight - digit.cy) / 2;
    Text(dc, row.left + 5, y, number, RGB(0, 0, 0));
    Text(dc, row.left + 3 + digit.cx + 10, y, text, RGB(0, 0, 0));
}

void PaintIllustration(HDC dc)
{
    // One pixel larger than the program's 12 px: at 12 px the stand-in face uses its coarse
    // bitmap strikes, which lose strokes in a picture this small. The captions are bold for the same reason.
    Font font = MakeFont(L"宋体", 13);
    Font titleFont = MakeFont(L"宋体", 12, true);
    Font captionFont = MakeFont(L"宋体", 12, true);
    SetBkMode(dc, TRANSPARENT);

    FillSolid(dc, {0, 0, kWidth, kHeight}, kBorder);
    FillSolid(dc, {1, 1, kWidth - 1, kHeight - 1}, RGB(255, 255, 255));

    PaintGradient(dc, kTitleBand, kTitleColour);
    DrawPicture(dc, Picture::Logo, 7, 5);
    {
        SelectGuard guard(dc, titleFont.get());
        Text(dc, 29, 8, L"Velmora 1.0", RGB(255, 255, 255));
    }
    DrawPicture(dc, Picture::Minimise, kWidth - 52, 5);
    DrawPicture(dc, Picture::Close, kWidth - 28, 5);
    PaintBevel(dc, kTopBevel);

    SelectGuard fontGuard(dc, font.get());
    Text(dc, 8, 35, L"搜索", RGB(0, 0, 0));
    RECT box = {39, 32, 192, 50};
    DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
    DrawPicture(dc, Picture::Search, 203, 32);
    DrawPicture(dc, Picture::ShowAll, 226, 33);
    PaintBevel(dc, kSearchBevel);

    PaintRow(dc, 0, L"您好,很高兴为您服务", font.get());
    PaintRow(dc, 1, L"请稍等", font.get());
    PaintRow(dc, 2, L"祝您生活愉快", font.get());
    FillSolid(dc, kListRest, kRowColour);
    PaintBevel(dc, kBottomBevel);
    PaintGradient(dc, kBottomBand, kTitleColour);

    // The captions: on the title band right of the title, on each row at its right end.
    SelectGuard captionGuard(dc, captionFont.get());
    Caption(dc, kWidth - 58, (kTitleBand.top + kTitleBand.bottom) / 2, L"标题颜色");
    for (int index = 0; index < 3; ++index) {
        static const wchar_t* const kRowCaptions[] = {L"背景颜色", L"隔行颜色", L"选择行颜色"};
        Caption(dc, kWidth - 8, kFirstRowTop + index * kRowHeight + kRowHeight / 2, kRowCaptions[index]);
    }
}

bool WriteJpeg(const char* path, const unsigned char* bgra, int width, int height)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    // libjpeg's default error handling prints the reason and ends the tool: fine here.
    jpeg_compress_struct info = {};
    jpeg_error_mgr errors = {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    // Full-resolution colour: the default halves it, which smears the thin red captions.
    info.comp_info[0].h_samp_factor = 1;
    info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        const unsigned char* source = bgra + static_cast<size_t>(info.next_scanline) * width * 4;
        for (int x = 0; x < width; ++x) {
            row[x * 3] = source[x * 4 + 2];
            row[x * 3 + 1] = source[x * 4 + 1];
            row[x * 3 + 2] = source[x * 4];
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: illustration OUTPUT.jpg\n");
        return 2;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    if (!bitmap || !bits || !dc) {
        std::fprintf(stderr, "illustration: no drawing surface\n");
        return 1;
    }
    {
        SelectGuard guard(dc, bitmap.get());
        PaintIllustration(dc);
        GdiFlush();
    }
    DeleteDC(dc);
    if (!WriteJpeg(argv[1], static_cast<const unsigned char*>(bits), kWidth, kHeight)) {
        std::fprintf(stderr, "illustration: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("illustration: wrote %s (%d x %d)\n", argv[1], kWidth, kHeight);
    return 0;
}
