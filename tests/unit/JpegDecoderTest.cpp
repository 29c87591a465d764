#include "common/JpegDecoder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include <jpeglib.h>

namespace {

struct Rgb {
    int r, g, b;
};

// Encodes a picture whose top half is `top` and bottom half `bottom`, with libjpeg's own compressor.
std::vector<unsigned char> EncodeTwoBands(int width, int height, Rgb top, Rgb bottom, bool grey = false)
{
    jpeg_compress_struct info = {};
    jpeg_error_mgr errors = {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        const Rgb c = static_cast<int>(info.next_scanline) < height / 2 ? top : bottom;
        for (int x = 0; x < width; ++x) {
            if (grey) {
                row[x] = static_cast<unsigned char>(c.r);
                continue;
            }
            row[x * 3] = static_cast<unsigned char>(c.r);
            row[x * 3 + 1] = static_cast<unsigned char>(c.g);
            row[x * 3 + 2] = static_cast<unsigned char>(c.b);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

// Blue, green, red of the pixel, as the decoder stores it.
void ExpectPixel(const DecodedPicture& picture, int x, int y, Rgb expected, int tolerance = 6)
{
    const size_t at = (static_cast<size_t>(y) * picture.width + x) * 3;
    ASSERT_LT(at + 2, picture.bgr.size());
    EXPECT_NEAR(picture.bgr[at], expected.b, tolerance) << "blue at " << x << "," << y;
    EXPECT_NEAR(picture.bgr[at + 1], expected.g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(picture.bgr[at + 2], expected.r, tolerance) << "red at " << x << "," << y;
}

void ExpectEmpty(const DecodedPicture& picture)
{
    EXPECT_EQ(picture.width, 0);
    EXPECT_EQ(picture.height, 0);
    EXPECT_TRUE(picture.bgr.empty());
}

const Rgb kOrange = {255, 128, 0};
const Rgb kBlue = {0, 64, 255};

} // namespace

TEST(JpegDecoder, NoDataFailsAndEmptiesAPictureFilledBefore)
{
    DecodedPicture picture;
    const std::vector<unsigned char> good = EncodeTwoBands(8, 8, kOrange, kOrange);
    ASSERT_TRUE(DecodeJpeg(good.data(), good.size(), picture));

    EXPECT_FALSE(DecodeJpeg(nullptr, 0, picture));
    ExpectEmpty(picture);
    ASSERT_TRUE(DecodeJpeg(good.data(), good.size(), picture));
    EXPECT_FALSE(DecodeJpeg(good.data(), 0, picture));
    ExpectEmpty(picture);
}

TEST(JpegDecoder, GarbageFailsCleanly)
{
    DecodedPicture picture;
    std::vector<unsigned char> garbage(500);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<unsigned char>(i * 37 + 11);
    EXPECT_FALSE(DecodeJpeg(garbage.data(), garbage.size(), picture));
    ExpectEmpty(picture);

    // A JPEG start marker followed by junk: libjpeg reads on and then gives up.
    garbage[0] = 0xFF;
    garbage[1] = 0xD8;
    EXPECT_FALSE(DecodeJpeg(garbage.data(), garbage.size(), picture));
    ExpectEmpty(picture);
}

TEST(JpegDecoder, EveryCutShortCopyFailsInsteadOfShowingGrey)
{
    // libjpeg would pad a cut-short file with grey and call it a warning; every cut must fail,
    // down to one that loses only the last byte of the end marker.
    const std::vector<unsigned char> good = EncodeTwoBands(40, 20, kOrange, kBlue);
    DecodedPicture picture;
    for (size_t cut = 1; cut < good.size(); ++cut) {
        EXPECT_FALSE(DecodeJpeg(good.data(), cut, picture)) << "cut at " << cut << " of " << good.size();
        ExpectEmpty(picture);
        if (HasFailure())
            break;
    }
}

TEST(JpegDecoder, GoodPictureDecodesTopDownBlueFirst)
{
    const std::vector<unsigned char> bytes = EncodeTwoBands(40, 20, kOrange, kBlue);
    DecodedPicture picture;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), picture));
    EXPECT_EQ(picture.width, 40);
    EXPECT_EQ(picture.height, 20);
    ASSERT_EQ(picture.bgr.size(), 40u * 20u * 3u);
    // Away from the band edge, where the compression blurs the colours into each other.
    ExpectPixel(picture, 2, 2, kOrange);
    ExpectPixel(picture, 37, 3, kOrange);
    ExpectPixel(picture, 20, 17, kBlue);

    // Trailing bytes after the end marker are not part of the picture and change nothing.
    std::vector<unsigned char> padded = bytes;
    padded.insert(padded.end(), 16, 0);
    ASSERT_TRUE(DecodeJpeg(padded.data(), padded.size(), picture));
    ExpectPixel(picture, 20, 17, kBlue);
}

TEST(JpegDecoder, GreyPictureComesOutWithThreeEqualChannels)
{
    const std::vector<unsigned char> bytes = EncodeTwoBands(17, 9, {200, 0, 0}, {40, 0, 0}, true);
    DecodedPicture picture;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), picture));
    EXPECT_EQ(picture.width, 17);
    EXPECT_EQ(picture.height, 9);
    ExpectPixel(picture, 8, 1, {200, 200, 200}, 3);
    ExpectPixel(picture, 8, 8, {40, 40, 40}, 3);
}

TEST(JpegDecoder, TheSettingsIllustrationDecodesAtItsPlaceSize)
{
    std::ifstream file(VELMORA_SETTINGS_ILLUSTRATION, std::ios::binary);
    ASSERT_TRUE(file) << VELMORA_SETTINGS_ILLUSTRATION;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    DecodedPicture picture;
    ASSERT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), picture));
    // Image1 is 273 x 142 in the settings dialog and shows the picture unscaled.
    EXPECT_EQ(picture.width, 273);
    EXPECT_EQ(picture.height, 142);
    EXPECT_EQ(picture.bgr.size(), 273u * 142u * 3u);
    // The delivered colours where the picture shows them: the title band's left end, the
    // alternate row and the selected row's fill.
    ExpectPixel(picture, 3, 10, {0, 128, 255}, 8);
    ExpectPixel(picture, 150, 88, {230, 230, 242}, 8);
    ExpectPixel(picture, 150, 110, {255, 206, 157}, 8);
}
