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
    ~CDocument() override;

    const CString &GetTitle() const { return m_strTitle; }
    // Also retitles the frames of the document's views.
    virtual void SetTitle(const CString &title);
    const CString &GetPathName() const { return m_strPathName; }
    // Records the absolute path and titles the document with the file's name.
    virtual void SetPathName(const CString &pathName, BOOL bAddToMRU = TRUE);

    // The framework's new and open steps; the base versions clear the contents (and path).
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const CString &pathName);
    virtual void DeleteContents() {}

    void AddView(CView *pView);
    void RemoveView(CView *pView);
    CView *GetFirstView() const { return m_viewList.empty() ? nullptr : m_viewList.front(); }

    // Calls OnUpdate on every view but pSender.
    void UpdateAllViews(CView *pSender, LPARAM lHint = 0, CObject *pHint = nullptr);

private:
    CString m_strTitle;
    CString m_strPathName;
    std::vector<CView *> m_viewList;
};
