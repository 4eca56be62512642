#include "framework/Document.h"

#include "framework/FilePath.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"

#include <QFileInfo>

#include <algorithm>

CDocument::~CDocument()
{
    // Views outlive nothing they point at: detach them so they do not call back.
    for (CView *pView : m_viewList)
        pView->m_pDocument = nullptr;
}

void CDocument::SetTitle(const CString &title)
{
    m_strTitle = title;
    for (CView *pView : m_viewList)
        if (CFrameWnd *pFrame = pView->GetParentFrame())
            pFrame->OnUpdateFrameTitle(TRUE);
}

void CDocument::SetPathName(const CString &pathName, BOOL)
{
    const QFileInfo file(pathName);
    m_strPathName = file.absoluteFilePath();
    SetTitle(PathForDisplay(file.fileName()));
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const CString &)
{
    DeleteContents();
    return TRUE;
}

void CDocument::AddView(CView *pView)
{
    if (!pView || std::ranges::find(m_viewList, pView) != m_viewList.end())
        return;
    if (pView->m_pDocument)
        pView->m_pDocument->RemoveView(pView);
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView *pView)
{
    if (std::erase(m_viewList, pView))
        pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView *pSender, LPARAM lHint, CObject *pHint)
{
    // A copy: an update may add or remove views.
    const std::vector<CView *> views = m_viewList;
    for (CView *pView : views)
        if (pView != pSender)
            pView->OnUpdate(pSender, lHint, pHint);
}
