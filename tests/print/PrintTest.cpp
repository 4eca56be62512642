#include "tests/print/PdfSheets.h"
#include "tests/print/PrintTestFixture.h"
#include "tests/support/DialogButtons.h"

#include "display/ImagingErrorText.h"
#include "document/PagelotDoc.h"
#include "framework/Dc.h"
#include "framework/PrintPreview.h"
#include "framework/Printing.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "tests/support/Command.h"
#include "tests/support/RawTiffBuilder.h"
#include "view/PagelotView.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QTimer>

#include <array>
#include <cmath>
#include <cstdio>

using namespace fixtures;
using pdfsheets::inkBox;
using pdfsheets::sheetCount;

namespace {

// Pages told apart by their height, so each sheet shows which page index was read.
constexpr std::uint32_t FIRST_HEIGHT = 1000;
constexpr std::uint32_t HEIGHT_STEP = 100;
constexpr int INDEX_DPI = 50;

std::vector<FaxPage> threePages()
{
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 3; ++i)
        pages.push_back(framedPage(1728, FIRST_HEIGHT + HEIGHT_STEP * i, 204, 196));
    return pages;
}

int indexOfHeight(double rows) { return int(std::lround((rows - FIRST_HEIGHT) / HEIGHT_STEP)); }

// The page index printed on a sheet (at 204 x 196 dpi on a 600 dpi printer), -1 blank.
int printedIndex(const std::string &pdf, int sheet)
{
    const QRect ink = inkBox(pdf, sheet, INDEX_DPI);
    if (ink.isEmpty())
        return -1;
    // The window extent of 196 dpi is 211 logical units to the inch.
    return indexOfHeight(double(ink.height()) / INDEX_DPI * 211);
}

std::vector<int> printedIndices(const std::string &pdf)
{
    std::vector<int> indices;
    for (int sheet = 1; sheet <= sheetCount(pdf); ++sheet)
        indices.push_back(printedIndex(pdf, sheet));
    return indices;
}

struct PrintedPage
{
    UINT page;
    bool preview;
    int dpiX;
    int indexRead;
    CSize windowExt;
    CSize viewportExt;
    bool operator==(const PrintedPage &) const = default;
};

// The application's view with each OnPrint recorded: what was asked, and what the
// override read and mapped.
class RecordingPrintView : public CPagelotView
{
public:
    void OnPrint(CDC *pDC, CPrintInfo *pInfo) override
    {
        CPagelotView::OnPrint(pDC, pInfo);
        const CPageBitmap &read = GetDocument()->GetPrintPage();
        m_printed.push_back({pInfo->m_nCurPage, pInfo->m_bPreview != FALSE,
                             pDC->GetDeviceCaps(LOGPIXELSX),
                             read.m_pDib ? indexOfHeight(read.m_size.cy) : -1, pDC->GetWindowExt(),
                             pDC->GetViewportExt()});
    }
    std::vector<PrintedPage> m_printed;
};

// Rasterised edges may fall either side of a pixel.
void expectBox(const QRect &ink, const QRect &expected)
{
    EXPECT_NEAR(ink.left(), expected.left(), 1);
    EXPECT_NEAR(ink.top(), expected.top(), 1);
    EXPECT_NEAR(ink.right(), expected.right(), 1);
    EXPECT_NEAR(ink.bottom(), expected.bottom(), 1);
}

} // namespace

TEST_F(PrintTest, AllPagesPrintOneSheetEachInOrder)
{
    StartWith("three.tif", threePages());
    // A range left on the shared printer by an earlier job must not narrow this one.
    AfxGetPrinter()->setPrintRange(QPrinter::PageRange);
    AfxGetPrinter()->setFromTo(2, 2);
    UINT offeredMin = 0;
    UINT offeredMax = 0;
    QPrinter::PrintRange offeredRange = QPrinter::PageRange;
    const std::string pdf = m_dir.file("all.pdf");
    SetPrintDialogHook([&](QPrinter &printer, CPrintInfo &info) -> BOOL {
        EXPECT_EQ(&printer, AfxGetPrinter());
        offeredMin = info.GetMinPage();
        offeredMax = info.GetMaxPage();
        offeredRange = printer.printRange();
        UsePdf(printer, pdf);
        return TRUE;
    });
    // Ctrl+P reaches the view through the menu's action.
    UpdateAllCommands();
    ASSERT_TRUE(Action(ID_FILE_PRINT)->isEnabled());
    Action(ID_FILE_PRINT)->trigger();

    EXPECT_EQ(offeredMin, 1u);
    EXPECT_EQ(offeredMax, 3u);
    EXPECT_EQ(offeredRange, QPrinter::AllPages);
    EXPECT_EQ(sheetCount(pdf), 3);
    EXPECT_EQ(printedIndices(pdf), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PrintTest, RangeTwoToThreeReadsIndicesOneAndTwo)
{
    StartWith("three.tif", threePages());
    const std::string pdf = PrintToPdf("range.pdf", 2, 3);
    EXPECT_EQ(sheetCount(pdf), 2);
    EXPECT_EQ(printedIndices(pdf), (std::vector<int>{1, 2}));
}

TEST_F(PrintTest, QuickPrintIsPrintToo)
{
    StartWith("three.tif", threePages());
    const std::string pdf = m_dir.file("direct.pdf");
    SetPrintDialogHook([&](QPrinter &printer, CPrintInfo &) -> BOOL {
        UsePdf(printer, pdf);
        return TRUE;
    });
    EXPECT_TRUE(Frame()->ExecuteCommand(ID_FILE_PRINT_DIRECT));
    EXPECT_EQ(sheetCount(pdf), 3);
}

TEST_F(PrintTest, CancelledDialogPrintsNothing)
{
    StartWith("three.tif", threePages());
    const std::string pdf = m_dir.file("cancelled.pdf");
    int dialogs = 0;
    SetPrintDialogHook([&](QPrinter &printer, CPrintInfo &) -> BOOL {
        ++dialogs;
        UsePdf(printer, pdf);
        return FALSE;
    });
    EXPECT_TRUE(Frame()->ExecuteCommand(ID_FILE_PRINT));
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));
    EXPECT_EQ(Document()->GetPrintPage().m_pPixels, nullptr);
    EXPECT_TRUE(m_messages.empty());
}

// The Print Setup dialog works on the printer every job uses, so the paper chosen
// there is the paper printed on.
TEST_F(PrintTest, PaperOfPrintSetupIsUsed)
{
    StartWith("three.tif", threePages());
    QPrinter &printer = *AfxGetPrinter();
    UsePdf(printer, m_dir.file("unused.pdf"), QPageSize::A5, 0.25);
    const std::string pdf = m_dir.file("a5.pdf");
    SetPrintDialogHook([&](QPrinter &shared, CPrintInfo &) -> BOOL {
        shared.setOutputFileName(QString::fromStdString(pdf));
        return TRUE;
    });
    EXPECT_TRUE(Frame()->ExecuteCommand(ID_FILE_PRINT));
    const QSizeF paper = pdfsheets::paperPoints(pdf);
    const QSizeF a5 = QPageSize(QPageSize::A5).size(QPageSize::Point);
    EXPECT_NEAR(paper.width(), a5.width(), 1.0);
    EXPECT_NEAR(paper.height(), a5.height(), 1.0);
}

// A normal-mode page of 1728 x 1100 at 204 x 98 dpi has window extent (216, 105): it
// covers 1728 / 216 = 8.0 by 1100 / 105 = 10.476 inches, from the top-left corner of
// the printable area, on Letter paper either with no margins or with quarter-inch ones.
TEST_F(PrintTest, NormalPagePrintsEightByTenPointFourEightInches)
{
    constexpr int DPI = 300;
    const double expectedWidth = 1728.0 / 216;
    const double expectedHeight = 1100.0 / 105;
    StartWith("normal.tif", {framedPage(1728, 1100, 204, 98)});
    for (const double margins : {0.0, 0.25}) {
        SCOPED_TRACE(margins);
        const std::string pdf = m_dir.file("normal.pdf");
        SetPrintDialogHook([&](QPrinter &printer, CPrintInfo &) -> BOOL {
            UsePdf(printer, pdf, QPageSize::Letter, margins);
            return TRUE;
        });
        ASSERT_TRUE(Frame()->ExecuteCommand(ID_FILE_PRINT));
        ASSERT_EQ(sheetCount(pdf), 1);
        const QRect ink = inkBox(pdf, 1, DPI);
        const double width = double(ink.width()) / DPI;
        const double height = double(ink.height()) / DPI;
        std::printf("[ printed ] margins %.2f in: %.4f x %.4f in at %.4f, %.4f in; ratio %.5f x "
                    "%.5f to 8.0 x 10.48\n",
                    margins, width, height, double(ink.left()) / DPI, double(ink.top()) / DPI,
                    width / 8.0, height / 10.48);
        EXPECT_NEAR(width, expectedWidth, expectedWidth * 0.005);
        EXPECT_NEAR(height, expectedHeight, expectedHeight * 0.005);
        EXPECT_NEAR(ink.left(), margins * DPI, 2);
        EXPECT_NEAR(ink.top(), margins * DPI, 2);
    }
}

// The screen's turn, zoom, smoothing and scroll position never reach the paper.
TEST_F(PrintTest, PageShownUpsideDownAndScrolledPrintsUprightFromTheCorner)
{
    // A block in the top-left corner only: turned, it would print bottom-right.
    FaxPage page;
    page.image = BilevelImage(1728, 2200);
    page.image.fillRect(0, 0, 432, 422);
    StartWith("corner.tif", {page});
    ASSERT_TRUE(Frame()->ExecuteCommand(ID_ROTATE_UPSIDEDOWN));
    ASSERT_TRUE(Frame()->ExecuteCommand(ID_ZOOM_ACTUALSIZE));
    ASSERT_EQ(Document()->GetRotation(), Rotation::UpsideDown);
    View()->ScrollToPosition(CPoint(300, 1000));
    ASSERT_EQ(View()->GetScrollPosition(), CPoint(300, 1000));

    const std::string pdf = PrintToPdf("upright.pdf");
    constexpr int DPI = 100;
    const QRect ink = inkBox(pdf, 1, DPI);
    // 432 / 216 = 2 inches across, 422 / 211 = 2 inches down.
    expectBox(ink, QRect(0, 0, 2 * DPI, 2 * DPI));
}

// The file changes after it was opened: its second page can no longer be read
// (LZW strips are refused). That sheet stays blank, page 3 still prints, and the job
// ends with one message naming page 2 and the reason.
TEST_F(PrintTest, UnreadablePageGivesBlankSheetAndPrintingGoesOn)
{
    constexpr std::uint32_t WIDTH = 216;
    constexpr std::uint32_t HEIGHT = 211;
    BilevelImage black(WIDTH, HEIGHT);
    black.fillRect(0, 0, WIDTH, HEIGHT);
    const std::string rows(black.rows.begin(), black.rows.end());
    RawTiffBuilder builder;
    const std::uint32_t data = builder.addData(rows);
    const std::uint32_t lzw = builder.addData(std::string(64, '\x55'));
    const auto size = std::uint32_t(rows.size());
    const std::uint32_t third =
        builder.addDirectory(RawTiffBuilder::bilevelPage(WIDTH, HEIGHT, 1, data, size));
    const std::uint32_t second =
        builder.addDirectory(RawTiffBuilder::bilevelPage(WIDTH, HEIGHT, 5, lzw, 64), third);
    const std::uint32_t first =
        builder.addDirectory(RawTiffBuilder::bilevelPage(WIDTH, HEIGHT, 1, data, size), second);
    builder.setFirstDirectory(first);
    ASSERT_NE(Start({QString::fromStdString(m_dir.write("changing.tif", builder.bytes()))}),
              nullptr);

    const std::string pdf = PrintToPdf("changed.pdf");
    ASSERT_EQ(sheetCount(pdf), 3);
    constexpr int DPI = 50;
    // A page of 216 x 211 pixels under extent (216, 211) is one inch square.
    expectBox(inkBox(pdf, 1, DPI), QRect(0, 0, DPI, DPI));
    bool rendered = false;
    EXPECT_TRUE(inkBox(pdf, 2, DPI, &rendered).isEmpty());
    EXPECT_TRUE(rendered);
    expectBox(inkBox(pdf, 3, DPI), QRect(0, 0, DPI, DPI));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0], QStringLiteral("Page 2 of changing.tif was not printed:\n")
                                 + ImagingErrorText(IMG_ERR_FILE_READ));
}

// The preview calls the same overrides with the printer's resolution, over every page,
// and its print button prints for real the range chosen in its print dialog.
TEST_F(PrintTest, PreviewDrivesTheSameOverridesAndItsPrintButtonPrints)
{
    StartWith("three.tif", threePages());
    RecordingPrintView view;
    Document()->AddView(&view);
    QPrinter &printer = *AfxGetPrinter();
    UsePdf(printer, m_dir.file("unused.pdf"));
    const std::string pdf = m_dir.file("from-preview.pdf");
    std::vector<PrintedPage> previewed;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.show();
        pressDialogButton(dialog, "Next Page");
        pressDialogButton(dialog, "Next Page");
        previewed = view.m_printed;
        view.m_printed.clear();
        pressDialogButton(dialog, "Print...");
    });
    // What the print button's dialog does once it chose pages 2 to 3 in a file.
    SetPrintDialogHook([&](QPrinter &dialogPrinter, CPrintInfo &info) -> BOOL {
        dialogPrinter.setOutputFileName(QString::fromStdString(pdf));
        info.SetPageRange(2, 3);
        return TRUE;
    });
    view.OnFilePrintPreview();

    const CSize window(216, 211);
    const CSize viewport(600, 600);
    EXPECT_EQ(previewed, (std::vector<PrintedPage>{{1, true, 600, 0, window, viewport},
                                                   {2, true, 600, 1, window, viewport},
                                                   {3, true, 600, 2, window, viewport}}));
    EXPECT_EQ(view.m_printed, (std::vector<PrintedPage>{{2, false, 600, 1, window, viewport},
                                                        {3, false, 600, 2, window, viewport}}));
    EXPECT_EQ(sheetCount(pdf), 2);
    EXPECT_EQ(printedIndices(pdf), (std::vector<int>{1, 2}));
    Document()->RemoveView(&view);
}

// Print Preview on the menu opens the preview of the view the frame shows: pages 2
// and 3 side by side, the ink of each reaching as far down as its page is long.
TEST_F(PrintTest, PreviewCommandShowsEveryPage)
{
    StartWith("three.tif", threePages());
    UsePdf(*AfxGetPrinter(), m_dir.file("unused.pdf"));
    std::vector<QImage> sheets;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        pressDialogButton(dialog, "Two Page");
        dialog.show();
        pressDialogButton(dialog, "Next Page");
        sheets = {dialog.GrabSheet(0), dialog.GrabSheet(1)};
    });
    UpdateAllCommands();
    ASSERT_TRUE(Action(ID_FILE_PRINT_PREVIEW)->isEnabled());
    Action(ID_FILE_PRINT_PREVIEW)->trigger();
    const auto inkBottom = [](const QImage &sheet) {
        int bottom = -1;
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                if (qGray(sheet.pixel(x, y)) < 200)
                    bottom = y;
        return bottom;
    };
    ASSERT_EQ(sheets.size(), 2u);
    ASSERT_GT(inkBottom(sheets[0]), 0);
    EXPECT_NEAR(double(inkBottom(sheets[1])) / inkBottom(sheets[0]),
                double(FIRST_HEIGHT + 2 * HEIGHT_STEP) / (FIRST_HEIGHT + HEIGHT_STEP), 0.03);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(m_dir.file("unused.pdf"))));
}

// Shown reduced, a bilevel page shows grey where strokes are finer than a screen
// pixel, as a smoothed reduction of the printed sheet does, rather than dropping or
// thickening whole strokes.
TEST_F(PrintTest, PreviewSheetIsASmoothedReductionOfThePrintedSheet)
{
    FaxPage page = framedPage(1728, 2000, 204, 196);
    for (std::uint32_t x = 200; x < 1500; x += 2)
        page.image.fillRect(x, 300, 1, 1200);
    StartWith("stripes.tif", {page});
    UsePdf(*AfxGetPrinter(), m_dir.file("unused.pdf"));
    QImage shown;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.show();
        shown = dialog.GrabSheet(0).convertToFormat(QImage::Format_Grayscale8);
    });
    UpdateAllCommands();
    Action(ID_FILE_PRINT_PREVIEW)->trigger();
    ASSERT_FALSE(shown.isNull());
    ASSERT_LT(shown.width(), 1000); // reduced: Letter at under 120 dpi

    const std::string pdf = PrintToPdf("stripes.pdf");
    const std::string prefix = m_dir.file("reference");
    runCommand("pdftoppm -gray -singlefile -scale-to-x " + std::to_string(shown.width())
               + " -scale-to-y " + std::to_string(shown.height()) + " '" + pdf + "' '" + prefix
               + "'");
    const QImage reference(QString::fromStdString(prefix + ".pgm"));
    ASSERT_EQ(reference.size(), shown.size());

    // Inside the stripes both are mid-grey.
    const double perInch = shown.width() / 8.5;
    const auto sheetPixel = [&](const QImage &image, double pageX, double pageY) {
        return qGray(image.pixel(int(pageX / 216 * perInch), int(pageY / 211 * perInch)));
    };
    for (const QImage *image : std::array<const QImage *, 2>{&shown, &reference})
        for (double x : {400.0, 850.0, 1300.0})
            for (double y : {500.0, 900.0, 1300.0}) {
                SCOPED_TRACE(image == &shown ? "shown" : "reference");
                EXPECT_GT(sheetPixel(*image, x, y), 70);
                EXPECT_LT(sheetPixel(*image, x, y), 190);
            }
    // And the sheet as a whole matches the reference.
    double difference = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            difference += std::abs(qGray(shown.pixel(x, y)) - qGray(reference.pixel(x, y)));
    EXPECT_LT(difference / (shown.width() * shown.height()), 8);
}

namespace {

template <class T> T *dialogChild(QWidget *pDialog, const char *name)
{
    T *pChild = pDialog->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(pChild, nullptr) << name;
    return pChild;
}

} // namespace

// The print dialog as it comes up: "Current page" offered beside All and the range,
// and, where the printer writes PDF, a file beside the fax and named after it rather
// than the last job's. The job prints the page being read, titled with the fax's name.
TEST_F(PrintTest, DialogPrintsTheCurrentPageToAPdfNamedAfterTheFax)
{
    StartWith("three.tif", threePages());
    UsePdf(*AfxGetPrinter(), m_dir.file("earlier-job.pdf"));
    Action(ID_PAGE_NEXT)->trigger();
    ASSERT_EQ(Document()->GetCurrentPage(), 1);

    QString proposed;
    bool currentOffered = false;
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *pDialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(pDialog, nullptr);
        // Names of the widgets in Qt's own dialog; the range is on a tab not shown.
        auto *pFile = dialogChild<QLineEdit>(pDialog, "filename");
        auto *pCurrent = dialogChild<QRadioButton>(pDialog, "printCurrentPage");
        if (pFile)
            proposed = pFile->text();
        if (pCurrent) {
            currentOffered = !pCurrent->isHidden() && pCurrent->isEnabled();
            pCurrent->click();
        }
        pDialog->accept();
    });
    answer.start(0);
    UpdateAllCommands();
    Action(ID_FILE_PRINT)->trigger();

    const std::string pdf = m_dir.file("three.pdf");
    EXPECT_EQ(proposed, QString::fromStdString(pdf));
    EXPECT_TRUE(currentOffered);
    ASSERT_EQ(sheetCount(pdf), 1);
    EXPECT_EQ(printedIndices(pdf), (std::vector<int>{1}));
    EXPECT_EQ(pdfsheets::title(pdf), "three.tif");
    EXPECT_TRUE(m_messages.empty());
}
