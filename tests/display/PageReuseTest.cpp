#include "PageTestHelpers.h"

#include "display/PagePrefetcher.h"
#include "display/PageRender.h"
#include "platform/GlobalMemory.h"
#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;
using namespace fixtures;

namespace {

Bytes blockBytes(const void *block, std::size_t bytes)
{
    const auto *begin = static_cast<const std::uint8_t *>(block);
    return block ? Bytes(begin, begin + bytes) : Bytes();
}

// The source, display and print pages of one page change, as the document holds them.
struct Pages
{
    CPageBitmap source;
    CPageBitmap display;
    CPageBitmap print;

    void Show(const CString &path, std::int32_t index, double ratio, std::int32_t turn)
    {
        ASSERT_EQ(ReadShownPage(source, path, index, nullptr, TRUE), IMG_OK);
        const CSize half(source.m_size.cx / 2, source.m_size.cy / 2);
        RenderPage(display, source, RenderTarget{half, false, ratio, TRUE, turn});
        display.MakeDib();
        ASSERT_EQ(print.LoadPrintPage(path, index), IMG_OK);
    }
};

struct ReuseFile
{
    TempDir dir;
    std::string path = dir.file("mixed.tif");
    ReuseFile()
    {
        // A fine letter page, a small fine page and a normal-mode page whose rows double.
        writeFaxTiff(path, {FaxPage{makeTextPage(1728, 2200, 3), 204, 196},
                            FaxPage{makePatternImage(301, 203, 4), 204, 196},
                            FaxPage{makeTextPage(1728, 1100, 5), 204, 98}});
    }
};

} // namespace

// Pages changed into the blocks of the pages before them, larger, smaller and doubled,
// turned or not, at both ratios, hold exactly what pages read into new blocks hold.
TEST(PageReuse, ReusedBlocksHoldWhatNewBlocksHold)
{
    ReuseFile file;
    const CString path = CString::fromStdString(file.path);
    struct Step
    {
        std::int32_t index;
        double ratio;
        std::int32_t turn;
    };
    const Step steps[] = {{0, 1, RenderTarget::NO_TURN}, {1, 1, IMG_ROT_180},
                          {2, 2, RenderTarget::NO_TURN}, {0, 2, IMG_ROT_CW90},
                          {1, 2, RenderTarget::NO_TURN}, {1, 1, RenderTarget::NO_TURN},
                          {2, 1, IMG_ROT_180},           {2, 2, IMG_ROT_CCW90}};
    Pages held;
    for (const Step &step : steps) {
        SCOPED_TRACE(testing::Message() << "page " << step.index << " ratio " << step.ratio);
        dirtyHeap(1728 * 2200);
        held.Show(path, step.index, step.ratio, step.turn);
        Pages fresh;
        fresh.Show(path, step.index, step.ratio, step.turn);
        EXPECT_EQ(pageBytes(held.source), pageBytes(fresh.source));
        EXPECT_EQ(held.display.m_size, fresh.display.m_size);
        EXPECT_EQ(held.display.ShownSize(), fresh.display.ShownSize());
        EXPECT_EQ(pageBytes(held.display), pageBytes(fresh.display));
        const std::size_t dib = GlobalSize(fresh.display.m_pDib);
        EXPECT_EQ(blockBytes(held.display.m_pDib, dib), blockBytes(fresh.display.m_pDib, dib));
        const std::size_t bits = GlobalSize(fresh.print.m_pPixels);
        EXPECT_EQ(blockBytes(held.print.m_pPixels, bits), blockBytes(fresh.print.m_pPixels, bits));
        const std::size_t printDib = GlobalSize(fresh.print.m_pDib);
        EXPECT_EQ(blockBytes(held.print.m_pDib, printDib),
                  blockBytes(fresh.print.m_pDib, printDib));
    }
}

// A page change to a page no larger asks the heap for no page memory (the two reads'
// data source records only); the blocks of a large page are given back once recent
// pages no longer need them.
TEST(PageReuse, PageChangesKeepTheirBlocksAndGiveBackWhatNoPageNeeds)
{
    ReuseFile file;
    const CString path = CString::fromStdString(file.path);
    Pages held;
    held.Show(path, 0, 1, RenderTarget::NO_TURN);
    const std::size_t large = GlobalSize(held.source.m_pPixels);
    for (std::int32_t index : {1, 0, 1}) {
        const std::uint64_t allocations = GlobalAllocCallCount();
        held.Show(path, index, 1, RenderTarget::NO_TURN);
        EXPECT_EQ(GlobalAllocCallCount() - allocations, 2u) << index;
        EXPECT_EQ(GlobalSize(held.source.m_pPixels), large);
    }
    for (int change = 0; change < 10; ++change)
        held.Show(path, 1, 1, RenderTarget::NO_TURN);
    EXPECT_EQ(GlobalSize(held.source.m_pPixels), std::size_t{301 * 203});
    EXPECT_EQ(GlobalSize(held.display.m_pPixels), std::size_t{150 * 101});
    EXPECT_EQ(GlobalSize(held.print.m_pPixels), std::size_t{38 * 203});
}

// Everything a page holds changes sides, the size it is shown at included: a page
// rendered for a ratio-2 screen swapped out is still drawn at its logical size.
TEST(PageBitmap, SwapExchangesEverythingItHolds)
{
    CPageBitmap source;
    fillPage(source, 40, 40, {});
    CPageBitmap rendered;
    rendered.ScaleForScreen(source, CSize(10, 10), 2.0, TRUE);
    rendered.MakeDib();
    rendered.m_resolution = CSize(204, 98);
    CPageBitmap other;
    other.Swap(rendered);
    EXPECT_EQ(other.m_size, CSize(20, 20));
    EXPECT_EQ(other.ShownSize(), CSize(10, 10));
    EXPECT_NE(other.m_pDib, nullptr);
    EXPECT_EQ(other.m_resolution, CSize(204, 98));
    EXPECT_EQ(rendered.ShownSize(), CSize(0, 0));
    EXPECT_EQ(rendered.m_pPixels, nullptr);
    EXPECT_EQ(rendered.m_resolution, CSize(200, 200));
}

// A page prepared on the worker is the page a render on demand makes, bitmap included,
// at both device pixel ratios; it is handed out only for the plan it was made for.
TEST(PagePrefetcher, PreparesWhatARenderOnDemandMakes)
{
    ReuseFile file;
    const CString path = CString::fromStdString(file.path);
    CPagePrefetcher ahead;
    for (const double ratio : {1.0, 2.0}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        const CPagePrefetcher::Plan plan = [ratio](CSize page) -> std::optional<RenderTarget> {
            return RenderTarget{CSize(page.cx / 3, page.cy / 3), false, ratio, TRUE, IMG_ROT_180};
        };
        ahead.Prepare(path, {2, 1}, TRUE, plan);
        // A bound against a hang, not a time: the worker runs at the lowest priority.
        QElapsedTimer clock;
        clock.start();
        while (!(ahead.IsReady(1) && ahead.IsReady(2)) && clock.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(ahead.IsReady(1) && ahead.IsReady(2));
        const CPagePrefetcher::Plan other = [](CSize page) -> std::optional<RenderTarget> {
            return RenderTarget{CSize(page.cx / 2, page.cy / 2)};
        };
        EXPECT_EQ(ahead.Take(2, path, other), nullptr);
        const std::shared_ptr<PreparedPage> page = ahead.Take(1, path, plan);
        ASSERT_NE(page, nullptr);

        Pages fresh;
        ASSERT_EQ(ReadShownPage(fresh.source, path, 1, nullptr, TRUE), IMG_OK);
        RenderPage(fresh.display, fresh.source, *plan(fresh.source.m_size));
        fresh.display.MakeDib();
        EXPECT_EQ(pageBytes(page->source), pageBytes(fresh.source));
        EXPECT_EQ(page->display.ShownSize(), fresh.display.ShownSize());
        EXPECT_EQ(pageBytes(page->display), pageBytes(fresh.display));
        const std::size_t dib = GlobalSize(fresh.display.m_pDib);
        EXPECT_EQ(blockBytes(page->display.m_pDib, dib), blockBytes(fresh.display.m_pDib, dib));
        ahead.GiveBack(page);
    }
}
