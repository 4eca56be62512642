#pragma once

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <memory>

class CDocument;
class CFrameWnd;
struct CRuntimeClass;

// The single-document template: one document type with its frame and view, made from
// their run-time classes. The one document serves every file opened during the run.
// The template owns the document and the frame (and so the view).
class CSingleDocTemplate
{
public:
    CSingleDocTemplate(UINT nIDResource, const CRuntimeClass *pDocClass,
                       const CRuntimeClass *pFrameClass, const CRuntimeClass *pViewClass);
    ~CSingleDocTemplate() { CloseAllDocuments(); }
    CSingleDocTemplate(const CSingleDocTemplate &) = delete;
    CSingleDocTemplate &operator=(const CSingleDocTemplate &) = delete;

    // An empty path makes a new untitled document, else opens the file through the
    // document's open hook. On first use it makes the document, the frame and the view;
    // then sends the view its initial update and shows the frame. Null when the frame
    // cannot be made or the document refuses.
    CDocument *OpenDocumentFile(const CString &pathName, BOOL bMakeVisible = TRUE);

    CDocument *GetDocument() const { return m_pOnlyDoc.get(); }
    CFrameWnd *GetFrame() const { return m_pFrame.get(); }
    // Destroys the frame, then the document.
    void CloseAllDocuments();

private:
    BOOL CreateFrame();

    UINT m_nIDResource;
    const CRuntimeClass *m_pDocClass;
    const CRuntimeClass *m_pFrameClass;
    const CRuntimeClass *m_pViewClass;
    std::unique_ptr<CDocument> m_pOnlyDoc;
    std::unique_ptr<CFrameWnd> m_pFrame;
};

// What the command line asks for: a new document, or to open a file.
class CCommandLineInfo
{
public:
    enum {
        FileNew,
        FileOpen,
    } m_nShellCommand = FileNew;
    CString m_strFileName;

    // One argument after the program name: the first one that is not a switch is the file.
    void ParseParam(const CString &param, BOOL bFlag, BOOL bLast);
};
