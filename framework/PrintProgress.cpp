#include "framework/PrintProgress.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CPrintProgressDlg::CPrintProgressDlg(const CString &docName, UINT sheets, QWidget *parent)
    : QDialog(parent)
    , m_nSheets(sheets)
{
    setWindowTitle(QStringLiteral("Printing"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *name = new QLabel(docName, this);
    name->setTextFormat(Qt::PlainText);
    layout->addWidget(name);
    m_pPage = new QLabel(this);
    layout->addWidget(m_pPage);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPrintProgressDlg::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    SetSheet(1);
}

void CPrintProgressDlg::SetSheet(UINT n)
{
    m_pPage->setText(QStringLiteral("Page %1 of %2").arg(n).arg(m_nSheets));
}

void CPrintProgressDlg::reject()
{
    m_bCancelled = TRUE;
    QDialog::reject();
}
