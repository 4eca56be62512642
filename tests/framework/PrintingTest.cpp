#include "framework/Printing.h"
#include "tests/support/Command.h"
#include "tools/fixtures/TempDir.h"

#include <QFileInfo>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int DPI = 600;

// Records the calls and marks each sheet with a one-inch black square, one inch
// down and `page` inches across.
class RecordingCallbacks : public CPrintCallbacks
{
public:
    std::vector<std::string> calls;

    void OnBeginPrinting(CDC *dc, CPrintInfo *) override
    {
        calls.push_back(dc->IsPrinting() ? "begin" : "begin (not printing)");
    }
    void OnPrepareDC(CDC *, CPrintInfo *info) override
    {
        calls.push_back("prepare " + std::to_string(info->m_nCurPage));
    }
    void OnPrint(CDC *dc, CPrintInfo *info) override
    {
        calls.push_back("print " + std::to_string(info->m_nCurPage) + " at "
                        + std::to_string(dc->GetDeviceCaps(LOGPIXELSX)) + " dpi"
                        + (info->m_bPreview ? " preview" : ""));
        CBrush black(RGB(0, 0, 0));
        CBrush *previous = dc->SelectObject(&black);
        dc->PatBlt(int(info->m_nCurPage) * DPI, DPI, DPI, DPI, PATCOPY);
        dc->SelectObject(previous);
    }
    void OnEndPrinting(CDC *, CPrintInfo *) override { calls.push_back("end"); }
};

void setUpPdf(QPrinter &printer, const std::string &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    printer.setResolution(DPI);
    printer.setFullPage(true);
}

int pdfPageCount(const std::string &path)
{
    const std::string info = runCommand("pdfinfo '" + path + "' 2>/dev/null");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// Page `page` of the PDF as a grey image at 10 dpi.
QImage renderPage(const std::string &path, int page, const TempDir &dir)
{
    const std::string prefix = dir.file("sheet");
    const std::string p = std::to_string(page);
    runCommand("pdftoppm -r 10 -gray -singlefile -f " + p + " -l " + p + " '" + path + "' '"
               + prefix + "'");
    return QImage(QString::fromStdString(prefix + ".pgm"));
}

struct HookReset
{
    ~HookReset()
    {
        SetPrintDialogHook({});
        SetPrintPreviewHook({});
    }
};

} // namespace

TEST(Printing, TwoPagesMakeTwoSheetsOfAPdf)
{
    TempDir dir;
    const std::string pdf = dir.file("out.pdf");
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, pdf);
    CPrintInfo info;
    info.SetMaxPage(2);
    RecordingCallbacks callbacks;
    ASSERT_TRUE(RunPrintLoop(printer, callbacks, info));

    const std::vector<std::string> expected = {
        "begin", "prepare 1", "print 1 at 600 dpi", "prepare 2", "print 2 at 600 dpi", "end"};
    EXPECT_EQ(callbacks.calls, expected);
    EXPECT_EQ(pdfPageCount(pdf), 2);

    // At 10 dpi the second sheet's square covers 20..30 across and 10..20 down.
    const QImage sheet = renderPage(pdf, 2, dir);
    ASSERT_FALSE(sheet.isNull());
    EXPECT_LT(qGray(sheet.pixel(25, 15)), 64);
    EXPECT_GT(qGray(sheet.pixel(15, 15)), 192);
    EXPECT_GT(qGray(sheet.pixel(25, 25)), 192);
}

TEST(Printing, EmptyRangeStartsNoJob)
{
    TempDir dir;
    const std::string pdf = dir.file("none.pdf");
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, pdf);
    CPrintInfo info;
    info.SetMaxPage(3);
    info.SetPageRange(3, 2);
    RecordingCallbacks callbacks;
    EXPECT_FALSE(RunPrintLoop(printer, callbacks, info));
    EXPECT_TRUE(callbacks.calls.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdf)));
}

TEST(Printing, DialogRangeChoosesThePages)
{
    HookReset reset;
    TempDir dir;
    const std::string pdf = dir.file("range.pdf");
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, pdf);
    CPrintInfo info;
    info.SetMaxPage(3);
    UINT offeredMax = 0;
    SetPrintDialogHook([&](QPrinter &, CPrintInfo &shown) -> BOOL {
        offeredMax = shown.GetMaxPage();
        shown.SetPageRange(2, 3);
        return TRUE;
    });
    ASSERT_TRUE(DoPreparePrinting(&info, printer));
    EXPECT_EQ(offeredMax, 3u);
    RecordingCallbacks callbacks;
    ASSERT_TRUE(RunPrintLoop(printer, callbacks, info));
    const std::vector<std::string> expected = {
        "begin", "prepare 2", "print 2 at 600 dpi", "prepare 3", "print 3 at 600 dpi", "end"};
    EXPECT_EQ(callbacks.calls, expected);
    EXPECT_EQ(pdfPageCount(pdf), 2);
}

TEST(Printing, CancelledDialogPrintsNothing)
{
    HookReset reset;
    QPrinter printer;
    CPrintInfo info;
    SetPrintDialogHook([](QPrinter &, CPrintInfo &) -> BOOL { return FALSE; });
    EXPECT_FALSE(DoPreparePrinting(&info, printer));
    info.m_bPreview = TRUE; // preview shows no dialog
    EXPECT_TRUE(DoPreparePrinting(&info, printer));
}

TEST(Printing, PreviewDrivesTheSameLoopOverEveryPage)
{
    HookReset reset;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(DPI);
    CPrintInfo info;
    info.SetMaxPage(3);
    info.SetPageRange(2, 2); // a range left from printing does not narrow the preview
    int previewPages = -1;
    SetPrintPreviewHook([&](QPrintPreviewDialog &dialog) {
        auto *preview = dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        previewPages = preview->pageCount();
    });
    RecordingCallbacks callbacks;
    RunPrintPreview(printer, callbacks, info);
    EXPECT_EQ(previewPages, 3);
    const std::vector<std::string> expected = {"begin",
                                               "prepare 1",
                                               "print 1 at 600 dpi preview",
                                               "prepare 2",
                                               "print 2 at 600 dpi preview",
                                               "prepare 3",
                                               "print 3 at 600 dpi preview",
                                               "end"};
    EXPECT_EQ(callbacks.calls, expected);
    EXPECT_FALSE(info.m_bPreview);
}

// The preview's print button prints on the printer itself, after its own print
// dialog: for real, not as preview, and only the range chosen there.
TEST(Printing, PreviewPrintButtonPrintsTheChosenRange)
{
    HookReset reset;
    TempDir dir;
    const std::string pdf = dir.file("button.pdf");
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, pdf);
    CPrintInfo info;
    info.SetMaxPage(3);
    RecordingCallbacks callbacks;
    printer.setPrintRange(QPrinter::PageRange); // left from an earlier job
    printer.setFromTo(1, 1);
    SetPrintPreviewHook([&](QPrintPreviewDialog &dialog) {
        // What the button's dialog would show first.
        EXPECT_EQ(printer.printRange(), QPrinter::AllPages);
        auto *preview = dialog.findChild<QPrintPreviewWidget *>();
        ASSERT_NE(preview, nullptr);
        preview->updatePreview();
        callbacks.calls.clear();
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(3, 3);
        preview->print();
    });
    RunPrintPreview(printer, callbacks, info);
    const std::vector<std::string> expected = {"begin", "prepare 3", "print 3 at 600 dpi", "end"};
    EXPECT_EQ(callbacks.calls, expected);
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_FALSE(info.m_bPreview);
}

// The printer is shared by every job: a range chosen for one must not preselect
// part of the next.
TEST(Printing, EveryPrintDialogStartsWithAllPages)
{
    HookReset reset;
    QPrinter printer;
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    QPrinter::PrintRange shown = QPrinter::PageRange;
    SetPrintDialogHook([&](QPrinter &dialogPrinter, CPrintInfo &) -> BOOL {
        shown = dialogPrinter.printRange();
        return FALSE;
    });
    CPrintInfo info;
    info.SetMaxPage(3);
    EXPECT_FALSE(DoPreparePrinting(&info, printer));
    EXPECT_EQ(shown, QPrinter::AllPages);
}
