#pragma once

#include "framework/Geometry.h"

#include <QDateTime>
#include <QFileSystemWatcher>

#include <cstdint>
#include <vector>

// The faxes of one folder, for stepping from one to the next as they were received.
// Safe on any thread: it reads the file system and the imaging layer only.

struct FolderFax
{
    CString path;
    CString name;
    // When it was received, in milliseconds since the epoch: its first page's DateTime
    // (local time, as fax software writes it), else the file's modification time.
    std::int64_t received = 0;
};

// Orders by reception, ties by file name.
bool ComesBefore(const FolderFax &a, const FolderFax &b);

// The files of folder whose name ends in .tif or .tiff (any case), in reception order.
// Reads one directory per file, never a page.
std::vector<FolderFax> ListFaxFolder(const CString &folder);

// The fax at path as ListFaxFolder would list it.
FolderFax FolderFaxOf(const CString &path);

// A TIFF DateTime, "YYYY:MM:DD HH:MM:SS" or the "YYYY/MM/DD HH:MM:SS" that some fax
// software writes; an invalid QDateTime for anything else, a date that does not exist
// included.
QDateTime ParseFaxDateTime(const char *text);

// Where the steps through a folder stand: at the fax shown, or past one that could not be
// opened. The folder is listed again for every step, so faxes that arrived since are
// found and removed ones skipped; between steps the last listing says whether there is
// a next or previous fax, listed again once the folder has changed.
class CFaxFolderCursor
{
public:
    CFaxFolderCursor();

    // The fax now shown; the steps go on from it.
    void SetShown(const CString &path);
    // Nothing to step from.
    bool IsEmpty() const { return m_cursor.path.isEmpty(); }
    bool CanStep(bool next);
    // Lists the folder again and moves to the fax after (before) the cursor; null at the
    // end. The cursor stands there afterwards, also when that fax cannot be opened.
    const FolderFax *Step(bool next);

private:
    void List();
    // The index of the neighbour in the listing, or -1.
    std::ptrdiff_t Neighbour(bool next) const;

    FolderFax m_cursor;
    CString m_strFolder;
    std::vector<FolderFax> m_faxes;
    bool m_bStale = true;
    QFileSystemWatcher m_watcher;
};
