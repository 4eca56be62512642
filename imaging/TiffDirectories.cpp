#include "imaging/TiffDirectories.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unordered_set>
#include <vector>

namespace {

// Classic TIFF directory entries are 12 bytes.
constexpr std::uint64_t ENTRY_BYTES = 12;

struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;
    std::uint32_t firstDirectory = 0;
    bool bigEndian = false;

    bool operator==(const FileIdentity &) const = default;
};

struct Directory
{
    std::uint32_t offset;
    std::uint32_t link;
    std::uint16_t entries;
};

struct Chain
{
    FileIdentity identity;
    std::vector<Directory> directories;
};

// The file behind the source as it is now; false for anything but classic TIFF
// read from its start, which is all the memory serves.
bool identityOf(const SourceRef &source, FileIdentity &identity)
{
    if (!source.sourceAtStart())
        return false;
    struct stat info;
    if (::fstat(::fileno(source.source()->stream), &info) != 0)
        return false;
    std::uint8_t header[8];
    if (source.sourceReadAt(header, sizeof header, 0) != sizeof header)
        return false;
    if (header[0] == 'I' && header[1] == 'I' && header[2] == 42 && header[3] == 0) {
        identity.bigEndian = false;
        identity.firstDirectory = std::uint32_t(header[4]) | std::uint32_t(header[5]) << 8
                                  | std::uint32_t(header[6]) << 16 | std::uint32_t(header[7]) << 24;
    } else if (header[0] == 'M' && header[1] == 'M' && header[2] == 0 && header[3] == 42) {
        identity.bigEndian = true;
        identity.firstDirectory = std::uint32_t(header[7]) | std::uint32_t(header[6]) << 8
                                  | std::uint32_t(header[5]) << 16 | std::uint32_t(header[4]) << 24;
    } else {
        return false;
    }
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.size = info.st_size;
    identity.modifiedSeconds = info.st_mtim.tv_sec;
    identity.modifiedNanoseconds = info.st_mtim.tv_nsec;
    identity.changedSeconds = info.st_ctim.tv_sec;
    identity.changedNanoseconds = info.st_ctim.tv_nsec;
    return true;
}

// A fax page's directory has a few dozen entries at most: one read of this many
// bytes usually holds its count, entries and link.
constexpr std::size_t DIRECTORY_READ_BYTES = 2 + 40 * ENTRY_BYTES + 4;

std::uint32_t numberAt(const std::uint8_t *raw, std::size_t bytes, bool bigEndian)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value |= std::uint32_t(raw[bigEndian ? bytes - 1 - i : i]) << (8 * i);
    return value;
}

// The entry count and link of the directory at offset, as libtiff's walk reads them.
bool readDirectory(const SourceRef &source, std::uint32_t offset, bool bigEndian,
                   Directory &directory)
{
    std::uint8_t raw[DIRECTORY_READ_BYTES];
    const std::size_t got = source.sourceReadAt(raw, sizeof raw, offset);
    if (got < 2)
        return false;
    const std::uint32_t entries = numberAt(raw, 2, bigEndian);
    const std::uint64_t linkAt = 2 + entries * ENTRY_BYTES;
    std::uint32_t link = 0;
    if (linkAt + 4 <= got) {
        link = numberAt(raw + linkAt, 4, bigEndian);
    } else {
        std::uint8_t linkBytes[4];
        if (source.sourceReadAt(linkBytes, 4, offset + linkAt) != 4)
            return false;
        link = numberAt(linkBytes, 4, bigEndian);
    }
    directory = Directory{offset, link, static_cast<std::uint16_t>(entries)};
    return true;
}

// Along the links as libtiff's TIFFNumberOfDirectories goes, reading only each
// directory's entry count and link. One directory past the page limit is walked
// so a longer chain can be told from one that ends there.
std::vector<Directory> walkChain(const SourceRef &source, const FileIdentity &identity)
{
    std::vector<Directory> directories;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t offset = identity.firstDirectory;
    while (offset != 0 && directories.size() < MAX_REMEMBERED_DIRECTORIES) {
        if (!seen.insert(offset).second)
            break;
        Directory directory{};
        if (!readDirectory(source, offset, identity.bigEndian, directory))
            break;
        directories.push_back(directory);
        offset = directory.link;
    }
    return directories;
}

class ChainMemory
{
public:
    std::shared_ptr<const Chain> find(const FileIdentity &identity)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = std::find_if(m_chains.begin(), m_chains.end(),
                               [&](const auto &chain) { return chain->identity == identity; });
        if (it == m_chains.end())
            return nullptr;
        std::rotate(m_chains.begin(), it, it + 1);
        return m_chains.front();
    }

    void remember(std::shared_ptr<const Chain> chain)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        dropLocked(chain->identity);
        // Whatever was known of another state of the same file is stale now.
        std::erase_if(m_chains, [&](const auto &known) {
            return known->identity.device == chain->identity.device
                   && known->identity.inode == chain->identity.inode;
        });
        m_chains.insert(m_chains.begin(), std::move(chain));
        if (m_chains.size() > MAX_REMEMBERED_FILES)
            m_chains.resize(MAX_REMEMBERED_FILES);
    }

    void forget(const FileIdentity &identity)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        dropLocked(identity);
    }

    void forgetAll()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_chains.clear();
    }

    std::size_t directoryCount()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        std::size_t count = 0;
        for (const auto &chain : m_chains)
            count += chain->directories.size();
        return count;
    }

private:
    void dropLocked(const FileIdentity &identity)
    {
        std::erase_if(m_chains, [&](const auto &chain) { return chain->identity == identity; });
    }

    std::mutex m_lock;
    std::vector<std::shared_ptr<const Chain>> m_chains;
};

ChainMemory &memory()
{
    static ChainMemory instance;
    return instance;
}

ChainCount countOf(const Chain &chain)
{
    const auto walked = static_cast<std::uint32_t>(chain.directories.size());
    return ChainCount{std::min(walked, MAX_PAGE_COUNT), walked > MAX_PAGE_COUNT};
}

// Walks the chain of a file libtiff has just opened (so its header and first
// directory are sound) and remembers it.
std::shared_ptr<const Chain> rememberChain(const SourceRef &source, const FileIdentity &identity)
{
    auto chain = std::make_shared<Chain>();
    chain->identity = identity;
    chain->directories = walkChain(source, identity);
    chain->directories.shrink_to_fit();
    memory().remember(chain);
    return chain;
}

// The remembered directory of the page, still where it was with the same count and
// link; false when the file has no memory, the page is past it, or it moved.
bool rememberedDirectory(SourceRef &source, std::int32_t page, std::uint32_t &offset)
{
    FileIdentity identity;
    if (!identityOf(source, identity))
        return false;
    std::shared_ptr<const Chain> chain = memory().find(identity);
    if (!chain) {
        TiffPtr tiff(openTiffOnSource(source, "r"));
        if (!tiff)
            return false;
        chain = rememberChain(source, identity);
    }
    if (std::uint64_t(page) >= chain->directories.size())
        return false;
    const Directory &known = chain->directories[static_cast<std::size_t>(page)];
    Directory now{};
    if (!readDirectory(source, known.offset, identity.bigEndian, now) || now.link != known.link
        || now.entries != known.entries) {
        memory().forget(identity);
        return false;
    }
    offset = known.offset;
    return true;
}

// Leaves the stream where libtiff's own count leaves it, just past the last link of the
// chain, also when the count came from memory: an entry point that follows without a
// rewind must find no header there, whether or not the file was remembered.
ChainCount countLeavingStreamAfterChain(SourceRef &source, const Chain &chain)
{
    if (!chain.directories.empty()) {
        const Directory &last = chain.directories.back();
        const std::uint64_t end = std::uint64_t(last.offset) + 2 + last.entries * ENTRY_BYTES + 4;
        source.sourceSeek(static_cast<std::int64_t>(end), SEEK_SET);
    }
    return countOf(chain);
}

} // namespace

ChainCount chainPageCount(SourceRef &source, std::uint32_t &status)
{
    FileIdentity identity;
    const bool classic = identityOf(source, identity);
    if (classic) {
        if (std::shared_ptr<const Chain> chain = memory().find(identity))
            return countLeavingStreamAfterChain(source, *chain);
    }
    TiffPtr tiff(openTiffOnSource(source, "r"));
    if (!tiff) {
        status = IMG_ERR_INVALID_TIFF;
        return {};
    }
    if (!classic) {
        const tdir_t directories = TIFFNumberOfDirectories(tiff.get());
        return ChainCount{std::min<std::uint32_t>(directories, MAX_PAGE_COUNT),
                          directories > MAX_PAGE_COUNT};
    }
    return countLeavingStreamAfterChain(source, *rememberChain(source, identity));
}

TIFF *openTiffAtPage(SourceRef &source, std::int32_t page, std::uint32_t &status)
{
    if (page > 0 && source.sourceAtStart()) {
        std::uint32_t offset = 0;
        const bool remembered = rememberedDirectory(source, page, offset);
        // A walk that filled the memory has moved the stream; libtiff reads the
        // header where the stream is.
        source.sourceSeek(0, SEEK_SET);
        if (remembered) {
            TIFF *tiff = openTiffOnSource(source, "r", offset);
            if (!tiff)
                status = IMG_ERR_BAD_PARAM;
            return tiff;
        }
    }
    TiffPtr tiff(openTiffOnSource(source, "r"));
    if (!tiff) {
        status = IMG_ERR_FILE_OPEN;
        return nullptr;
    }
    // The first directory is current once open.
    if (page > 0 && !TIFFSetDirectory(tiff.get(), static_cast<tdir_t>(page))) {
        status = IMG_ERR_BAD_PARAM;
        return nullptr;
    }
    return tiff.release();
}

std::size_t rememberedDirectoryCount() { return memory().directoryCount(); }

void forgetDirectoryChains() { memory().forgetAll(); }

TIFF *openTagsAtPage(SourceRef &source, std::int32_t page, std::uint32_t &status)
{
    if (page < 0) {
        status = IMG_ERR_BAD_PARAM;
        return nullptr;
    }
    TIFF *tiff = openTiffAtPage(source, page, status);
    if (!tiff && status == IMG_ERR_FILE_OPEN)
        status = IMG_ERR_INVALID_TIFF;
    return tiff;
}
