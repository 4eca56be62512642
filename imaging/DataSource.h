#pragma once

// Data sources: the record behind a source handle, the stack object the layer
// reads it through, and the client procedures libtiff reads it with.

#include "imaging/CallFrame.h"
#include "imaging/imaging.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <tiffio.h>

constexpr std::uint32_t SOURCE_HEAD_MAGIC = 0x03031996u;
constexpr std::uint32_t SOURCE_TAIL_MAGIC = 0x09241996u;
constexpr std::int32_t SOURCE_KIND_FILE = 1;
constexpr std::size_t SOURCE_NAME_CHARS = 260;

struct DataSource
{
    std::uint32_t headMagic;
    std::FILE *stream;
    std::int32_t kind;
    char name[SOURCE_NAME_CHARS]; // always zero-terminated: libtiff prints it
    std::uint32_t writable;
    std::uint32_t tailMagic;
};

// Built on the stack around a handle by each entry point; owns nothing. Its address
// is the client data libtiff hands back to the procedures below.
class SourceRef
{
public:
    explicit SourceRef(DataSource *source)
        : m_source(source)
    {
    }

    DataSource *source() const { return m_source; }

    int sourceIsValid() const;
    int sourceOpenFile(const char *path);
    std::size_t sourceRead(void *buffer, std::size_t n);
    int sourceReadExact(void *buffer, std::size_t n);
    int sourceWrite(const void *buffer, std::size_t n);
    int sourceSeek(std::int64_t offset, int origin);
    std::uint32_t sourceTell() const;
    bool sourceAtStart() const;
    std::uint64_t sourceSize() const;
    int sourceClose();
    // Reads up to n bytes at an absolute offset, leaving the stream where it was;
    // returns how many came (fewer at the end of the file, 0 on failure).
    std::size_t sourceReadAt(void *buffer, std::size_t n, std::uint64_t offset) const;

    // libtiff's first read through this reference is the header: it then finds its
    // first directory at `offset` (classic TIFF only), so that directory opens as
    // page 0 without a walk along the chain. 0 leaves the header as it is.
    void setFirstDirectory(std::uint32_t offset) { m_firstDirectory = offset; }
    void patchHeader(void *buffer, std::uint64_t n);

    // libtiff may read at most this many more bytes through tiffReadProc, so a
    // small hostile file cannot make it read (and allocate) without end.
    void setReadBudget(std::uint64_t bytes) { m_readBudget = bytes; }
    std::uint64_t readBudget() const { return m_readBudget; }

    // The value of libtiff's last read if it could be a directory's entry count (2
    // bytes, 8 in BigTIFF), in both byte orders; tiffReadProc refuses the entries
    // that follow when there are absurdly many.
    struct EntryCount
    {
        std::size_t bytes = 0;
        std::uint64_t littleEndian = 0;
        std::uint64_t bigEndian = 0;
    };
    EntryCount &lastEntryCount() { return m_lastEntryCount; }

private:
    DataSource *m_source;
    std::uint64_t m_readBudget = UINT64_MAX;
    EntryCount m_lastEntryCount;
    std::uint32_t m_firstDirectory = 0;
};

// The reads made through sources on the calling thread so far, by libtiff's read
// procedure and by sourceReadAt alike: how many, and how many bytes came. The work an
// entry point does on a hostile file is bounded by what it reads, which tests can
// check without timing it.
struct SourceReadTally
{
    std::uint64_t reads = 0;
    std::uint64_t bytes = 0;
};
SourceReadTally sourceReadTally();

tmsize_t tiffReadProc(thandle_t clientData, void *buffer, tmsize_t size);
tmsize_t tiffWriteProc(thandle_t clientData, void *buffer, tmsize_t size);
toff_t tiffSeekProc(thandle_t clientData, toff_t offset, int whence);
int tiffCloseProc(thandle_t clientData);
toff_t tiffSizeProc(thandle_t clientData);
int tiffMapProc(thandle_t clientData, void **base, toff_t *size);
void tiffUnmapProc(thandle_t clientData, void *base, toff_t size);

struct TiffCloser
{
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// libtiff on the source at its current position, or null when the data is not
// TIFF. Close with TIFFClose, which leaves the source open. A nonzero
// firstDirectory replaces the header's first directory offset (setFirstDirectory).
TIFF *openTiffOnSource(SourceRef &source, const char *mode, std::uint32_t firstDirectory = 0);

// The call frame of the entry points that take a handle: a null handle is
// IMG_ERR_BAD_PARAM, one that fails validation IMG_ERR_BAD_SOURCE; otherwise the
// work's status becomes the last error.
template <typename Result, typename Work> Result runFramedOnSource(DataSource *handle, Work &&work)
{
    if (!handle) {
        setLastError(IMG_ERR_BAD_PARAM);
        return Result{};
    }
    SourceRef source(handle);
    if (!source.sourceIsValid()) {
        setLastError(IMG_ERR_BAD_SOURCE);
        return Result{};
    }
    return runFramed<Result>([&](std::uint32_t &status) { return work(source, status); });
}
