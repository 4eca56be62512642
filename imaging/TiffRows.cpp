#include "imaging/TiffRows.h"

#include <cstring>

std::int64_t startRowFor(std::uint16_t orientation, std::uint32_t height)
{
    switch (orientation) {
    case ORIENTATION_BOTRIGHT:
    case ORIENTATION_BOTLEFT:
    case ORIENTATION_RIGHTBOT:
    case ORIENTATION_LEFTBOT:
        return 0;
    default:
        return static_cast<std::int64_t>(height) - 1;
    }
}

bool isCcittCompression(TIFF *tiff)
{
    std::uint16_t compression = COMPRESSION_NONE;
    if (!TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression))
        return false;
    return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3
           || compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTRLEW;
}

bool buildExpansionTable(ScratchBuffer &table, bool invert)
{
    table.resize(256 * 8);
    std::uint8_t *entries = table.data();
    if (!entries)
        return false;
    const std::uint8_t one = invert ? 0 : 1;
    for (int value = 0; value < 256; ++value) {
        for (int bit = 0; bit < 8; ++bit)
            entries[value * 8 + bit] = (value & (0x80 >> bit)) ? one : 1 - one;
    }
    return true;
}

void expandBitsToBytes(const std::uint8_t *source, std::size_t sourceStride, std::uint32_t rows,
                       std::uint8_t *page, std::uint32_t width, std::int64_t firstRow,
                       std::int64_t step, const std::uint8_t *table)
{
    const std::size_t wholeBytes = width / 8;
    const std::size_t tailPixels = width % 8;
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::uint8_t *in = source + r * sourceStride;
        std::uint8_t *out = page + static_cast<std::size_t>(firstRow + step * r) * width;
        for (std::size_t i = 0; i < wholeBytes; ++i, out += 8)
            std::memcpy(out, table + in[i] * 8, 8);
        if (tailPixels)
            std::memcpy(out, table + in[wholeBytes] * 8, tailPixels);
    }
}

void copyPackedRows(const std::uint8_t *source, std::size_t sourceStride, std::uint32_t rows,
                    std::uint8_t *page, std::uint32_t width, std::int64_t firstRow,
                    std::int64_t step, bool invert)
{
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    for (std::uint32_t r = 0; r < rows; ++r) {
        const std::uint8_t *in = source + r * sourceStride;
        std::uint8_t *out = page + static_cast<std::size_t>(firstRow + step * r) * rowBytes;
        if (!invert) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        for (std::size_t i = 0; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(255 - in[i]);
    }
}
