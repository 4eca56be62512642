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
#include <fcntl.h>
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

// The first page's date, else the modification time in identity.
std::int64_t readReceivedTime(const QByteArray &path, const FileIdentity &identity)
{
    SourcePtr source(imgOpenFileSource(path.constData()));
    TiffFaxFacts facts;
    if (source && imgGetTiffFaxFacts(source.get(), 0, &facts)) {
        const QDateTime received = ParseFaxDateTime(facts.dateTime);
        if (received.isValid())
            return received.toMSecsSinceEpoch();
    }
    return identity.modifiedNanoseconds / 1000000;
}

FileIdentity identityOf(const struct stat &info)
{
    return {std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), std::int64_t(info.st_size),
            std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec};
}

std::int64_t receivedTime(const QByteArray &path, const FileIdentity &identity,
                          const CReceivedTimes *pTimes)
{
    std::int64_t received = 0;
    if (pTimes && pTimes->Find(path, identity, &received))
        return received;
    return readReceivedTime(path, identity);
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

bool CReceivedTimes::Find(const QByteArray &path, const FileIdentity &identity,
                          std::int64_t *pReceived) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const auto at = m_entries.constFind(path);
    if (at == m_entries.cend() || !(at->identity == identity))
        return false;
    *pReceived = at->received;
    return true;
}

void CReceivedTimes::Keep(const QByteArray &path, const Entry &entry)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_entries.insert(path, entry);
}

void CReceivedTimes::Replace(Entries entries)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_entries.swap(entries);
}

std::size_t CReceivedTimes::Size() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return std::size_t(m_entries.size());
}

std::vector<FolderFax> ListFaxFolder(const CString &folder, CReceivedTimes *pTimes,
                                     const std::atomic<bool> *pStop)
{
    // Listed as bytes: QDir would decode a name that is not UTF-8 into another.
    std::vector<FolderFax> faxes;
    CReceivedTimes::Entries listed;
    QByteArray where = PathBytes(folder);
    const std::unique_ptr<DIR, DirCloser> dir(opendir(where.constData()));
    if (!dir)
        return faxes;
    const CString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    if (!where.endsWith('/'))
        where += '/';
    while (const dirent *entry = readdir(dir.get())) {
        if (pStop && pStop->load(std::memory_order_relaxed))
            return faxes;
        const std::string_view name(entry->d_name);
        if (name.front() == '.'
            || (!endsWithNoCase(name, ".tif") && !endsWithNoCase(name, ".tiff")))
            continue;
        const QByteArray path = where + QByteArray(name.data(), qsizetype(name.size()));
        // Looked up in the folder already open, not along the whole path again.
        struct stat info;
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
            continue;
        const FileIdentity identity = identityOf(info);
        const std::int64_t received = receivedTime(path, identity, pTimes);
        if (pTimes)
            listed.insert(path, {identity, received});
        const CString shownName = PathFromBytes(name);
        faxes.push_back({prefix + shownName, shownName, received});
    }
    std::sort(faxes.begin(), faxes.end(), ComesBefore);
    if (pTimes)
        pTimes->Replace(std::move(listed));
    return faxes;
}

FolderFax FolderFaxOf(const CString &path, CReceivedTimes *pTimes)
{
    const QByteArray bytes = PathBytes(path);
    const FileIdentity identity = FileIdentityOf(path);
    const std::int64_t received = receivedTime(bytes, identity, pTimes);
    if (pTimes && identity.IsKnown())
        pTimes->Keep(bytes, {identity, received});
    return {path, QFileInfo(path).fileName(), received};
}

CFaxFolderCursor::CFaxFolderCursor()
    : m_receiver([this] { DeliverListing(); })
{
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_receiver,
                     [this] { ListInBackground(); });
}

CFaxFolderCursor::~CFaxFolderCursor()
{
    m_bStop = true;
    {
        std::lock_guard<std::mutex> lock(m_handOver);
        m_bQuit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CFaxFolderCursor::SetShown(const CString &path)
{
    if (path == m_cursor.path)
        return;
    m_cursor = FolderFaxOf(path, &m_times);
    const CString folder = QFileInfo(path).absolutePath();
    if (folder == m_strFolder && (m_bListed || IsListing()))
        return;
    if (folder != m_strFolder) {
        if (!m_strFolder.isEmpty())
            m_watcher.removePath(m_strFolder);
        m_strFolder = folder;
        m_watcher.addPath(m_strFolder);
        m_faxes.clear();
        m_bListed = false;
    }
    ListInBackground();
}

void CFaxFolderCursor::ListInBackground()
{
    ++m_nGeneration;
    m_bWanted = true;
    StartWorker();
}

void CFaxFolderCursor::StartWorker()
{
    // The listing in hand is of an older state: its result is dropped and this one
    // starts when it ends.
    if (m_bListing)
        return;
    m_bListing = true;
    m_bWanted = false;
    {
        std::lock_guard<std::mutex> lock(m_handOver);
        m_request = Request{m_nGeneration, m_strFolder};
    }
    if (!m_thread.joinable())
        m_thread = std::thread([this] { RunWorker(); });
    m_wake.notify_one();
}

void CFaxFolderCursor::RunWorker()
{
    for (;;) {
        Request request;
        {
            std::unique_lock<std::mutex> lock(m_handOver);
            m_wake.wait(lock, [this] { return m_bQuit || m_request; });
            if (m_bQuit)
                return;
            request = std::move(*m_request);
            m_request.reset();
        }
        std::vector<FolderFax> faxes = ListFaxFolder(request.folder, &m_times, &m_bStop);
        {
            std::lock_guard<std::mutex> lock(m_handOver);
            m_listing = Listing{request.generation, request.folder, std::move(faxes)};
        }
        m_receiver.Post();
    }
}

void CFaxFolderCursor::DeliverListing()
{
    std::optional<Listing> listing;
    {
        std::lock_guard<std::mutex> lock(m_handOver);
        listing.swap(m_listing);
    }
    if (listing)
        Deliver(listing->generation, listing->folder, std::move(listing->faxes));
}

void CFaxFolderCursor::Deliver(std::uint64_t generation, const CString &folder,
                               std::vector<FolderFax> faxes)
{
    m_bListing = false;
    if (generation == m_nGeneration && folder == m_strFolder) {
        m_faxes = std::move(faxes);
        m_bListed = true;
    } else if (m_bWanted) {
        StartWorker();
    }
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

bool CFaxFolderCursor::CanStep(bool next) const
{
    return !IsEmpty() && m_bListed && Neighbour(next) >= 0;
}

const FolderFax *CFaxFolderCursor::Step(bool next)
{
    if (IsEmpty())
        return nullptr;
    // A user's command sees the faxes that have just arrived; what the worker has in
    // hand is older than this.
    m_faxes = ListFaxFolder(m_strFolder, &m_times);
    m_bListed = true;
    ++m_nGeneration;
    m_bWanted = false;
    const std::ptrdiff_t index = Neighbour(next);
    if (index < 0)
        return nullptr;
    m_cursor = m_faxes[std::size_t(index)];
    return &m_cursor;
}
