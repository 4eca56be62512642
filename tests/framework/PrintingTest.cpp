#include "framework/Printing.h"
#include "framework/PrintPreview.h"
#include "framework/PrintProgress.h"
#include "tests/support/Command.h"
#include "tools/fixtures/TempDir.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
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
        CBrush black;
        black.CreateSolidBrush(RGB(0, 0, 0));
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

// Sheets are drawn as they are shown, through the same callbacks; going back to
// a sheet still held draws nothing again.
TEST(Printing, PreviewDrawsEachSheetWhenShown)
{
    HookReset reset;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(DPI);
    CPrintInfo info;
    info.SetMaxPage(3);
    info.SetPageRange(2, 2); // a range left from printing does not narrow the preview
    RecordingCallbacks callbacks;
    std::vector<std::string> onOpening;
    std::vector<UINT> pages;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.SetTwoPages(TRUE);
        dialog.show();
        onOpening = callbacks.calls;
        pages.push_back(dialog.GetCurrentPage());
        EXPECT_EQ(dialog.GetSheetsShown(), 2);
        dialog.NextPage();
        dialog.NextPage(); // page 3 has no second sheet beside it
        EXPECT_EQ(dialog.GetSheetsShown(), 1);
        dialog.NextPage(); // past the last page: nothing
        pages.push_back(dialog.GetCurrentPage());
        dialog.PrevPage();
        dialog.PrevPage();
        pages.push_back(dialog.GetCurrentPage());
        dialog.PrevPage(); // before the first page: nothing
        pages.push_back(dialog.GetCurrentPage());
        EXPECT_TRUE(info.m_bPreview);
    });
    RunPrintPreview(printer, callbacks, info);
    EXPECT_EQ(onOpening,
              (std::vector<std::string>{"begin", "prepare 1", "print 1 at 600 dpi preview",
                                        "prepare 2", "print 2 at 600 dpi preview"}));
    EXPECT_EQ(pages, (std::vector<UINT>{1, 3, 1, 1}));
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

// The sheet on screen is the printed sheet: the one-inch square of page 2 sits two
// inches across and one down on the preview's sheet too.
TEST(Printing, PreviewSheetShowsWhatPrints)
{
    HookReset reset;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(DPI);
    printer.setFullPage(true);
    CPrintInfo info;
    info.SetMaxPage(2);
    RecordingCallbacks callbacks;
    QImage sheet;
    double perInch = 0;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.show();
        dialog.NextPage();
        sheet = dialog.GrabSheet(0);
        perInch = double(sheet.width()) * DPI / printer.width();
        EXPECT_TRUE(dialog.GrabSheet(1).isNull());
    });
    RunPrintPreview(printer, callbacks, info);
    ASSERT_FALSE(sheet.isNull());
    ASSERT_GT(perInch, 20);
    const auto at = [&](double x, double y) {
        return qGray(sheet.pixel(int(x * perInch), int(y * perInch)));
    };
    EXPECT_LT(at(2.5, 1.5), 64);
    EXPECT_GT(at(1.5, 1.5), 192);
    EXPECT_GT(at(2.5, 2.5), 192);
}

// The Print button closes the preview and prints as the Print command does, with
// the print dialog starting from all pages and printing the range chosen there.
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
    QPrinter::PrintRange shown = QPrinter::PageRange;
    SetPrintDialogHook([&](QPrinter &dialogPrinter, CPrintInfo &chosen) -> BOOL {
        shown = dialogPrinter.printRange();
        chosen.SetPageRange(3, 3);
        callbacks.calls.clear();
        return TRUE;
    });
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) { dialog.Print(); });
    RunPrintPreview(printer, callbacks, info);
    EXPECT_EQ(shown, QPrinter::AllPages);
    const std::vector<std::string> expected = {"begin", "prepare 3", "print 3 at 600 dpi", "end"};
    EXPECT_EQ(callbacks.calls, expected);
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_FALSE(info.m_bPreview);
}

// What Cancel in the progress box and a request to quit (which closes the box) do: the job ends
// after the sheet being printed, and the PDF holds the sheets done.
TEST(Printing, ProgressBoxStopsTheJobAfterTheCurrentSheet)
{
    struct Row
    {
        const char *how;
        std::function<void(CPrintProgressDlg &)> stop;
    };
    const Row rows[] = {
        {"cancel",
         [](CPrintProgressDlg &box) {
             box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
         }},
        {"close", [](CPrintProgressDlg &box) { box.close(); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.how);
        TempDir dir;
        const std::string pdf = dir.file("cancelled.pdf");
        QPrinter printer(QPrinter::HighResolution);
        setUpPdf(printer, pdf);
        CPrintInfo info;
        info.SetMaxPage(500);
        info.m_strDocName = QStringLiteral("long.tif");
        struct StopAtThree : RecordingCallbacks
        {
            std::function<void(CPrintProgressDlg &)> stop;
            QStringList texts;
            void OnPrint(CDC *dc, CPrintInfo *info) override
            {
                RecordingCallbacks::OnPrint(dc, info);
                CPrintProgressDlg *box = CPrintProgressDlg::GetRunning();
                ASSERT_NE(box, nullptr);
                texts.clear();
                for (const QLabel *label : box->findChildren<QLabel *>())
                    texts << label->text();
                if (info->m_nCurPage == 3)
                    stop(*box);
            }
        } callbacks;
        callbacks.stop = row.stop;
        EXPECT_TRUE(RunPrintLoop(printer, callbacks, info));
        EXPECT_EQ(callbacks.calls.size(), 2 + 3 * 2u);
        EXPECT_EQ(callbacks.calls.back(), "end");
        EXPECT_EQ(callbacks.texts, (QStringList{"long.tif", "Page 3 of 500"}));
        EXPECT_EQ(pdfPageCount(pdf), 3);
    }
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
