#include "framework/MessageBox.h"

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

#include <QMessageBox>

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
    const CString caption = AfxGetAppName();
    if (g_messageBoxHook)
        return g_messageBoxHook(text, caption, nType);
    return showMessageBox(text, caption, nType);
}

MessageBoxHook AfxSetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = std::move(g_messageBoxHook);
    g_messageBoxHook = std::move(hook);
    return previous;
}
