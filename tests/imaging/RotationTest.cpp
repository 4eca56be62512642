#include "imaging/CallFrame.h"
#include "imaging/imaging.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

Bytes bytesOf(const std::string &text) { return Bytes(text.begin(), text.end()); }

// The plain per-pixel walk, source in storage order, as the turn is defined.
Bytes naiveTurn(const Bytes &source, std::uint32_t w, std::uint32_t h, int rotation,
                std::uint32_t n)
{
    Bytes result(source.size());
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            std::size_t to = 0;
            if (rotation == IMG_ROT_CW90)
                to = std::size_t(x) * h + (h - 1 - y);
            else if (rotation == IMG_ROT_CCW90)
                to = std::size_t(w - 1 - x) * h + y;
            else
                to = std::size_t(h - 1 - y) * w + (w - 1 - x);
            for (std::uint32_t b = 0; b < n; ++b)
                result[to * n + b] = source[(std::size_t(y) * w + x) * n + b];
        }
    }
    return result;
}

Bytes randomBytes(std::size_t count, std::mt19937 &random)
{
    Bytes bytes(count);
    for (BYTE &b : bytes)
        b = BYTE(random());
    return bytes;
}

// Turns and expects success; returns the buffer.
Bytes turned(Bytes pixels, std::uint32_t w, std::uint32_t h, int rotation, std::uint32_t n = 1)
{
    setLastError(IMG_ERR_FILE_READ);
    EXPECT_EQ(imgRotateBuffer(pixels.data(), w, h, rotation, n), 1);
    EXPECT_EQ(imgGetLastError(), IMG_OK);
    return pixels;
}

} // namespace

TEST(Rotation, ThreeByTwoByEachCode)
{
    // Rows "abc" and "def".
    EXPECT_EQ(turned(bytesOf("abcdef"), 3, 2, IMG_ROT_CW90), bytesOf("daebfc"));
    EXPECT_EQ(turned(bytesOf("abcdef"), 3, 2, IMG_ROT_CCW90), bytesOf("cfbead"));
    EXPECT_EQ(turned(bytesOf("abcdef"), 3, 2, IMG_ROT_180), bytesOf("fedcba"));
}

TEST(Rotation, ThreeBytesPerPixelMoveAsGroups)
{
    // Pixels A B C over D E F, each three distinct bytes.
    const Bytes pixels = bytesOf("A1aB2bC3cD4dE5eF6f");
    EXPECT_EQ(turned(pixels, 3, 2, IMG_ROT_CW90, 3), bytesOf("D4dA1aE5eB2bF6fC3c"));
    EXPECT_EQ(turned(pixels, 3, 2, IMG_ROT_CCW90, 3), bytesOf("C3cF6fB2bE5eA1aD4d"));
    EXPECT_EQ(turned(pixels, 3, 2, IMG_ROT_180, 3), bytesOf("F6fE5eD4dC3cB2bA1a"));
}

TEST(Rotation, OneByOneIsUnchanged)
{
    for (int rotation : {IMG_ROT_CW90, IMG_ROT_180, IMG_ROT_CCW90}) {
        EXPECT_EQ(turned(bytesOf("x"), 1, 1, rotation), bytesOf("x"));
        EXPECT_EQ(turned(bytesOf("xyz"), 1, 1, rotation, 3), bytesOf("xyz"));
    }
}

TEST(Rotation, SingleRowBecomesSingleColumn)
{
    // Clockwise the row reads top to bottom in its own order; the other way reversed.
    EXPECT_EQ(turned(bytesOf("abcde"), 5, 1, IMG_ROT_CW90), bytesOf("abcde"));
    EXPECT_EQ(turned(bytesOf("abcde"), 5, 1, IMG_ROT_CCW90), bytesOf("edcba"));
    EXPECT_EQ(turned(bytesOf("abcde"), 1, 5, IMG_ROT_CW90), bytesOf("edcba"));
    EXPECT_EQ(turned(bytesOf("abcde"), 1, 5, IMG_ROT_CCW90), bytesOf("abcde"));
}

TEST(Rotation, RefusedCallsLeaveBufferUntouched)
{
    struct Row
    {
        std::uint32_t w, h, n;
        std::int32_t rotation;
        std::uint32_t code;
    };
    const Row rows[] = {
        {0, 2, 1, IMG_ROT_CW90, IMG_ERR_NO_MEMORY},
        {3, 0, 1, IMG_ROT_180, IMG_ERR_NO_MEMORY},
        {3, 2, 0, IMG_ROT_CCW90, IMG_ERR_NO_MEMORY},
        {3, 2, 1, 3, IMG_ERR_BAD_PARAM},
        {3, 2, 1, -1, IMG_ERR_BAD_PARAM},
        // 2^31 bytes and more, including products that wrap around in 32 bits
        // (65537 x 65537 wraps to 131073) or even in 64 bits.
        {65536, 32768, 1, IMG_ROT_CW90, IMG_ERR_NO_MEMORY},
        {32768, 32768, 2, IMG_ROT_180, IMG_ERR_NO_MEMORY},
        {65537, 65537, 1, IMG_ROT_CCW90, IMG_ERR_NO_MEMORY},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, IMG_ROT_CW90, IMG_ERR_NO_MEMORY},
        {1, 1, 0x80000000u, IMG_ROT_180, IMG_ERR_NO_MEMORY},
    };
    std::mt19937 random(7);
    const Bytes original = randomBytes(131073, random);
    for (const Row &row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.w << "x" << row.h << "x" << row.n << " code " << row.rotation);
        Bytes pixels = original;
        EXPECT_EQ(imgRotateBuffer(pixels.data(), row.w, row.h, row.rotation, row.n), 0);
        EXPECT_EQ(imgGetLastError(), row.code);
        EXPECT_EQ(pixels, original);
    }
}

TEST(Rotation, NullBufferIsRefusedForEveryCode)
{
    for (int rotation : {IMG_ROT_CW90, IMG_ROT_180, IMG_ROT_CCW90, 7}) {
        setLastError(IMG_OK);
        EXPECT_EQ(imgRotateBuffer(nullptr, 3, 2, rotation, 1), 0);
        EXPECT_EQ(imgGetLastError(), IMG_ERR_BAD_PARAM);
    }
}

TEST(Rotation, TurnsComposeAsTheViewerChainsThem)
{
    std::mt19937 random(11);
    for (std::uint32_t n : {1u, 3u}) {
        const std::uint32_t w = 37, h = 23;
        const Bytes image = randomBytes(std::size_t(w) * h * n, random);
        // Width and height swap after each quarter turn, as the caller does.
        auto cw = [&](const Bytes &b, std::uint32_t bw, std::uint32_t bh) {
            return turned(b, bw, bh, IMG_ROT_CW90, n);
        };
        auto ccw = [&](const Bytes &b, std::uint32_t bw, std::uint32_t bh) {
            return turned(b, bw, bh, IMG_ROT_CCW90, n);
        };
        const Bytes half = turned(image, w, h, IMG_ROT_180, n);
        EXPECT_EQ(ccw(cw(image, w, h), h, w), image);
        EXPECT_EQ(cw(ccw(image, w, h), h, w), image);
        EXPECT_EQ(turned(half, w, h, IMG_ROT_180, n), image);
        EXPECT_EQ(cw(cw(cw(cw(image, w, h), h, w), w, h), h, w), image);
        EXPECT_EQ(cw(cw(image, w, h), h, w), half);
        EXPECT_EQ(ccw(ccw(image, w, h), h, w), half);
    }
}

TEST(Rotation, MatchesThePlainWalkOnManySizes)
{
    // Sizes around the 16-pixel blocks and 64-pixel tiles, single rows and
    // columns, and random odd ones; every pixel width the fast paths know and one
    // they do not.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes = {
        {1, 1},   {1, 77},  {77, 1},  {16, 16},  {15, 17},   {17, 15}, {64, 64},
        {63, 65}, {65, 63}, {80, 33}, {129, 47}, {200, 131}, {1, 300}, {300, 1},
    };
    std::mt19937 random(1234);
    for (int i = 0; i < 12; ++i)
        sizes.emplace_back(1 + random() % 150, 1 + random() % 150);

    for (auto [w, h] : sizes) {
        for (std::uint32_t n : {1u, 2u, 3u, 4u, 5u}) {
            const Bytes image = randomBytes(std::size_t(w) * h * n, random);
            for (int rotation : {IMG_ROT_CW90, IMG_ROT_180, IMG_ROT_CCW90}) {
                SCOPED_TRACE(::testing::Message()
                             << w << "x" << h << "x" << n << " code " << rotation);
                EXPECT_EQ(turned(image, w, h, rotation, n), naiveTurn(image, w, h, rotation, n));
            }
        }
    }
}

TEST(Rotation, FaxPageMatchesThePlainWalk)
{
    std::mt19937 random(99);
    const std::uint32_t w = 1728, h = 1101;
    const Bytes page = randomBytes(std::size_t(w) * h, random);
    for (int rotation : {IMG_ROT_CW90, IMG_ROT_180, IMG_ROT_CCW90})
        EXPECT_TRUE(turned(page, w, h, rotation) == naiveTurn(page, w, h, rotation, 1));
}
