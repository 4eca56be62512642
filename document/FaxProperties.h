#pragma once

#include "framework/Geometry.h"
#include "imaging/imaging.h"

#include <cstdint>
#include <memory>
#include <vector>

// What a fax file says about itself, for the Fax Properties dialog: the sender, when it
// came, the receiving station and every page's size, resolution, coding and line
// quality. Every text comes from an untrusted file and is made safe to show here:
// printable characters only, each field at most MAX_FIELD_CHARS long, no markup.
struct FaxPropertyLine
{
    CString label;
    CString value; // lines separated by '\n'
};

struct FaxProperties
{
    std::vector<FaxPropertyLine> lines;
    std::vector<TiffPageFacts> pages;
};

constexpr int MAX_FIELD_CHARS = 300;

// Pages whose facts are read at once: a chunk costs about a millisecond, so neither a
// scrolled list nor the reading on idle holds the window up.
constexpr std::uint32_t FAX_PAGE_CHUNK = 32;

// Every page's numbers, read a chunk at a time from the path: the chunk holding a page
// asked for, or the next one not yet read. The summary over all pages (time on line,
// damaged pages) is known once every chunk is read.
class FaxPageFacts
{
public:
    FaxPageFacts(CString path, std::uint32_t count);

    std::uint32_t Count() const { return std::uint32_t(m_pages.size()); }
    // The page's numbers, reading its chunk first where needed; null when the file no
    // longer gives that page.
    const TiffPageFacts *Page(std::uint32_t index);
    // Reads the next chunk not yet read; false once every page is read.
    bool ReadMore();
    bool Complete() const { return m_chunksRead == chunkCount(); }
    std::uint32_t PagesRead() const;
    // "Time on line" and "Damaged pages", where the pages give them; empty until complete.
    std::vector<FaxPropertyLine> SummaryLines() const;

private:
    std::uint32_t chunkCount() const { return (Count() + FAX_PAGE_CHUNK - 1) / FAX_PAGE_CHUNK; }
    void readChunk(std::uint32_t chunk);

    CString m_path;
    std::vector<TiffPageFacts> m_pages;
    std::vector<bool> m_chunkRead;
    std::vector<bool> m_readable; // per page
    std::uint32_t m_nextChunk = 0;
    std::uint32_t m_chunksRead = 0;
};

// What is shown at once: the first page's facts, both dates, the File lines, the page
// count, and the pages themselves to be read as they are wanted.
struct FaxFacts
{
    std::vector<FaxPropertyLine> lines;
    std::size_t summaryAt = 0; // where the pages' summary lines belong among lines
    std::unique_ptr<FaxPageFacts> pages;
};

// Reads the first and the last page's tags, the page count (no directory but those two
// read in full, no page decoded) and the file's size and time. A file that cannot be
// read as TIFF still gives its File line, and no pages.
FaxFacts ReadFaxFacts(const CString &path);

// Everything at once, every page read.
FaxProperties ReadFaxProperties(const CString &path);

// "Page 3: 1728 x 2200 pixels, 204 x 196 dpi, CCITT Group 4, 12 damaged lines (at most
// 3 in a row)".
CString PageDescription(std::int32_t index, const TiffPageFacts &page);

// Text of a tag as it may be shown: UTF-8 where it is (else replacement characters),
// control characters dropped, blanks at the ends trimmed, cut to MAX_FIELD_CHARS.
CString PrintableText(const char *text);
