#pragma once

#include "framework/Dialog.h"

class QPushButton;

// "About Fax Viewer": the application icon, the product line with the version, two lines
// of notice, and OK. Closes with OK, Escape or the close box.
class CAboutDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);

    QPushButton *OkButton() const { return m_pOk; }

private:
    QPushButton *m_pOk = nullptr;
};
