#include "framework/MessageBox.h"

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

MessageBoxHook g_messageBoxHook;

int showMessageBox(const CString &text, const CString &caption, UINT nType)
{
    const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                       QMessageBox::Question, QMessageBox::Warning,
                                       QMessageBox::Information};
    const UINT icon = (nType & MB_ICONMASK) >> 4;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if ((nType & MB_TYPEMASK) == MB_OKCANCEL)
        buttons |= QMessageBox::Cancel;
    else if ((nType & MB_TYPEMASK) == MB_YESNO)
        buttons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(icon < std::size(icons) ? icons[icon] : QMessageBox::NoIcon, caption, text,
                    buttons, AfxGetMainWnd());
    // QMessageBox sizes itself to its text alone.
    const int width = GetCaptionWidth(box.font(), caption);
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    switch (box.exec()) {
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

} // namespace

int GetCaptionWidth(const QFont &font, const CString &caption)
{
    // Window managers draw titles larger and bold.
    constexpr int TITLE_BAR_ROOM = 160;
    QFont titleFont = font;
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0)
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    return QFontMetrics(titleFont).horizontalAdvance(caption) + TITLE_BAR_ROOM;
}

int AfxMessageBox(const CString &text, UINT nType, UINT)
{
    if ((nType & MB_ICONMASK) == 0)
        nType |= (nType & MB_TYPEMASK) == MB_YESNO ? MB_ICONQUESTION : MB_ICONEXCLAMATION;
    // A box at start-up (a file named on the command line that cannot be read) belongs
    // over the main window, not on an empty screen before it.
    if (CFrameWnd *pFrame = AfxGetMainWnd();
        pFrame && !pFrame->testAttribute(Qt::WA_WState_ExplicitShowHide))
        pFrame->ActivateFrame();
    if (g_messageBoxHook)
        return g_messageBoxHook(text, AfxGetAppName(), nType);
    return showMessageBox(text, AfxGetAppName(), nType);
}

MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook)
{
    std::swap(g_messageBoxHook, hook);
    return hook;
}
