#include "framework/WinApp.h"

#include "framework/AfxRes.h"
#include "framework/StringResources.h"

#include <QSettings>

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

std::unique_ptr<QSettings> CWinApp::OpenProfile() const
{
    if (!g_strProfileFile.isEmpty())
        return std::make_unique<QSettings>(g_strProfileFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(m_strRegistryKey, GetAppName());
}

UINT CWinApp::GetProfileInt(const CString &section, const CString &entry, int nDefault)
{
    auto settings = OpenProfile();
    const QVariant value = settings->value(section + QLatin1Char('/') + entry);
    bool ok = false;
    const int nValue = value.toInt(&ok);
    return static_cast<UINT>(ok ? nValue : nDefault);
}

BOOL CWinApp::WriteProfileInt(const CString &section, const CString &entry, int nValue)
{
    auto settings = OpenProfile();
    settings->setValue(section + QLatin1Char('/') + entry, nValue);
    settings->sync();
    return settings->status() == QSettings::NoError ? TRUE : FALSE;
}

void CWinApp::SetProfileFileForTesting(const CString &iniPath) { g_strProfileFile = iniPath; }

CWinApp *AfxGetApp() { return g_pApp; }

CFrameWnd *AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

CString AfxGetAppName() { return g_pApp ? g_pApp->GetAppName() : AfxLoadString(AFX_IDS_APP_TITLE); }
