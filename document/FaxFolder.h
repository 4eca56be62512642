#pragma once

#include "display/FileIdentity.h"
#include "display/PostedCall.h"
#include "framework/Geometry.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QHash>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
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

// What each listed file's reception time was, by its path bytes and identity, so that a
// folder listed again reads the tags only of the files that are new or changed since.
// Holds the files of the last listing only. Safe on any thread.
class CReceivedTimes
{
public:
    struct Entry
    {
        FileIdentity identity;
        std::int64_t received = 0;
    };
    using Entries = QHash<QByteArray, Entry>;

    // The time kept for the file at path in the state identity; false when not kept.
    bool Find(const QByteArray &path, const FileIdentity &identity, std::int64_t *pReceived) const;
    void Keep(const QByteArray &path, const Entry &entry);
    // Keeps these files' times and forgets every other.
    void Replace(Entries entries);
    std::size_t Size() const;

private:
    mutable std::mutex m_lock;
    Entries m_entries;
};

// The files of folder whose name ends in .tif or .tiff (any case), in reception order.
// Reads one directory per file, never a page; with pTimes, only the directories of files
// not in it as they are now, and pTimes then holds this listing's files. Gives up, with
// what it has, once *pStop is set.
std::vector<FolderFax> ListFaxFolder(const CString &folder, CReceivedTimes *pTimes = nullptr,
                                     const std::atomic<bool> *pStop = nullptr);

// The fax at path as ListFaxFolder would list it.
FolderFax FolderFaxOf(const CString &path, CReceivedTimes *pTimes = nullptr);

// A TIFF DateTime, "YYYY:MM:DD HH:MM:SS" or the "YYYY/MM/DD HH:MM:SS" that some fax
// software writes; an invalid QDateTime for anything else, a date that does not exist
// included.
QDateTime ParseFaxDateTime(const char *text);

// Where the steps through a folder stand: at the fax shown, or past one that could not be
// opened. The folder is listed again for every step, so faxes that arrived since are
// found and removed ones skipped. Whether there is a next or previous fax comes from the
// last listing, made again on a worker thread when another folder is shown or the folder
// changes, so the user-interface thread never waits for a folder to be listed at idle.
// Listings remember the reception times they read, so one of an unchanged folder opens
// no file. User-interface thread only.
class CFaxFolderCursor
{
public:
    CFaxFolderCursor();
    // Waits for the listing in hand.
    ~CFaxFolderCursor();
    CFaxFolderCursor(const CFaxFolderCursor &) = delete;
    CFaxFolderCursor &operator=(const CFaxFolderCursor &) = delete;

    // The fax now shown; the steps go on from it. A fax of another folder lists that
    // folder in the background.
    void SetShown(const CString &path);
    // Nothing to step from.
    bool IsEmpty() const { return m_cursor.path.isEmpty(); }
    // From the last listing of the folder shown; false until there is one.
    bool CanStep(bool next) const;
    // Lists the folder again and moves to the fax after (before) the cursor; null at the
    // end. The cursor stands there afterwards, also when that fax cannot be opened.
    const FolderFax *Step(bool next);
    // A listing is asked for or in hand on the worker.
    bool IsListing() const { return m_bWanted || m_bListing; }

private:
    // Lists the folder again on the worker; the result replaces the listing when nothing
    // newer has come since.
    void ListInBackground();
    void StartWorker();
    void RunWorker();
    // Takes the listing the worker left, on the user-interface thread.
    void DeliverListing();
    void Deliver(std::uint64_t generation, const CString &folder, std::vector<FolderFax> faxes);
    // The index of the neighbour in the listing, or -1.
    std::ptrdiff_t Neighbour(bool next) const;

    FolderFax m_cursor;
    CString m_strFolder;
    // The last listing, of m_strFolder only.
    std::vector<FolderFax> m_faxes;
    bool m_bListed = false;
    // The newest state of the folder known to the cursor: a result of an older one is
    // dropped.
    std::uint64_t m_nGeneration = 0;
    bool m_bWanted = false;
    bool m_bListing = false;
    // Shared with the worker, which ends before they do: the times under their own lock.
    CReceivedTimes m_times;
    std::atomic<bool> m_bStop = false;
    QFileSystemWatcher m_watcher;

    // What the threads hand each other, under m_handOver, which every tool that follows
    // the program's own locks (ThreadSanitizer among them) sees: the listing asked for,
    // and the listing done.
    struct Request
    {
        std::uint64_t generation = 0;
        CString folder;
    };
    struct Listing
    {
        std::uint64_t generation = 0;
        CString folder;
        std::vector<FolderFax> faxes;
    };
    std::mutex m_handOver;
    std::condition_variable m_wake;
    std::optional<Request> m_request;
    std::optional<Listing> m_listing;
    bool m_bQuit = false;
    CPostedCall m_receiver;
    // One listing at a time, on a thread started by the first.
    std::thread m_thread;
};
