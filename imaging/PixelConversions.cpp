#include "imaging/PixelConversions.h"

#include "imaging/CallFrame.h"
#include "imaging/ScratchBuffer.h"
#include "platform/GlobalMemory.h"

#include <cstring>

namespace {

constexpr std::uint32_t DIB_HEADER_BYTES = sizeof(BITMAPINFOHEADER);

void fillHeader(BITMAPINFOHEADER *header, std::uint32_t width, std::uint32_t height,
                std::uint32_t bitsPerPixel, std::uint64_t imageBytes, std::uint32_t colorsUsed)
{
    header->biSize = DIB_HEADER_BYTES;
    header->biWidth = static_cast<LONG>(width);
    header->biHeight = static_cast<LONG>(height);
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bitsPerPixel);
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(imageBytes);
    header->biXPelsPerMeter = 0;
    header->biYPelsPerMeter = 0;
    header->biClrUsed = colorsUsed;
    header->biClrImportant = colorsUsed;
}

// One zero-filled block with the header and colour table in place: reuse when that
// global block is large enough (zeroed here as a new block would be), else a new one.
// Null (status 1) when the block would pass the limit or the heap has none.
BITMAPINFOHEADER *allocateDib(std::uint32_t width, std::uint32_t height, std::uint32_t entries,
                              std::uint32_t bitsPerPixel, std::uint32_t colorsUsed,
                              const RGBQUAD *colourTable, BITMAPINFOHEADER *reuse,
                              std::uint32_t &status)
{
    std::uint64_t blockBytes = dibBlockBytes(width, height, entries, bitsPerPixel);
    BITMAPINFOHEADER *header = nullptr;
    if (blockBytes && reuse && GlobalSize(reuse) >= blockBytes) {
        header = reuse;
        std::memset(header, 0, blockBytes);
    } else if (blockBytes) {
        header = static_cast<BITMAPINFOHEADER *>(GlobalAlloc(GMEM_ZEROINIT, blockBytes));
    }
    if (!header) {
        status = IMG_ERR_NO_MEMORY;
        return nullptr;
    }
    fillHeader(header, width, height, bitsPerPixel, dibStride(width, bitsPerPixel) * height,
               colorsUsed);
    std::memcpy(header + 1, colourTable, std::size_t{4} * entries);
    return header;
}

BYTE *pixelRows(BITMAPINFOHEADER *header, std::uint32_t entries)
{
    return reinterpret_cast<BYTE *>(header) + DIB_HEADER_BYTES + std::size_t{4} * entries;
}

} // namespace

std::uint64_t dibStride(std::uint32_t width, std::uint32_t bitsPerPixel)
{
    return (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

std::uint64_t dibBlockBytes(std::uint32_t width, std::uint32_t height, std::uint32_t entries,
                            std::uint32_t bitsPerPixel)
{
    std::uint64_t image = 0;
    if (__builtin_mul_overflow(dibStride(width, bitsPerPixel), std::uint64_t{height}, &image))
        return 0;
    std::uint64_t total = DIB_HEADER_BYTES + 4ull * entries + image;
    if (total < image || total > IMG_MAX_BLOCK_BYTES)
        return 0;
    return total;
}

int packPixels(const BYTE *source, std::uint32_t count, std::uint32_t rows, BYTE *destination,
               std::uint32_t bitsPerPixel, std::uint32_t &status)
{
    status = IMG_OK;
    if (!source || !destination || bitsPerPixel == 0 || bitsPerPixel > 8) {
        status = IMG_ERR_BAD_PARAM;
        return 0;
    }
    std::uint64_t total = static_cast<std::uint64_t>(count) * rows;
    if (bitsPerPixel == 8) {
        std::memcpy(destination, source, total);
        return 1;
    }

    const std::uint32_t mask = (1u << bitsPerPixel) - 1;
    std::uint32_t accumulator = 0;
    std::uint32_t pending = 0;
    for (std::uint64_t i = 0; i < total; ++i) {
        accumulator = (accumulator << bitsPerPixel) + (source[i] & mask);
        pending += bitsPerPixel;
        if (pending == 8) {
            *destination++ = static_cast<BYTE>(accumulator);
            accumulator = 0;
            pending = 0;
        } else if (pending > 8) {
            pending -= 8;
            *destination++ = static_cast<BYTE>(accumulator >> pending);
            accumulator &= (1u << pending) - 1;
        }
    }
    if (pending)
        *destination = static_cast<BYTE>(accumulator << (8 - pending));
    return 1;
}

int flipRows(BYTE *buffer, std::int32_t rowBytes, std::uint32_t rows, std::uint32_t &status)
{
    status = IMG_OK;
    if (!buffer) {
        status = IMG_ERR_BAD_PARAM;
        return 0;
    }
    ScratchBuffer scratch;
    scratch.resize(rowBytes);
    if (!scratch.data()) {
        status = IMG_ERR_NO_MEMORY;
        return 0;
    }
    const auto length = static_cast<std::size_t>(rowBytes);
    // An odd middle row pairs with itself and stays.
    for (std::uint64_t top = 0; top < rows / 2; ++top) {
        BYTE *upper = buffer + top * length;
        BYTE *lower = buffer + (rows - 1 - top) * length;
        std::memcpy(scratch.data(), upper, length);
        std::memcpy(upper, lower, length);
        std::memcpy(lower, scratch.data(), length);
    }
    return 1;
}

BITMAPINFOHEADER *buildPackedDib(const BYTE *pixels, std::uint32_t width, std::uint32_t height,
                                 std::uint32_t entries, std::uint32_t bitsPerPixel,
                                 const RGBQUAD *colourTable, std::uint32_t &status,
                                 BITMAPINFOHEADER *reuse)
{
    status = IMG_OK;
    if (!pixels || bitsPerPixel == 0 || bitsPerPixel > 8) {
        status = IMG_ERR_BAD_PARAM;
        return nullptr;
    }
    BITMAPINFOHEADER *header =
        allocateDib(width, height, entries, bitsPerPixel, entries, colourTable, reuse, status);
    if (!header)
        return nullptr;

    const std::uint64_t stride = dibStride(width, bitsPerPixel);

    BYTE *rows = pixelRows(header, entries);
    for (std::uint64_t r = 0; r < height; ++r) {
        const BYTE *sourceRow = pixels + (height - 1 - r) * width;
        packPixels(sourceRow, width, 1, rows + r * stride, bitsPerPixel, status);
    }
    status = IMG_OK;
    return header;
}

BITMAPINFOHEADER *imgMakeDib8(const BYTE *pixels, std::uint32_t width, std::uint32_t height,
                              const RGBQUAD *colourTable)
{
    return imgMakeDib8Into(pixels, width, height, colourTable, nullptr);
}

BITMAPINFOHEADER *imgMakeDib8Into(const BYTE *pixels, std::uint32_t width, std::uint32_t height,
                                  const RGBQUAD *colourTable, BITMAPINFOHEADER *block)
{
    return runFramed<BITMAPINFOHEADER *>([&](std::uint32_t &status) {
        return buildPackedDib(pixels, width, height, 256, 8, colourTable, status, block);
    });
}

BITMAPINFOHEADER *imgMakeDib1(const BYTE *bits, std::uint32_t width, std::uint32_t height,
                              const RGBQUAD *colourTable)
{
    return imgMakeDib1Into(bits, width, height, colourTable, nullptr);
}

BITMAPINFOHEADER *imgMakeDib1Into(const BYTE *bits, std::uint32_t width, std::uint32_t height,
                                  const RGBQUAD *colourTable, BITMAPINFOHEADER *block)
{
    return runFramed<BITMAPINFOHEADER *>([&](std::uint32_t &status) -> BITMAPINFOHEADER * {
        if (!bits) {
            status = IMG_ERR_BAD_PARAM;
            return nullptr;
        }
        BITMAPINFOHEADER *header = allocateDib(width, height, 2, 1, 0, colourTable, block, status);
        if (!header)
            return nullptr;
        const std::uint64_t stride = dibStride(width, 1);
        const std::uint64_t sourceBytes = (static_cast<std::uint64_t>(width) + 7) / 8;
        BYTE *rows = pixelRows(header, 2);
        for (std::uint64_t r = 0; r < height; ++r)
            std::memcpy(rows + r * stride, bits + (height - 1 - r) * sourceBytes, sourceBytes);
        return header;
    });
}
