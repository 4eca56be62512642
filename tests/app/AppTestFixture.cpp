#include "tests/app/AppTestFixture.h"

#include "document/PagelotDoc.h"
#include "framework/CmdUI.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "framework/SystemMetrics.h"
#include "tools/fixtures/FixtureWriter.h"
#include "view/PagelotView.h"

#include <QAction>
#include <QSettings>

void AppTest::SetUp()
{
    CWinApp::SetProfileFileForTesting(QString::fromStdString(m_dir.file("settings.ini")));
    AfxSetMessageBoxHook([this](const CString &text, const CString &, UINT) {
        m_messages.push_back(text);
        return IDOK;
    });
    AfxOverrideSystemMetric(SM_CXFULLSCREEN, 1280);
    AfxOverrideSystemMetric(SM_CXVSCROLL, 16);
}

void AppTest::TearDown()
{
    m_pApp.reset();
    AfxSetMessageBoxHook({});
    AfxResetSystemMetrics();
    CWinApp::SetProfileFileForTesting({});
    CPagelotApp::SetProgramFolderForTesting({});
}

CMainFrame *AppTest::Start(const QStringList &arguments)
{
    m_pApp = std::make_unique<CPagelotApp>();
    m_pApp->SetCommandLine(QStringList{QStringLiteral("pagelot")} + arguments);
    if (!m_pApp->InitInstance())
        return nullptr;
    return Frame();
}

void AppTest::Close()
{
    if (CMainFrame *pFrame = Frame())
        pFrame->close();
    m_pApp->ExitInstance();
    m_pApp.reset();
}

CMainFrame *AppTest::Frame() const
{
    return m_pApp ? dynamic_cast<CMainFrame *>(m_pApp->m_pMainWnd) : nullptr;
}

CPagelotDoc *AppTest::Document() const
{
    return m_pApp && m_pApp->GetDocTemplate()
               ? dynamic_cast<CPagelotDoc *>(m_pApp->GetDocTemplate()->GetDocument())
               : nullptr;
}

CPagelotView *AppTest::View() const
{
    return Frame() ? dynamic_cast<CPagelotView *>(Frame()->GetActiveView()) : nullptr;
}

void AppTest::UpdateAllCommands() const
{
    Frame()->OnIdleUpdateCmdUI();
    AfxUpdateActions(Frame(), Frame()->findChildren<QAction *>());
}

QAction *AppTest::Action(UINT nID) const { return Frame()->GetCommandAction(nID); }

std::string AppTest::WriteFax(const std::string &name, int pages, std::uint32_t height) const
{
    std::vector<fixtures::FaxPage> faxPages;
    for (int i = 0; i < pages; ++i) {
        fixtures::FaxPage page;
        page.image = fixtures::makeTextPage(1728, height, static_cast<std::uint32_t>(i + 1));
        faxPages.push_back(std::move(page));
    }
    const std::string path = m_dir.file(name);
    EXPECT_TRUE(fixtures::writeFaxTiff(path, faxPages));
    return path;
}

void AppTest::WriteSetting(const QString &key, const QVariant &value) const
{
    QSettings settings(QString::fromStdString(m_dir.file("settings.ini")), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
}
