#pragma once

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"

#include <functional>

class QFileDialog;
class QWidget;

constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

// The toolkit's dialog names a file by its own decoding of the name's bytes, which loses
// those that are not UTF-8. Where chosen names no file, the file whose name decodes so
// is found in the folder and its path returned with every byte kept; chosen otherwise.
CString ChosenFilePath(const CString &chosen);

// The file-open dialog. The filter is the framework's form, "Name (*.a;*.b)|*.a;*.b|...|",
// turned into Qt name filters.
class CFileDialog
{
public:
    struct OpenFileName
    {
        DWORD Flags = 0;
        CString lpstrTitle;
        CString lpstrFilter;
        CString lpstrFile;
        // The folder the dialog starts in; empty: the toolkit's choice.
        CString lpstrInitialDir;
    };

    explicit CFileDialog(BOOL bOpenFileDialog, const CString &defExt = {},
                         const CString &fileName = {}, DWORD dwFlags = OFN_HIDEREADONLY,
                         const CString &filter = {}, QWidget *pParentWnd = nullptr);

    // IDOK when the user chose a file, else IDCANCEL.
    INT_PTR DoModal();
    // Gives a Qt dialog what DoModal shows: title, mode, filters, folder and file.
    void SetUpDialog(QFileDialog &dialog) const;
    CString GetPathName() const { return m_ofn.lpstrFile; }

    // "TIFF Files (*.tif)|*.tif;*.tiff||" -> {"TIFF Files (*.tif) (*.[tT][iI][fF] ...)"}:
    // the patterns in any letter case, as faxes come as .tif, .TIF and .Tiff alike, after
    // the name as written, which the dialog shows alone (details hidden).
    static QStringList QtNameFilters(const CString &filter);

    // Public as in the framework: callers set the title here before DoModal.
    OpenFileName m_ofn;

private:
    QWidget *m_pParentWnd;
};

// Replaces the modal dialog: receives the dialog (title, flags, filter in m_ofn), returns
// IDOK or IDCANCEL and, for IDOK, stores the chosen path in *pPathName. An empty hook
// restores the real dialog. Returns the previous hook.
using FileDialogHook = std::function<INT_PTR(const CFileDialog &dialog, CString *pPathName)>;
FileDialogHook AfxSetFileDialogHook(FileDialogHook hook);
