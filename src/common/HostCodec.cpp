#include "common/HostCodec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {

// Converts the whole input; with `lenient` an unconvertible character becomes '?'.
std::string Convert(const std::string& input, const char* from, const char* to, bool lenient)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            if (!lenient) {
                iconv_close(cd);
                throw std::runtime_error("text is not valid in its code page");
            }
            // Skip one whole UTF-8 sequence of the unconvertible character.
            size_t skip = 1;
            while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80)
                ++skip;
            in += skip;
            inLeft -= skip;
            out += '?';
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string HostCodec::toUtf8(const std::string& ansi) const { return Convert(ansi, "CP936", "UTF-8", false); }

std::string HostCodec::fromUtf8(const std::string& utf8) const { return Convert(utf8, "UTF-8", "CP936", true); }
