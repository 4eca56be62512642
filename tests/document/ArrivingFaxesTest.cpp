#include "DocumentTestFixture.h"

#include <QDir>
#include <QFile>

using namespace fixtures;

namespace {

class ArrivingFaxes : public DocumentTest
{
protected:
    bool Enabled(UINT nID) { return Update(nID).m_bEnabled; }
    QStringList Panes()
    {
        return {Update(ID_INDICATOR_PAGE).m_strText, Update(ID_INDICATOR_RESOLUTION).m_strText,
                Update(ID_INDICATOR_SIZE).m_strText};
    }
};

// Line noise on the cover sheet: page 1 cannot be read (its strips are refused), pages 2
// and 3 read fine.
std::string writeDamagedCover(TempDir &folder)
{
    const std::string path = folder.file("damaged.tif");
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 3; ++i)
        pages.push_back(FaxPage{makePatternImage(320 + 8 * i, 410, i + 1)});
    pages[0].compression = Compression::Lzw;
    EXPECT_TRUE(writeFaxTiff(path, pages));
    return path;
}

} // namespace

// The fax opens on an empty page 1 with its page count; the message names page 1, the
// panes read as for any unreadable page, and the page commands reach pages 2 and 3.
TEST_F(ArrivingFaxes, UnreadableFirstPageStillReachesTheOtherPages)
{
    TempDir folder;
    const std::string damaged = writeDamagedCover(folder);
    Open(faxFiles().five);
    Open(damaged);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].text.startsWith("Cannot read page 1 of "
                                              + QDir::toNativeSeparators(qpath(damaged)) + ":"));
    EXPECT_EQ(m_pDoc->GetPath(), qpath(damaged));
    EXPECT_EQ(m_pDoc->GetTitle(), QStringLiteral("damaged.tif"));
    EXPECT_EQ(m_pDoc->GetPageCount(), 3);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_pPixels, nullptr);
    EXPECT_EQ(Panes(), QStringList({"Page 0 of 0", "0 x 0 dpi", "0 x 0 pixels"}));

    const struct
    {
        UINT nID;
        bool enabled;
    } rows[] = {
        {ID_PAGE_FIRST, false}, {ID_PAGE_PREVIOUS, false},  {ID_PAGE_NEXT, true},
        {ID_PAGE_LAST, true},   {ID_ZOOM_50, false},        {ID_ROTATE_LEFT, false},
        {ID_FILE_PRINT, false}, {ID_VIEW_ANTIALIAS, false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(Enabled(row.nID), row.enabled) << row.nID;

    Command(ID_PAGE_NEXT);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 1);
    EXPECT_EQ(Panes(), QStringList({"Page 2 of 3", "204 x 196 dpi", "328 x 410 pixels"}));
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), Reference(damaged, 1, CSize(164, 205), TRUE));
    Command(ID_PAGE_LAST);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 2);
    m_pDoc->GoToPage(0);
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 2);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), Reference(damaged, 2, CSize(168, 205), TRUE));
}

// A single page that cannot be read has nothing behind it: the shown fax stays, and with
// it its pages, path and commands.
TEST_F(ArrivingFaxes, UnreadableOnlyPageKeepsTheShownFax)
{
    TempDir folder;
    const std::string lone = folder.file("lone.tif");
    FaxPage page{makePatternImage(300, 400)};
    page.compression = Compression::Lzw;
    ASSERT_TRUE(writeFaxTiff(lone, {page}));
    const std::string damaged = writeDamagedCover(folder);
    for (const std::string &shown : {faxFiles().five, damaged}) {
        SCOPED_TRACE(shown);
        Open(shown);
        const std::int32_t pages = m_pDoc->GetPageCount();
        m_messages.clear();
        Open(lone);
        EXPECT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_pDoc->GetPath(), qpath(shown));
        EXPECT_EQ(m_pDoc->GetPageCount(), pages);
        EXPECT_TRUE(Enabled(ID_PAGE_NEXT));
    }
}

// A fax server replaces a file under the same name, or one still being received grows:
// the next page change shows no page of the other file. It says so once and offers to
// open the file again from page 1; declined, the fax shown stays as it was.
TEST_F(ArrivingFaxes, FileChangedSinceOpenedIsSaidNotMixedIn)
{
    TempDir folder;
    const std::string path = folder.file("incoming.tif");
    ASSERT_TRUE(QFile::copy(qpath(faxFiles().five), qpath(path)));
    UINT answer = IDNO;
    AfxSetMessageBoxHook([&](const CString &text, const CString &caption, UINT nType) {
        m_messages.push_back({text, caption, nType});
        return int(answer);
    });
    Open(path);
    const PageImage first = imageOf(m_pDoc->GetDisplayPage());
    ASSERT_TRUE(QFile::remove(qpath(path)));
    ASSERT_TRUE(QFile::copy(qpath(faxFiles().letter), qpath(path)));

    Command(ID_PAGE_NEXT);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text,
              "The file " + QDir::toNativeSeparators(qpath(path))
                  + " has changed since it was opened.\n\nOpen it again from page 1?");
    EXPECT_EQ(m_messages[0].nType, UINT(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(m_pDoc->GetPageCount(), 5);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), first);

    answer = IDYES;
    Command(ID_PAGE_LAST);
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_pDoc->GetPageCount(), 2);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), Reference(path, 0, CSize(864, 1100), TRUE));
    Command(ID_PAGE_NEXT);
    EXPECT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 1);

    // Growing counts as a change too: the pages read so far may have been rewritten.
    {
        QFile grow(qpath(path));
        ASSERT_TRUE(grow.open(QIODevice::Append));
        grow.write("more");
    }
    answer = IDNO;
    Command(ID_PAGE_PREVIOUS);
    EXPECT_EQ(m_messages.size(), 3u);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 1);
}
