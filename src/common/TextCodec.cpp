#include "common/TextCodec.h"

#include <stdexcept>

namespace {
const TextCodec* g_codec = nullptr;
}

const TextCodec& SystemCodec()
{
    if (!g_codec)
        throw std::logic_error("no text codec installed");
    return *g_codec;
}

void SetSystemCodec(const TextCodec* codec) { g_codec = codec; }
