#pragma once

#include "platform/WinTypes.h"

#include <QDialog>
#include <QImage>

#include <list>

class CPrintInfo;
class CView;
class QAction;
class QLabel;
class QPrinter;
class QScrollArea;

// Print preview: one or two sheets side by side, from GetMinPage() to GetMaxPage(),
// each drawn through the view's printing overrides when it is shown. OnBeginPrinting
// is called when the preview opens and OnEndPrinting when it goes. Print closes it
// accepted, Close rejected.
class CPrintPreviewDlg : public QDialog
{
public:
    // Only the sheets last shown are held, so memory does not grow with the page count.
    static constexpr int MAX_HELD = 4;

    CPrintPreviewDlg(QPrinter &printer, CView &view, CPrintInfo &info);
    ~CPrintPreviewDlg() override;

    // Sheet `i` of those shown (0 or 1) as it appears on screen; null when not shown.
    QImage GrabSheet(int i);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    class Pane;
    struct Held
    {
        UINT page;
        QImage image;
    };

    int GetSheetsShown() const;
    void ShowPage(UINT page);
    void Zoom(int step);
    const QImage &Sheet(UINT page, QSize size);
    QImage Render(UINT page, QSize size);
    void UpdateSheets();

    QPrinter &m_printer;
    CView &m_view;
    CPrintInfo &m_info;
    std::list<Held> m_sheets; // most recently shown first
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
};
