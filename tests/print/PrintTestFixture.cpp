#include "tests/print/PrintTestFixture.h"

#include "framework/Printing.h"
#include "resources/Resource.h"

#include <QAction>
#include <QDialog>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>

void PrintTest::TearDown()
{
    SetPrintDialogHook({});
    SetPrintPreviewHook({});
    AppTest::TearDown();
}

std::string PrintTest::StartWith(const std::string &name,
                                 const std::vector<fixtures::FaxPage> &pages)
{
    const std::string path = m_dir.file(name);
    EXPECT_TRUE(fixtures::writeFaxTiff(path, pages));
    EXPECT_NE(Start({QString::fromStdString(path)}), nullptr);
    return path;
}

void PrintTest::UsePdf(QPrinter &printer, const std::string &pdf, QPageSize::PageSizeId paper,
                       double margins)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setResolution(600);
    printer.setFullPage(margins == 0);
    printer.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                      QMarginsF(margins, margins, margins, margins),
                                      QPageLayout::Inch));
}

std::string PrintTest::PrintToPdf(const std::string &name, UINT from, UINT to)
{
    const std::string pdf = m_dir.file(name);
    SetPrintDialogHook([pdf, from, to](QPrinter &printer, CPrintInfo &info) -> BOOL {
        UsePdf(printer, pdf);
        info.SetPageRange(from, to);
        return TRUE;
    });
    EXPECT_TRUE(Frame()->ExecuteCommand(ID_FILE_PRINT));
    return pdf;
}

fixtures::FaxPage framedPage(std::uint32_t width, std::uint32_t height, double xResolution,
                             double yResolution, std::uint32_t border)
{
    fixtures::FaxPage page;
    page.image = fixtures::BilevelImage(width, height);
    page.image.fillRect(0, 0, width, border);
    page.image.fillRect(0, height - border, width, border);
    page.image.fillRect(0, 0, border, height);
    page.image.fillRect(width - border, 0, border, height);
    page.xResolution = xResolution;
    page.yResolution = yResolution;
    return page;
}
