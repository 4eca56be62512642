#include "framework/ProfileStore.h"

#include "platform/DebugOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folder holding the settings, made if missing; false unless it is a real
// folder owned by the user running the program.
bool ownFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    struct stat info = {};
    const QByteArray native = QFile::encodeName(folder);
    return ::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == ::geteuid();
}

} // namespace

void CProfileStore::Load(const CString &path)
{
    m_values.clear();
    m_bModified = FALSE;
    struct stat info = {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &info) != 0)
        return;
    if (!S_ISREG(info.st_mode) || info.st_size > MAX_FILE_BYTES) {
        TRACE("Settings file %s ignored: not a regular file of at most %lld bytes\n",
              native.constData(), static_cast<long long>(MAX_FILE_BYTES));
        return;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        TRACE("Settings file %s ignored: it cannot be read as settings\n", native.constData());
        return;
    }
    for (const QString &key : file.allKeys())
        m_values.insert(key, file.value(key));
}

BOOL CProfileStore::Save(const CString &path)
{
    if (!m_bModified)
        return TRUE;
    const QByteArray native = QFile::encodeName(path);
    const QString folder = QFileInfo(path).absolutePath();
    if (!ownFolder(folder)) {
        TRACE("Settings not saved: %s is not a folder of this user\n",
              QFile::encodeName(folder).constData());
        return FALSE;
    }
    struct stat info = {};
    if (::lstat(native.constData(), &info) == 0 && !S_ISREG(info.st_mode)
        && !S_ISLNK(info.st_mode)) {
        TRACE("Settings not saved: %s is not a regular file\n", native.constData());
        return FALSE;
    }
    QTemporaryFile temporary(QDir(folder).filePath(QStringLiteral(".settings-XXXXXX")));
    if (!temporary.open()) {
        TRACE("Settings not saved: no new file can be made in %s\n",
              QFile::encodeName(folder).constData());
        return FALSE;
    }
    temporary.close();
    {
        QSettings file(temporary.fileName(), QSettings::IniFormat);
        for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
            file.setValue(it.key(), it.value());
        file.sync();
        if (file.status() != QSettings::NoError) {
            TRACE("Settings not saved: writing %s failed\n",
                  QFile::encodeName(temporary.fileName()).constData());
            return FALSE;
        }
    }
    // rename replaces the directory entry itself, so a link there is not followed.
    const QByteArray written = QFile::encodeName(temporary.fileName());
    if (std::rename(written.constData(), native.constData()) != 0) {
        TRACE("Settings not saved: %s cannot be replaced\n", native.constData());
        return FALSE;
    }
    temporary.setAutoRemove(false);
    m_bModified = FALSE;
    return TRUE;
}

void CProfileStore::SetValue(const CString &key, const QVariant &value)
{
    if (m_values.value(key) == value && m_values.contains(key))
        return;
    m_values.insert(key, value);
    m_bModified = TRUE;
}
