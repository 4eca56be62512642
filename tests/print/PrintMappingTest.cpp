#include "tests/print/PrintTestFixture.h"

#include "document/PagelotDoc.h"
#include "framework/Dc.h"
#include "framework/Printing.h"
#include "view/PagelotView.h"

#include <QImage>
#include <QPainter>

using namespace fixtures;

namespace {

// A sheet of paper as a white image at dpiX x dpiY, six inches square.
QImage sheet(int dpiX, int dpiY)
{
    QImage image(6 * dpiX, 6 * dpiY, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpiX / 0.0254));
    image.setDotsPerMeterY(qRound(dpiY / 0.0254));
    return image;
}

QRect inkOf(const QImage &image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

struct Printed
{
    CSize windowExt;
    CSize viewportExt;
    QRect ink;
};

// Runs the view's OnPrint for page `page` onto a printing context over the sheet.
Printed printOnto(CPagelotView *pView, QImage &image, UINT page = 1, int rasterCaps = RC_STRETCHDIB)
{
    Printed result;
    {
        QPainter painter(&image);
        CDC dc(painter);
        dc.m_bPrinting = TRUE;
        dc.m_nRasterCaps = rasterCaps;
        CPrintInfo info;
        info.m_nCurPage = page;
        pView->OnPrepareDC(&dc, &info);
        pView->OnPrint(&dc, &info);
        result.windowExt = dc.GetWindowExt();
        result.viewportExt = dc.GetViewportExt();
    }
    result.ink = inkOf(image);
    return result;
}

FaxPage blackPage(std::uint32_t width, std::uint32_t height, double xResolution, double yResolution,
                  ResolutionUnit unit = ResolutionUnit::Inch)
{
    FaxPage page = framedPage(width, height, xResolution, yResolution, 0);
    page.image.fillRect(0, 0, width, height);
    page.unit = unit;
    return page;
}

} // namespace

// The window extent is the shown page's resolution times 1.06 across and 1.08 down,
// truncated; the viewport extent is the printer's resolution. A page of exactly the
// window extent in pixels therefore covers one inch by one inch of the sheet.
TEST_F(PrintTest, WindowExtentFollowsTheShownPagesResolution)
{
    const struct
    {
        const char *name;
        double xResolution;
        double yResolution;
        ResolutionUnit unit;
        CSize extent;
    } rows[] = {
        {"200 x 200", 200, 200, ResolutionUnit::Inch, {212, 216}},
        {"no resolution: 200 x 200", 204, 196, ResolutionUnit::Absent, {212, 216}},
        {"fine 204 x 196", 204, 196, ResolutionUnit::Inch, {216, 211}},
        {"normal 204 x 98", 204, 98, ResolutionUnit::Inch, {216, 105}},
        {"300 x 300", 300, 300, ResolutionUnit::Inch, {318, 324}},
        {"80.315 x 77.1654 per cm: 203 x 195",
         80.315,
         77.1654,
         ResolutionUnit::Centimetre,
         {215, 210}},
    };
    int run = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::uint32_t width = std::uint32_t(row.extent.cx);
        const std::uint32_t height = std::uint32_t(row.extent.cy);
        const std::string name = "res" + std::to_string(run++) + ".tif";
        const std::string path = m_dir.file(name);
        ASSERT_TRUE(writeFaxTiff(
            path, {blackPage(width, height, row.xResolution, row.yResolution, row.unit)}));
        ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
        // Different printer resolutions across and down catch a swapped pair.
        QImage image = sheet(120, 60);
        const Printed printed = printOnto(View(), image);
        EXPECT_EQ(printed.windowExt, row.extent);
        EXPECT_EQ(printed.viewportExt, CSize(120, 60));
        EXPECT_EQ(printed.ink, QRect(0, 0, 120, 60));
        Close();
    }
}

// A sheet stays blank, without a word from the page itself, for a page the file does not
// have or a printer that cannot stretch bitmaps.
TEST_F(PrintTest, SheetStaysBlankWithoutAPageOrStretching)
{
    const struct
    {
        const char *name;
        UINT page;
        int rasterCaps;
    } rows[] = {
        {"page beyond the file", 4, RC_STRETCHDIB},
        {"page 0", 0, RC_STRETCHDIB},
        {"printer without RC_STRETCHDIB", 1, 0},
    };
    const std::string path = m_dir.file("three.tif");
    ASSERT_TRUE(writeFaxTiff(path, {blackPage(216, 211, 204, 196), blackPage(216, 211, 204, 196),
                                    blackPage(216, 211, 204, 196)}));
    ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QImage image = sheet(120, 60);
        EXPECT_TRUE(printOnto(View(), image, row.page, row.rasterCaps).ink.isEmpty());
    }
    QImage image = sheet(120, 60);
    EXPECT_EQ(printOnto(View(), image, 3).ink, QRect(0, 0, 120, 60));
    EXPECT_TRUE(m_messages.empty());
}

// The printed page's own resolution maps it, whatever the page on screen holds; a
// resolution too large for a window extent counts as none: 200 x 200.
TEST_F(PrintTest, PrintedPageIsMappedByItsOwnResolution)
{
    const std::string path = m_dir.file("two.tif");
    ASSERT_TRUE(writeFaxTiff(
        path, {blackPage(216, 211, 204, 196), blackPage(212, 216, 2147483520.0, 2147483520.0)}));
    ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
    CPageBitmap &shown = Document()->GetSourcePage();
    const CSize asRead = shown.m_resolution;
    const CSize shownResolutions[] = {{0, 196}, {204, -196}, {100, 100}, {204, 98}, asRead};
    for (const CSize &resolution : shownResolutions) {
        SCOPED_TRACE(testing::Message() << resolution.cx << " x " << resolution.cy);
        shown.m_resolution = resolution;
        for (const UINT page : {1u, 2u}) {
            SCOPED_TRACE(page);
            QImage image = sheet(120, 60);
            const Printed printed = printOnto(View(), image, page);
            EXPECT_EQ(printed.windowExt, page == 1 ? CSize(216, 211) : CSize(212, 216));
            EXPECT_EQ(printed.ink, QRect(0, 0, 120, 60));
        }
    }
    shown.m_resolution = asRead;
    EXPECT_TRUE(m_messages.empty());
}
