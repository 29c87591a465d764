#include "ui/Pictures.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

struct Ink {
    char key;
    BYTE red, green, blue, alpha;
};

// '.' is transparent. Upper case: opaque ink, the program's dark and blue, white, pale blue, and
// the green (add, done) and red (delete) of the template manager's tool bar. Lower case: the
// same colour half transparent, for the outer anti-aliasing; it is blended with whatever lies below.
// 'm' is ink half mixed into white, for the inner anti-aliasing of an outline around a white fill.
constexpr char kClear = '.';
// The tables below are drawn one row a line; keep the formatter off them.
// clang-format off
constexpr Ink kInks[] = {
    {'K', 22, 48, 86, 255},
    {'k', 22, 48, 86, 150},
    {'m', 138, 151, 170, 255},
    {'B', 0, 102, 214, 255},
    {'b', 0, 102, 214, 140},
    {'W', 255, 255, 255, 255},
    {'L', 222, 236, 255, 255},
    {'G', 24, 140, 60, 255},
    {'g', 24, 140, 60, 140},
    {'R', 208, 40, 40, 255},
    {'r', 208, 40, 40, 140},
};
// clang-format on

constexpr const Ink* FindInk(char key)
{
    for (const Ink& ink : kInks)
        if (ink.key == key)
            return &ink;
    return nullptr;
}

// The map is square: every row is exactly as long as the map is tall and uses known keys only.
template <std::size_t Rows, std::size_t Columns>
constexpr bool IsWellFormed(const char (&map)[Rows][Columns])
{
    if (Columns != Rows + 1)
        return false;
    for (std::size_t y = 0; y < Rows; ++y) {
        for (std::size_t x = 0; x < Rows; ++x)
            if (map[y][x] != kClear && FindInk(map[y][x]) == nullptr)
                return false;
        if (map[y][Rows] != '\0')
            return false;
    }
    return true;
}

constexpr int kSize = 17;
constexpr int kIconSize = 16;
constexpr int kSavingSize = 33;
using PictureMap = char[kSize][kSize + 1];
using IconMap = char[kIconSize][kIconSize + 1];
using SavingMap = char[kSavingSize][kSavingSize + 1];

// clang-format off
// A speech bubble holding a "V": the canned reply.
constexpr PictureMap kLogo = {
    ".................",
    "..kKKKKKKKKKKKk..",
    ".KmWWWWWWWWWWWmK.",
    "KmWWWWWWWWWWWWWmK",
    "KWWBBWWWWWWWBBWWK",
    "KWWWBBWWWWWBBWWWK",
    "KWWWWBBWWWBBWWWWK",
    "KWWWWWBBWBBWWWWWK",
    "KWWWWWWBBBWWWWWWK",
    "KmWWWWWWBWWWWWWmK",
    ".KmWWWWWWWWWWWmK.",
    "..kKKWWWKKKKKKk..",
    "....KWWK.........",
    "....KWK..........",
    "....KK...........",
    "....K............",
    ".................",
};

// The same bubble one pixel narrower and shorter, for icons.
constexpr IconMap kLogoIcon = {
    "................",
    "..kKKKKKKKKKKk..",
    ".KmWWWWWWWWWWmK.",
    "KmWWWWWWWWWWWWmK",
    "KWWBBWWWWWWBBWWK",
    "KWWWBBWWWWBBWWWK",
    "KWWWWBBWWBBWWWWK",
    "KWWWWWBBBBWWWWWK",
    "KWWWWWWBBWWWWWWK",
    "KmWWWWWWWWWWWWmK",
    ".KmWWWWWWWWWWmK.",
    "..kKKWWWKKKKKk..",
    "....KWWK........",
    "....KWK.........",
    "....KK..........",
    "....K...........",
};

constexpr PictureMap kMinimise = {
    ".................",
    ".................",
    ".................",
    ".................",
    ".................",
    ".................",
    ".................",
    ".................",
    "....KKKKKKKKK....",
    "....KKKKKKKKK....",
    ".................",
    ".................",
    ".................",
    ".................",
    ".................",
    ".................",
    ".................",
};

constexpr PictureMap kClose = {
    ".................",
    ".................",
    ".................",
    ".................",
    "....KK.....KK....",
    "....KKK...KKK....",
    ".....KKK.KKK.....",
    "......KKKKK......",
    ".......KKK.......",
    "......KKKKK......",
    ".....KKK.KKK.....",
    "....KKK...KKK....",
    "....KK.....KK....",
    ".................",
    ".................",
    ".................",
    ".................",
};

// A down-pointing chevron on a rounded blue key.
constexpr PictureMap kSystemMenu = {
    ".................",
    "..bBBBBBBBBBBBb..",
    ".bBBBBBBBBBBBBBb.",
    ".BBBBBBBBBBBBBBB.",
    ".BBBBBBBBBBBBBBB.",
    ".BBBBBBBBBBBBBBB.",
    ".BBBWWBBBBBWWBBB.",
    ".BBBWWWBBBWWWBBB.",
    ".BBBBWWWBWWWBBBB.",
    ".BBBBBWWWWWBBBBB.",
    ".BBBBBBWWWBBBBBB.",
    ".BBBBBBBWBBBBBBB.",
    ".BBBBBBBBBBBBBBB.",
    ".BBBBBBBBBBBBBBB.",
    ".bBBBBBBBBBBBBBb.",
    "..bBBBBBBBBBBBb..",
    ".................",
};

// A magnifier with a pale blue lens.
constexpr PictureMap kSearch = {
    ".................",
    ".................",
    "....kKKKKk.......",
    "...KKKKKKKK......",
    "..kKKmLLmKKk.....",
    "..KKmLLLLmKK.....",
    "..KKLLLLLLKK.....",
    "..KKLLLLLLKK.....",
    "..KKmLLLLmKK.....",
    "..kKKmLLmKKk.....",
    "...KKKKKKKKKk....",
    "....kKKKKkKKKk...",
    "...........KKKk..",
    "............KKKk.",
    ".............kKK.",
    ".................",
    ".................",
};

// A list: three blue bullets, three lines.
constexpr PictureMap kShowAll = {
    ".................",
    ".................",
    ".................",
    "..BB..KKKKKKKKK..",
    "..BB..KKKKKKKKK..",
    ".................",
    ".................",
    "..BB..KKKKKKKKK..",
    "..BB..KKKKKKKKK..",
    ".................",
    ".................",
    "..BB..KKKKKKKKK..",
    "..BB..KKKKKKKKK..",
    ".................",
    ".................",
    ".................",
    ".................",
};

// The template manager's tool bar. Each sits left of its caption on white, so the strokes are
// two or three pixels wide to read at 1:1.

// A circular arrow turning clockwise, its head at the top.
constexpr PictureMap kRefresh = {
    ".................",
    "........Bb.......",
    "........BBB......",
    ".....bBBBBBBb....",
    "....bBBBBBBBb....",
    "...bBBb.BBB......",
    "...BBb..Bb.......",
    "..bBB............",
    "..bBb.......bBb..",
    "..bBb.......bBb..",
    "..bBB.......BBb..",
    "...BBb.....bBB...",
    "...bBBb...bBBb...",
    "....bBBBBBBBb....",
    ".....bBBBBBb.....",
    ".................",
    ".................",
};

// A green plus.
constexpr PictureMap kAdd = {
    ".................",
    ".................",
    ".......GGG.......",
    ".......GGG.......",
    ".......GGG.......",
    ".......GGG.......",
    ".......GGG.......",
    "..GGGGGGGGGGGGG..",
    "..GGGGGGGGGGGGG..",
    "..GGGGGGGGGGGGG..",
    ".......GGG.......",
    ".......GGG.......",
    ".......GGG.......",
    ".......GGG.......",
    ".......GGG.......",
    ".................",
    ".................",
};

// A pencil writing towards the lower left: blue body, pale wood, dark lead and end.
constexpr PictureMap kEdit = {
    ".................",
    "............KK...",
    "...........KKLK..",
    "..........KKLLLK.",
    ".........KKKLLKK.",
    "........KKBBKKK..",
    ".......KKBBBKK...",
    "......KKBBBKK....",
    ".....KKBBBKK.....",
    "....KKBBBKK......",
    "...kKBBBKK.......",
    "...KLBBKK........",
    "...KLLKK.........",
    "..kKKKk..........",
    "..kk.............",
    ".................",
    ".................",
};

// A red cross, heavier than the close cross of the title band.
constexpr PictureMap kDelete = {
    ".................",
    ".................",
    ".................",
    "...RRr.....rRR...",
    "...RRRr...rRRR...",
    "...rRRRr.rRRRr...",
    "....rRRRRRRRr....",
    ".....rRRRRRr.....",
    "......RRRRR......",
    ".....rRRRRRr.....",
    "....rRRRRRRRr....",
    "...rRRRr.rRRRr...",
    "...RRRr...rRRR...",
    "...RRr.....rRR...",
    ".................",
    ".................",
    ".................",
};

// A green check mark.
constexpr PictureMap kDone = {
    ".................",
    ".................",
    ".................",
    ".............GGg.",
    "............GGGg.",
    "...........GGGG..",
    "..........gGGG...",
    "..gg.....gGGGg...",
    ".gGGg....GGGg....",
    ".gGGGg..GGGG.....",
    "..gGGGgGGGG......",
    "...gGGGGGG.......",
    "....gGGGGg.......",
    ".....gGGg........",
    "......gg.........",
    ".................",
    ".................",
};

// The "please wait, saving" notice: a database drum, pale top and three blue discs.
constexpr SavingMap kSaving = {
    ".................................",
    ".................................",
    ".............kkkkkkk.............",
    "........kkKKKKKKKKKKKKKkk........",
    "......kKKKLLLLLLLLLLLLLKKKk......",
    ".....KKLLLLLLLLLLLLLLLLLLLKK.....",
    "....KLLLLLLLLLLLLLLLLLLLLLLLK....",
    "....KLLLLLLLLLLLLLLLLLLLLLLLK....",
    "....KKKLLLLLLLLLLLLLLLLLLLKKK....",
    "....KBKKKLLLLLLLLLLLLLLLKKKBK....",
    "....KBBBBKKKKKKKKKKKKKKKBBBBK....",
    "....KBBBBBBBBBBKKKBBBBBBBBBBK....",
    "....KBBBBBBBBBBBBBBBBBBBBBBBK....",
    "....KWBBBBBBBBBBBBBBBBBBBBBWK....",
    "....KWBBBBBBBBBBBBBBBBBBBBBWK....",
    "....KWWWBBBBBBBBBBBBBBBBBWWWK....",
    "....KWWWWWBBBBBBBBBBBBBWWWWWK....",
    "....KBBBWWWWWWWWWWWWWWWWWBBBK....",
    "....KBBBBBBBBWWWWWWWBBBBBBBBK....",
    "....KBBBBBBBBBBBBBBBBBBBBBBBK....",
    "....KWBBBBBBBBBBBBBBBBBBBBBWK....",
    "....KWWBBBBBBBBBBBBBBBBBBBWWK....",
    "....KWWWWBBBBBBBBBBBBBBBWWWWK....",
    "....KBWWWWWWWWBBBBBWWWWWWWWBK....",
    "....KBBBBBWWWWWWWWWWWWWBBBBBK....",
    "....KBBBBBBBBBBBBBBBBBBBBBBBK....",
    "....KBBBBBBBBBBBBBBBBBBBBBBBK....",
    ".....KKBBBBBBBBBBBBBBBBBBBKK.....",
    "......kKKBBBBBBBBBBBBBBBKKk......",
    "........kkKKKKKKKKKKKKKkk........",
    ".............kkkkkkk.............",
    ".................................",
    ".................................",
};
// clang-format on

static_assert(IsWellFormed(kLogo), "kLogo");
static_assert(IsWellFormed(kLogoIcon), "kLogoIcon");
static_assert(IsWellFormed(kMinimise), "kMinimise");
static_assert(IsWellFormed(kClose), "kClose");
static_assert(IsWellFormed(kSystemMenu), "kSystemMenu");
static_assert(IsWellFormed(kSearch), "kSearch");
static_assert(IsWellFormed(kShowAll), "kShowAll");
static_assert(IsWellFormed(kRefresh), "kRefresh");
static_assert(IsWellFormed(kAdd), "kAdd");
static_assert(IsWellFormed(kEdit), "kEdit");
static_assert(IsWellFormed(kDelete), "kDelete");
static_assert(IsWellFormed(kDone), "kDone");
static_assert(IsWellFormed(kSaving), "kSaving");

const PictureMap& MapOf(Picture picture)
{
    switch (picture) {
    case Picture::Logo: return kLogo;
    case Picture::Minimise: return kMinimise;
    case Picture::Close: return kClose;
    case Picture::SystemMenu: return kSystemMenu;
    case Picture::Search: return kSearch;
    case Picture::ShowAll: return kShowAll;
    case Picture::Refresh: return kRefresh;
    case Picture::Add: return kAdd;
    case Picture::Edit: return kEdit;
    case Picture::Delete: return kDelete;
    case Picture::Done: return kDone;
    }
    return kLogo;
}

BYTE Mix(BYTE top, BYTE below, BYTE alpha)
{
    return static_cast<BYTE>((top * alpha + below * (255 - alpha) + 127) / 255);
}

// Draws a square map of any size with its top-left corner at (x, y); transparent pixels are left untouched.
template <std::size_t Rows, std::size_t Columns>
void DrawMap(HDC dc, const char (&map)[Rows][Columns], int x, int y)
{
    static_assert(Columns == Rows + 1, "a square map of null-terminated rows");
    constexpr int size = static_cast<int>(Rows);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            const Ink* ink = FindInk(map[row][column]);
            if (ink == nullptr)
                continue;
            COLORREF colour = RGB(ink->red, ink->green, ink->blue);
            if (ink->alpha != 255) {
                const COLORREF below = GetPixel(dc, x + column, y + row);
                if (below == CLR_INVALID)
                    continue; // clipped away
                colour = RGB(Mix(ink->red, GetRValue(below), ink->alpha), Mix(ink->green, GetGValue(below), ink->alpha),
                             Mix(ink->blue, GetBValue(below), ink->alpha));
            }
            SetPixelV(dc, x + column, y + row, colour);
        }
    }
}

} // namespace

void DrawPicture(HDC dc, Picture picture, int x, int y) { DrawMap(dc, MapOf(picture), x, y); }

void DrawSavingPicture(HDC dc, int x, int y) { DrawMap(dc, kSaving, x, y); }

Icon CreateAppIcon(int size)
{
    if (size <= 0)
        return Icon();

    // Colour: 32-bit top-down DIB with straight (not premultiplied) alpha.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const Bitmap colour(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || bits == nullptr)
        return Icon();

    // Mask: 1 bit a pixel, rows padded to 16 bits; set where the picture is transparent.
    const int maskStride = (size + 15) / 16 * 2;
    std::vector<BYTE> maskBits(static_cast<std::size_t>(maskStride) * size, 0);

    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Nearest neighbour: whole multiples of 16 keep the pixels square.
            const Ink* ink = FindInk(kLogoIcon[y * kIconSize / size][x * kIconSize / size]);
            std::uint32_t& pixel = pixels[static_cast<std::size_t>(y) * size + x];
            if (ink == nullptr) {
                pixel = 0;
                maskBits[static_cast<std::size_t>(y) * maskStride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            } else {
                pixel = static_cast<std::uint32_t>(ink->alpha) << 24 | static_cast<std::uint32_t>(ink->red) << 16 |
                        static_cast<std::uint32_t>(ink->green) << 8 | ink->blue;
            }
        }
    }
    const Bitmap mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
    if (!mask)
        return Icon();

    // The icon gets its own copies of both bitmaps; ours go with their owners.
    ICONINFO iconInfo = {};
    iconInfo.fIcon = TRUE;
    iconInfo.hbmMask = mask.get();
    iconInfo.hbmColor = colour.get();
    return Icon(CreateIconIndirect(&iconInfo));
}

Icon CreateTrayIcon() { return CreateAppIcon(kIconSize); }
