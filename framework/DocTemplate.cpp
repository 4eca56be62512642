#include "framework/DocTemplate.h"

#include "framework/AfxRes.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/RuntimeClass.h"
#include "framework/StringResources.h"
#include "framework/WinApp.h"

#include <QApplication>
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

CSingleDocTemplate::~CSingleDocTemplate() { CloseAllDocuments(); }

void CSingleDocTemplate::CloseAllDocuments()
{
    // The view, a child of the frame, leaves the document's list as it goes.
    if (CWinApp *pApp = AfxGetApp(); pApp && pApp->m_pMainWnd == m_pFrame.get())
        pApp->m_pMainWnd = nullptr;
    m_pFrame.reset();
    m_pOnlyDoc.reset();
}

BOOL CSingleDocTemplate::GetDocString(CString &rString, DocStringIndex index) const
{
    return AfxExtractSubString(rString, AfxLoadString(m_nIDResource), index);
}

void CSingleDocTemplate::SetDefaultTitle(CDocument *pDocument) const
{
    CString title;
    if (!GetDocString(title, docName) || title.isEmpty())
        title = AfxLoadString(AFX_IDS_UNTITLED);
    pDocument->SetTitle(title);
}

CDocument *CSingleDocTemplate::OpenDocumentFile(const CString &pathName, BOOL bMakeVisible)
{
    if (!m_pOnlyDoc) {
        CObject *pObject = m_pDocClass->CreateObject();
        auto *pDocument = dynamic_cast<CDocument *>(pObject);
        if (!pDocument) {
            delete pObject;
            return nullptr;
        }
        m_pOnlyDoc.reset(pDocument);

        pObject = m_pFrameClass->CreateObject();
        auto *pFrame = dynamic_cast<CFrameWnd *>(pObject);
        if (!pFrame) {
            delete pObject;
            m_pOnlyDoc.reset();
            return nullptr;
        }
        m_pFrame.reset(pFrame);
        CCreateContext context;
        context.m_pNewViewClass = m_pViewClass;
        context.m_pCurrentDoc = pDocument;
        if (!pFrame->LoadFrame(m_nIDResource, &context)) {
            CloseAllDocuments();
            return nullptr;
        }
        if (CWinApp *pApp = AfxGetApp(); pApp && !pApp->m_pMainWnd)
            pApp->m_pMainWnd = pFrame;
    }

    CDocument *pDocument = m_pOnlyDoc.get();
    if (pathName.isEmpty()) {
        SetDefaultTitle(pDocument);
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

void CWinApp::ParseCommandLine(CCommandLineInfo &rCmdInfo) const
{
    ParseCommandLine(rCmdInfo, QCoreApplication::arguments());
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo &rCmdInfo)
{
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
        return TRUE;
    }
    return FALSE;
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
