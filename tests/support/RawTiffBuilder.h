#pragma once

// Classic little-endian TIFF files built byte by byte, for files libtiff's writer
// would never produce: loops in the directory chain, absurd sizes, broken strip
// tables, odd field types.

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

struct RawField
{
    std::uint16_t tag;
    std::uint16_t type; // TIFF field type: 3 SHORT, 4 LONG, 5 RATIONAL, 10 SRATIONAL, 12 DOUBLE
    std::uint32_t count;
    std::string payload; // count values in the file's byte order; inline when 4 bytes or less
};

RawField shortField(std::uint16_t tag, std::uint16_t value);
RawField longField(std::uint16_t tag, std::uint32_t value);
RawField longArrayField(std::uint16_t tag, const std::vector<std::uint32_t> &values);
RawField rationalField(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator);
RawField signedRationalField(std::uint16_t tag, std::int32_t numerator, std::int32_t denominator);
RawField doubleField(std::uint16_t tag, double value);

class RawTiffBuilder
{
public:
    RawTiffBuilder(); // header only, first directory offset 0

    // Appends bytes (word-aligned) and returns their offset.
    std::uint32_t addData(const std::string &bytes);
    // Appends a directory (fields sorted by tag here) and returns its offset.
    std::uint32_t addDirectory(std::vector<RawField> fields, std::uint32_t next = 0);
    void setFirstDirectory(std::uint32_t offset);
    void setNextDirectory(std::uint32_t directory, std::uint32_t next);

    const std::string &bytes() const { return m_bytes; }

    // The fields of a one-strip bilevel page whose data is at dataOffset.
    static std::vector<RawField> bilevelPage(std::uint32_t width, std::uint32_t height,
                                             std::uint16_t compression, std::uint32_t dataOffset,
                                             std::uint32_t dataBytes);

private:
    void putLong(std::uint32_t at, std::uint32_t value);
    std::string m_bytes;
};

} // namespace fixtures
