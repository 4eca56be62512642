#include "tests/print/PdfSheets.h"
#include "tests/print/PrintTestFixture.h"
#include "tests/support/DialogButtons.h"

#include "app/SessionEnd.h"
#include "document/PagelotDoc.h"
#include "framework/MessageBox.h"
#include "framework/PrintPreview.h"
#include "framework/Printing.h"
#include "framework/WinApp.h"
#include "tests/support/Command.h"
#include "tests/support/RawTiffBuilder.h"
#include "view/PagelotView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>

#include <csignal>
#include <functional>
#include <vector>

using namespace fixtures;
using pdfsheets::sheetCount;

namespace {

// A fax of `pages` directories that all share one framed page's strip: long files
// cost little to write.
std::string writeReplicatedFax(const std::string &path, std::uint32_t pages)
{
    constexpr std::uint32_t WIDTH = 1728;
    constexpr std::uint32_t HEIGHT = 400;
    const FaxPage page = framedPage(WIDTH, HEIGHT, 204, 196, 40);
    RawTiffBuilder builder;
    const std::string strip(page.image.rows.begin(), page.image.rows.end());
    const std::uint32_t data = builder.addData(strip);
    const auto fields =
        RawTiffBuilder::bilevelPage(WIDTH, HEIGHT, 1, data, std::uint32_t(strip.size()));
    std::uint32_t next = 0;
    for (std::uint32_t i = 0; i < pages; ++i)
        next = builder.addDirectory(fields, next);
    builder.setFirstDirectory(next);
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(builder.bytes().data(), qint64(builder.bytes().size()));
    return path;
}

// The application's view, with a hook run after each page it prints.
class HookedPrintView : public CPagelotView
{
public:
    void OnPrint(CDC *pDC, CPrintInfo *pInfo) override
    {
        CPagelotView::OnPrint(pDC, pInfo);
        ++m_nPrinted;
        if (m_afterPage)
            m_afterPage(*pInfo);
    }
    int m_nPrinted = 0;
    std::function<void(const CPrintInfo &)> m_afterPage;
};

class LongPrintTest : public PrintTest
{
protected:
    void StartLong(std::uint32_t pages)
    {
        const std::string path = writeReplicatedFax(m_dir.file("long.tif"), pages);
        ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
        ASSERT_EQ(Document()->GetPageCount(), std::int32_t(pages));
        Document()->AddView(&m_view);
        // Printed from the main window, as the view the frame shows is.
        m_view.setParent(Frame());
    }
    void TearDown() override
    {
        if (Document())
            Document()->RemoveView(&m_view);
        m_view.setParent(nullptr);
        PrintTest::TearDown();
    }
    // Print All to a PDF through the view, as File > Print does.
    std::string PrintAll()
    {
        const std::string pdf = m_dir.file("long.pdf");
        SetPrintDialogHook([pdf](QPrinter &printer, CPrintInfo &) -> BOOL {
            UsePdf(printer, pdf);
            return TRUE;
        });
        m_view.OnFilePrint();
        return pdf;
    }
    // The files left in the folder of the fax, beside it.
    QStringList FilesBesideTheFax() const
    {
        QStringList files = QDir(QString::fromStdString(m_dir.path())).entryList(QDir::Files);
        files.removeAll(QStringLiteral("long.tif"));
        files.removeAll(QStringLiteral("settings.ini"));
        return files;
    }
    HookedPrintView m_view;
};

} // namespace

// Paging through every sheet of a long fax draws each sheet once, when shown, and
// holds only the last few: paging back past those draws them again.
TEST_F(LongPrintTest, PreviewOfFiveHundredPagesHoldsOnlyAFewSheets)
{
    StartLong(500);
    UsePdf(*AfxGetPrinter(), m_dir.file("unused.pdf"));
    // A low printer resolution keeps each sheet quick to draw.
    AfxGetPrinter()->setResolution(100);
    int previewedFirst = -1;
    QString lastShown;
    int redrawn = -1;
    QImage last;
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.resize(400, 500);
        dialog.show();
        previewedFirst = m_view.m_nPrinted;
        for (int i = 0; i < 510; ++i)
            pressDialogButton(dialog, "Next Page");
        lastShown = dialog.findChild<QLabel *>()->text();
        last = dialog.GrabSheet(0);
        const int printed = m_view.m_nPrinted;
        for (int i = 0; i < 10; ++i)
            pressDialogButton(dialog, "Prev Page");
        redrawn = m_view.m_nPrinted - printed;
    });
    m_view.OnFilePrintPreview();
    EXPECT_EQ(previewedFirst, 1);
    EXPECT_EQ(lastShown, QStringLiteral("Sheet 500 of 500"));
    EXPECT_EQ(m_view.m_nPrinted - redrawn, 500);
    EXPECT_GE(redrawn, 10 - CPrintPreviewDlg::MAX_HELD);
    // The last sheet shows its page's frame, a fifth of an inch wide, in the top left
    // corner, and white paper below the page.
    ASSERT_FALSE(last.isNull());
    EXPECT_LT(qGray(last.pixel(2, 2)), 64);
    EXPECT_GT(qGray(last.pixel(last.width() / 2, last.height() / 2)), 192);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(m_dir.file("unused.pdf"))));
}

// Cancel in the "Printing" box ends the job after the sheet being printed, and three
// sheets of five hundred are no print of the fax: no file is left.
TEST_F(LongPrintTest, CancelAfterThirdSheetOfFiveHundredLeavesNoFile)
{
    StartLong(500);
    QString boxTitle;
    m_view.m_afterPage = [&](const CPrintInfo &info) {
        if (info.m_nCurPage != 3)
            return;
        QDialog *box = GetPrintProgressBox();
        ASSERT_NE(box, nullptr);
        boxTitle = box->windowTitle();
        box->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    };
    PrintAll();
    EXPECT_EQ(boxTitle, QStringLiteral("Printing"));
    EXPECT_EQ(m_view.m_nPrinted, 3);
    EXPECT_EQ(FilesBesideTheFax(), QStringList());
    EXPECT_TRUE(m_messages.empty());
}

// SIGTERM during a job aborts it at the next sheet without asking, leaving no file,
// then closes the main window as the close box does.
TEST_F(LongPrintTest, TerminationSignalEndsTheJobAndTheSession)
{
    StartLong(500);
    Frame()->show();
    InstallSessionEndSignals();
    SetMainLoopRunning(true);
    m_view.m_afterPage = [](const CPrintInfo &info) {
        if (info.m_nCurPage == 3)
            std::raise(SIGTERM);
    };
    PrintAll();
    EXPECT_GE(m_view.m_nPrinted, 3);
    EXPECT_LE(m_view.m_nPrinted, 4);
    EXPECT_EQ(FilesBesideTheFax(), QStringList());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(IsSessionEndRequested());
    QDeadlineTimer patience(10000);
    while (Frame()->isVisible() && !patience.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(Frame()->isVisible());
    SetMainLoopRunning(false);
}

// The window manager's close of the main window during a job, which a modal box would
// swallow: the main window takes no input while the box is up, yet its close asks
// whether to stop the job, and the job waits for the answer.
class QuitDuringJobTest : public LongPrintTest
{
protected:
    std::string CloseAtThirdSheetAnswering(int answer)
    {
        StartLong(20);
        Frame()->show();
        AfxSetMessageBoxHook(
            [this, answer](const CString &text, const CString &caption, UINT type) {
                m_messages.push_back(text);
                EXPECT_EQ(caption, QStringLiteral("Fax Viewer"));
                EXPECT_EQ(type & MB_TYPEMASK, MB_YESNO);
                m_nAskedAfter = m_view.m_nPrinted;
                QCoreApplication::processEvents();
                m_bJobWaited = m_view.m_nPrinted == m_nAskedAfter;
                return answer;
            });
        m_view.m_afterPage = [this](const CPrintInfo &info) {
            if (info.m_nCurPage != 3)
                return;
            m_bBlocked = QApplication::activeModalWidget() != nullptr;
            m_bFrameTakesInput = Frame()->isEnabled();
            m_bBoxTakesInput = GetPrintProgressBox() && GetPrintProgressBox()->isEnabled();
            QCoreApplication::postEvent(Frame(), new QCloseEvent);
        };
        const std::string pdf = PrintAll();
        EXPECT_FALSE(m_bBlocked);
        EXPECT_FALSE(m_bFrameTakesInput);
        EXPECT_TRUE(m_bBoxTakesInput);
        EXPECT_EQ(m_messages, std::vector<QString>{"A print job is running. Stop it and quit?"});
        EXPECT_TRUE(m_bJobWaited);
        EXPECT_GE(m_nAskedAfter, 3);
        // Closed from the event loop, once the command that printed has returned.
        EXPECT_TRUE(Frame()->isVisible());
        QCoreApplication::processEvents();
        return pdf;
    }
    int m_nAskedAfter = 0;
    bool m_bJobWaited = false;
    bool m_bBlocked = true;
    bool m_bFrameTakesInput = true;
    bool m_bBoxTakesInput = false;
};

// Yes aborts the job at the next sheet, leaving no file, and closes the window as Exit
// does, bar layout saved.
TEST_F(QuitDuringJobTest, YesAbortsTheJobAndCloses)
{
    CloseAtThirdSheetAnswering(IDYES);
    EXPECT_EQ(m_view.m_nPrinted, m_nAskedAfter);
    EXPECT_EQ(FilesBesideTheFax(), QStringList());
    EXPECT_FALSE(Frame()->isVisible());
    EXPECT_TRUE(
        m_pApp->GetProfileValue(QStringLiteral("BarState"), QStringLiteral("Layout")).isValid());
}

TEST_F(QuitDuringJobTest, NoLetsTheJobAndTheWindowGoOn)
{
    const std::string pdf = CloseAtThirdSheetAnswering(IDNO);
    EXPECT_EQ(m_view.m_nPrinted, 20);
    EXPECT_EQ(sheetCount(pdf), 20);
    EXPECT_EQ(FilesBesideTheFax(), QStringList{"long.pdf"});
    EXPECT_TRUE(Frame()->isVisible());
    EXPECT_TRUE(Frame()->isEnabled());
}

// A job that ends as it should gives the main window its input back, the keys going to
// the page again, and leaves it open.
TEST_F(LongPrintTest, TheMainWindowTakesInputAgainAfterTheJob)
{
    StartLong(3);
    Frame()->show();
    View()->setFocus();
    ASSERT_EQ(Frame()->focusWidget(), View());
    bool frameTakesInput = true;
    m_view.m_afterPage = [&](const CPrintInfo &) { frameTakesInput = Frame()->isEnabled(); };
    const std::string pdf = PrintAll();
    EXPECT_FALSE(frameTakesInput);
    EXPECT_EQ(sheetCount(pdf), 3);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Frame()->isEnabled());
    EXPECT_EQ(Frame()->focusWidget(), View());
    EXPECT_TRUE(Frame()->isVisible());
}

// A long job whose first sheets all come out blank (the file has gone) asks once
// before it goes on; the file is back from the sixth page on.
class BlankStartTest : public LongPrintTest
{
protected:
    std::string PrintAnswering(int answer)
    {
        StartLong(500);
        const QString path = Document()->GetPath();
        const QString away = path + QStringLiteral(".away");
        EXPECT_TRUE(QFile::rename(path, away));
        AfxSetMessageBoxHook([this, answer](const CString &text, const CString &, UINT type) {
            m_messages.push_back(text);
            if ((type & MB_TYPEMASK) != MB_YESNO)
                return IDOK;
            m_questions.push_back(UINT(m_view.m_nPrinted + 1));
            return answer;
        });
        m_view.m_afterPage = [path, away](const CPrintInfo &info) {
            if (info.m_nCurPage == CPagelotView::BLANK_START_SHEETS)
                QFile::rename(away, path);
        };
        const std::string pdf = PrintAll();
        EXPECT_EQ(m_questions, std::vector<UINT>{UINT(CPagelotView::BLANK_START_SHEETS)});
        EXPECT_EQ(m_messages.size(), 2u);
        if (m_messages.size() == 2) {
            EXPECT_TRUE(m_messages[0].startsWith(QStringLiteral(
                "The first 5 pages of long.tif could not be read and came out blank:\n")));
            EXPECT_TRUE(
                m_messages[0].endsWith(QStringLiteral("Print the other 495 pages anyway?")));
            EXPECT_TRUE(
                m_messages[1].startsWith(QStringLiteral("Pages 1-5 of long.tif were not printed")));
        }
        return pdf;
    }
    std::vector<UINT> m_questions;
};

TEST_F(BlankStartTest, NoAbortsTheJobLeavingNoFile)
{
    PrintAnswering(IDNO);
    EXPECT_EQ(m_view.m_nPrinted, 5);
    EXPECT_EQ(FilesBesideTheFax(), QStringList());
}

TEST_F(BlankStartTest, YesPrintsTheRest)
{
    const std::string pdf = PrintAnswering(IDYES);
    EXPECT_EQ(m_view.m_nPrinted, 500);
    EXPECT_EQ(sheetCount(pdf), 500);
}

// A job of up to a hundred sheets goes on without asking, blank or not. When none of its
// sheets could be printed (the fax deleted), that is reported and no file is left.
TEST_F(LongPrintTest, DeletedFaxIsReportedWithoutAQuestionAndLeavesNoFile)
{
    StartLong(CPagelotView::LONG_JOB_SHEETS);
    ASSERT_TRUE(QFile::remove(Document()->GetPath()));
    PrintAll();
    EXPECT_EQ(m_view.m_nPrinted, int(CPagelotView::LONG_JOB_SHEETS));
    EXPECT_EQ(FilesBesideTheFax(), QStringList());
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].startsWith(QStringLiteral("Pages 1-100 of long.tif")));
}
