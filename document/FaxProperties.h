#pragma once

#include "framework/Geometry.h"
#include "imaging/imaging.h"

#include <cstdint>
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

// Reads the first page's tags, the numbers of every page (one walk through the
// directories, no page decoded) and the file's size and time. A file that cannot be
// read as TIFF still gives its File line.
FaxProperties ReadFaxProperties(const CString &path);

// "Page 3: 1728 x 2200 pixels, 204 x 196 dpi, CCITT Group 4, 12 damaged lines (at most
// 3 in a row)".
CString PageDescription(std::int32_t index, const TiffPageFacts &page);

// Text of a tag as it may be shown: UTF-8 where it is (else replacement characters),
// control characters dropped, blanks at the ends trimmed, cut to MAX_FIELD_CHARS.
CString PrintableText(const char *text);
