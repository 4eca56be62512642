#include "framework/Dialog.h"

#include "framework/MessageBox.h"

CDialog::CDialog(QWidget *pParent)
    : QDialog(pParent)
{
}

INT_PTR CDialog::DoModal() { return exec() == QDialog::Accepted ? IDOK : IDCANCEL; }
