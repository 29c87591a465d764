#include "common/JpegDecoder.h"

#include <climits>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <new>
#include <utility>

#include <jpeglib.h>

namespace {

// Larger than any picture the program embeds, small enough that the pixels fit a 32-bit process.
const long kMaxPixels = 16L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr base; // first, so that libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
};

// libjpeg's own error exit ends the process; ours returns to DecodeRows through longjmp.
// Nothing between here and the setjmp has a destructor to skip: only libjpeg's C frames.
[[noreturn]] void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// A warning (level -1) means libjpeg met damaged or missing data and is about to make up
// the rest (grey rows for a cut-short file): treat it as the error it is for us. Trace
// messages (level 0 and up) are dropped; nothing is ever written to stderr.
void OnMessage(j_common_ptr info, int level)
{
    if (level < 0)
        OnError(info);
}

// Runs the whole decode under the setjmp. Only trivially destructible locals live here,
// and `rows` belongs to the caller, so a longjmp back leaves nothing behind.
bool DecodeRows(jpeg_decompress_struct& info, ErrorManager& errors, const unsigned char* data, unsigned long size,
                std::vector<unsigned char>& rows, int& width, int& height)
{
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    // Grey pictures come out as RGB too; other colour spaces (CMYK) make libjpeg fail here.
    info.out_color_space = JCS_RGB;
    if (!jpeg_start_decompress(&info))
        return false;
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
        static_cast<long>(info.output_width) > kMaxPixels / static_cast<long>(info.output_height))
        return false;

    const std::size_t stride = static_cast<std::size_t>(info.output_width) * 3;
    // Called between libjpeg calls, never from inside one: a failed allocation is caught
    // by DecodeJpeg, past no libjpeg frame.
    rows.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rows.data() + stride * info.output_scanline;
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false; // only a suspending source returns no row; ours never should
    }
    // Reads up to the end marker: a file cut right before it still warns here.
    jpeg_finish_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    return true;
}

} // namespace

bool DecodeJpeg(const unsigned char* data, std::size_t size, DecodedPicture& picture)
{
    picture = DecodedPicture();
    if (!data || size == 0 || size > ULONG_MAX)
        return false;

    jpeg_decompress_struct info = {};
    ErrorManager errors = {};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;

    DecodedPicture decoded;
    bool ok = false;
    try {
        ok = DecodeRows(info, errors, data, static_cast<unsigned long>(size), decoded.bgr, decoded.width,
                        decoded.height);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    // Also after a failure part way through create: destroy copes with what exists.
    jpeg_destroy_decompress(&info);
    if (!ok)
        return false;

    for (std::size_t i = 0; i + 2 < decoded.bgr.size(); i += 3)
        std::swap(decoded.bgr[i], decoded.bgr[i + 2]);
    picture = std::move(decoded);
    return true;
}
