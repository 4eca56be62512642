#pragma once

#include <cstdint>
#include <vector>

struct ReferenceReduction
{
    std::uint32_t code = 0;
    std::vector<std::uint8_t> pixels; // width x height; all 0 when refused
};

// The page reduction walked the plain way, one byte at a time, bytes past the
// buffer's end counting as white. The fast scaler must match it byte for byte.
ReferenceReduction referenceReduce(const std::vector<std::uint8_t> &source,
                                   std::uint32_t sourceWidth, std::uint32_t sourceHeight,
                                   std::uint32_t width, std::uint32_t height, bool smooth);
