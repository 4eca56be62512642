#pragma once

// The imaging layer: flat entry points over data sources, the TIFF page reader,
// bitmap building, rotation and drawing. Every entry point returns its result
// (null or 0 on failure) and leaves a code as the calling thread's last error;
// read it with imgGetLastError straight after the call.

#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

// Error codes (texts in ImagingErrorText).
constexpr std::uint32_t IMG_OK = 0;
constexpr std::uint32_t IMG_ERR_NO_MEMORY = 1;
constexpr std::uint32_t IMG_ERR_FILE_OPEN = 2;
constexpr std::uint32_t IMG_ERR_FILE_READ = 3;
constexpr std::uint32_t IMG_ERR_BAD_PARAM = 5;
constexpr std::uint32_t IMG_ERR_RESOURCE_NOT_FOUND = 13;
constexpr std::uint32_t IMG_ERR_INVALID_TIFF = 20;
constexpr std::uint32_t IMG_ERR_DEVICE_UNSUPPORTED = 26;
constexpr std::uint32_t IMG_ERR_BIT_DEPTH = 28;
constexpr std::uint32_t IMG_ERR_BAD_SOURCE = 38;

// No global block above this size is ever asked for (2 GiB less 135170 bytes).
constexpr std::uint64_t IMG_MAX_BLOCK_BYTES = 2147348478u;

// Turn codes for imgRotateBuffer.
constexpr std::int32_t IMG_ROT_CW90 = 0;
constexpr std::int32_t IMG_ROT_180 = 1;
constexpr std::int32_t IMG_ROT_CCW90 = 2;

struct DataSource;

struct TiffResolution
{
    std::int32_t xResolution;
    std::int32_t yResolution;
    std::int32_t unit; // TIFF ResolutionUnit: 1 none, 2 inch, 3 centimetre; 0 when absent
};

// The calling thread's last error; 0 for a thread that never called the layer.
std::uint32_t imgGetLastError();

// Opens a file read-only as a data source. Null on failure with last error 1 (no
// memory) or 2 (empty path, missing or unreadable file, not a regular file); on
// success the last error is left as it was. Close with imgCloseSource.
DataSource *imgOpenFileSource(const char *path);

// Moves the source's position (origin 0 start, 1 current, 2 end). 1 when moved.
// Sets the last error only for a null handle (5).
std::int32_t imgSeekSource(DataSource *source, std::int32_t offset, std::int32_t origin);

// Closes the source and frees its block; returns the position at closing. Sets the
// last error only for a null handle (5, result 0).
std::uint32_t imgCloseSource(DataSource *source);

// Number of pages (directories), saturating at 65535; 0 with 20 when the data is
// not TIFF, 5 for a null handle, 38 for an invalid one. The TIFF entry points read
// from the source's current position: rewind with imgSeekSource between them.
//
// Random page access: the count walks the directory chain once per file state and
// the layer remembers each directory's offset in a small per-process memory (a few
// files, under 4 MiB, lock-guarded, any thread), keyed by the file's device, inode,
// size, modification and change times and first directory offset, and dropped on any
// mismatch. The readers then open page N as directly as page 1, from a source at
// the start of the file; they walk and remember the chain themselves when the
// count has not. A remembered offset is checked against the file before use and
// the directory is read with every check of a cold open.
std::uint32_t imgTiffPageCount(DataSource *source);

// 1 when the file has more pages than the count reports (more than 65535), else 0;
// codes as imgTiffPageCount.
std::int32_t imgTiffHasPagesPastCount(DataSource *source);

// Size, bits per pixel and resolution of the first page. 1 on success; 0 with 20
// when the data is not TIFF (resolution then zeros). resolution may be null.
std::int32_t imgGetTiffInfo(DataSource *source, std::uint32_t *width, std::uint32_t *height,
                            std::int32_t *bitsPerPixel, TiffResolution *resolution);

// Resolution of one page (0-based): fax machines switch resolution between pages.
// 1 on success, fields left at zeros where the page gives none; 0 with 20 when the
// data is not TIFF, 5 for a null record or no such page (record then zeros).
std::int32_t imgGetTiffPageResolution(DataSource *source, std::int32_t page,
                                      TiffResolution *resolution);

// What the receiving software wrote into a fax page, as the file holds it. Numbers are
// -1 where the page does not give them; the damaged-line counts exist on CCITT pages
// only. Text fields are the tag's bytes cut to IMG_FAX_TEXT_BYTES - 1 and zero-terminated,
// empty when absent; they are untrusted: the caller makes them printable to show them.
constexpr std::size_t IMG_FAX_TEXT_BYTES = 512;

struct TiffPageFacts
{
    std::uint32_t width;
    std::uint32_t height;
    TiffResolution resolution;
    std::uint32_t compression; // TIFF Compression, 1 when absent
    std::int64_t recvTime;     // FaxRecvTime, seconds on line
    std::int64_t badLines;     // BadFaxLines
    std::int64_t consecutiveBadLines;
    std::int32_t cleanData; // CleanFaxData: 0 clean, 1 regenerated, 2 unclean
};

struct TiffFaxFacts
{
    TiffPageFacts page;
    char description[IMG_FAX_TEXT_BYTES];
    char dateTime[IMG_FAX_TEXT_BYTES];
    char make[IMG_FAX_TEXT_BYTES];
    char model[IMG_FAX_TEXT_BYTES];
    char hostComputer[IMG_FAX_TEXT_BYTES];
    char software[IMG_FAX_TEXT_BYTES];
    char subAddress[IMG_FAX_TEXT_BYTES]; // FaxSubAddress
};

// Fills facts from the tags of one page (0-based), reading only its directory: no
// strip is decoded. 1 on success; 0 with 20 when the data is not TIFF, 5 for a null
// record or no such page (record then as for a page without tags).
std::int32_t imgGetTiffFaxFacts(DataSource *source, std::int32_t page, TiffFaxFacts *facts);

// The numbers of up to count pages from page first on, into the caller's array, walking
// the directories once with one handle. The number of pages filled: fewer where the
// file ends or a directory cannot be read (the rest of the array untouched); 0 with 20
// when the data is not TIFF, 5 for a null array or no page first.
std::uint32_t imgGetTiffPageFacts(DataSource *source, std::int32_t first, std::uint32_t count,
                                  TiffPageFacts *pages);

// The readers below keep one strip buffer per thread from one read to the next.
//
// Reads a bilevel page as width x height bytes, 1 where black. Caller frees the
// block with GlobalFree. Null with 1 (too large / no memory), 2 (not TIFF), 3 (strip
// unreadable, LZW), 5 (no such page), 28 (not bilevel strips).
BYTE *imgReadTiffPage8(DataSource *source, std::uint32_t *width, std::uint32_t *height,
                       std::int32_t page);

// Reads a bilevel page as packed rows of (width + 7) / 8 bytes, leftmost pixel in
// the high bit, 1 = black. Ownership and codes as imgReadTiffPage8.
BYTE *imgReadTiffPage1(DataSource *source, std::uint32_t *width, std::uint32_t *height,
                       std::int32_t page);

// Page memory handed in, so a viewer turning pages keeps its blocks instead of asking
// the heap for new ones each time. block is a global block of the caller's, or null.
// When GlobalSize(block) is at least what the page needs, the page is read into it and
// block is returned; otherwise the result is a new block as without it, and block is
// untouched. Either way the caller keeps owning block and frees it itself (never free
// it twice when it is the result). After a failure (null) its bytes are unspecified.
BYTE *imgReadTiffPage8Into(DataSource *source, std::uint32_t *width, std::uint32_t *height,
                           std::int32_t page, BYTE *block);
BYTE *imgReadTiffPage1Into(DataSource *source, std::uint32_t *width, std::uint32_t *height,
                           std::int32_t page, BYTE *block);

// Packs a one-byte-per-pixel buffer into an 8-bit bottom-up DIB with the given
// 256-entry colour table. Caller frees with GlobalFree. Null with 5 (no pixels) or
// 1 (block above IMG_MAX_BLOCK_BYTES or no memory).
BITMAPINFOHEADER *imgMakeDib8(const BYTE *pixels, std::uint32_t width, std::uint32_t height,
                              const RGBQUAD *colourTable);

// Copies packed bilevel rows into a 1-bit bottom-up DIB with the given 2-entry
// colour table. Ownership and codes as imgMakeDib8.
BITMAPINFOHEADER *imgMakeDib1(const BYTE *bits, std::uint32_t width, std::uint32_t height,
                              const RGBQUAD *colourTable);

// As imgMakeDib8 and imgMakeDib1, built in the caller's block when it is large enough
// (zeroed first, so the bitmap's bytes are those of a new block), with the ownership
// rules of imgReadTiffPage8Into.
BITMAPINFOHEADER *imgMakeDib8Into(const BYTE *pixels, std::uint32_t width, std::uint32_t height,
                                  const RGBQUAD *colourTable, BITMAPINFOHEADER *block);
BITMAPINFOHEADER *imgMakeDib1Into(const BYTE *bits, std::uint32_t width, std::uint32_t height,
                                  const RGBQUAD *colourTable, BITMAPINFOHEADER *block);

// Turns the buffer in place by IMG_ROT_CW90, IMG_ROT_180 or IMG_ROT_CCW90; after a
// quarter turn the caller swaps its width and height. 1 on success; 0 with 5 (null
// buffer, unknown code) or 1 (empty or oversized image, no memory), buffer untouched.
std::int32_t imgRotateBuffer(BYTE *pixels, std::uint32_t width, std::uint32_t height,
                             std::int32_t rotation, std::uint32_t bytesPerPixel);

// Draws the whole packed DIB stretched into the rectangle. 1 when the device drew
// every row. 0 with 5 (null DIB or device context; a DIB other than uncompressed,
// bottom-up 1, 8 or 24 bits; table or rows past the end of its global block) or 26
// (device cannot stretch DIBs). Built in library imaging_draw, which links the framework.
std::int32_t imgDrawDib(HDC deviceContext, const BITMAPINFOHEADER *dib, std::int32_t x,
                        std::int32_t y, std::int32_t destWidth, std::int32_t destHeight);
