#include "DocumentTestFixture.h"

#include "display/ImagingErrorText.h"
#include "display/PagePrefetcher.h"
#include "platform/GlobalMemory.h"
#include "tests/support/RawTiffBuilder.h"
#include "tests/support/SettleAhead.h"

#include <QCoreApplication>

#include <tiffio.h>

#include <cstdio>
#include <filesystem>

using namespace fixtures;

namespace {

// A page command after the neighbours of the page shown were prepared ahead, against
// the same command reading its page on demand.
class PagesAhead : public DocumentTest
{
protected:
    PagesAhead() { SetClientSize(801, 600); }

    bool SettleAhead() { return settleAhead(m_pDoc->GetPrefetcher()); }
    bool Ready(std::int32_t index) { return m_pDoc->GetPrefetcher().IsReady(index); }

    struct Outcome
    {
        PageImage source;
        CSize resolution;
        PageImage shown;
        CSize shownSize;
        bool bDib;
        std::int32_t nPage;
        Rotation rotation;
        bool operator==(const Outcome &) const = default;
    };
    Outcome Now()
    {
        CPageBitmap &shown = m_pDoc->GetDisplayPage();
        return {imageOf(m_pDoc->GetSourcePage()),
                m_pDoc->GetSourcePage().m_resolution,
                imageOf(shown),
                shown.ShownSize(),
                shown.m_pDib != nullptr,
                m_pDoc->GetCurrentPage(),
                m_pDoc->GetRotation()};
    }
};

// Every zoom, with and without turns carried over: Next to a prepared page leaves the
// document exactly as Next reading the page on demand does, and so does Previous straight
// back to the page just left. That page stays prepared when it is rendered as the state
// now asks (unturned, always), never after a quarter turn, which keeps its size.
TEST_F(PagesAhead, PreparedPageGivesWhatAReadOnDemandGives)
{
    struct Row
    {
        UINT nZoom;
        UINT nTurn; // 0: none
        const std::string *pPath;
    };
    const Row rows[] = {
        {ID_ZOOM_FITWIDTH, 0, &faxFiles().letter},
        {ID_ZOOM_FITHEIGHT, ID_ROTATE_UPSIDEDOWN, &faxFiles().letter},
        {ID_ZOOM_33, ID_ROTATE_LEFT, &faxFiles().five},
        {ID_ZOOM_ACTUALSIZE, 0, &faxFiles().normal},
        {ID_ZOOM_50, ID_ROTATE_UPSIDEDOWN, &faxFiles().normal},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << "zoom " << row.nZoom << " turn " << row.nTurn);
        Open(*row.pPath);
        Command(row.nZoom);
        if (row.nTurn)
            Command(row.nTurn);
        ASSERT_TRUE(SettleAhead());
        ASSERT_TRUE(Ready(1));
        // The page comes from what was prepared: the file is not opened.
        const std::uint64_t allocations = GlobalAllocCallCount();
        Command(ID_PAGE_NEXT);
        EXPECT_EQ(GlobalAllocCallCount(), allocations);
        const Outcome prepared = Now();
        const bool kept = Ready(0);
        if (!row.nTurn) {
            EXPECT_TRUE(kept);
        } else if (row.nTurn == ID_ROTATE_LEFT) {
            EXPECT_FALSE(kept);
        }
        const std::uint64_t backAllocations = GlobalAllocCallCount();
        Command(ID_PAGE_PREVIOUS);
        EXPECT_EQ(GlobalAllocCallCount() > backAllocations, !kept);
        const Outcome back = Now();

        // The same pages again, on demand: what was prepared is dropped.
        Command(row.nZoom);
        if (row.nTurn)
            Command(row.nTurn);
        m_pDoc->GetPrefetcher().Drop();
        const std::uint64_t readAllocations = GlobalAllocCallCount();
        Command(ID_PAGE_NEXT);
        EXPECT_GT(GlobalAllocCallCount(), readAllocations);
        EXPECT_EQ(Now(), prepared);
        m_pDoc->GetPrefetcher().Drop();
        Command(ID_PAGE_PREVIOUS);
        EXPECT_EQ(Now(), back);
        EXPECT_TRUE(m_messages.empty());
    }
}

// A page prepared from a file that then changed is not shown: the command says the file
// changed, as it does for a page it would read on demand.
TEST_F(PagesAhead, FileChangedSincePreparingIsReadAgain)
{
    TempDir dir;
    const std::string path = dir.file("changing.tif");
    const std::string other = dir.file("other.tif");
    std::filesystem::copy_file(faxFiles().five, other);
    for (const bool truncate : {false, true}) {
        SCOPED_TRACE(truncate ? "truncated" : "replaced");
        std::filesystem::copy_file(faxFiles().letter, path,
                                   std::filesystem::copy_options::overwrite_existing);
        m_messages.clear();
        Open(path);
        ASSERT_TRUE(SettleAhead());
        ASSERT_TRUE(Ready(1));
        if (truncate) {
            std::filesystem::resize_file(path, 600);
        } else {
            std::filesystem::remove(path);
            std::filesystem::copy_file(other, path);
        }
        const auto shown = imageOf(m_pDoc->GetDisplayPage());
        Command(ID_PAGE_NEXT);
        // Said, not mixed in: neither the page prepared from the file before nor a page of
        // the file now under its name is shown as this fax's page 2.
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("has changed since it was opened")));
        EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
        EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), shown);
    }
}

// A neighbour that cannot be read is not remembered as failed: paging to it reads it
// and shows its error box as a read on demand does.
TEST_F(PagesAhead, PageFailingAheadShowsItsErrorWhenPagedTo)
{
    const BilevelImage good = makePatternImage(160, 120, 4);
    RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(
        std::string(reinterpret_cast<const char *>(good.rows.data()), good.rows.size()));
    const auto bytes = std::uint32_t(good.rows.size());
    const std::uint32_t dirs[] = {
        raw.addDirectory(RawTiffBuilder::bilevelPage(160, 120, COMPRESSION_NONE, data, bytes)),
        raw.addDirectory(RawTiffBuilder::bilevelPage(160, 120, COMPRESSION_NONE, 1u << 30, bytes))};
    raw.setFirstDirectory(dirs[0]);
    raw.setNextDirectory(dirs[0], dirs[1]);
    TempDir dir;
    const std::string path = dir.write("damaged.tif", raw.bytes());

    Open(path);
    ASSERT_TRUE(SettleAhead());
    EXPECT_FALSE(Ready(1));
    EXPECT_TRUE(m_messages.empty());
    Command(ID_PAGE_NEXT);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].text.endsWith(ImagingErrorText(IMG_ERR_FILE_READ)));
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
}

// A zoom, turn, smoothing or window change while the neighbour is being rendered: the
// page command shows the page rendered for the new state.
TEST_F(PagesAhead, StateChangedWhileRenderingAheadIsRenderedAgain)
{
    const UINT changes[] = {ID_ZOOM_33, ID_ROTATE_UPSIDEDOWN, ID_VIEW_ANTIALIAS, 0};
    for (const UINT nID : changes) {
        SCOPED_TRACE(testing::Message() << "change " << nID);
        const auto nextAfterChange = [&](bool ahead) {
            Open(faxFiles().letter);
            if (!m_pDoc->IsAntiAlias())
                Command(ID_VIEW_ANTIALIAS);
            SetClientSize(801, 600);
            Command(ID_ZOOM_FITWIDTH);
            // The worker starts on its page; the change comes while it renders.
            if (ahead)
                QCoreApplication::processEvents();
            if (nID) {
                Command(nID);
            } else {
                SetClientSize(640, 480);
                Command(ID_ZOOM_FITWIDTH);
            }
            if (ahead) {
                EXPECT_TRUE(SettleAhead());
                EXPECT_TRUE(Ready(1));
            }
            Command(ID_PAGE_NEXT);
            return Now();
        };
        const Outcome ahead = nextAfterChange(true);
        EXPECT_EQ(nextAfterChange(false), ahead);
    }
}

} // namespace
