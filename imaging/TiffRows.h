#pragma once

// Row-level pieces of the TIFF page reader: where the first decoded row goes, and
// how decoded strip rows become byte-page or bit-page rows.

#include "imaging/ScratchBuffer.h"

#include <cstdint>
#include <tiffio.h>

// Orientations 3, 4, 7 and 8 store the bottom row first: 0 for them, the last row
// for every other. The reader places the rows of the first kind from row 0 and then
// reverses the page (flipRows); the others it places straight in file order.
std::int64_t startRowFor(std::uint16_t orientation, std::uint32_t height);

// CCITT modified Huffman, Group 3, Group 4 or modified Huffman with word alignment.
bool isCcittCompression(TIFF *tiff);

// 256 entries of 8 bytes, entry v holding the bits of v high bit first as bytes 0
// or 1; inverted (1 - bit) when `invert`. False when the scratch cannot be had.
bool buildExpansionTable(ScratchBuffer &table, bool invert);

// Places `rows` decoded rows, `sourceStride` bytes apart, at destination rows
// firstRow, firstRow + step, ... of a page `width` pixels wide. Byte page rows are
// width bytes; bit page rows (width + 7) / 8.
void expandBitsToBytes(const std::uint8_t *source, std::size_t sourceStride, std::uint32_t rows,
                       std::uint8_t *page, std::uint32_t width, std::int64_t firstRow,
                       std::int64_t step, const std::uint8_t *table);
// Bit rows are inverted while copied when `invert` (min-is-black pages).
void copyPackedRows(const std::uint8_t *source, std::size_t sourceStride, std::uint32_t rows,
                    std::uint8_t *page, std::uint32_t width, std::int64_t firstRow,
                    std::int64_t step, bool invert);
