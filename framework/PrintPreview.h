#pragma once

#include "framework/PreviewSheets.h"

#include <QDialog>

class CPrintCallbacks;
class CPrintInfo;
class QAction;
class QLabel;
class QPrinter;
class QScrollArea;

// Print preview: one or two sheets side by side, from GetMinPage() to GetMaxPage(),
// each drawn through the print callbacks when it is shown. OnBeginPrinting is called
// when the preview opens and OnEndPrinting when it goes; m_bPreview stays set between.
class CPrintPreviewDlg : public QDialog
{
    Q_OBJECT

public:
    CPrintPreviewDlg(QPrinter &printer, CPrintCallbacks &callbacks, CPrintInfo &info,
                     QWidget *parent = nullptr);
    ~CPrintPreviewDlg() override;

    // The page on the first (left) sheet shown, and how many sheets are shown.
    UINT GetCurrentPage() const { return m_nPage; }
    int GetSheetsShown() const;
    // 0 shows whole sheets; each step in doubles, up to MAX_ZOOM.
    static constexpr int MAX_ZOOM = 2;

    void NextPage();
    void PrevPage();
    void SetTwoPages(BOOL bTwo);
    void ZoomIn();
    void ZoomOut();
    // The Print button: closes the preview, asking its opener to print.
    void Print();
    BOOL IsPrintRequested() const { return m_bPrintRequested; }

    // Sheet `i` of those shown (0 or 1) as it appears on screen; null when not shown.
    QImage GrabSheet(int i);
    const CPreviewSheets &GetSheets() const { return m_sheets; }

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Pane;

    void UpdateSheets();
    void UpdateActions();

    QPrinter &m_printer;
    CPrintCallbacks &m_callbacks;
    CPrintInfo &m_info;
    CPreviewSheets m_sheets;
    QScrollArea *m_pScroll = nullptr;
    Pane *m_pPane = nullptr;
    QLabel *m_pPageLabel = nullptr;
    QAction *m_pNext = nullptr;
    QAction *m_pPrev = nullptr;
    QAction *m_pTwo = nullptr;
    QAction *m_pZoomIn = nullptr;
    QAction *m_pZoomOut = nullptr;
    UINT m_nPage = 1;
    BOOL m_bTwoPages = FALSE;
    int m_nZoom = 0;
    QSize m_sizeShown;
    BOOL m_bPrintRequested = FALSE;
};
