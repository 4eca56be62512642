#include "framework/FileDialog.h"

#include "framework/FilePath.h"
#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <dirent.h>
#include <sys/stat.h>

namespace {

FileDialogHook g_fileDialogHook;

} // namespace

CFileDialog::CFileDialog(BOOL, const CString &, const CString &fileName, DWORD dwFlags,
                         const CString &filter, QWidget *pParentWnd)
    : m_pParentWnd(pParentWnd)
{
    m_ofn.Flags = dwFlags;
    m_ofn.lpstrFile = fileName;
    m_ofn.lpstrFilter = filter;
}

QStringList CFileDialog::QtNameFilters(const CString &filter)
{
    // Each letter as a set of both cases: the platform matches patterns case-sensitively.
    const auto anyCase = [](const QString &pattern) {
        QString result;
        for (const QChar c : pattern)
            result += c.toLower() == c.toUpper() ? QString(c)
                                                 : QString(u'[') + c.toLower() + c.toUpper() + u']';
        return result;
    };
    QStringList nameFilters;
    const QStringList fields = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < fields.size() && !fields.at(i).trimmed().isEmpty(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : fields.at(i + 1).split(u';', Qt::SkipEmptyParts))
            patterns << anyCase(pattern.trimmed());
        // Qt takes the patterns from the last parentheses and, with the details hidden,
        // shows what comes before them: the name as the caller wrote it.
        nameFilters << fields.at(i).trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return nameFilters;
}

void CFileDialog::SetUpDialog(QFileDialog &dialog) const
{
    dialog.setWindowTitle(m_ofn.lpstrTitle);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode((m_ofn.Flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    if (const QStringList nameFilters = QtNameFilters(m_ofn.lpstrFilter); !nameFilters.isEmpty()) {
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(nameFilters);
    }
    if (!m_ofn.lpstrInitialDir.isEmpty())
        dialog.setDirectory(m_ofn.lpstrInitialDir);
    if (!m_ofn.lpstrFile.isEmpty())
        dialog.selectFile(m_ofn.lpstrFile);
}

CString ChosenFilePath(const CString &chosen)
{
    struct stat info;
    if (chosen.isEmpty() || ::stat(PathBytes(chosen).constData(), &info) == 0)
        return chosen;
    const QFileInfo file(chosen);
    const CString folder = file.absolutePath();
    DIR *dir = opendir(PathBytes(folder).constData());
    if (!dir)
        return chosen;
    CString found;
    int matches = 0;
    while (const dirent *entry = readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == file.fileName() && ++matches == 1)
            found = folder + u'/' + PathFromBytes(entry->d_name);
    }
    closedir(dir);
    // Two names that decode alike cannot be told apart: none is guessed.
    return matches == 1 ? found : chosen;
}

INT_PTR CFileDialog::DoModal()
{
    CString pathName;
    INT_PTR result = IDCANCEL;
    if (g_fileDialogHook) {
        result = g_fileDialogHook(*this, &pathName);
    } else {
        QFileDialog dialog(m_pParentWnd ? m_pParentWnd : AfxGetMainWnd());
        SetUpDialog(dialog);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            pathName = ChosenFilePath(dialog.selectedFiles().constFirst());
            result = IDOK;
        }
    }
    if (result == IDOK)
        m_ofn.lpstrFile = pathName;
    return result;
}

FileDialogHook AfxSetFileDialogHook(FileDialogHook hook)
{
    std::swap(g_fileDialogHook, hook);
    return hook;
}
