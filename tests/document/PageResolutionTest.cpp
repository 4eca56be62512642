#include "DocumentTestFixture.h"

#include "display/ImagingErrorText.h"
#include "tools/fixtures/MixedFaxes.h"

#include <QDir>
#include <QFileInfo>

using namespace fixtures;

namespace {

struct ShownPage
{
    CString pages, resolution, size;
    CSize shown;
    bool operator==(const ShownPage &) const = default;
};

std::ostream &operator<<(std::ostream &out, const ShownPage &page)
{
    return out << page.pages.toStdString() << " | " << page.resolution.toStdString() << " | "
               << page.size.toStdString() << " | shown " << page.shown.cx << " x " << page.shown.cy;
}

class PageResolution : public DocumentTest
{
protected:
    ShownPage Shown()
    {
        return {Update(ID_INDICATOR_PAGE).m_strText, Update(ID_INDICATOR_RESOLUTION).m_strText,
                Update(ID_INDICATOR_SIZE).m_strText, m_pDoc->GetDisplayPage().m_size};
    }
};

// A standard page is shown with its rows doubled, a fine page as it is and a superfine
// page with its rows merged, whichever comes first: all three sheets show the same size
// at 50%, and the panes describe each page as read.
TEST_F(PageResolution, MixedFilesShowEachPageWithItsOwnResolution)
{
    const ShownPage standard{"", "204 x 98 dpi", "1728 x 2200 pixels", CSize(864, 1100)};
    const ShownPage fine{"", "204 x 196 dpi", "1728 x 2200 pixels", CSize(864, 1100)};
    const ShownPage superfine{"Page 3 of 3", "204 x 391 dpi", "1728 x 4400 pixels",
                              CSize(864, 1100)};
    for (const bool standardFirst : {true, false}) {
        SCOPED_TRACE(standardFirst ? "standard, then fine" : "fine, then standard");
        TempDir folder;
        const std::string path = folder.file("mixed.tif");
        ASSERT_TRUE(writeFaxTiff(path, mixedResolutionFax(standardFirst)));
        ShownPage first = standardFirst ? standard : fine;
        ShownPage second = standardFirst ? fine : standard;
        first.pages = QStringLiteral("Page 1 of 3");
        second.pages = QStringLiteral("Page 2 of 3");

        Open(path);
        EXPECT_EQ(Shown(), first);
        Command(ID_PAGE_NEXT);
        EXPECT_EQ(Shown(), second);
        EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()),
                  Reference(path, 1, CSize(864, 1100), m_pDoc->IsAntiAlias()));
        Command(ID_PAGE_NEXT);
        EXPECT_EQ(Shown(), superfine);
        Command(ID_PAGE_PREVIOUS);
        EXPECT_EQ(Shown(), second);
        Command(ID_PAGE_FIRST);
        EXPECT_EQ(Shown(), first);
        Command(ID_ZOOM_ACTUALSIZE);
        Command(ID_PAGE_LAST);
        EXPECT_EQ(Shown(), (ShownPage{"Page 3 of 3", "204 x 391 dpi", "1728 x 4400 pixels",
                                      CSize(1728, 2200)}));
    }
    EXPECT_TRUE(m_messages.empty());
}

// A superfine page's rows are averaged in pairs with Anti-Alias on and kept black with it
// off, and turning Anti-Alias over merges them afresh: a thin line one row high shows grey
// or black, never lost.
TEST_F(PageResolution, SuperfineRowsFollowAntiAlias)
{
    TempDir folder;
    const std::string path = folder.file("superfine.tif");
    BilevelImage image(64, 40);
    image.fillRect(0, 11, 64, 1); // one row: shares its merged row with a white one
    ASSERT_TRUE(writeFaxTiff(path, {FaxPage{image, 204, 391}}));
    Open(path);
    Command(ID_ZOOM_ACTUALSIZE);
    const auto mergedRow = [this](std::int32_t row) {
        const CPageBitmap &page = m_pDoc->GetSourcePage();
        return page.m_pPixels[std::size_t(row) * std::size_t(page.m_size.cx) + 7];
    };
    ASSERT_EQ(m_pDoc->GetSourcePage().m_size, CSize(64, 20));
    EXPECT_EQ(mergedRow(5), 127);
    EXPECT_EQ(mergedRow(6), 255);
    Command(ID_VIEW_ANTIALIAS);
    Command(ID_ZOOM_50);
    EXPECT_EQ(mergedRow(5), 0);
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_size, CSize(32, 10));
    Command(ID_VIEW_ANTIALIAS);
    EXPECT_EQ(mergedRow(5), 127);
    EXPECT_EQ(Update(ID_INDICATOR_SIZE).m_strText, QStringLiteral("64 x 40 pixels"));
    EXPECT_TRUE(m_messages.empty());
}

// A page without an absolute unit keeps the shape its two values give: 204 x 98 is shown
// with its rows doubled, at 200 x 96 dpi.
TEST_F(PageResolution, PageWithoutAbsoluteUnitKeepsItsPixelShape)
{
    TempDir folder;
    const std::string path = folder.file("unitless.tif");
    ASSERT_TRUE(
        writeFaxTiff(path, {FaxPage{makePatternImage(1728, 1100), 204, 98, ResolutionUnit::None}}));
    Open(path);
    EXPECT_EQ(Shown(),
              (ShownPage{"Page 1 of 1", "200 x 96 dpi", "1728 x 2200 pixels", CSize(864, 1100)}));
}

// Square pixels are shown square, however coarse: a 100 dpi page and a 10 pixels per
// millimetre page keep their height.
TEST_F(PageResolution, SquarePixelPagesAreNotDoubled)
{
    const struct
    {
        double resolution;
        ResolutionUnit unit;
        const char *pane;
    } rows[] = {
        {100, ResolutionUnit::Inch, "100 x 100 dpi"},
        {25, ResolutionUnit::Centimetre, "63 x 63 dpi"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.pane);
        TempDir folder;
        const std::string path = folder.file("square.tif");
        ASSERT_TRUE(writeFaxTiff(path, {FaxPage{makePatternImage(850, 1100), row.resolution,
                                                row.resolution, row.unit}}));
        Open(path);
        EXPECT_EQ(Shown(),
                  (ShownPage{"Page 1 of 1", row.pane, "850 x 1100 pixels", CSize(425, 550)}));
    }
}

// With no room for the fit, the page change stops: the page held, its number and the
// panes stay on the page shown, and a later zoom renders that page, not the unshown one.
TEST_F(PageResolution, PageChangeThatStopsEarlyKeepsPageNumberAndPanesTogether)
{
    Open(faxFiles().five);
    Command(ID_ZOOM_FITWIDTH);
    const PageImage shown = imageOf(m_pDoc->GetDisplayPage());
    const ShownPage before = Shown();
    ASSERT_EQ(before.pages, QStringLiteral("Page 1 of 5"));
    SetClientSize(1, 1);
    Command(ID_PAGE_NEXT);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), shown);
    EXPECT_EQ(m_pDoc->GetSourcePage().m_size, SourceSize(faxFiles().five, 0));

    m_pDoc->RemoveView(&m_view);
    SetClientSize(1000, 800);
    m_pDoc->OnCmdMsg(ID_PAGE_LAST, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    m_pDoc->AddView(&m_view);
    EXPECT_EQ(Shown(), before);

    Command(ID_ZOOM_50);
    const CSize page = SourceSize(faxFiles().five, 0);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()),
              Reference(faxFiles().five, 0, CSize(page.cx / 2, page.cy / 2), TRUE));
    EXPECT_TRUE(m_messages.empty());
}

// A refused file (LZW strips at 100 dpi) leaves the shown fax with its own resolution,
// not the refused one's.
TEST_F(PageResolution, FailedOpenKeepsTheShownPagesResolution)
{
    TempDir folder;
    const std::string refused = folder.file("lzw.tif");
    FaxTiffOptions lzw;
    lzw.compression = Compression::Lzw;
    ASSERT_TRUE(writeFaxTiff(refused, {FaxPage{makePatternImage(850, 1100), 100, 100}}, lzw));
    Open(faxFiles().normal);
    Open(refused);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_pDoc->GetPath(), qpath(faxFiles().normal));
    EXPECT_EQ(m_pDoc->GetSourcePage().m_resolution, CSize(204, 98));
}

// The message names the file and the page; the reason is the error text, on a line of
// its own.
TEST_F(PageResolution, ReadErrorsNameTheFileAndPage)
{
    TempDir folder;
    const std::string copy = folder.file("copy.tif");
    std::vector<FaxPage> pages(2, FaxPage{makePatternImage(300, 400)});
    pages[1].compression = Compression::Lzw;
    ASSERT_TRUE(writeFaxTiff(copy, pages));
    Open(copy);
    Command(ID_PAGE_NEXT);
    Open(faxFiles().garbage);

    CPageBitmap probe;
    const CString cut = ImagingErrorText(probe.LoadPage(qpath(copy), 1));
    const CString garbage = ImagingErrorText(probe.LoadPage(qpath(faxFiles().garbage), 0));
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(
        m_messages[0].text.split(u'\n'),
        QStringList({"Cannot read page 2 of " + QDir::toNativeSeparators(qpath(copy)) + ":", cut}));
    EXPECT_EQ(m_messages[1].text.split(u'\n'),
              QStringList({"Cannot read page 1 of "
                               + QDir::toNativeSeparators(qpath(faxFiles().garbage)) + ":",
                           garbage}));
    for (const ShownMessage &message : m_messages) {
        EXPECT_EQ(message.caption, QStringLiteral("Fax Viewer"));
        EXPECT_EQ(message.nType, MB_OK | MB_ICONEXCLAMATION);
    }
}

// The open dialog starts where the shown fax lies, else in the working folder.
TEST_F(PageResolution, OpenDialogStartsInTheFolderOfTheShownFax)
{
    std::vector<CString> folders;
    AfxSetFileDialogHook([&](const CFileDialog &dialog, CString *pPathName) -> INT_PTR {
        folders.push_back(dialog.m_ofn.lpstrInitialDir);
        if (m_strNextOpen.isEmpty())
            return IDCANCEL;
        *pPathName = m_strNextOpen;
        return IDOK;
    });
    Command(ID_FILE_OPEN);
    Open(faxFiles().five);
    Command(ID_FILE_OPEN);
    Open(faxFiles().garbage); // refused: the shown fax stays, and with it its folder
    Command(ID_FILE_OPEN);
    const CString faxFolder = QFileInfo(qpath(faxFiles().five)).absolutePath();
    EXPECT_EQ(folders, (std::vector<CString>{QDir::currentPath(), QDir::currentPath(), faxFolder,
                                             faxFolder, faxFolder}));
}

} // namespace
