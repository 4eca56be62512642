#pragma once

// Row-level tools behind the bitmap builders and the TIFF page reader.

#include "imaging/imaging.h"

#include <cstdint>

// Packed bitmap of 1 to 8 bits per pixel from one byte per pixel, with `entries`
// colour-table entries copied from colourTable; built in reuse when that global block
// is large enough.
BITMAPINFOHEADER *buildPackedDib(const BYTE *pixels, std::uint32_t width, std::uint32_t height,
                                 std::uint32_t entries, std::uint32_t bitsPerPixel,
                                 const RGBQUAD *colourTable, std::uint32_t &status,
                                 BITMAPINFOHEADER *reuse = nullptr);

// Packs count x rows source bytes at bitsPerPixel, leftmost pixel in the high bits;
// rows are not byte-aligned, the bit stream runs on.
int packPixels(const BYTE *source, std::uint32_t count, std::uint32_t rows, BYTE *destination,
               std::uint32_t bitsPerPixel, std::uint32_t &status);

// Reverses the order of `rows` rows of rowBytes bytes in place, with one row of scratch.
// 1 on success, also for 0 rows; 0 with 5 (null buffer) or 1 (rowBytes not positive, or
// no memory for the scratch row), the buffer untouched.
int flipRows(BYTE *buffer, std::int32_t rowBytes, std::uint32_t rows, std::uint32_t &status);

// Stride in bytes of a bitmap row padded to 4 bytes, and the whole block's size;
// 0 when the block would exceed IMG_MAX_BLOCK_BYTES.
std::uint64_t dibStride(std::uint32_t width, std::uint32_t bitsPerPixel);
std::uint64_t dibBlockBytes(std::uint32_t width, std::uint32_t height, std::uint32_t entries,
                            std::uint32_t bitsPerPixel);
