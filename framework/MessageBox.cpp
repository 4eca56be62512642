#include "framework/MessageBox.h"

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

MessageBoxHook g_messageBoxHook;

QMessageBox::Icon qtIcon(UINT nType)
{
    switch (nType & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons qtButtons(UINT nType)
{
    switch (nType & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

int resultOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDOK;
    }
}

int showMessageBox(const CString &text, const CString &caption, UINT nType)
{
    QMessageBox box(qtIcon(nType), caption, text, qtButtons(nType), AfxGetMainWnd());
    AfxWidenForCaption(box);
    return resultOf(box.exec());
}

} // namespace

int AfxMessageBox(const CString &text, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        }
    }
    // A box at start-up (a file named on the command line that cannot be read) belongs
    // over the main window, not on an empty screen before it.
    if (CFrameWnd *pFrame = AfxGetMainWnd();
        pFrame && !pFrame->testAttribute(Qt::WA_WState_ExplicitShowHide))
        pFrame->ActivateFrame();
    const CString caption = AfxGetAppName();
    if (g_messageBoxHook)
        return g_messageBoxHook(text, caption, nType);
    return showMessageBox(text, caption, nType);
}

void AfxWidenForCaption(QMessageBox &box)
{
    // QMessageBox sizes itself to its text, but the title bar also holds the window's icon
    // and buttons, and window managers draw titles larger and bold.
    constexpr int TITLE_BAR_ROOM = 160;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0)
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + TITLE_BAR_ROOM;
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = std::move(g_messageBoxHook);
    g_messageBoxHook = std::move(hook);
    return previous;
}
