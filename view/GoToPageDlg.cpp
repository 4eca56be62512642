#include "view/GoToPageDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

CGoToPageDlg::CGoToPageDlg(std::int32_t nPage, std::int32_t nPageCount, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Go to Page"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_pEdit = new QLineEdit(QString::number(nPage));
    // Plain digits: a group separator would pass the validator and read back as no number.
    QLocale digits = QLocale::c();
    digits.setNumberOptions(QLocale::RejectGroupSeparator);
    auto *validator = new QIntValidator(1, nPageCount, m_pEdit);
    validator->setLocale(digits);
    m_pEdit->setValidator(validator);
    m_pEdit->selectAll();
    auto *label = new QLabel(tr("&Page number (1 to %1):").arg(nPageCount));
    label->setBuddy(m_pEdit);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pOk->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGoToPageDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CGoToPageDlg::reject);
    connect(m_pEdit, &QLineEdit::textChanged, this, [this] { m_pOk->setEnabled(HasValidPage()); });
    m_pOk->setEnabled(HasValidPage());

    auto *layout = new QFormLayout(this);
    layout->addRow(label, m_pEdit);
    layout->addRow(buttons);
    setFixedSize(sizeHint());
}

std::int32_t CGoToPageDlg::GetPage() const
{
    return m_pEdit->validator()->locale().toInt(m_pEdit->text());
}

bool CGoToPageDlg::HasValidPage() const { return m_pEdit->hasAcceptableInput(); }

void CGoToPageDlg::accept()
{
    // The validator lets a number through while it has no more digits than the page count
    // ("200" of 120 pages), and Enter then reaches the dialog all the same.
    if (HasValidPage())
        QDialog::accept();
}
