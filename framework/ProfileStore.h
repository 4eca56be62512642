#pragma once

#include "framework/Geometry.h"
#include "platform/WinTypes.h"

#include <QMap>
#include <QVariant>

// The settings held in memory: read from one file once, written back once, and
// only as the user's own regular file. The file is untrusted: a path that is not a
// regular file (a FIFO would block start-up, a device never ends) is not read, and
// one that is not a regular file or a symbolic link is never written through.
class CProfileStore
{
public:
    // Files beyond this are not settings this program wrote.
    static constexpr qint64 MAX_FILE_BYTES = 1 << 20;

    // Replaces what is held by the file's entries ("group/key"); keeps nothing when
    // the file is missing, not a regular file, too large or malformed.
    void Load(const CString &path);
    // Writes what is held when it changed since Load: to a new file in the same
    // folder that then replaces the path (a symbolic link there is replaced, not
    // followed). FALSE, with a debug trace, when the folder is not the user's own,
    // the path is something else, or writing fails.
    BOOL Save(const CString &path);

    QVariant Value(const CString &key) const { return m_values.value(key); }
    void SetValue(const CString &key, const QVariant &value);
    BOOL IsModified() const { return m_bModified; }

private:
    QMap<CString, QVariant> m_values;
    BOOL m_bModified = FALSE;
};
