#pragma once

#include "tests/app/AppTestFixture.h"
#include "tools/fixtures/FixtureWriter.h"

#include <QPageSize>

#include <string>
#include <vector>

class QDialog;
class QPrinter;

// The application with a file open, printing to PDF through the print dialog's seam.
class PrintTest : public AppTest
{
protected:
    void TearDown() override;

    // Writes the pages to a file in the test folder and starts the application on it.
    std::string StartWith(const std::string &name, const std::vector<fixtures::FaxPage> &pages);
    // Sets the printer up as the print dialog's file printer would: PDF at 600 dpi on
    // the paper given, with margins in inches (0: the whole sheet is printable).
    static void UsePdf(QPrinter &printer, const std::string &pdf,
                       QPageSize::PageSizeId paper = QPageSize::Letter, double margins = 0);
    // File > Print, the dialog choosing the PDF file and the range from..to (0, 0: all).
    // Returns the PDF's path.
    std::string PrintToPdf(const std::string &name, UINT from = 0, UINT to = 0);
};

// A white page with a black frame `border` pixels wide along its four edges.
fixtures::FaxPage framedPage(std::uint32_t width, std::uint32_t height, double xResolution,
                             double yResolution, std::uint32_t border = 4);
