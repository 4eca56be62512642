#pragma once

#include "framework/CmdTarget.h"

#include <QDialog>

// A modal dialog of the program, its controls laid out by the class derived from it.
class CDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CDialog(QWidget *pParent = nullptr);

    // Runs the dialog until it closes: IDOK when it was accepted, IDCANCEL when it was
    // dismissed (Escape, the close box).
    virtual INT_PTR DoModal();
};
