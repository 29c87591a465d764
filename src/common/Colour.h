#pragma once
// Stored colour values and the colour they paint.
#include <cstdint>

// A stored colour is 0x00BBGGRR. A value whose high byte is 0xFF refers to a system
// colour, numbered by its low byte, and paints as that colour; any other value above
// 0xFFFFFF paints with its low three bytes. `systemColour(index)` gives a system
// colour as 0x00BBGGRR.
template <typename SystemColour>
std::uint32_t PaintedColour(int stored, SystemColour systemColour)
{
    const auto value = static_cast<std::uint32_t>(stored);
    if ((value >> 24) == 0xFF)
        return static_cast<std::uint32_t>(systemColour(static_cast<int>(value & 0xFF))) & 0xFFFFFF;
    return value & 0xFFFFFF;
}
