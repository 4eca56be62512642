#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <vector>

class CView;

// The document of the document/view pair: title, path name and its views. Commands
// reach it after its view and before the frame.
class CDocument : public CCmdTarget
{
public:
    CDocument() = default;
    ~CDocument() override;

    const CString &GetTitle() const { return m_strTitle; }
    // Also retitles the frames of the document's views.
    virtual void SetTitle(const CString &title);
    const CString &GetPathName() const { return m_strPathName; }
    // Records the path and titles the document with the file's name and extension.
    virtual void SetPathName(const CString &pathName, BOOL bAddToMRU = TRUE);

    // The framework's new and open steps; the base versions clear the contents and path.
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const CString &pathName);
    virtual void DeleteContents() {}

    void AddView(CView *pView);
    void RemoveView(CView *pView);
    const std::vector<CView *> &GetViews() const { return m_viewList; }
    CView *GetFirstView() const { return m_viewList.empty() ? nullptr : m_viewList.front(); }

    // Calls OnUpdate on every view but pSender.
    void UpdateAllViews(CView *pSender, LPARAM lHint = 0, CObject *pHint = nullptr);

private:
    void UpdateFrameTitles();

    CString m_strTitle;
    CString m_strPathName;
    std::vector<CView *> m_viewList;
};
