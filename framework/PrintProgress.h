#pragma once

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QDialog>

class QLabel;

// The small box shown while a job prints: the document's name, "Page N of M" and
// Cancel. Closing it in any way (Cancel, Escape, its close box, a request to quit)
// cancels the job. It is not modal: a modal box would swallow the close box of the
// window printed from, its owner. The owner takes no input while the box is up
// instead, and asking it to close cancels the job as well.
class CPrintProgressDlg : public QDialog
{
    Q_OBJECT

public:
    CPrintProgressDlg(const CString &docName, UINT sheets, QWidget &owner);

    // Shows that sheet `n` of the job (counted from 1) is being printed.
    void SetSheet(UINT n);
    // Whether the owner was asked to close while the box was up; it is left open for
    // the caller to close once the job has ended.
    BOOL IsOwnerCloseRequested() const { return m_bOwnerCloseRequested; }

    // Shows the box over its owner and runs events until the box is closed.
    void Run();
    // The box whose Run is under way, or null.
    static CPrintProgressDlg *GetRunning();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_owner;
    QLabel *m_pPage = nullptr;
    UINT m_nSheets = 0;
    BOOL m_bOwnerCloseRequested = FALSE;
};
