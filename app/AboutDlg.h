#pragma once

#include <QDialog>

class QPushButton;

// "About Fax Viewer": the application icon, the product line with the version, two lines
// of notice, and OK. Closes with OK, Escape or the close box.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);

    QPushButton *OkButton() const { return m_pOk; }

private:
    QPushButton *m_pOk = nullptr;
};
