#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"
#include "framework/ProfileStore.h"

#include <QStringList>

#include <memory>

class CCommandLineInfo;
class CDocument;
class CFrameWnd;
class CSingleDocTemplate;
class QPrinter;

// The application object: one per process, reached through AfxGetApp. Last on the
// command route. Owns access to the per-user settings store.
class CWinApp : public CCmdTarget
{
public:
    // Without a name, the application title is string-table entry AFX_IDS_APP_TITLE of
    // the resources handed over by then.
    explicit CWinApp(const CString &appName = {});
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    // Saves the settings; returns the exit code.
    virtual int ExitInstance();

    // From here on the settings live under this company key and the application title.
    void SetRegistryKey(const CString &company);
    const CString &GetRegistryKey() const { return m_strRegistryKey; }
    CString GetAppName() const;

    // The settings are read from the store once, at the first of these calls, and
    // written back by SaveProfile (at exit).
    UINT GetProfileInt(const CString &section, const CString &entry, int nDefault);
    BOOL WriteProfileInt(const CString &section, const CString &entry, int nValue);
    // Any value, for records such as the bar layout; invalid when not stored.
    QVariant GetProfileValue(const CString &section, const CString &entry);
    void WriteProfileValue(const CString &section, const CString &entry, const QVariant &value);
    // Writes the settings changed since they were read. FALSE when they could not be.
    BOOL SaveProfile();
    // The settings file: the per-user file named by the company key and the
    // application title, or the one a test set.
    CString GetProfilePath() const;

    // Points every application's settings store at an INI file (a test's temporary folder);
    // an empty path returns to the per-user store.
    static void SetProfileFileForTesting(const CString &iniPath);

    CFrameWnd *m_pMainWnd = nullptr;

    // The document template; the application owns it.
    void AddDocTemplate(CSingleDocTemplate *pTemplate);
    CSingleDocTemplate *GetDocTemplate() const { return m_pDocTemplate.get(); }
    // Reads the program's arguments (or the ones given) into rCmdInfo.
    void ParseCommandLine(CCommandLineInfo &rCmdInfo) const;
    void ParseCommandLine(CCommandLineInfo &rCmdInfo, const QStringList &arguments) const;
    // Carries out the command line: a new document or the file named. FALSE when the
    // main window could not be made.
    BOOL ProcessShellCommand(CCommandLineInfo &rCmdInfo);
    CDocument *OpenDocumentFile(const CString &pathName);
    // Destroys the frame and the document before the toolkit goes away.
    void CloseAllDocuments(BOOL bEndSession);

    // The framework's default commands, for the application's command table.
    void OnFileNew();
    void OnFilePrintSetup();
    void OnAppExit();

private:
    // Shared, so the template's type may stay incomplete here.
    std::shared_ptr<CSingleDocTemplate> m_pDocTemplate;

    CProfileStore &Profile();

    CString m_strAppName;
    CString m_strRegistryKey;
    CProfileStore m_profile;
    bool m_bProfileLoaded = false;
};

CWinApp *AfxGetApp();
// The printer that Print Setup configures.
QPrinter *AfxGetPrinter();
CFrameWnd *AfxGetMainWnd();
// The application title: the application's name, else string-table entry AFX_IDS_APP_TITLE.
CString AfxGetAppName();
