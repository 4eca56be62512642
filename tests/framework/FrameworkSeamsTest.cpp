#include "framework/FileDialog.h"
#include "framework/MessageBox.h"
#include "framework/SystemMetrics.h"
#include "framework/WinApp.h"
#include "tools/fixtures/TempDir.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <gtest/gtest.h>

namespace {

struct ShownBox
{
    CString text, caption;
    UINT nType = 0;
};

class MessageBoxSeam : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AfxSetMessageBoxHook([this](const CString &text, const CString &caption, UINT nType) {
            shown.push_back({text, caption, nType});
            return reply;
        });
    }
    void TearDown() override { AfxSetMessageBoxHook({}); }

    std::vector<ShownBox> shown;
    int reply = IDOK;
};

TEST_F(MessageBoxSeam, CaptionIsTheApplicationTitleAndIconDefaultsByButtons)
{
    CWinApp app;
    struct Row
    {
        UINT asked, seen;
    };
    const Row rows[] = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONQUESTION},
        {MB_OK | MB_ICONINFORMATION, MB_OK | MB_ICONINFORMATION},
        {MB_OK | MB_ICONSTOP, MB_OK | MB_ICONSTOP},
    };
    for (const Row &row : rows) {
        shown.clear();
        EXPECT_EQ(AfxMessageBox(QStringLiteral("error on file open"), row.asked), IDOK);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, QStringLiteral("error on file open"));
        EXPECT_EQ(shown[0].caption, QStringLiteral("Fax Viewer"));
        EXPECT_EQ(shown[0].nType, row.seen) << row.asked;
    }
}

TEST_F(MessageBoxSeam, ReturnsTheHooksAnswerAndCaptionWorksWithoutApplication)
{
    reply = IDNO;
    EXPECT_EQ(AfxMessageBox(QStringLiteral("Close?"), MB_YESNO), IDNO);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, QStringLiteral("Fax Viewer"));
}

TEST(FileDialogSeam, FrameworkFilterBecomesQtNameFilters)
{
    struct Row
    {
        const char *filter;
        QStringList expected;
    };
    const Row rows[] = {
        {"TIFF Files (*.tif)|*.tif||", {"TIFF Files (*.tif) (*.[tT][iI][fF])"}},
        {"Faxes|*.tif;*.tiff|All Files (*.*)|*.*||",
         {"Faxes (*.[tT][iI][fF] *.[tT][iI][fF][fF])", "All Files (*.*) (*.*)"}},
        {"", {}},
        {"Unterminated (*.g3)|*.g3", {"Unterminated (*.g3) (*.[gG]3)"}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(CFileDialog::QtNameFilters(QString::fromUtf8(row.filter)), row.expected)
            << row.filter;
}

TEST(FileDialogSeam, HookSeesTheDialogAndChoosesThePath)
{
    CString seenTitle, seenFilter;
    DWORD seenFlags = 0;
    INT_PTR answer = IDOK;
    AfxSetFileDialogHook([&](const CFileDialog &dialog, CString *pPathName) {
        seenTitle = dialog.m_ofn.lpstrTitle;
        seenFilter = dialog.m_ofn.lpstrFilter;
        seenFlags = dialog.m_ofn.Flags;
        *pPathName = QStringLiteral("/faxes/0042.tif");
        return answer;
    });

    CFileDialog dialog(TRUE, {}, {}, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                       QStringLiteral("TIFF Files (*.tif)|*.tif||"));
    dialog.m_ofn.lpstrTitle = QStringLiteral("Open Fax Document");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), QStringLiteral("/faxes/0042.tif"));
    EXPECT_EQ(seenTitle, QStringLiteral("Open Fax Document"));
    EXPECT_EQ(seenFilter, QStringLiteral("TIFF Files (*.tif)|*.tif||"));
    EXPECT_EQ(seenFlags, 4100u);

    answer = IDCANCEL;
    CFileDialog cancelled(TRUE);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_TRUE(cancelled.GetPathName().isEmpty());
    AfxSetFileDialogHook({});
}

TEST(SystemMetrics, DefaultsComeFromScreenAndStyleAndOverridesWin)
{
    const int available = QGuiApplication::primaryScreen()->availableGeometry().width();
    const int extent = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), available);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), extent);
    EXPECT_GT(extent, 0);

    AfxOverrideSystemMetric(SM_CXFULLSCREEN, 865);
    AfxOverrideSystemMetric(SM_CXVSCROLL, 16);
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), 865);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
    AfxResetSystemMetrics();
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), available);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
}

TEST(SettingsStore, IntegersAreWrittenAndReadBackUnderTheApplicationsKey)
{
    TempDir folder;
    const QString ini = QString::fromStdString(folder.file("profile.ini"));
    CWinApp::SetProfileFileForTesting(ini);
    {
        CWinApp app;
        app.SetRegistryKey(QStringLiteral("Brackwater Systems"));
        EXPECT_EQ(app.GetProfileInt(QStringLiteral("Settings"), QStringLiteral("EnableTips"), 1),
                  1u);
        EXPECT_TRUE(
            app.WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("EnableTips"), 0));
        app.ExitInstance();
    }
    {
        CWinApp app;
        EXPECT_EQ(app.GetProfileInt(QStringLiteral("Settings"), QStringLiteral("EnableTips"), 1),
                  0u);
    }
    QSettings stored(ini, QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Settings/EnableTips")).toInt(), 0);
    CWinApp::SetProfileFileForTesting({});
}

TEST(SettingsStore, PerUserStoreIsNamedByCompanyAndTitle)
{
    CWinApp app;
    app.SetRegistryKey(QStringLiteral("Brackwater Systems"));
    EXPECT_EQ(
        app.GetProfilePath(),
        QSettings(QStringLiteral("Brackwater Systems"), QStringLiteral("Fax Viewer")).fileName());
}

} // namespace
