#include "framework/PrintProgress.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace {

CPrintProgressDlg *g_pRunning = nullptr;

} // namespace

CPrintProgressDlg::CPrintProgressDlg(const CString &docName, UINT sheets, QWidget &owner)
    : QDialog(&owner)
    , m_owner(owner)
    , m_nSheets(sheets)
{
    setWindowTitle(QStringLiteral("Printing"));
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

void CPrintProgressDlg::Run()
{
    // Disabling the owner blocks its mouse, keys and shortcuts, but not its close box.
    // The box, a window of its own, is enabled again inside it.
    const bool ownerEnabled = m_owner.isEnabled();
    // Disabled, the owner gives up its keyboard focus; it takes it back afterwards.
    const QPointer<QWidget> focus = m_owner.focusWidget();
    m_owner.installEventFilter(this);
    m_owner.setEnabled(false);
    setEnabled(true);
    const QScopedValueRollback<CPrintProgressDlg *> running(g_pRunning, this);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    activateWindow();
    loop.exec();
    m_owner.removeEventFilter(this);
    m_owner.setEnabled(ownerEnabled);
    if (focus)
        focus->setFocus();
}

CPrintProgressDlg *CPrintProgressDlg::GetRunning() { return g_pRunning; }

bool CPrintProgressDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && watched == &m_owner && isVisible()) {
        m_bOwnerCloseRequested = TRUE;
        event->ignore();
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
