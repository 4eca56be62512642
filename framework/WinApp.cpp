#include "framework/WinApp.h"

#include "framework/AfxRes.h"
#include "framework/ResourceModule.h"
#include "platform/DebugOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CWinApp *g_pApp = nullptr;
CString g_strProfileFile;

// Files beyond this are not settings this program wrote.
constexpr qint64 MAX_PROFILE_BYTES = 1 << 20;

// The settings file is untrusted: only a regular file of a sensible size is read (a FIFO
// would block start-up, a device never ends). Anything unreadable gives no settings.
QMap<CString, QVariant> loadProfile(const CString &path)
{
    QMap<CString, QVariant> values;
    struct stat info = {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &info) != 0)
        return values;
    if (!S_ISREG(info.st_mode) || info.st_size > MAX_PROFILE_BYTES) {
        TRACE("Settings file %s ignored: not a regular file of at most %lld bytes\n",
              native.constData(), static_cast<long long>(MAX_PROFILE_BYTES));
        return values;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        TRACE("Settings file %s ignored: it cannot be read as settings\n", native.constData());
        return values;
    }
    for (const QString &key : file.allKeys())
        values.insert(key, file.value(key));
    return values;
}

// The folder holding the settings, made if missing; false unless it is a real folder
// owned by the user running the program.
bool ownFolder(const QString &folder)
{
    struct stat info = {};
    const QByteArray native = QFile::encodeName(folder);
    return QDir().mkpath(folder) && ::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == ::geteuid();
}

// Written to a new file in the same folder that then replaces the path: rename replaces
// the directory entry itself, so a link there is not followed.
bool saveProfile(const CString &path, const QMap<CString, QVariant> &values)
{
    const QByteArray native = QFile::encodeName(path);
    const QString folder = QFileInfo(path).absolutePath();
    struct stat info = {};
    const char *failure = nullptr;
    QTemporaryFile temporary(QDir(folder).filePath(QStringLiteral(".settings-XXXXXX")));
    if (!ownFolder(folder))
        failure = "the folder is not this user's";
    else if (::lstat(native.constData(), &info) == 0 && !S_ISREG(info.st_mode)
             && !S_ISLNK(info.st_mode))
        failure = "it is not a regular file";
    else if (!temporary.open())
        failure = "no new file can be made beside it";
    if (!failure) {
        temporary.close();
        QSettings file(temporary.fileName(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            file.setValue(it.key(), it.value());
        file.sync();
        if (file.status() != QSettings::NoError)
            failure = "writing failed";
    }
    const QByteArray written = QFile::encodeName(temporary.fileName());
    if (!failure && std::rename(written.constData(), native.constData()) != 0)
        failure = "it cannot be replaced";
    if (failure) {
        TRACE("Settings not saved to %s: %s\n", native.constData(), failure);
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

} // namespace

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

CString CWinApp::GetAppName() const { return AfxLoadString(AFX_IDS_APP_TITLE); }

int CWinApp::ExitInstance()
{
    SaveProfile();
    return 0;
}

// Found without QSettings, which would read the file (and block on a FIFO) to say so.
CString CWinApp::GetProfilePath() const
{
    if (!g_strProfileFile.isEmpty())
        return g_strProfileFile;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(m_strRegistryKey + QLatin1Char('/') + GetAppName()
                                 + QStringLiteral(".conf"));
}

QMap<CString, QVariant> &CWinApp::Profile()
{
    if (!m_bProfileLoaded)
        m_profile = loadProfile(GetProfilePath());
    m_bProfileLoaded = true;
    return m_profile;
}

QVariant CWinApp::GetProfileValue(const CString &section, const CString &entry)
{
    return Profile().value(section + QLatin1Char('/') + entry);
}

void CWinApp::WriteProfileValue(const CString &section, const CString &entry, const QVariant &value)
{
    const CString key = section + QLatin1Char('/') + entry;
    if (Profile().contains(key) && m_profile.value(key) == value)
        return;
    m_profile.insert(key, value);
    m_bProfileModified = true;
}

UINT CWinApp::GetProfileInt(const CString &section, const CString &entry, int nDefault)
{
    bool ok = false;
    const int nValue = GetProfileValue(section, entry).toInt(&ok);
    return static_cast<UINT>(ok ? nValue : nDefault);
}

BOOL CWinApp::WriteProfileInt(const CString &section, const CString &entry, int nValue)
{
    WriteProfileValue(section, entry, nValue);
    return TRUE;
}

BOOL CWinApp::SaveProfile()
{
    if (!m_bProfileModified)
        return TRUE;
    m_bProfileModified = !saveProfile(GetProfilePath(), m_profile);
    return m_bProfileModified ? FALSE : TRUE;
}

void CWinApp::SetProfileFileForTesting(const CString &iniPath) { g_strProfileFile = iniPath; }

CWinApp *AfxGetApp() { return g_pApp; }

CFrameWnd *AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

CString AfxGetAppName() { return AfxLoadString(AFX_IDS_APP_TITLE); }
