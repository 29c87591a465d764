// Captured pixels and their PNG form.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wt {

// Pixels in rows top to bottom, each 0x00RRGGBB (the layout of a 32-bit DIB).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    // The pixel as a COLORREF (RGB(r, g, b)), for comparing with GetSysColor and friends.
    COLORREF pixel(int x, int y) const;
    bool empty() const { return pixels.empty(); }
    // How many pixels are exactly `colour`.
    std::size_t count(COLORREF colour) const;
    // True when every pixel is black (what a failed screen read gives).
    bool allBlack() const;
    // The part inside `area` (coordinates of this image), clipped to it.
    Image crop(const RECT& area) const;
};

// The largest difference of a red, green or blue channel.
int ColourDistance(COLORREF a, COLORREF b);

// An 8-bit RGB PNG with "stored" (uncompressed) deflate blocks.
std::vector<std::uint8_t> EncodePng(const Image& image);
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);

} // namespace wt
