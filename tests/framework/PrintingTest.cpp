#include "framework/Printing.h"
#include "framework/Dc.h"
#include "framework/PrintPreview.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "tests/support/Command.h"
#include "tests/support/DialogButtons.h"
#include "tools/fixtures/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int DPI = 600;

// A view of `pages` pages that records the printing calls and marks each sheet with a
// one-inch black square, one inch down and `page` inches across.
class RecordingView : public CView
{
public:
    explicit RecordingView(UINT pages)
        : m_nPages(pages)
    {
    }
    std::vector<std::string> calls;

    void OnDraw(CDC *) override {}
    BOOL OnPreparePrinting(CPrintInfo *info) override
    {
        info->SetMaxPage(m_nPages);
        info->m_strDocName = QStringLiteral("long.tif");
        return DoPreparePrinting(info);
    }
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

private:
    UINT m_nPages;
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

// The application's printer writes the PDF, and the print dialog accepts the range
// from..to (0, 0: every page).
void acceptDialog(const std::string &pdf, UINT from = 0, UINT to = 0)
{
    setUpPdf(*AfxGetPrinter(), pdf);
    SetPrintDialogHook([from, to](QPrinter &, CPrintInfo &info) -> BOOL {
        info.SetPageRange(from, to);
        return TRUE;
    });
}

QString pageLabel(CPrintPreviewDlg &dialog) { return dialog.findChild<QLabel *>()->text(); }

// The names of the files in the folder, sorted.
QStringList filesIn(const TempDir &dir)
{
    return QDir(QString::fromStdString(dir.path())).entryList(QDir::Files);
}

} // namespace

TEST(Printing, TwoPagesMakeTwoSheetsOfAPdf)
{
    HookReset reset;
    TempDir dir;
    const std::string pdf = dir.file("out.pdf");
    acceptDialog(pdf);
    RecordingView view(2);
    view.OnFilePrint();

    const std::vector<std::string> expected = {
        "begin", "prepare 1", "print 1 at 600 dpi", "prepare 2", "print 2 at 600 dpi", "end"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(pdfPageCount(pdf), 2);
    EXPECT_EQ(filesIn(dir), QStringList{"out.pdf"});

    // At 10 dpi the second sheet's square covers 20..30 across and 10..20 down.
    const QImage sheet = renderPage(pdf, 2, dir);
    ASSERT_FALSE(sheet.isNull());
    EXPECT_LT(qGray(sheet.pixel(25, 15)), 64);
    EXPECT_GT(qGray(sheet.pixel(15, 15)), 192);
    EXPECT_GT(qGray(sheet.pixel(25, 25)), 192);
}

TEST(Printing, EmptyRangeStartsNoJob)
{
    HookReset reset;
    TempDir dir;
    const std::string pdf = dir.file("none.pdf");
    acceptDialog(pdf, 3, 2);
    RecordingView view(3);
    view.OnFilePrint();
    EXPECT_TRUE(view.calls.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdf)));
}

// The range is kept within the pages: a "to" past the last page prints up to the last.
TEST(Printing, DialogRangeChoosesThePages)
{
    HookReset reset;
    TempDir dir;
    const std::string pdf = dir.file("range.pdf");
    setUpPdf(*AfxGetPrinter(), pdf);
    UINT offeredMin = 0;
    UINT offeredMax = 0;
    SetPrintDialogHook([&](QPrinter &, CPrintInfo &shown) -> BOOL {
        offeredMin = shown.GetMinPage();
        offeredMax = shown.GetMaxPage();
        shown.SetPageRange(2, 7);
        return TRUE;
    });
    RecordingView view(3);
    view.OnFilePrint();
    EXPECT_EQ(offeredMin, 1u);
    EXPECT_EQ(offeredMax, 3u);
    const std::vector<std::string> expected = {
        "begin", "prepare 2", "print 2 at 600 dpi", "prepare 3", "print 3 at 600 dpi", "end"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(pdfPageCount(pdf), 2);
}

// A cancelled print dialog prints nothing; the preview shows no dialog at all.
TEST(Printing, CancelledDialogPrintsNothing)
{
    HookReset reset;
    TempDir dir;
    const std::string pdf = dir.file("cancelled.pdf");
    setUpPdf(*AfxGetPrinter(), pdf);
    int dialogs = 0;
    SetPrintDialogHook([&](QPrinter &, CPrintInfo &) -> BOOL {
        ++dialogs;
        return FALSE;
    });
    int previews = 0;
    SetPrintPreviewHook([&](CPrintPreviewDlg &) { ++previews; });
    RecordingView view(3);
    view.OnFilePrint();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(view.calls.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdf)));
    view.OnFilePrintPreview();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(previews, 1);
}

// Sheets are drawn as they are shown, through the same overrides; going back to
// a sheet still held draws nothing again.
TEST(Printing, PreviewDrawsEachSheetWhenShown)
{
    HookReset reset;
    TempDir dir;
    setUpPdf(*AfxGetPrinter(), dir.file("unused.pdf"));
    // A range left on the printer by an earlier job does not narrow the preview.
    AfxGetPrinter()->setPrintRange(QPrinter::PageRange);
    AfxGetPrinter()->setFromTo(2, 2);
    RecordingView view(3);
    std::vector<std::string> onOpening;
    QStringList labels;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        pressDialogButton(dialog, "Two Page");
        dialog.show();
        onOpening = view.calls;
        labels << pageLabel(dialog);
        for (const char *step : {"Next Page", "Next Page", "Prev Page", "Prev Page"}) {
            pressDialogButton(dialog, step);
            labels << pageLabel(dialog);
        }
    });
    view.OnFilePrintPreview();
    EXPECT_EQ(onOpening,
              (std::vector<std::string>{"begin", "prepare 1", "print 1 at 600 dpi preview",
                                        "prepare 2", "print 2 at 600 dpi preview"}));
    // Past the last page and before the first, nothing happens.
    EXPECT_EQ(labels, (QStringList{"Sheets 1-2 of 3", "Sheets 2-3 of 3", "Sheets 2-3 of 3",
                                   "Sheets 1-2 of 3", "Sheets 1-2 of 3"}));
    const std::vector<std::string> expected = {"begin",
                                               "prepare 1",
                                               "print 1 at 600 dpi preview",
                                               "prepare 2",
                                               "print 2 at 600 dpi preview",
                                               "prepare 3",
                                               "print 3 at 600 dpi preview",
                                               "end"};
    EXPECT_EQ(view.calls, expected);
}

// The toolbar offers what can be done from the sheets shown, and each zoom step in
// doubles the sheet on screen.
TEST(Printing, PreviewToolbarFollowsTheSheetsShown)
{
    HookReset reset;
    TempDir dir;
    setUpPdf(*AfxGetPrinter(), dir.file("unused.pdf"));
    RecordingView view(3);
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.show();
        QAction *next = dialogButton(dialog, QStringLiteral("Next Page"));
        QAction *prev = dialogButton(dialog, QStringLiteral("Prev Page"));
        QAction *zoomIn = dialogButton(dialog, QStringLiteral("Zoom In"));
        QAction *zoomOut = dialogButton(dialog, QStringLiteral("Zoom Out"));
        ASSERT_TRUE(next && prev && zoomIn && zoomOut);
        EXPECT_TRUE(next->isEnabled());
        EXPECT_FALSE(prev->isEnabled());
        EXPECT_TRUE(zoomIn->isEnabled());
        EXPECT_FALSE(zoomOut->isEnabled());

        dialogButton(dialog, QStringLiteral("Two Page"))->trigger();
        EXPECT_NE(dialogButton(dialog, QStringLiteral("One Page")), nullptr);
        next->trigger();
        EXPECT_EQ(pageLabel(dialog), QStringLiteral("Sheets 2-3 of 3"));
        EXPECT_FALSE(next->isEnabled());
        EXPECT_TRUE(prev->isEnabled());
        dialogButton(dialog, QStringLiteral("One Page"))->trigger();
        EXPECT_EQ(pageLabel(dialog), QStringLiteral("Sheet 2 of 3"));
        EXPECT_TRUE(next->isEnabled());
        // The last page has no second sheet beside it.
        next->trigger();
        dialogButton(dialog, QStringLiteral("Two Page"))->trigger();
        EXPECT_EQ(pageLabel(dialog), QStringLiteral("Sheet 3 of 3"));
        EXPECT_FALSE(dialog.GrabSheet(0).isNull());
        EXPECT_TRUE(dialog.GrabSheet(1).isNull());
        EXPECT_FALSE(next->isEnabled());
        dialogButton(dialog, QStringLiteral("One Page"))->trigger();

        // Home and End go to the first and the last sheet.
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Home);
        EXPECT_EQ(pageLabel(dialog), QStringLiteral("Sheet 1 of 3"));
        EXPECT_FALSE(prev->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_End);
        EXPECT_EQ(pageLabel(dialog), QStringLiteral("Sheet 3 of 3"));
        EXPECT_FALSE(next->isEnabled());

        const int whole = dialog.GrabSheet(0).width();
        zoomIn->trigger();
        EXPECT_NEAR(dialog.GrabSheet(0).width(), 2 * whole, 2);
        zoomIn->trigger();
        EXPECT_NEAR(dialog.GrabSheet(0).width(), 4 * whole, 4);
        EXPECT_FALSE(zoomIn->isEnabled());
        EXPECT_TRUE(zoomOut->isEnabled());
        zoomIn->trigger(); // at the largest: nothing
        zoomOut->trigger();
        EXPECT_NEAR(dialog.GrabSheet(0).width(), 2 * whole, 2);
    });
    view.OnFilePrintPreview();
}

// The sheet on screen is the printed sheet: the one-inch square of page 2 sits two
// inches across and one down on the preview's sheet too.
TEST(Printing, PreviewSheetShowsWhatPrints)
{
    HookReset reset;
    TempDir dir;
    setUpPdf(*AfxGetPrinter(), dir.file("unused.pdf"));
    RecordingView view(2);
    QImage sheet;
    double perInch = 0;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.show();
        pressDialogButton(dialog, "Next Page");
        sheet = dialog.GrabSheet(0);
        perInch = double(sheet.width()) * DPI / AfxGetPrinter()->width();
        EXPECT_TRUE(dialog.GrabSheet(1).isNull());
    });
    view.OnFilePrintPreview();
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
// the print dialog starting from all pages and printing the range chosen there;
// Close prints nothing.
TEST(Printing, PreviewPrintButtonPrintsTheChosenRange)
{
    HookReset reset;
    TempDir dir;
    const std::string pdf = dir.file("button.pdf");
    setUpPdf(*AfxGetPrinter(), pdf);
    RecordingView view(3);
    QPrinter::PrintRange shown = QPrinter::PageRange;
    int dialogs = 0;
    SetPrintDialogHook([&](QPrinter &dialogPrinter, CPrintInfo &chosen) -> BOOL {
        ++dialogs;
        shown = dialogPrinter.printRange();
        chosen.SetPageRange(3, 3);
        view.calls.clear();
        return TRUE;
    });
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialogButton(dialog, QStringLiteral("Close"))->trigger();
    });
    view.OnFilePrintPreview();
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"begin", "end"}));

    AfxGetPrinter()->setPrintRange(QPrinter::PageRange); // left from an earlier job
    AfxGetPrinter()->setFromTo(1, 1);
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialogButton(dialog, QStringLiteral("Print..."))->trigger();
    });
    view.OnFilePrintPreview();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(shown, QPrinter::AllPages);
    const std::vector<std::string> expected = {"begin", "prepare 3", "print 3 at 600 dpi", "end"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(pdfPageCount(pdf), 1);
}

// What Cancel in the progress box and a request to quit (which closes the box) do: the job ends
// after the sheet being printed as if it had never started. It leaves no file, and a file of
// the name chosen from before stays as it was.
TEST(Printing, ProgressBoxAbortsTheJobAfterTheCurrentSheet)
{
    struct Row
    {
        const char *how;
        std::function<void(QDialog &)> stop;
    };
    const Row rows[] = {
        {"cancel",
         [](QDialog &box) {
             box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
         }},
        {"close", [](QDialog &box) { box.close(); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.how);
        HookReset reset;
        TempDir dir;
        const std::string pdf = dir.write("cancelled.pdf", "earlier job");
        acceptDialog(pdf);
        struct StopAtThree : RecordingView
        {
            using RecordingView::RecordingView;
            std::function<void(QDialog &)> stop;
            QStringList texts;
            void OnPrint(CDC *dc, CPrintInfo *info) override
            {
                RecordingView::OnPrint(dc, info);
                QDialog *box = GetPrintProgressBox();
                ASSERT_NE(box, nullptr);
                texts.clear();
                for (const QLabel *label : box->findChildren<QLabel *>())
                    texts << label->text();
                if (info->m_nCurPage == 3)
                    stop(*box);
            }
        } view(500);
        view.stop = row.stop;
        view.OnFilePrint();
        EXPECT_EQ(view.calls.size(), 2 + 3 * 2u);
        EXPECT_EQ(view.calls.back(), "end");
        EXPECT_EQ(view.texts, (QStringList{"long.tif", "Page 3 of 500"}));
        EXPECT_EQ(filesIn(dir), QStringList{"cancelled.pdf"});
        QFile earlier(QString::fromStdString(pdf));
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), QByteArray("earlier job"));
    }
}

// The printer is shared by every job: a range chosen for one must not preselect
// part of the next.
TEST(Printing, EveryPrintDialogStartsWithAllPages)
{
    HookReset reset;
    QPrinter &printer = *AfxGetPrinter();
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    QPrinter::PrintRange shown = QPrinter::PageRange;
    SetPrintDialogHook([&](QPrinter &dialogPrinter, CPrintInfo &) -> BOOL {
        shown = dialogPrinter.printRange();
        return FALSE;
    });
    RecordingView view(3);
    view.OnFilePrint();
    EXPECT_EQ(shown, QPrinter::AllPages);
}
