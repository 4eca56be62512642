#include "document/FaxFolder.h"

#include "display/FileIdentity.h"
#include "framework/FilePath.h"
#include "imaging/imaging.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include <dirent.h>
#include <sys/stat.h>

namespace {

struct SourceCloser
{
    void operator()(DataSource *source) const { imgCloseSource(source); }
};
using SourcePtr = std::unique_ptr<DataSource, SourceCloser>;

// Two digits or four at text, as a number; -1 when any is not a digit.
int digitsAt(const char *text, int at, int count)
{
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::int64_t receivedTime(const CString &path)
{
    SourcePtr source(imgOpenFileSource(PathBytes(path).constData()));
    TiffFaxFacts facts;
    if (source && imgGetTiffFaxFacts(source.get(), 0, &facts)) {
        const QDateTime received = ParseFaxDateTime(facts.dateTime);
        if (received.isValid())
            return received.toMSecsSinceEpoch();
    }
    return FileIdentityOf(path).modifiedNanoseconds / 1000000;
}

FolderFax folderFaxOf(const CString &path, const CString &name)
{
    return {path, name, receivedTime(path)};
}

bool endsWithNoCase(std::string_view name, std::string_view suffix)
{
    if (name.size() <= suffix.size())
        return false;
    const std::string_view end = name.substr(name.size() - suffix.size());
    return std::equal(end.begin(), end.end(), suffix.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
    });
}

struct DirCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

} // namespace

QDateTime ParseFaxDateTime(const char *text)
{
    // "YYYY:MM:DD HH:MM:SS": 19 characters, then at most trailing blanks.
    if (!text || std::strlen(text) < 19)
        return {};
    const char dateMark = text[4];
    if ((dateMark != ':' && dateMark != '/') || text[7] != dateMark || text[10] != ' '
        || text[13] != ':' || text[16] != ':')
        return {};
    for (const char *rest = text + 19; *rest; ++rest) {
        if (*rest != ' ')
            return {};
    }
    const QDate date(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    const QTime time(digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2));
    if (!date.isValid() || !time.isValid() || date.year() < 1)
        return {};
    return QDateTime(date, time);
}

bool ComesBefore(const FolderFax &a, const FolderFax &b)
{
    if (a.received != b.received)
        return a.received < b.received;
    return a.name < b.name;
}

std::vector<FolderFax> ListFaxFolder(const CString &folder)
{
    // Listed as bytes: QDir would decode a name that is not UTF-8 into another.
    std::vector<FolderFax> faxes;
    const QByteArray where = PathBytes(folder);
    const std::unique_ptr<DIR, DirCloser> dir(opendir(where.constData()));
    if (!dir)
        return faxes;
    const CString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    while (const dirent *entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name.front() == '.'
            || (!endsWithNoCase(name, ".tif") && !endsWithNoCase(name, ".tiff")))
            continue;
        const CString path = prefix + PathFromBytes(name);
        struct stat info;
        if (::stat(PathBytes(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        faxes.push_back(folderFaxOf(path, PathFromBytes(name)));
    }
    std::sort(faxes.begin(), faxes.end(), ComesBefore);
    return faxes;
}

FolderFax FolderFaxOf(const CString &path) { return folderFaxOf(path, QFileInfo(path).fileName()); }

CFaxFolderCursor::CFaxFolderCursor()
{
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher,
                     [this] { m_bStale = true; });
}

void CFaxFolderCursor::SetShown(const CString &path)
{
    if (path == m_cursor.path)
        return;
    m_cursor = FolderFaxOf(path);
    const CString folder = QFileInfo(path).absolutePath();
    if (folder != m_strFolder) {
        if (!m_strFolder.isEmpty())
            m_watcher.removePath(m_strFolder);
        m_strFolder = folder;
        m_watcher.addPath(m_strFolder);
    }
    m_bStale = true;
}

void CFaxFolderCursor::List()
{
    m_faxes = ListFaxFolder(m_strFolder);
    m_bStale = false;
}

std::ptrdiff_t CFaxFolderCursor::Neighbour(bool next) const
{
    const auto at = std::find_if(m_faxes.begin(), m_faxes.end(), [this](const FolderFax &fax) {
        return fax.name == m_cursor.name;
    });
    std::ptrdiff_t index = -1;
    if (at != m_faxes.end()) {
        index = (at - m_faxes.begin()) + (next ? 1 : -1);
    } else if (next) {
        // Gone since: the steps go on from where it stood.
        index = std::upper_bound(m_faxes.begin(), m_faxes.end(), m_cursor, ComesBefore)
                - m_faxes.begin();
    } else {
        index = (std::lower_bound(m_faxes.begin(), m_faxes.end(), m_cursor, ComesBefore)
                 - m_faxes.begin())
                - 1;
    }
    return index >= 0 && index < std::ptrdiff_t(m_faxes.size()) ? index : -1;
}

bool CFaxFolderCursor::CanStep(bool next)
{
    if (IsEmpty())
        return false;
    if (m_bStale)
        List();
    return Neighbour(next) >= 0;
}

const FolderFax *CFaxFolderCursor::Step(bool next)
{
    if (IsEmpty())
        return nullptr;
    List();
    const std::ptrdiff_t index = Neighbour(next);
    if (index < 0)
        return nullptr;
    m_cursor = m_faxes[std::size_t(index)];
    return &m_cursor;
}
