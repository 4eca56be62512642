#include "imaging/DataSource.h"

#include "imaging/TiffDiagnostics.h"

#include "platform/GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The most libtiff may take in one allocation for a page's tags, strip tables and
// compressed strip; pages themselves are decoded into buffers of our own. A page
// of the largest size we read (2^28 pixels) is 32 MiB uncompressed, while libtiff
// pads a short strip table to the strip count a tiny file declares: this keeps
// such a file to tens of megabytes per call instead of half a gigabyte.
constexpr tmsize_t TIFF_MAX_SINGLE_ALLOC = tmsize_t{64} * 1024 * 1024;

// Directory walks and strip reads go over the file a few times at most; anything
// beyond this multiple of its size is a loop in the file.
constexpr std::uint64_t READ_BUDGET_FACTOR = 64;
constexpr std::uint64_t READ_BUDGET_FLOOR = std::uint64_t{1024} * 1024;

// libtiff re-sorts its whole field table for every unknown tag of a directory, so
// a directory of thousands of junk tags costs quadratic time on every open. No
// fax page has more than a few dozen tags.
constexpr std::uint64_t MAX_DIRECTORY_ENTRIES = 512;

thread_local SourceReadTally threadReads;

void tallyRead(std::size_t bytes)
{
    ++threadReads.reads;
    threadReads.bytes += bytes;
}

// libtiff reads a directory as its entry count followed at once by all entries
// (12 bytes each, 20 in BigTIFF).
bool isOversizedDirectory(const SourceRef::EntryCount &count, std::uint64_t size)
{
    const std::uint64_t entryBytes = count.bytes == 2 ? 12 : count.bytes == 8 ? 20 : 0;
    if (entryBytes == 0)
        return false;
    for (std::uint64_t entries : {count.littleEndian, count.bigEndian}) {
        if (entries > MAX_DIRECTORY_ENTRIES && size % entryBytes == 0
            && size / entryBytes == entries)
            return true;
    }
    return false;
}

void noteEntryCount(SourceRef::EntryCount &count, const void *buffer, std::uint64_t size)
{
    count = SourceRef::EntryCount{};
    if (size != 2 && size != 8)
        return;
    const auto *bytes = static_cast<const std::uint8_t *>(buffer);
    count.bytes = static_cast<std::size_t>(size);
    for (std::size_t i = 0; i < count.bytes; ++i) {
        count.littleEndian |= std::uint64_t(bytes[i]) << (8 * i);
        count.bigEndian = (count.bigEndian << 8) | bytes[i];
    }
}

SourceRef *refOf(thandle_t clientData) { return static_cast<SourceRef *>(clientData); }

} // namespace

int SourceRef::sourceIsValid() const
{
    if (!m_source)
        return 0;
    if (GlobalSize(m_source) < sizeof(DataSource))
        return 0;
    if (m_source->kind != SOURCE_KIND_FILE)
        return 0;
    if (m_source->headMagic != SOURCE_HEAD_MAGIC || m_source->tailMagic != SOURCE_TAIL_MAGIC)
        return 0;
    return m_source->stream != nullptr;
}

int SourceRef::sourceOpenFile(const char *path)
{
    if (!m_source || !path || !*path)
        return 0;

    // Only regular files: a directory opens fine on Linux and a FIFO would block, so
    // open without blocking and look at what we got before using it as a stream.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return 0;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_source->stream = ::fdopen(fd, "rb");
    if (!m_source->stream) {
        ::close(fd);
        return 0;
    }

    m_source->kind = SOURCE_KIND_FILE;
    m_source->writable = 0;
    std::size_t length = std::min(std::strlen(path), SOURCE_NAME_CHARS - 1);
    std::memcpy(m_source->name, path, length);
    m_source->name[length] = '\0';
    m_source->headMagic = SOURCE_HEAD_MAGIC;
    m_source->tailMagic = SOURCE_TAIL_MAGIC;
    return 1;
}

std::size_t SourceRef::sourceRead(void *buffer, std::size_t n)
{
    if (!m_source->stream)
        return 0;
    const std::size_t got = std::fread(buffer, 1, n, m_source->stream);
    tallyRead(got);
    return got;
}

int SourceRef::sourceReadExact(void *buffer, std::size_t n)
{
    return sourceRead(buffer, n) == n ? 1 : 0;
}

int SourceRef::sourceWrite(const void *, std::size_t) { return 0; }

int SourceRef::sourceSeek(std::int64_t offset, int origin)
{
    if (!m_source->stream)
        return 0;
    return ::fseeko(m_source->stream, static_cast<off_t>(offset), origin) == 0 ? 1 : 0;
}

std::uint32_t SourceRef::sourceTell() const
{
    if (!m_source->stream)
        return 0;
    off_t position = ::ftello(m_source->stream);
    return static_cast<std::uint32_t>(position < 0 ? 0 : position);
}

bool SourceRef::sourceAtStart() const
{
    return m_source->stream && ::ftello(m_source->stream) == 0;
}

std::uint64_t SourceRef::sourceSize() const
{
    struct stat info;
    if (!m_source->stream || ::fstat(::fileno(m_source->stream), &info) != 0 || info.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::size_t SourceRef::sourceReadAt(void *buffer, std::size_t n, std::uint64_t offset) const
{
    if (!m_source->stream || offset > std::uint64_t(std::numeric_limits<off_t>::max()))
        return 0;
    const ssize_t got = ::pread(::fileno(m_source->stream), buffer, n, static_cast<off_t>(offset));
    const std::size_t delivered = got > 0 ? static_cast<std::size_t>(got) : 0;
    tallyRead(delivered);
    return delivered;
}

SourceReadTally sourceReadTally() { return threadReads; }

void SourceRef::patchHeader(void *buffer, std::uint64_t n)
{
    const std::uint32_t offset = m_firstDirectory;
    if (offset == 0)
        return;
    m_firstDirectory = 0;
    auto *bytes = static_cast<std::uint8_t *>(buffer);
    if (n < 8)
        return;
    if (bytes[0] == 'I' && bytes[1] == 'I' && bytes[2] == 42 && bytes[3] == 0) {
        for (int i = 0; i < 4; ++i)
            bytes[4 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    } else if (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && bytes[3] == 42) {
        for (int i = 0; i < 4; ++i)
            bytes[7 - i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
}

int SourceRef::sourceClose()
{
    int closed = 0;
    if (m_source->stream)
        closed = std::fclose(m_source->stream) == 0 ? 1 : 0;
    m_source->stream = nullptr;
    return closed;
}

tmsize_t tiffReadProc(thandle_t clientData, void *buffer, tmsize_t size)
{
    SourceRef *source = refOf(clientData);
    if (size <= 0)
        return 0;
    auto n = static_cast<std::uint64_t>(size);
    if (n > source->readBudget())
        return 0;
    if (isOversizedDirectory(source->lastEntryCount(), n)) {
        source->lastEntryCount() = SourceRef::EntryCount{};
        return 0;
    }
    source->setReadBudget(source->readBudget() - n);
    if (!source->sourceReadExact(buffer, static_cast<std::size_t>(n)))
        return 0;
    source->patchHeader(buffer, n);
    noteEntryCount(source->lastEntryCount(), buffer, n);
    return size;
}

tmsize_t tiffWriteProc(thandle_t clientData, void *buffer, tmsize_t size)
{
    if (size < 0)
        return 0;
    return refOf(clientData)->sourceWrite(buffer, static_cast<std::size_t>(size)) ? size : 0;
}

toff_t tiffSeekProc(thandle_t clientData, toff_t offset, int whence)
{
    int origin = whence == SEEK_CUR ? 1 : whence == SEEK_END ? 2 : 0;
    SourceRef *source = refOf(clientData);
    if (!source->sourceSeek(static_cast<std::int64_t>(offset), origin))
        return 0;
    return source->sourceTell();
}

int tiffCloseProc(thandle_t) { return 1; }

toff_t tiffSizeProc(thandle_t clientData) { return refOf(clientData)->sourceSize(); }

int tiffMapProc(thandle_t, void **, toff_t *) { return 0; }

void tiffUnmapProc(thandle_t, void *, toff_t) {}

TIFF *openTiffOnSource(SourceRef &source, const char *mode, std::uint32_t firstDirectory)
{
    installTiffDiagnostics();
    std::uint64_t size = source.sourceSize();
    std::uint64_t budget = size > (UINT64_MAX - READ_BUDGET_FLOOR) / READ_BUDGET_FACTOR
                               ? UINT64_MAX
                               : size * READ_BUDGET_FACTOR + READ_BUDGET_FLOOR;
    source.setReadBudget(budget);

    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, TIFF_MAX_SINGLE_ALLOC);
    source.setFirstDirectory(firstDirectory);
    TIFF *tiff = TIFFClientOpenExt(source.source()->name, mode, &source, tiffReadProc,
                                   tiffWriteProc, tiffSeekProc, tiffCloseProc, tiffSizeProc,
                                   tiffMapProc, tiffUnmapProc, options);
    TIFFOpenOptionsFree(options);
    source.setFirstDirectory(0);
    return tiff;
}

DataSource *imgOpenFileSource(const char *path)
{
    auto *record = static_cast<DataSource *>(GlobalAlloc(GPTR, sizeof(DataSource)));
    if (!record) {
        setLastError(IMG_ERR_NO_MEMORY);
        return nullptr;
    }
    SourceRef source(record);
    if (!source.sourceOpenFile(path)) {
        GlobalFree(record);
        setLastError(IMG_ERR_FILE_OPEN);
        return nullptr;
    }
    return record;
}

std::int32_t imgSeekSource(DataSource *handle, std::int32_t offset, std::int32_t origin)
{
    if (!handle) {
        setLastError(IMG_ERR_BAD_PARAM);
        return 0;
    }
    return SourceRef(handle).sourceSeek(offset, origin);
}

std::uint32_t imgCloseSource(DataSource *handle)
{
    if (!handle) {
        setLastError(IMG_ERR_BAD_PARAM);
        return 0;
    }
    SourceRef source(handle);
    std::uint32_t position = source.sourceTell();
    source.sourceClose();
    GlobalFree(handle);
    return position;
}
