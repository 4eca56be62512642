#include "framework/WinApp.h"

#include "framework/AfxRes.h"
#include "framework/StringResources.h"

#include <QDir>
#include <QStandardPaths>

namespace {

CWinApp *g_pApp = nullptr;
CString g_strProfileFile;

} // namespace

CWinApp::CWinApp(const CString &appName)
    : m_strAppName(appName)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CString CWinApp::GetAppName() const
{
    return m_strAppName.isEmpty() ? AfxLoadString(AFX_IDS_APP_TITLE) : m_strAppName;
}

void CWinApp::SetRegistryKey(const CString &company) { m_strRegistryKey = company; }

int CWinApp::ExitInstance()
{
    SaveProfile();
    return 0;
}

// Where QSettings keeps a company's application settings on this platform, found
// without QSettings, which would read the file (and block on a FIFO) to say so.
CString CWinApp::GetProfilePath() const
{
    if (!g_strProfileFile.isEmpty())
        return g_strProfileFile;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(m_strRegistryKey + QLatin1Char('/') + GetAppName()
                                 + QStringLiteral(".conf"));
}

CProfileStore &CWinApp::Profile()
{
    if (!m_bProfileLoaded) {
        m_profile.Load(GetProfilePath());
        m_bProfileLoaded = true;
    }
    return m_profile;
}

QVariant CWinApp::GetProfileValue(const CString &section, const CString &entry)
{
    return Profile().Value(section + QLatin1Char('/') + entry);
}

void CWinApp::WriteProfileValue(const CString &section, const CString &entry, const QVariant &value)
{
    Profile().SetValue(section + QLatin1Char('/') + entry, value);
}

UINT CWinApp::GetProfileInt(const CString &section, const CString &entry, int nDefault)
{
    bool ok = false;
    const int nValue = GetProfileValue(section, entry).toInt(&ok);
    return static_cast<UINT>(ok ? nValue : nDefault);
}

BOOL CWinApp::WriteProfileInt(const CString &section, const CString &entry, int nValue)
{
    WriteProfileValue(section, entry, nValue);
    return TRUE;
}

BOOL CWinApp::SaveProfile()
{
    if (!m_bProfileLoaded)
        return TRUE;
    return m_profile.Save(GetProfilePath());
}

void CWinApp::SetProfileFileForTesting(const CString &iniPath) { g_strProfileFile = iniPath; }

CWinApp *AfxGetApp() { return g_pApp; }

CFrameWnd *AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

CString AfxGetAppName() { return g_pApp ? g_pApp->GetAppName() : AfxLoadString(AFX_IDS_APP_TITLE); }
