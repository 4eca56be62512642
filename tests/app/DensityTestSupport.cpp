#include "tests/app/DensityTestSupport.h"

#include "framework/SystemMetrics.h"
#include "tools/fixtures/FixtureWriter.h"

#include <QApplication>
#include <QPixmap>

void DensityTest::StartOnLinedFax(int frameWidth, int frameHeight)
{
    constexpr std::uint32_t width = 1728, height = 2200;
    fixtures::BilevelImage image = fixtures::makeTextPage(width, height, 5);
    for (std::uint32_t y = 0; y < height / 2; ++y)
        for (std::uint32_t x = 0; x < width / 2; ++x)
            image.setPixel(x, y, x % 3 == 0 || y % 3 == 0);
    const std::string path = m_dir.file("lined.tif");
    ASSERT_TRUE(fixtures::writeFaxTiff(path, {fixtures::FaxPage{image, 204, 196}}));
    m_sourceSize = CSize(width, height);
    m_source.resize(std::size_t{width} * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            m_source[std::size_t{y} * width + x] = image.pixel(x, y) ? 0 : 255;

    AfxOverrideSystemMetric(SM_CXFULLSCREEN, 1280); // opens at 50 %
    ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
    Frame()->resize(frameWidth, frameHeight);
    QApplication::processEvents();
    View()->UpdateScrollSizes();
    QApplication::processEvents();
}

int DensityTest::SourcePixel(int x, int y) const
{
    return m_source[std::size_t(y) * std::size_t(m_sourceSize.cx) + std::size_t(x)];
}

int DensityTest::DisplayPixel(int x, int y) const
{
    const CPageBitmap &page = Document()->GetDisplayPage();
    return page.m_pPixels[std::size_t(y) * std::size_t(page.m_size.cx) + std::size_t(x)];
}

QImage DensityTest::GrabViewport() const
{
    return View()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
