#include "tests/print/PdfSheets.h"
#include "tests/print/PrintTestFixture.h"

#include "display/ImagingErrorText.h"
#include "document/PagelotDoc.h"
#include "framework/FileDialog.h"
#include "framework/MessageBox.h"
#include "framework/Printing.h"
#include "resources/Resource.h"
#include "tools/fixtures/MixedFaxes.h"
#include "view/PagelotView.h"

#include <QFile>
#include <QPrinter>

#include <cstdio>
#include <utility>

using namespace fixtures;
using pdfsheets::inkBox;
using pdfsheets::sheetCount;

namespace {

constexpr int DPI = 150;

struct Inches
{
    double width;
    double height;
};

Inches inkInches(const std::string &pdf, int sheet, QRect *ink = nullptr)
{
    const QRect box = inkBox(pdf, sheet, DPI);
    if (ink)
        *ink = box;
    return {double(box.width()) / DPI, double(box.height()) / DPI};
}

// Prints every page on the paper given (margins in inches) and returns the PDF.
class PrintSize : public PrintTest
{
protected:
    std::string PrintOn(const std::string &name, QPageSize::PageSizeId paper, double margins)
    {
        const std::string pdf = m_dir.file(name);
        SetPrintDialogHook([pdf, paper, margins](QPrinter &printer, CPrintInfo &) -> BOOL {
            UsePdf(printer, pdf, paper, margins);
            return TRUE;
        });
        EXPECT_TRUE(Frame()->ExecuteCommand(ID_FILE_PRINT));
        return pdf;
    }
};

// The view with the fax taken away while one page prints, and put back afterwards.
class FileGoneWhilePrintingView : public CPagelotView
{
public:
    void OnPrint(CDC *pDC, CPrintInfo *pInfo) override
    {
        const CString path = GetDocument()->GetPath();
        const CString aside = path + QStringLiteral(".aside");
        const bool gone = pInfo->m_nCurPage == m_nGonePage && QFile::rename(path, aside);
        CPagelotView::OnPrint(pDC, pInfo);
        if (gone)
            QFile::rename(aside, path);
    }
    UINT m_nGonePage = 0;
};

} // namespace

// Each page prints at its own size: a standard page 1728 / 216 = 8.0 by 1100 / 105 =
// 10.48 inches, a fine page 8.0 by 2200 / 211 = 10.43 inches, in either order, and a
// superfine page, shown with its rows merged, 8.0 by 4400 / 422 = 10.43 inches.
TEST_F(PrintSize, MixedFilesPrintEachPageAtItsOwnSize)
{
    const Inches standard{1728.0 / 216, 1100.0 / 105};
    const Inches fine{1728.0 / 216, 2200.0 / 211};
    const Inches superfine{1728.0 / 216, 4400.0 / 422};
    for (const bool standardFirst : {true, false}) {
        const char *order = standardFirst ? "standard-fine" : "fine-standard";
        SCOPED_TRACE(order);
        StartWith(std::string(order) + ".tif", mixedResolutionFax(standardFirst));
        // The page on screen must not decide: show the other one while printing.
        ASSERT_TRUE(Frame()->ExecuteCommand(ID_PAGE_NEXT));
        const Inches expected[] = {standardFirst ? standard : fine, standardFirst ? fine : standard,
                                   superfine};
        for (const auto &[paper, name] :
             {std::pair{QPageSize::Letter, "Letter"}, std::pair{QPageSize::A4, "A4"}}) {
            const std::string pdf = PrintOn(std::string(order) + name + ".pdf", paper, 0);
            ASSERT_EQ(sheetCount(pdf), 3);
            for (int sheet = 1; sheet <= 3; ++sheet) {
                const Inches printed = inkInches(pdf, sheet);
                std::printf("[ printed ] %s page %d on %s: %.3f x %.3f in\n", order, sheet, name,
                            printed.width, printed.height);
                EXPECT_NEAR(printed.width, expected[sheet - 1].width, 0.02)
                    << name << " sheet " << sheet;
                EXPECT_NEAR(printed.height, expected[sheet - 1].height, 0.02)
                    << name << " sheet " << sheet;
            }
        }
        Close();
    }
    EXPECT_TRUE(m_messages.empty());
}

// A legal-length page (1728 x 2800 at 204 x 196 dpi: 8.0 x 13.27 inches as printed) is
// reduced just enough to fit the printable area, keeping its proportions, from the
// top-left corner: its frame shows whole on Letter and on A4, with or without margins.
TEST_F(PrintSize, LongPageIsReducedToFitThePaperWithNothingCut)
{
    const double natural = (1728.0 / 216) / (2800.0 / 211);
    StartWith("legal.tif", legalLengthFax());
    const struct
    {
        const char *name;
        QPageSize::PageSizeId paper;
        double margins;
    } rows[] = {
        {"Letter", QPageSize::Letter, 0},
        {"Letter, quarter-inch margins", QPageSize::Letter, 0.25},
        {"A4", QPageSize::A4, 0},
        {"A4, quarter-inch margins", QPageSize::A4, 0.25},
    };
    int run = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string pdf =
            PrintOn("legal" + std::to_string(run++) + ".pdf", row.paper, row.margins);
        ASSERT_EQ(sheetCount(pdf), 1);
        QRect ink;
        const Inches printed = inkInches(pdf, 1, &ink);
        const QSizeF paper = QPageSize(row.paper).size(QPageSize::Inch);
        const double printableHeight = paper.height() - 2 * row.margins;
        std::printf("[ printed ] legal page on %s: %.3f x %.3f in\n", row.name, printed.width,
                    printed.height);
        EXPECT_NEAR(ink.left(), row.margins * DPI, 2);
        EXPECT_NEAR(ink.top(), row.margins * DPI, 2);
        // The bottom edge of the frame reaches the end of the printable area, no further.
        EXPECT_NEAR(printed.height, printableHeight, 2.0 / DPI);
        EXPECT_NEAR(printed.width / printed.height, natural, natural * 0.005);
    }
    EXPECT_TRUE(m_messages.empty());
}

// The fax goes away while page 2 of 3 prints: that sheet is blank, the others print, and
// one message after the job names page 2 with the reason on a line of its own.
TEST_F(PrintSize, PageThatCannotBeReadIsReportedOnceAfterTheJob)
{
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 3; ++i)
        pages.push_back(framedPage(216, 211, 204, 196));
    StartWith("three.tif", pages);
    FileGoneWhilePrintingView view;
    view.m_nGonePage = 2;
    Document()->AddView(&view);
    const std::string pdf = m_dir.file("gone.pdf");
    int messagesDuringJob = -1;
    SetPrintDialogHook([&](QPrinter &printer, CPrintInfo &) -> BOOL {
        UsePdf(printer, pdf);
        return TRUE;
    });
    view.OnFilePrint();
    messagesDuringJob = int(m_messages.size());
    Document()->RemoveView(&view);

    ASSERT_EQ(sheetCount(pdf), 3);
    EXPECT_FALSE(inkBox(pdf, 1, 50).isEmpty());
    bool rendered = false;
    EXPECT_TRUE(inkBox(pdf, 2, 50, &rendered).isEmpty());
    EXPECT_TRUE(rendered);
    EXPECT_FALSE(inkBox(pdf, 3, 50).isEmpty());
    EXPECT_EQ(messagesDuringJob, 1);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], QStringLiteral("Page 2 of three.tif was not printed:\n")
                                 + ImagingErrorText(IMG_ERR_FILE_OPEN));
}

// Pages not printed are grouped by reason, neighbours joined.
TEST(PrintFailureText, GroupsPagesByReason)
{
    using Failure = CPagelotView::PrintFailure;
    const std::vector<Failure> failures = {{2, IMG_ERR_FILE_OPEN},
                                           {3, IMG_ERR_FILE_OPEN},
                                           {4, IMG_ERR_FILE_OPEN},
                                           {6, IMG_ERR_FILE_READ},
                                           {9, IMG_ERR_FILE_OPEN}};
    EXPECT_EQ(CPagelotView::PrintFailureText(QStringLiteral("fax.tif"), failures),
              QStringLiteral("Pages 2-4, 9 of fax.tif were not printed:\n")
                  + ImagingErrorText(IMG_ERR_FILE_OPEN)
                  + QStringLiteral("\n\nPage 6 of fax.tif was not printed:\n")
                  + ImagingErrorText(IMG_ERR_FILE_READ));
}

// A refused file (LZW strips at 100 dpi) chosen in File > Open leaves the shown fax on
// screen, and it prints at its own size, not at twice the size the refused file's
// resolution would give.
TEST_F(PrintSize, FailedOpenLeavesTheShownFaxPrintingAtItsOwnSize)
{
    StartWith("fine.tif", {framedPage(432, 422, 204, 196)});
    const std::string refused = m_dir.file("lzw.tif");
    FaxTiffOptions lzw;
    lzw.compression = Compression::Lzw;
    ASSERT_TRUE(writeFaxTiff(refused, {framedPage(850, 1100, 100, 100)}, lzw));
    AfxSetFileDialogHook([&](const CFileDialog &, CString *pPathName) -> INT_PTR {
        *pPathName = QString::fromStdString(refused);
        return IDOK;
    });
    EXPECT_TRUE(Frame()->ExecuteCommand(ID_FILE_OPEN));
    AfxSetFileDialogHook({});
    ASSERT_EQ(m_messages.size(), 1u);

    const std::string pdf = PrintToPdf("shown.pdf");
    ASSERT_EQ(sheetCount(pdf), 1);
    // 432 / 216 = 2 inches across, 422 / 211 = 2 inches down.
    const Inches printed = inkInches(pdf, 1);
    EXPECT_NEAR(printed.width, 2.0, 0.02);
    EXPECT_NEAR(printed.height, 2.0, 0.02);
}
