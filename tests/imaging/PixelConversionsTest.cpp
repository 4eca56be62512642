#include "imaging/PixelConversions.h"
#include "imaging/CallFrame.h"
#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<RGBQUAD> grayTable()
{
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    return table;
}

const BYTE *bytesOf(const BITMAPINFOHEADER *dib) { return reinterpret_cast<const BYTE *>(dib); }

} // namespace

TEST(MakeDib8, ThreeByTwoLayoutByteForByte)
{
    const BYTE pixels[] = {1, 2, 3, 4, 5, 6};
    auto table = grayTable();
    BITMAPINFOHEADER *dib = imgMakeDib8(pixels, 3, 2, table.data());
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_OK);
    EXPECT_EQ(GlobalSize(dib), 40u + 1024u + 8u);
    EXPECT_EQ(dib->biSize, 40u);
    EXPECT_EQ(dib->biWidth, 3);
    EXPECT_EQ(dib->biHeight, 2);
    EXPECT_EQ(dib->biPlanes, 1);
    EXPECT_EQ(dib->biBitCount, 8);
    EXPECT_EQ(dib->biCompression, 0u);
    EXPECT_EQ(dib->biSizeImage, 8u);
    EXPECT_EQ(dib->biXPelsPerMeter, 0);
    EXPECT_EQ(dib->biYPelsPerMeter, 0);
    EXPECT_EQ(dib->biClrUsed, 256u);
    EXPECT_EQ(dib->biClrImportant, 256u);
    const BYTE *colours = bytesOf(dib) + 40;
    EXPECT_EQ(colours[4 * 200 + 0], 200);
    EXPECT_EQ(colours[4 * 200 + 2], 200);
    EXPECT_EQ(colours[4 * 200 + 3], 0);
    const BYTE *rows = bytesOf(dib) + 40 + 1024;
    const BYTE expected[] = {4, 5, 6, 0, 1, 2, 3, 0};
    EXPECT_EQ(std::vector<BYTE>(rows, rows + 8), std::vector<BYTE>(expected, expected + 8));
    GlobalFree(dib);
}

TEST(MakeDib1, RowsKeepTheirBytesAndArePaddedToFour)
{
    const BYTE bits[] = {0xAB, 0xC0, 0x12, 0x40}; // two rows of a 10-pixel page
    const RGBQUAD table[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    BITMAPINFOHEADER *dib = imgMakeDib1(bits, 10, 2, table);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(GlobalSize(dib), 56u);
    EXPECT_EQ(dib->biBitCount, 1);
    EXPECT_EQ(dib->biClrUsed, 0u);
    EXPECT_EQ(dib->biClrImportant, 0u);
    EXPECT_EQ(dib->biSizeImage, 8u);
    const BYTE *colours = bytesOf(dib) + 40;
    EXPECT_EQ(colours[4], 255);
    const BYTE *rows = bytesOf(dib) + 48;
    const BYTE expected[] = {0x12, 0x40, 0, 0, 0xAB, 0xC0, 0, 0};
    EXPECT_EQ(std::vector<BYTE>(rows, rows + 8), std::vector<BYTE>(expected, expected + 8));
    GlobalFree(dib);
}

TEST(MakeDib1, StrideStepsAtThirtyTwoPixels)
{
    const RGBQUAD table[2] = {};
    std::vector<BYTE> bits(8, 0xFF);
    struct Row
    {
        std::uint32_t width;
        std::uint32_t stride;
    };
    for (Row row : {Row{1, 4}, Row{32, 4}, Row{33, 8}, Row{64, 8}}) {
        BITMAPINFOHEADER *dib = imgMakeDib1(bits.data(), row.width, 1, table);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(dib->biSizeImage, row.stride) << row.width;
        EXPECT_EQ(GlobalSize(dib), 48u + row.stride) << row.width;
        GlobalFree(dib);
    }
}

TEST(MakeDib, NullPixelsAreRefusedAsABadParameter)
{
    const RGBQUAD table[256] = {};
    EXPECT_EQ(imgMakeDib8(nullptr, 3, 2, table), nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(imgMakeDib1(nullptr, 3, 2, table), nullptr);
    EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
}

TEST(MakeDib, BlocksOverTheLimitAreRefusedWithoutAskingTheHeap)
{
    const RGBQUAD table[256] = {};
    const BYTE pixel = 0;
    struct Case
    {
        std::uint32_t width;
        std::uint32_t height;
        bool eightBit;
    };
    // Sizes just over the limit, and ones whose 32-bit products would wrap to small
    // numbers (0x10000 * 0x10000 is 0 in 32 bits).
    for (Case c : {Case{46340, 46341, true}, Case{0x10000, 0x10000, true},
                   Case{0xFFFFFFFF, 0xFFFFFFFF, true}, Case{0x80000, 0x10000, false},
                   Case{0xFFFFFFFF, 0xFFFFFFFF, false}}) {
        std::uint64_t calls = GlobalAllocCallCount();
        BITMAPINFOHEADER *dib = c.eightBit ? imgMakeDib8(&pixel, c.width, c.height, table)
                                           : imgMakeDib1(&pixel, c.width, c.height, table);
        EXPECT_EQ(dib, nullptr) << c.width << " x " << c.height;
        EXPECT_EQ(imgGetLastError(), IMG_ERR_NO_MEMORY);
        EXPECT_EQ(GlobalAllocCallCount(), calls) << "heap asked for " << c.width;
    }
    EXPECT_EQ(dibBlockBytes(46336, 46336, 256, 8), 40u + 1024u + 46336ull * 46336ull);
    EXPECT_EQ(dibBlockBytes(46340, 46340, 256, 8), 0u) << "2 147 396 664 bytes is over the limit";
    EXPECT_EQ(dibBlockBytes(46341, 46341, 256, 8), 0u);
}

TEST(PackPixels, PacksMostSignificantFirstAndMasksValues)
{
    std::uint32_t status = 99;
    const BYTE oneBit[] = {1, 0, 1, 1, 0, 0, 0, 1, 1, 1};
    BYTE out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(packPixels(oneBit, 10, 1, out, 1, status), 1);
    EXPECT_EQ(status, IMG_OK);
    EXPECT_EQ(out[0], 0xB1);
    EXPECT_EQ(out[1], 0xC0);
    EXPECT_EQ(out[2], 0xEE) << "wrote past the packed bytes";

    const BYTE fourBit[] = {0x1F, 0x02, 0x03};
    ASSERT_EQ(packPixels(fourBit, 3, 1, out, 4, status), 1);
    EXPECT_EQ(out[0], 0xF2);
    EXPECT_EQ(out[1], 0x30);

    // Three bits per pixel straddle byte boundaries: 101 110 011 100 -> 10111001 1100....
    const BYTE threeBit[] = {5, 6, 3, 4};
    ASSERT_EQ(packPixels(threeBit, 2, 2, out, 3, status), 1);
    EXPECT_EQ(out[0], 0xB9);
    EXPECT_EQ(out[1], 0xC0);

    const BYTE eightBit[] = {9, 8, 7};
    ASSERT_EQ(packPixels(eightBit, 3, 1, out, 8, status), 1);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[2], 7);
}

TEST(PackPixels, RefusesBadArguments)
{
    std::uint32_t status = 0;
    BYTE byte = 0;
    EXPECT_EQ(packPixels(nullptr, 1, 1, &byte, 1, status), 0);
    EXPECT_EQ(status, IMG_ERR_BAD_PARAM);
    EXPECT_EQ(packPixels(&byte, 1, 1, nullptr, 1, status), 0);
    EXPECT_EQ(packPixels(&byte, 1, 1, &byte, 0, status), 0);
    EXPECT_EQ(packPixels(&byte, 1, 1, &byte, 9, status), 0);
    EXPECT_EQ(status, IMG_ERR_BAD_PARAM);
}

TEST(FlipRows, ReversesRowsInPlaceOrRefusesWithoutTouchingThem)
{
    struct Case
    {
        const char *what;
        std::vector<BYTE> rows;
        std::int32_t rowBytes;
        std::uint32_t count;
        int result;
        std::uint32_t status;
        std::vector<BYTE> expected;
    };
    const Case cases[] = {
        {"three rows", {1, 2, 3, 4, 5, 6}, 2, 3, 1, IMG_OK, {5, 6, 3, 4, 1, 2}},
        {"four rows", {1, 2, 3, 4}, 1, 4, 1, IMG_OK, {4, 3, 2, 1}},
        {"one row", {7, 8, 9}, 3, 1, 1, IMG_OK, {7, 8, 9}},
        {"no rows", {42}, 1, 0, 1, IMG_OK, {42}},
        {"rows of no bytes", {1, 2}, 0, 2, 0, IMG_ERR_NO_MEMORY, {1, 2}},
        {"rows of negative length", {1, 2}, -1, 2, 0, IMG_ERR_NO_MEMORY, {1, 2}},
    };
    for (const Case &c : cases) {
        std::vector<BYTE> rows = c.rows;
        std::uint32_t status = 99;
        EXPECT_EQ(flipRows(rows.data(), c.rowBytes, c.count, status), c.result) << c.what;
        EXPECT_EQ(status, c.status) << c.what;
        EXPECT_EQ(rows, c.expected) << c.what;
    }
    std::uint32_t status = 0;
    EXPECT_EQ(flipRows(nullptr, 4, 2, status), 0);
    EXPECT_EQ(status, IMG_ERR_BAD_PARAM);
}
