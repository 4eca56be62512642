#include "framework/DocTemplate.h"

#include "framework/AfxRes.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/ResourceModule.h"
#include "framework/RuntimeClass.h"
#include "framework/WinApp.h"

#include <QPageSetupDialog>
#include <QPrinter>

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, const CRuntimeClass *pDocClass,
                                       const CRuntimeClass *pFrameClass,
                                       const CRuntimeClass *pViewClass)
    : m_nIDResource(nIDResource)
    , m_pDocClass(pDocClass)
    , m_pFrameClass(pFrameClass)
    , m_pViewClass(pViewClass)
{
}

void CSingleDocTemplate::CloseAllDocuments()
{
    // The view, a child of the frame, leaves the document's list as it goes.
    if (CWinApp *pApp = AfxGetApp(); pApp && pApp->m_pMainWnd == m_pFrame.get())
        pApp->m_pMainWnd = nullptr;
    m_pFrame.reset();
    m_pOnlyDoc.reset();
}

BOOL CSingleDocTemplate::CreateFrame()
{
    m_pOnlyDoc.reset(m_pDocClass->CreateObject<CDocument>());
    m_pFrame.reset(m_pFrameClass->CreateObject<CFrameWnd>());
    CCreateContext context{m_pViewClass, m_pOnlyDoc.get()};
    if (!m_pOnlyDoc || !m_pFrame || !m_pFrame->LoadFrame(m_nIDResource, &context)) {
        CloseAllDocuments();
        return FALSE;
    }
    if (CWinApp *pApp = AfxGetApp(); pApp && !pApp->m_pMainWnd)
        pApp->m_pMainWnd = m_pFrame.get();
    return TRUE;
}

CDocument *CSingleDocTemplate::OpenDocumentFile(const CString &pathName, BOOL bMakeVisible)
{
    if (!m_pOnlyDoc && !CreateFrame())
        return nullptr;
    CDocument *pDocument = m_pOnlyDoc.get();
    if (pathName.isEmpty()) {
        // The document string's second field is the name of a new document.
        CString title = AfxLoadString(m_nIDResource).section(u'\n', 1, 1);
        pDocument->SetTitle(title.isEmpty() ? AfxLoadString(AFX_IDS_UNTITLED) : title);
        if (!pDocument->OnNewDocument())
            return nullptr;
    } else {
        if (!pDocument->OnOpenDocument(pathName))
            return nullptr;
        pDocument->SetPathName(pathName);
    }
    m_pFrame->InitialUpdateFrame(pDocument, bMakeVisible);
    return pDocument;
}

void CCommandLineInfo::ParseParam(const CString &param, BOOL bFlag, BOOL)
{
    if (bFlag || m_nShellCommand == FileOpen)
        return;
    m_strFileName = param;
    m_nShellCommand = FileOpen;
}

void CWinApp::AddDocTemplate(CSingleDocTemplate *pTemplate) { m_pDocTemplate.reset(pTemplate); }

void CWinApp::ParseCommandLine(CCommandLineInfo &rCmdInfo, const QStringList &arguments) const
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const CString &argument = arguments[i];
        // "-" and "/" start switches, as on the platform; a lone "-" is not one.
        const bool bFlag = argument.size() > 1 && argument.startsWith(u'-');
        rCmdInfo.ParseParam(bFlag ? argument.mid(1) : argument, bFlag, i + 1 == arguments.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo &rCmdInfo)
{
    if (rCmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen)
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    OnFileNew();
    return m_pMainWnd != nullptr;
}

CDocument *CWinApp::OpenDocumentFile(const CString &pathName)
{
    return m_pDocTemplate ? m_pDocTemplate->OpenDocumentFile(pathName) : nullptr;
}

void CWinApp::OnFileNew()
{
    if (m_pDocTemplate)
        m_pDocTemplate->OpenDocumentFile(CString());
}

void CWinApp::OnFilePrintSetup()
{
    QPageSetupDialog dialog(AfxGetPrinter(), m_pMainWnd);
    dialog.exec();
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->close();
}

void CWinApp::CloseAllDocuments(BOOL)
{
    if (m_pDocTemplate)
        m_pDocTemplate->CloseAllDocuments();
}

QPrinter *AfxGetPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return &printer;
}
