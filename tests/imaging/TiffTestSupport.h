#pragma once

// Calls of the TIFF entry points on a file path, each on a fresh source, with the
// result copied out of its global block so tests compare plain vectors.

#include "imaging/DataSource.h"
#include "imaging/imaging.h"
#include "tools/fixtures/FixtureWriter.h"

#include <cstdint>
#include <string>
#include <vector>

struct PageRead
{
    std::uint32_t code = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool returnedBlock = false;
    std::vector<std::uint8_t> pixels;
    SourceReadTally work; // what the call read
};

struct InfoRead
{
    std::int32_t result = 0;
    std::uint32_t code = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    TiffResolution resolution{-1, -1, -1};
};

PageRead readPage8(const std::string &path, std::int32_t page);
PageRead readPage1(const std::string &path, std::int32_t page);
// Page count and its code; what the call read in `work` when given.
std::uint32_t pageCount(const std::string &path, std::uint32_t *code = nullptr,
                        SourceReadTally *work = nullptr);
InfoRead tiffInfo(const std::string &path);

// The image a correct reader gives: byte page (0/1 per pixel) and bit page.
std::vector<std::uint8_t> expectedBytes(const fixtures::BilevelImage &image);
// Bit rows compared within the width only: bits past it are whatever was decoded.
bool sameBitsWithinWidth(const std::vector<std::uint8_t> &bits,
                         const fixtures::BilevelImage &image);
// First differing row of a bit page against an image, or -1.
long firstDifferentRow(const std::vector<std::uint8_t> &bits, const fixtures::BilevelImage &image);
