#pragma once

#include "framework/WinApp.h"

#include <QPointer>
#include <QStringList>

#include "app/HelpWindow.h"

// The application object: settings key, the one document template, the command line,
// and the Help and About commands.
class CPagelotApp : public CWinApp
{
public:
    CPagelotApp();
    ~CPagelotApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The arguments InitInstance parses instead of the process's own (tests).
    void SetCommandLine(const QStringList &arguments) { m_arguments = arguments; }
    // The folder Help looks in instead of the executable's (tests).
    static void SetProgramFolderForTesting(const CString &folder);
    // The compiled help file: Pagelot.chm in the program's folder.
    static CString HelpFilePath();
    CHelpWindow *GetHelpWindow() const { return m_pHelpWindow; }

protected:
    void OnAppAbout();
    void OnHelpContents();

private:
    QStringList m_arguments;
    QPointer<CHelpWindow> m_pHelpWindow;
};
