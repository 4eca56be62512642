#include "DocumentTestFixture.h"

#include "display/ImagingErrorText.h"
#include "tests/support/RawTiffBuilder.h"

#include <QFile>

namespace {

struct PaneTexts
{
    CString page, resolution, size;
    bool operator==(const PaneTexts &) const = default;
};

std::ostream &operator<<(std::ostream &out, const PaneTexts &texts)
{
    return out << texts.page.toStdString() << " | " << texts.resolution.toStdString() << " | "
               << texts.size.toStdString();
}

class FileOpening : public DocumentTest
{
protected:
    PaneTexts Panes()
    {
        return {Update(ID_INDICATOR_PAGE).m_strText, Update(ID_INDICATOR_RESOLUTION).m_strText,
                Update(ID_INDICATOR_SIZE).m_strText};
    }
    const PaneTexts zeroPanes{"Page 0 of 0", "0 x 0 dpi", "0 x 0 pixels"};
};

TEST_F(FileOpening, NewDocumentIsEmpty)
{
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::FitWidth);
    EXPECT_EQ(m_pDoc->GetRotation(), Rotation::None);
    EXPECT_EQ(m_pDoc->GetPageCount(), 0);
    EXPECT_TRUE(m_pDoc->IsAntiAlias());
    EXPECT_TRUE(m_pDoc->IsEnableTips());
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_pPixels, nullptr);
    EXPECT_EQ(Panes(), zeroPanes);
}

TEST_F(FileOpening, ScreenWidthChoosesOneThirdOrOneHalf)
{
    struct Row
    {
        int screenWidth;
        ZoomMode mode;
        CSize shown;
    };
    const Row rows[] = {{864, ZoomMode::Scale33, CSize(576, 733)},
                        {865, ZoomMode::Scale50, CSize(864, 1100)}};
    for (const Row &row : rows) {
        AfxOverrideSystemMetric(SM_CXFULLSCREEN, row.screenWidth);
        Open(faxFiles().letter);
        EXPECT_EQ(m_pDoc->GetZoomMode(), row.mode) << row.screenWidth;
        EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()),
                  Reference(faxFiles().letter, 0, row.shown, TRUE));
        EXPECT_NE(m_pDoc->GetDisplayPage().m_pDib, nullptr);
    }
}

TEST_F(FileOpening, OpenShowsFirstPageTitledWithFileNameAndNotifiesViews)
{
    Open(faxFiles().five);
    EXPECT_EQ(m_nDialogs, 1);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_pDoc->GetTitle(), QStringLiteral("five.tif"));
    EXPECT_EQ(m_pDoc->GetPath(), qpath(faxFiles().five));
    EXPECT_EQ(m_pDoc->GetPageCount(), 5);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(m_view.m_nUpdates, 1);
    EXPECT_EQ(Panes(), (PaneTexts{"Page 1 of 5", "204 x 196 dpi", "301 x 403 pixels"}));
}

TEST_F(FileOpening, NormalModePageIsDoubledButKeepsItsResolution)
{
    Open(faxFiles().normal);
    EXPECT_EQ(m_pDoc->GetSourcePage().m_size, CSize(1728, 2200));
    EXPECT_EQ(m_pDoc->GetDisplayPage().m_size, CSize(864, 1100));
    EXPECT_EQ(m_pDoc->GetPageCount(), 2);
    EXPECT_EQ(Panes(), (PaneTexts{"Page 1 of 2", "204 x 98 dpi", "1728 x 2200 pixels"}));

    // Zoom and turn change what is shown, not what the panes describe.
    Command(ID_ROTATE_LEFT);
    Command(ID_ZOOM_33);
    Command(ID_PAGE_NEXT);
    EXPECT_EQ(Panes(), (PaneTexts{"Page 2 of 2", "204 x 98 dpi", "1728 x 2200 pixels"}));
}

TEST_F(FileOpening, CancelChangesNothing)
{
    Open(faxFiles().five);
    const PageImage shown = imageOf(m_pDoc->GetDisplayPage());
    m_strNextOpen.clear();
    Command(ID_FILE_OPEN);
    EXPECT_EQ(m_nDialogs, 2);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_view.m_nUpdates, 1);
    EXPECT_EQ(m_pDoc->GetPath(), qpath(faxFiles().five));
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), shown);
}

TEST_F(FileOpening, DialogAsksForTiffFilesThatExist)
{
    CString title, filter;
    DWORD flags = 0;
    AfxSetFileDialogHook([&](const CFileDialog &dialog, CString *) -> INT_PTR {
        title = dialog.m_ofn.lpstrTitle;
        filter = dialog.m_ofn.lpstrFilter;
        flags = dialog.m_ofn.Flags;
        return IDCANCEL;
    });
    Command(ID_FILE_OPEN);
    EXPECT_EQ(title, QStringLiteral("Open Fax Document"));
    EXPECT_EQ(filter, QStringLiteral("TIFF Files (*.tif)|*.tif;*.tiff|All Files (*)|*||"));
    EXPECT_EQ(flags, 4100u);
}

TEST_F(FileOpening, UnreadableFileShowsItsErrorOnceAndZeroPanes)
{
    // The panes as the idle pass would show them while the message is up.
    std::vector<PaneTexts> during;
    AfxSetMessageBoxHook([&](const CString &text, const CString &caption, UINT nType) {
        m_messages.push_back({text, caption, nType});
        during.push_back(Panes());
        return IDOK;
    });
    EXPECT_EQ(Panes(), zeroPanes);
    Open(faxFiles().garbage);

    ASSERT_EQ(m_messages.size(), 1u);
    CPageBitmap probe;
    EXPECT_EQ(m_messages[0].text.section(u'\n', 1),
              ImagingErrorText(probe.LoadPage(qpath(faxFiles().garbage), 0)));
    EXPECT_FALSE(m_messages[0].text.isEmpty());
    EXPECT_EQ(m_messages[0].caption, QStringLiteral("Fax Viewer"));
    EXPECT_EQ(m_messages[0].nType, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(during, std::vector<PaneTexts>{zeroPanes});
    EXPECT_EQ(Panes(), zeroPanes);
    // Nothing was shown before, so the failed file is the document's file.
    EXPECT_EQ(m_pDoc->GetPath(), qpath(faxFiles().garbage));
    EXPECT_EQ(Update(ID_PAGE_NEXT).m_bEnabled, FALSE);
}

TEST_F(FileOpening, FailedOpenKeepsShownPageAndItsFile)
{
    Open(faxFiles().five);
    Command(ID_PAGE_NEXT);
    const PageImage shown = imageOf(m_pDoc->GetDisplayPage());
    std::vector<PaneTexts> during;
    AfxSetMessageBoxHook([&](const CString &text, const CString &caption, UINT nType) {
        m_messages.push_back({text, caption, nType});
        during.push_back(Panes());
        return IDOK;
    });

    Open(faxFiles().garbage);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(during, std::vector<PaneTexts>{zeroPanes});
    EXPECT_EQ(Panes(), zeroPanes);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), shown);
    EXPECT_EQ(m_pDoc->GetTitle(), QStringLiteral("five.tif"));
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 1);
    EXPECT_EQ(m_pDoc->GetPageCount(), 5);

    // Page commands go on reading the file whose page is on screen.
    EXPECT_EQ(m_pDoc->GetPath(), qpath(faxFiles().five));
    Command(ID_PAGE_NEXT);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 2);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()),
              Reference(faxFiles().five, 2, CSize(313 / 2, 411 / 2), TRUE));
    EXPECT_EQ(Panes(), (PaneTexts{"Page 3 of 5", "204 x 196 dpi", "313 x 411 pixels"}));
}

TEST_F(FileOpening, SecondFileResetsPageZoomAndTurnButKeepsSmoothingAndTips)
{
    Open(faxFiles().five);
    Command(ID_PAGE_LAST);
    Command(ID_ROTATE_UPSIDEDOWN);
    Command(ID_ZOOM_ACTUALSIZE);
    Command(ID_VIEW_ANTIALIAS);
    Command(ID_VIEW_TOOLTIPS);

    Open(faxFiles().one);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(m_pDoc->GetPageCount(), 1);
    EXPECT_EQ(m_pDoc->GetRotation(), Rotation::None);
    EXPECT_FALSE(m_pDoc->IsUpsideDown());
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::Scale50);
    EXPECT_FALSE(m_pDoc->IsAntiAlias());
    EXPECT_FALSE(m_pDoc->IsEnableTips());
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()),
              Reference(faxFiles().one, 0, CSize(125, 165), FALSE));
    EXPECT_EQ(m_pDoc->GetTitle(), QStringLiteral("one.tif"));
}

TEST_F(FileOpening, CommandLineOpenSucceedsEvenWhenThePageCannotBeRead)
{
    EXPECT_TRUE(m_pDoc->OnOpenDocument(qpath(faxFiles().garbage)));
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_pDoc->GetTitle().isEmpty());

    EXPECT_TRUE(m_pDoc->OnOpenDocument(qpath(faxFiles().five)));
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_pDoc->GetDisplayPage().m_pDib, nullptr);
    EXPECT_EQ(m_pDoc->GetPageCount(), 5);
    // The framework titles the window from the path it records afterwards.
    EXPECT_TRUE(m_pDoc->GetTitle().isEmpty());
}

TEST_F(FileOpening, PageThatCannotBeReadLeavesPreviousPageShown)
{
    TempDir folder;
    const std::string copy = folder.file("copy.tif");
    std::vector<fixtures::FaxPage> pages(5,
                                         fixtures::FaxPage{fixtures::makePatternImage(301, 403)});
    pages[1].compression = fixtures::Compression::Lzw;
    ASSERT_TRUE(fixtures::writeFaxTiff(copy, pages));
    Open(copy);
    const PageImage shown = imageOf(m_pDoc->GetDisplayPage());
    const int updates = m_view.m_nUpdates;

    Command(ID_PAGE_NEXT);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_pDoc->GetCurrentPage(), 0);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), shown);
    EXPECT_EQ(m_view.m_nUpdates, updates);
    EXPECT_EQ(Panes(), zeroPanes);
    // The page commands still test the shown page, so the user can try again.
    EXPECT_TRUE(Update(ID_PAGE_NEXT).m_bEnabled);

    // Re-rendering from the empty source page would blacken or empty the page on screen.
    Command(ID_VIEW_ANTIALIAS);
    EXPECT_FALSE(m_pDoc->IsAntiAlias());
    Command(ID_ZOOM_ACTUALSIZE);
    Command(ID_ZOOM_33);
    Command(ID_ZOOM_FITWIDTH);
    EXPECT_EQ(m_pDoc->GetZoomMode(), ZoomMode::Scale50);
    EXPECT_EQ(imageOf(m_pDoc->GetDisplayPage()), shown);
}

} // namespace

// Page counts stop at 65,535: a file with more pages says so once when it opens, and
// one with exactly that many says nothing.
TEST_F(FileOpening, PagesPastTheCountAreToldOnceOnOpen)
{
    struct Row
    {
        std::uint32_t pages;
        std::size_t messages;
    };
    for (const Row row : {Row{65535, 0}, Row{65537, 1}}) {
        SCOPED_TRACE(row.pages);
        m_messages.clear();
        fixtures::RawTiffBuilder builder;
        const std::string strip(216 * 8, '\0');
        const std::uint32_t data = builder.addData(strip);
        const auto fields =
            fixtures::RawTiffBuilder::bilevelPage(1728, 8, 1, data, std::uint32_t(strip.size()));
        std::uint32_t next = 0;
        for (std::uint32_t i = 0; i < row.pages; ++i)
            next = builder.addDirectory(fields, next);
        builder.setFirstDirectory(next);
        TempDir folder;
        const std::string path = folder.write("long.tif", builder.bytes());
        Open(path);
        EXPECT_EQ(m_pDoc->GetPageCount(), 65535);
        ASSERT_EQ(m_messages.size(), row.messages);
        if (row.messages) {
            EXPECT_EQ(m_messages[0].text, QStringLiteral("This fax has more than 65,535 pages. "
                                                         "Only the first 65,535 can be shown "
                                                         "and printed."));
            EXPECT_EQ(m_messages[0].nType, MB_OK | MB_ICONINFORMATION);
        }
        Command(ID_PAGE_NEXT);
        EXPECT_EQ(m_messages.size(), row.messages);
    }
}
