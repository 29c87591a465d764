#pragma once
// Decodes a JPEG held in memory (the settings illustration, embedded as a resource) into plain pixels.
#include <cstddef>
#include <vector>

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr; // top-down rows, 3 bytes per pixel, blue first, no padding
};

// True with `picture` filled when the whole picture decoded cleanly. Anything else (no data, not a
// JPEG, cut short, damaged, too large) gives false with `picture` empty: libjpeg's guesses for
// damaged data are never shown.
bool DecodeJpeg(const unsigned char* data, std::size_t size, DecodedPicture& picture);
