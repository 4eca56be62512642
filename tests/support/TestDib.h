#pragma once

// Packed DIBs built by hand for drawing tests, independent of the imaging layer's
// own builders: header, `tableEntries` colour-table entries, then the rows bottom
// row first, each padded to 4 bytes.

#include "platform/WinTypes.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

struct TestDib
{
    std::vector<BYTE> block;
    std::size_t rowsOffset = 0;

    const BITMAPINFOHEADER *header() const
    {
        return reinterpret_cast<const BITMAPINFOHEADER *>(block.data());
    }
    const BITMAPINFO *info() const { return reinterpret_cast<const BITMAPINFO *>(block.data()); }
    const BYTE *rows() const { return block.data() + rowsOffset; }
};

// value(x, y), y counted from the top, is a colour index for 1 and 8 bits and
// 0xRRGGBB for 24 bits. The table holds 0xRRGGBB colours.
inline TestDib makeTestDib(int width, int height, int bitCount,
                           const std::vector<std::uint32_t> &table, DWORD clrUsed,
                           const std::function<std::uint32_t(int, int)> &value)
{
    const std::size_t stride = (std::size_t(width) * bitCount + 31) / 32 * 4;
    TestDib dib;
    dib.rowsOffset = sizeof(BITMAPINFOHEADER) + 4 * table.size();
    dib.block.assign(dib.rowsOffset + stride * height, 0);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = WORD(bitCount);
    header.biCompression = BI_RGB;
    header.biSizeImage = DWORD(stride * height);
    header.biClrUsed = clrUsed;
    std::memcpy(dib.block.data(), &header, sizeof header);

    for (std::size_t i = 0; i < table.size(); ++i) {
        const RGBQUAD quad{BYTE(table[i]), BYTE(table[i] >> 8), BYTE(table[i] >> 16), 0};
        std::memcpy(dib.block.data() + sizeof header + 4 * i, &quad, 4);
    }
    for (int y = 0; y < height; ++y) {
        BYTE *row = dib.block.data() + dib.rowsOffset + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            if (bitCount == 1) {
                if (v)
                    row[x / 8] |= BYTE(0x80 >> (x % 8));
            } else if (bitCount == 8) {
                row[x] = BYTE(v);
            } else {
                row[3 * x] = BYTE(v);
                row[3 * x + 1] = BYTE(v >> 8);
                row[3 * x + 2] = BYTE(v >> 16);
            }
        }
    }
    return dib;
}
