// Go to Page: Page menu and Ctrl+G, or a double-click on the page number pane; a dialog
// that takes only a page of the file, and a page change that reads only that page.

#include "tests/app/AppTestFixture.h"

#include "document/PagelotDoc.h"
#include "resources/Resource.h"
#include "tests/support/RawTiffBuilder.h"
#include "tools/fixtures/FixtureWriter.h"
#include "view/GoToPageDlg.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <tiffio.h>

#include <functional>
#include <utility>

namespace {

constexpr int PAGES = 12;

// Page i is 1728 x (1000 + 10 i): its height tells which page was read.
std::uint32_t heightOf(int index) { return 1000 + 10 * std::uint32_t(index); }

// What the dialog showed when it came up, and whether it was still open after the answer.
struct DialogSeen
{
    bool shown = false;
    QString text;
    QString selected;
    bool okEnabled = false;
    bool stayedOpen = false;
};

class GoToPageTest : public AppTest
{
protected:
    void StartWithPages()
    {
        std::vector<fixtures::FaxPage> pages;
        for (int i = 0; i < PAGES; ++i)
            pages.push_back({fixtures::BilevelImage(1728, heightOf(i)), 204, 196});
        const std::string path = m_dir.file("fax.tif");
        ASSERT_TRUE(fixtures::writeFaxTiff(path, pages));
        ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
    }

    // Runs open(), answering the Go to Page dialog it brings up with answer(); a dialog
    // the answer leaves open is cancelled afterwards.
    DialogSeen Answer(const std::function<void()> &open,
                      const std::function<void(CGoToPageDlg &)> &answer)
    {
        DialogSeen seen;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *pDialog = qobject_cast<CGoToPageDlg *>(QApplication::activeModalWidget());
            if (!pDialog)
                return;
            seen.shown = true;
            seen.text = pDialog->PageEdit()->text();
            seen.selected = pDialog->PageEdit()->selectedText();
            answer(*pDialog);
            seen.okEnabled = pDialog->OkButton()->isEnabled();
            seen.stayedOpen = pDialog->isVisible();
            if (seen.stayedOpen)
                pDialog->reject();
        });
        timer.start(0);
        open();
        return seen;
    }

    // Ctrl+G, typing `typed` over the number shown, then Enter.
    DialogSeen TypeAndEnter(const QString &typed)
    {
        return Answer([this] { Action(ID_PAGE_GOTO)->trigger(); },
                      [&](CGoToPageDlg &dialog) {
                          QTest::keyClicks(dialog.PageEdit(), typed);
                          if (typed.isEmpty())
                              QTest::keyClick(dialog.PageEdit(), Qt::Key_Delete);
                          QTest::keyClick(dialog.PageEdit(), Qt::Key_Return);
                      });
    }

    QString PagePane()
    {
        Frame()->OnIdleUpdateCmdUI();
        return Frame()->GetStatusBar().GetPaneText(1);
    }

    int SourceHeight() { return Document()->GetSourcePage().m_size.cy; }
};

// Whether the page is dark just inside its top-left and its bottom-right corner.
std::pair<bool, bool> darkCorners(CPageBitmap &page)
{
    const PixelAccess pixels(page);
    if (!pixels)
        return {};
    const CSize size = page.m_size;
    const auto dark = [&](int x, int y) { return pixels.get()[y * size.cx + x] < 128; };
    return {dark(2, 2), dark(size.cx - 3, size.cy - 3)};
}

void doubleClick(QWidget *pWidget)
{
    const QPointF at(pWidget->width() / 2.0, pWidget->height() / 2.0);
    QMouseEvent event(QEvent::MouseButtonDblClick, at, pWidget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(pWidget, &event);
}

} // namespace

TEST_F(GoToPageTest, IsOnCtrlGAndNeedsAPage)
{
    ASSERT_NE(Start(), nullptr);
    QAction *goTo = Action(ID_PAGE_GOTO);
    EXPECT_EQ(goTo->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    EXPECT_EQ(goTo->statusTip(), QStringLiteral("View the page of the number you type"));

    // Without a document neither the key nor the pane brings up the dialog.
    UpdateAllCommands();
    EXPECT_FALSE(goTo->isEnabled());
    EXPECT_FALSE(TypeAndEnter(QStringLiteral("1")).shown);
    EXPECT_FALSE(
        Answer([this] { doubleClick(Frame()->GetStatusBar().GetPane(1)); }, [](CGoToPageDlg &) {})
            .shown);

    Close();
    StartWithPages();
    UpdateAllCommands();
    EXPECT_TRUE(Action(ID_PAGE_GOTO)->isEnabled());
}

TEST_F(GoToPageTest, NumberTypedAndEnterShowsThatPage)
{
    StartWithPages();
    struct Row
    {
        const char *typed;
        int page; // 1-based
    };
    // From page 1 to the last, the first and one between; the dialog shows the page
    // it was opened on, selected so typing replaces it.
    const Row rows[] = {{"12", 12}, {"1", 1}, {"7", 7}, {"7", 7}};
    int from = 1;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.typed);
        const DialogSeen seen = TypeAndEnter(QString::fromLatin1(row.typed));
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.text, QString::number(from));
        EXPECT_EQ(seen.selected, QString::number(from));
        EXPECT_FALSE(seen.stayedOpen);
        EXPECT_EQ(Document()->GetCurrentPage(), row.page - 1);
        EXPECT_EQ(SourceHeight(), int(heightOf(row.page - 1)));
        EXPECT_EQ(PagePane(), QStringLiteral("Page %1 of 12").arg(row.page));
        from = row.page;
    }
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(GoToPageTest, EmptyOrOutOfRangeCannotBeAcceptedAndEscapeCancels)
{
    StartWithPages();
    ASSERT_TRUE(TypeAndEnter(QStringLiteral("4")).shown);
    ASSERT_EQ(Document()->GetCurrentPage(), 3);
    const CPageBitmap &shown = Document()->GetSourcePage();
    const BYTE *pPixels = shown.m_pPixels;

    // "200" has more digits than 12: its last key is refused and "20" stays.
    for (const char *typed : {"", "0", "13", "20", "200"}) {
        SCOPED_TRACE(typed);
        const DialogSeen seen = TypeAndEnter(QString::fromLatin1(typed));
        ASSERT_TRUE(seen.shown);
        EXPECT_FALSE(seen.okEnabled);
        EXPECT_TRUE(seen.stayedOpen);
        EXPECT_EQ(Document()->GetCurrentPage(), 3);
        EXPECT_EQ(shown.m_pPixels, pPixels);
    }

    const DialogSeen cancelled = Answer([this] { Action(ID_PAGE_GOTO)->trigger(); },
                                        [](CGoToPageDlg &dialog) {
                                            QTest::keyClicks(dialog.PageEdit(), "9");
                                            QTest::keyClick(dialog.PageEdit(), Qt::Key_Escape);
                                        });
    ASSERT_TRUE(cancelled.shown);
    EXPECT_FALSE(cancelled.stayedOpen);
    EXPECT_EQ(Document()->GetCurrentPage(), 3);
    EXPECT_EQ(shown.m_pPixels, pPixels);
    EXPECT_EQ(PagePane(), QStringLiteral("Page 4 of 12"));
    EXPECT_TRUE(m_messages.empty());
}

// Only the first and the last page of this file can be read: going from one to the
// other must not read any page between, and keeps the page upside down as Next does.
TEST_F(GoToPageTest, ReadsOnlyThePageItGoesToAndKeepsUpsideDown)
{
    // A black block in the top-left corner shows how the page is turned.
    fixtures::BilevelImage corner(160, 120);
    corner.fillRect(0, 0, 40, 30);
    fixtures::RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(
        std::string(reinterpret_cast<const char *>(corner.rows.data()), corner.rows.size()));
    const auto bytes = std::uint32_t(corner.rows.size());
    std::vector<std::uint32_t> dirs;
    for (int i = 0; i < 5; ++i) {
        const bool readable = i == 0 || i == 4;
        dirs.push_back(raw.addDirectory(fixtures::RawTiffBuilder::bilevelPage(
            160, 120, COMPRESSION_NONE, readable ? data : 1u << 30, bytes)));
        if (i > 0)
            raw.setNextDirectory(dirs[i - 1], dirs[i]);
    }
    raw.setFirstDirectory(dirs[0]);
    const std::string path = m_dir.write("gaps.tif", raw.bytes());

    struct Row
    {
        UINT turn;
        Rotation after;
    };
    for (const Row row :
         {Row{ID_ROTATE_UPSIDEDOWN, Rotation::UpsideDown}, Row{ID_ROTATE_LEFT, Rotation::None}}) {
        ASSERT_NE(Start({QString::fromStdString(path)}), nullptr);
        Action(row.turn)->trigger();
        ASSERT_TRUE(TypeAndEnter(QStringLiteral("5")).shown);
        EXPECT_TRUE(m_messages.empty());
        EXPECT_EQ(Document()->GetCurrentPage(), 4);
        EXPECT_EQ(PagePane(), QStringLiteral("Page 5 of 5"));
        EXPECT_EQ(Document()->GetRotation(), row.after);
        EXPECT_EQ(Document()->IsUpsideDown(), row.after == Rotation::UpsideDown);

        const bool upsideDown = row.after == Rotation::UpsideDown;
        EXPECT_EQ(darkCorners(Document()->GetDisplayPage()),
                  std::make_pair(!upsideDown, upsideDown));
        Close();
    }
}

TEST_F(GoToPageTest, DoubleClickOnThePageNumberOpensIt)
{
    StartWithPages();
    CStatusBar &bar = Frame()->GetStatusBar();
    const DialogSeen seen = Answer([&] { doubleClick(bar.GetPane(1)); },
                                   [](CGoToPageDlg &dialog) {
                                       QTest::keyClicks(dialog.PageEdit(), "9");
                                       QTest::keyClick(dialog.PageEdit(), Qt::Key_Enter);
                                   });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(PagePane(), QStringLiteral("Page 9 of 12"));
    EXPECT_EQ(SourceHeight(), int(heightOf(8)));

    // The other panes keep to themselves.
    for (int pane : {2, 3})
        EXPECT_FALSE(Answer([&] { doubleClick(bar.GetPane(pane)); }, [](CGoToPageDlg &) {}).shown)
            << pane;
}
