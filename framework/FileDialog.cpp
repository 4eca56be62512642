#include "framework/FileDialog.h"

#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

FileDialogHook g_fileDialogHook;

INT_PTR runFileDialogHook(CFileDialog &dialog)
{
    CString pathName;
    const INT_PTR result = g_fileDialogHook(dialog, &pathName);
    if (result == IDOK)
        dialog.m_ofn.lpstrFile = pathName;
    return result;
}

} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const CString &defExt, const CString &fileName,
                         DWORD dwFlags, const CString &filter, QWidget *pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog)
    , m_pParentWnd(pParentWnd)
{
    m_ofn.Flags = dwFlags;
    m_ofn.lpstrDefExt = defExt;
    m_ofn.lpstrFile = fileName;
    m_ofn.lpstrFilter = filter;
}

CString CFileDialog::GetFileName() const { return QFileInfo(m_ofn.lpstrFile).fileName(); }

CString CFileDialog::GetFileExt() const { return QFileInfo(m_ofn.lpstrFile).suffix(); }

QStringList CFileDialog::QtNameFilters(const CString &filter)
{
    // Each letter as a set of both cases: the platform matches patterns case-sensitively.
    const auto anyCase = [](const QString &pattern) {
        QString result;
        for (const QChar c : pattern) {
            if (c.toLower() != c.toUpper())
                result += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
            else
                result += c;
        }
        return result;
    };
    QStringList nameFilters;
    const QStringList fields = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString name = fields.at(i).trimmed();
        if (name.isEmpty())
            break;
        QStringList patterns;
        for (const QString &pattern : fields.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << anyCase(pattern.trimmed());
        // Qt takes the patterns from the last parentheses and, with the details hidden,
        // shows what comes before them: the name as the caller wrote it.
        nameFilters << name + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                           + QLatin1Char(')');
    }
    return nameFilters;
}

void CFileDialog::SetUpDialog(QFileDialog &dialog) const
{
    dialog.setWindowTitle(m_ofn.lpstrTitle);
    dialog.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (m_bOpenFileDialog)
        dialog.setFileMode((m_ofn.Flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                             : QFileDialog::AnyFile);
    else if (!(m_ofn.Flags & OFN_OVERWRITEPROMPT))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (m_ofn.Flags & OFN_READONLY)
        dialog.setOption(QFileDialog::ReadOnly);
    const QStringList nameFilters = QtNameFilters(m_ofn.lpstrFilter);
    if (!nameFilters.isEmpty()) {
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(nameFilters);
    }
    QString defExt = m_ofn.lpstrDefExt;
    if (defExt.startsWith(QLatin1Char('.')))
        defExt.remove(0, 1);
    dialog.setDefaultSuffix(defExt);
    if (!m_ofn.lpstrInitialDir.isEmpty())
        dialog.setDirectory(m_ofn.lpstrInitialDir);
    if (!m_ofn.lpstrFile.isEmpty())
        dialog.selectFile(m_ofn.lpstrFile);
}

INT_PTR CFileDialog::DoModal()
{
    if (g_fileDialogHook)
        return runFileDialogHook(*this);

    QWidget *parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    QFileDialog dialog(parent);
    SetUpDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return IDCANCEL;
    m_ofn.lpstrFile = dialog.selectedFiles().constFirst();
    return IDOK;
}

FileDialogHook AfxSetFileDialogHook(FileDialogHook hook)
{
    FileDialogHook previous = std::move(g_fileDialogHook);
    g_fileDialogHook = std::move(hook);
    return previous;
}
