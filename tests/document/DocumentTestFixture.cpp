#include "DocumentTestFixture.h"

using namespace fixtures;

namespace {

FaxPage pageOf(std::uint32_t width, std::uint32_t height, std::uint32_t seed, double yResolution)
{
    FaxPage page;
    page.image = makePatternImage(width, height, seed);
    page.yResolution = yResolution;
    return page;
}

} // namespace

FaxFiles::FaxFiles()
{
    std::vector<FaxPage> pages;
    for (std::uint32_t i = 0; i < 5; ++i)
        pages.push_back(pageOf(301 + 6 * i, 403 + 4 * i, i + 1, 196));
    five = folder.file("five.tif");
    EXPECT_TRUE(writeFaxTiff(five, pages));

    one = folder.file("one.tif");
    EXPECT_TRUE(writeFaxTiff(one, {pageOf(250, 330, 9, 196)}));

    FaxPage text;
    text.image = makeTextPage(1728, 2200, 3);
    FaxPage text2 = text;
    text2.image = makeTextPage(1728, 2200, 4);
    letter = folder.file("letter.tif");
    EXPECT_TRUE(writeFaxTiff(letter, {text, text2}));

    FaxPage low;
    low.image = makeTextPage(1728, 1100, 5);
    low.yResolution = 98;
    normal = folder.file("normal.tif");
    EXPECT_TRUE(writeFaxTiff(normal, {low, low}));

    narrow = folder.file("narrow.tif");
    EXPECT_TRUE(writeFaxTiff(narrow, {pageOf(300, 400, 11, 196)}));

    garbage = folder.write("garbage.tif", "This is not a TIFF file, only words.\n");
}

const FaxFiles &faxFiles()
{
    static const FaxFiles files;
    return files;
}

DocumentTest::DocumentTest()
{
    faxFiles();
    CWinApp::SetProfileFileForTesting(qpath(m_settingsFolder.file("profile.ini")));
    m_pApp = std::make_unique<CWinApp>();
    m_pApp->SetRegistryKey(QStringLiteral("Brackwater Systems"));
    m_pApp->m_pMainWnd = &m_frame;
    AfxOverrideSystemMetric(SM_CXFULLSCREEN, 1280);
    AfxOverrideSystemMetric(SM_CXVSCROLL, 16);
    AfxSetMessageBoxHook([this](const CString &text, const CString &caption, UINT nType) {
        m_messages.push_back({text, caption, nType});
        return IDOK;
    });
    AfxSetFileDialogHook([this](const CFileDialog &, CString *pPathName) -> INT_PTR {
        ++m_nDialogs;
        if (m_strNextOpen.isEmpty())
            return IDCANCEL;
        *pPathName = m_strNextOpen;
        return IDOK;
    });

    m_pDoc = std::make_unique<CPagelotDoc>();
    m_pDoc->AddView(&m_view);
    m_frame.SetActiveView(&m_view);
    m_view.show();
    SetClientSize(1000, 800);
}

DocumentTest::~DocumentTest()
{
    m_pDoc.reset();
    AfxSetMessageBoxHook({});
    AfxSetFileDialogHook({});
    AfxResetSystemMetrics();
    CWinApp::SetProfileFileForTesting({});
}

void DocumentTest::SetClientSize(int width, int height)
{
    m_view.resize(width, height);
    CRect client;
    m_view.GetClientRect(&client);
    ASSERT_EQ(client, CRect(0, 0, width, height));
}

CCmdUI DocumentTest::Update(UINT nID)
{
    CCmdUI state(nID);
    state.DoUpdate(&m_frame, TRUE);
    return state;
}

void DocumentTest::Open(const std::string &path)
{
    m_strNextOpen = qpath(path);
    Command(ID_FILE_OPEN);
    m_strNextOpen.clear();
}

PageImage DocumentTest::Reference(const std::string &path, int index, CSize size, BOOL smooth,
                                  int code)
{
    CPageBitmap source;
    EXPECT_EQ(source.LoadPage(qpath(path), index), 0u);
    if (source.NeedsRowDoubling())
        source.DoubleRows();
    CPageBitmap shown;
    EXPECT_EQ(shown.ScaleFrom(source, size.cx, size.cy, smooth), 0u);
    if (code >= 0) {
        EXPECT_EQ(shown.Rotate(code), 0u);
    }
    return imageOf(shown);
}

CSize DocumentTest::SourceSize(const std::string &path, int index)
{
    CPageBitmap source;
    EXPECT_EQ(source.LoadPage(qpath(path), index), 0u);
    if (source.NeedsRowDoubling())
        source.DoubleRows();
    return source.m_size;
}
