#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <QCoreApplication>
#include <QMap>
#include <QStringList>
#include <QVariant>

#include <memory>

class CCommandLineInfo;
class CDocument;
class CFrameWnd;
class CSingleDocTemplate;
class QPrinter;

// The application object: one per process, reached through AfxGetApp. Last on the
// command route. Holds the per-user settings, read from their file once and written
// back at exit.
class CWinApp : public CCmdTarget
{
public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    // Saves the settings; returns the exit code.
    virtual int ExitInstance();

    // From here on the settings live under this company key and the application title.
    void SetRegistryKey(const CString &company) { m_strRegistryKey = company; }
    const CString &GetRegistryKey() const { return m_strRegistryKey; }
    // String-table entry AFX_IDS_APP_TITLE.
    CString GetAppName() const;

    UINT GetProfileInt(const CString &section, const CString &entry, int nDefault);
    BOOL WriteProfileInt(const CString &section, const CString &entry, int nValue);
    // Any value, for records such as the bar layout; invalid when not stored.
    QVariant GetProfileValue(const CString &section, const CString &entry);
    void WriteProfileValue(const CString &section, const CString &entry, const QVariant &value);
    // Writes the settings when they changed. FALSE, with a debug trace, when they could
    // not be: the folder is not the user's own, the file is not a regular file or a
    // symbolic link (which is replaced, not followed), or writing failed.
    BOOL SaveProfile();
    // The per-user file named by the company key and the application title, or the
    // one a test set (an empty path returns to the per-user one).
    CString GetProfilePath() const;
    static void SetProfileFileForTesting(const CString &iniPath);

    CFrameWnd *m_pMainWnd = nullptr;

    // The document template; the application owns it.
    void AddDocTemplate(CSingleDocTemplate *pTemplate);
    CSingleDocTemplate *GetDocTemplate() const { return m_pDocTemplate.get(); }
    void ParseCommandLine(CCommandLineInfo &rCmdInfo,
                          const QStringList &arguments = QCoreApplication::arguments()) const;
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
    QMap<CString, QVariant> &Profile();

    // Shared, so the template's type may stay incomplete here.
    std::shared_ptr<CSingleDocTemplate> m_pDocTemplate;
    CString m_strRegistryKey;
    QMap<CString, QVariant> m_profile;
    bool m_bProfileLoaded = false;
    bool m_bProfileModified = false;
};

CWinApp *AfxGetApp();
// The printer that Print Setup configures.
QPrinter *AfxGetPrinter();
CFrameWnd *AfxGetMainWnd();
CString AfxGetAppName();
