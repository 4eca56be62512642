#pragma once

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QDialog>

class QLabel;

// The small modal box shown while a job prints: the document's name, "Page N of M"
// and Cancel. Closing it in any way (Cancel, Escape, its close box, a request to
// quit closing every modal box) cancels the job.
class CPrintProgressDlg : public QDialog
{
    Q_OBJECT

public:
    CPrintProgressDlg(const CString &docName, UINT sheets, QWidget *parent = nullptr);

    // Shows that sheet `n` of the job (counted from 1) is being printed.
    void SetSheet(UINT n);
    BOOL IsCancelled() const { return m_bCancelled; }

    void reject() override;

private:
    QLabel *m_pPage = nullptr;
    UINT m_nSheets = 0;
    BOOL m_bCancelled = FALSE;
};
