#include "PageTestHelpers.h"
#include "ReferenceScaler.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Reduced
{
    std::uint32_t code;
    CSize size;
    Bytes pixels;
};

Reduced reduce(const Bytes &source, std::uint32_t ws, std::uint32_t hs, std::uint32_t wt,
               std::uint32_t ht, bool smooth)
{
    CPageBitmap from;
    fillPage(from, ws, hs, source);
    CPageBitmap to;
    dirtyHeap(std::size_t{wt} * ht);
    std::uint32_t code = to.ScaleFrom(from, wt, ht, smooth);
    return {code, to.m_size, pageBytes(to)};
}

Bytes white(std::size_t n) { return Bytes(n, 255); }

} // namespace

TEST(PageReduction, ThirdOfWhitePageWithOneBlackPixel)
{
    Bytes page = white(36);
    EXPECT_EQ(reduce(page, 6, 6, 2, 2, true).pixels, Bytes(4, 255));
    page[0] = 0;
    EXPECT_EQ(reduce(page, 6, 6, 2, 2, true).pixels, (Bytes{226, 255, 255, 255}));
    EXPECT_EQ(reduce(page, 6, 6, 2, 2, false).pixels, (Bytes{0, 255, 255, 255}));
}

TEST(PageReduction, TwoBlackPixelsInThreeByThreeBoxGive198)
{
    Bytes page = white(36);
    page[6 * 1 + 1] = 0;
    page[6 * 2 + 2] = 0;
    EXPECT_EQ(reduce(page, 6, 6, 2, 2, true).pixels[0], 198);
}

TEST(PageReduction, HalfSizeSmoothingWidensBoxToThreeByThree)
{
    // Black except column 2: a 2 x 2 box at (0, 0) would be black, the 3 x 3 box
    // holds three white pixels; so does the box at column 2, whose third column
    // runs on into the next row.
    Bytes page(16, 0);
    for (int y = 0; y < 4; ++y)
        page[y * 4 + 2] = 255;
    Reduced r = reduce(page, 4, 4, 2, 2, true);
    EXPECT_EQ(r.code, IMG_OK);
    EXPECT_EQ(r.pixels, (Bytes{85, 85, 255, 255}));

    r = reduce(page, 4, 4, 2, 2, false);
    EXPECT_EQ(r.pixels, (Bytes{0, 0, 0, 0}));
    page[0] = page[1] = page[4] = page[5] = 255;
    EXPECT_EQ(reduce(page, 4, 4, 2, 2, false).pixels, (Bytes{255, 0, 0, 0}));
}

TEST(PageReduction, EqualSizeWithoutSmoothingMakesEveryNonzeroByteWhite)
{
    const Bytes page{0, 1, 128, 255, 7, 0};
    EXPECT_EQ(reduce(page, 3, 2, 3, 2, false).pixels, (Bytes{0, 255, 255, 255, 255, 0}));
}

TEST(PageReduction, RefusedCallsLeaveBlackTargetOfRequestedSize)
{
    struct Row
    {
        std::uint32_t wt, ht;
    };
    for (Row row : {Row{7, 4}, Row{6, 5}, Row{0, 3}, Row{3, 0}}) {
        SCOPED_TRACE(testing::Message() << row.wt << " x " << row.ht);
        for (bool smooth : {true, false}) {
            Reduced r = reduce(white(24), 6, 4, row.wt, row.ht, smooth);
            EXPECT_EQ(r.code, IMG_ERR_BAD_PARAM);
            EXPECT_EQ(r.size, CSize(row.wt, row.ht));
            EXPECT_EQ(r.pixels, Bytes(row.wt * row.ht, 0));
        }
    }
}

TEST(PageReduction, EmptySourceIsRefusedWithBlackTarget)
{
    CPageBitmap empty;
    CPageBitmap to;
    dirtyHeap(4);
    EXPECT_EQ(to.ScaleFrom(empty, 2, 2, true), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(pageBytes(to), Bytes(4, 0));
    EXPECT_EQ(to.m_nAccessCount, 0);
}

TEST(PageReduction, BoxOfTwoToTheTwentyFourthIsTheLimit)
{
    CPageBitmap from;
    from.Allocate(CSize(4096, 4096));
    std::memset(from.m_pPixels, 255, 4096u * 4096u);
    from.m_pPixels[4096u * 4096u - 1] = 0;
    CPageBitmap to;
    EXPECT_EQ(to.ScaleFrom(from, 1, 1, true), IMG_OK);
    EXPECT_EQ(pageBytes(to), Bytes{254}); // (2^24 - 1) x 255 / 2^24
    EXPECT_EQ(to.ScaleFrom(from, 1, 1, false), IMG_OK);
    EXPECT_EQ(pageBytes(to), Bytes{0});

    from.Allocate(CSize(4097, 4097));
    dirtyHeap(1);
    EXPECT_EQ(to.ScaleFrom(from, 1, 1, true), IMG_ERR_BAD_PARAM);
    EXPECT_EQ(pageBytes(to), Bytes{0});
}

TEST(PageReduction, ColumnsRoundWithExactHalfStayingDown)
{
    // Rx = 1.5: boxes start at columns 0, 1, 3 and 4; column 2 and 5 are never read.
    const int expected[6] = {0, 1, -1, 2, 3, -1};
    for (int column = 0; column < 6; ++column) {
        Bytes row = white(6);
        row[column] = 0;
        Bytes want = white(4);
        if (expected[column] >= 0)
            want[expected[column]] = 0;
        EXPECT_EQ(reduce(row, 6, 1, 4, 1, false).pixels, want) << "black column " << column;
    }
}

TEST(PageReduction, ShortTargetsWithSmallRatioAreAllWhite)
{
    for (std::uint32_t height : {1u, 2u}) {
        Reduced r = reduce(Bytes(5 * 3, 0), 5, 3, 4, height, true);
        EXPECT_EQ(r.code, IMG_OK);
        EXPECT_EQ(r.pixels, white(4 * height));
    }
}

TEST(PageReduction, WidenedBoxAtLastByteCountsWhiteBeyondBuffer)
{
    // Ry = 1 and a widened box: the last computed row's rightmost box reads the
    // last source row to its end and two bytes beyond it.
    Bytes page(4 * 5, 0);
    Reduced r = reduce(page, 4, 5, 4, 5, true);
    ASSERT_EQ(r.code, IMG_OK);
    EXPECT_EQ(r.pixels[2 * 4 + 3], 2 * 255 / 9);
    EXPECT_EQ(r.pixels[2 * 4 + 2], 255 / 9);
    EXPECT_EQ(r.pixels[2 * 4 + 1], 0);
    // Inside the buffer, a box at the right edge runs on into the next row.
    page[4 * 1] = 255; // first byte of row 1, read by the box at row 0, column 3
    r = reduce(page, 4, 5, 4, 5, true);
    EXPECT_EQ(r.pixels[3], 255 / 9);
}

TEST(PageReduction, TargetKeepsResolutionLosesPageCountAndDib)
{
    CPageBitmap from;
    fillPage(from, 6, 6, white(36));
    CPageBitmap to;
    fillPage(to, 2, 2, white(4));
    to.m_resolution = CSize(204, 98);
    to.m_nPageCount = 3;
    ASSERT_EQ(to.MakeDib(), IMG_OK);
    EXPECT_EQ(to.ScaleFrom(from, 3, 2, true), IMG_OK);
    EXPECT_EQ(to.m_size, CSize(3, 2));
    EXPECT_EQ(to.m_resolution, CSize(204, 98));
    EXPECT_EQ(to.m_nPageCount, 0);
    EXPECT_EQ(to.m_pDib, nullptr);
    EXPECT_EQ(to.m_nAccessCount, 0);
    EXPECT_EQ(from.m_nAccessCount, 0);
}

// The fast scaler against the plain walk, over pages of every kind and ratios of
// every class, in both modes.
TEST(PageReduction, MatchesPlainWalkOnRandomPages)
{
    std::mt19937 random(20261208);
    auto pick = [&](std::uint32_t lo, std::uint32_t hi) {
        return std::uniform_int_distribution<std::uint32_t>(lo, hi)(random);
    };
    auto targetFor = [&](std::uint32_t sourceSize, int ratioClass) -> std::uint32_t {
        double ratio = 1.0;
        switch (ratioClass) {
        case 0:
            ratio = 1.0;
            break;
        case 1:
            ratio = 1.0 + pick(0, 999) / 1000.0;
            break;
        case 2:
            ratio = 2.0 + pick(0, 999) / 1000.0;
            break;
        case 3:
            ratio = 3.0 + pick(0, 9000) / 1000.0;
            break;
        case 4:
            return 1;
        default:
            return std::min<std::uint32_t>(2, sourceSize);
        }
        return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(sourceSize / ratio));
    };

    int compared = 0;
    for (int round = 0; round < 400; ++round) {
        const std::uint32_t ws = pick(1, 160);
        const std::uint32_t hs = pick(1, 120);
        Bytes page(std::size_t{ws} * hs);
        const int content = round % 4;
        for (auto &b : page) {
            switch (content) {
            case 0:
                b = 0;
                break;
            case 1:
                b = 255;
                break;
            case 2:
                b = pick(0, 9) < 2 ? 0 : 255;
                break;
            default:
                b = static_cast<std::uint8_t>(pick(0, 255));
                break;
            }
        }
        const std::uint32_t wt = targetFor(ws, pick(0, 3));
        const std::uint32_t ht = targetFor(hs, pick(0, 5));
        for (bool smooth : {true, false}) {
            SCOPED_TRACE(testing::Message() << ws << "x" << hs << " -> " << wt << "x" << ht
                                            << " smooth " << smooth << " content " << content);
            const ReferenceReduction want = referenceReduce(page, ws, hs, wt, ht, smooth);
            const Reduced got = reduce(page, ws, hs, wt, ht, smooth);
            ASSERT_EQ(got.code, want.code);
            ASSERT_EQ(got.pixels, want.pixels);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 800);
}

TEST(PageReduction, HalvingMatchesPlainWalkAtEveryWidth)
{
    // 50% with smoothing reads whole boxes straight from the source in blocks of
    // 32 and 16 target pixels: widths around those blocks, grey levels of every
    // value (sums up to 9 x 255), and the last rows, whose boxes reach past the
    // buffer and take the other path.
    std::mt19937 random(50);
    for (std::uint32_t wt = 1; wt <= 70; ++wt) {
        for (std::uint32_t extra : {0u, 1u}) {
            const std::uint32_t ws = 2 * wt + extra;
            const std::uint32_t hs = 2 * 7 + extra;
            Bytes page(std::size_t{ws} * hs);
            for (auto &b : page)
                b = static_cast<std::uint8_t>(random());
            const std::uint32_t ht = hs / 2;
            SCOPED_TRACE(testing::Message() << ws << "x" << hs << " -> " << wt << "x" << ht);
            const ReferenceReduction want = referenceReduce(page, ws, hs, wt, ht, true);
            const Reduced got = reduce(page, ws, hs, wt, ht, true);
            ASSERT_EQ(got.code, want.code);
            ASSERT_EQ(got.pixels, want.pixels);
        }
    }
}

TEST(PageReduction, MatchesPlainWalkAtViewerZooms)
{
    // Fax-shaped pages at 50%, 33% and fit widths, where the boxes the viewer uses
    // meet the page's right edge and last rows; and narrow boxes of 40 and 160
    // pixels and of over 257 rows, which take the other division paths.
    std::mt19937 random(7);
    struct Row
    {
        std::uint32_t ws, hs, wt, ht;
    };
    const Row rows[] = {{1728, 300, 864, 150},  {1728, 300, 576, 100}, {1728, 300, 784, 136},
                        {1726, 301, 863, 150},  {1726, 301, 575, 100}, {1728, 300, 1727, 299},
                        {1728, 300, 1728, 300}, {1000, 999, 999, 998}, {40, 700, 3, 2},
                        {700, 40, 2, 1},        {1000, 400, 250, 10},  {1000, 3000, 250, 10}};
    for (const Row &row : rows) {
        Bytes page(std::size_t{row.ws} * row.hs);
        for (auto &b : page)
            b = random() % 7 == 0 ? 0 : 255;
        for (bool smooth : {true, false}) {
            SCOPED_TRACE(testing::Message() << row.ws << "x" << row.hs << " -> " << row.wt << "x"
                                            << row.ht << " smooth " << smooth);
            const ReferenceReduction want =
                referenceReduce(page, row.ws, row.hs, row.wt, row.ht, smooth);
            const Reduced got = reduce(page, row.ws, row.hs, row.wt, row.ht, smooth);
            ASSERT_EQ(got.code, want.code);
            ASSERT_EQ(got.pixels, want.pixels);
        }
    }
}
