#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <memory>

class CFrameWnd;
class QSettings;

// The application object: one per process, reached through AfxGetApp. Last on the
// command route. Owns access to the per-user settings store.
class CWinApp : public CCmdTarget
{
public:
    // Without a name, the application title comes from string-table entry AFX_IDS_APP_TITLE.
    explicit CWinApp(const CString &appName = {});
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    // From here on the settings live under this company key and the application title.
    void SetRegistryKey(const CString &company);
    const CString &GetRegistryKey() const { return m_strRegistryKey; }
    const CString &GetAppName() const { return m_strAppName; }

    UINT GetProfileInt(const CString &section, const CString &entry, int nDefault);
    BOOL WriteProfileInt(const CString &section, const CString &entry, int nValue);

    // The settings store itself, for records such as the bar layout. Each call opens a
    // fresh handle on the current location.
    std::unique_ptr<QSettings> OpenProfile() const;

    // Points every application's settings store at an INI file (a test's temporary folder);
    // an empty path returns to the per-user store.
    static void SetProfileFileForTesting(const CString &iniPath);

    CFrameWnd *m_pMainWnd = nullptr;

private:
    CString m_strAppName;
    CString m_strRegistryKey;
};

CWinApp *AfxGetApp();
CFrameWnd *AfxGetMainWnd();
// The application title: the application's name, else string-table entry AFX_IDS_APP_TITLE.
CString AfxGetAppName();
