#include "tests/support/RawTiffBuilder.h"

#include <algorithm>
#include <cstring>

namespace fixtures {

namespace {

template <typename T> std::string bytesOf(T value)
{
    std::string bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

} // namespace

RawField shortField(std::uint16_t tag, std::uint16_t value) { return {tag, 3, 1, bytesOf(value)}; }

RawField longField(std::uint16_t tag, std::uint32_t value) { return {tag, 4, 1, bytesOf(value)}; }

RawField longArrayField(std::uint16_t tag, const std::vector<std::uint32_t> &values)
{
    std::string payload;
    for (std::uint32_t value : values)
        payload += bytesOf(value);
    return {tag, 4, std::uint32_t(values.size()), payload};
}

RawField rationalField(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator)
{
    return {tag, 5, 1, bytesOf(numerator) + bytesOf(denominator)};
}

RawField signedRationalField(std::uint16_t tag, std::int32_t numerator, std::int32_t denominator)
{
    return {tag, 10, 1, bytesOf(numerator) + bytesOf(denominator)};
}

RawField doubleField(std::uint16_t tag, double value) { return {tag, 12, 1, bytesOf(value)}; }

RawTiffBuilder::RawTiffBuilder()
    : m_bytes("II*\0\0\0\0\0", 8)
{
}

std::uint32_t RawTiffBuilder::addData(const std::string &bytes)
{
    if (m_bytes.size() % 2)
        m_bytes += '\0';
    const auto offset = std::uint32_t(m_bytes.size());
    m_bytes += bytes;
    return offset;
}

std::uint32_t RawTiffBuilder::addDirectory(std::vector<RawField> fields, std::uint32_t next)
{
    std::stable_sort(fields.begin(), fields.end(),
                     [](const RawField &a, const RawField &b) { return a.tag < b.tag; });
    // Out-of-line values first, so the directory can point at them.
    std::vector<std::string> values;
    for (const RawField &field : fields) {
        if (field.payload.size() > 4)
            values.push_back(bytesOf(addData(field.payload)));
        else
            values.push_back(field.payload + std::string(4 - field.payload.size(), '\0'));
    }
    std::string directory = bytesOf(std::uint16_t(fields.size()));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        directory +=
            bytesOf(fields[i].tag) + bytesOf(fields[i].type) + bytesOf(fields[i].count) + values[i];
    }
    directory += bytesOf(next);
    return addData(directory);
}

void RawTiffBuilder::setFirstDirectory(std::uint32_t offset) { putLong(4, offset); }

void RawTiffBuilder::setNextDirectory(std::uint32_t directory, std::uint32_t next)
{
    std::uint16_t count = 0;
    std::memcpy(&count, m_bytes.data() + directory, 2);
    putLong(directory + 2 + 12u * count, next);
}

void RawTiffBuilder::putLong(std::uint32_t at, std::uint32_t value)
{
    std::memcpy(m_bytes.data() + at, &value, 4);
}

std::vector<RawField> RawTiffBuilder::bilevelPage(std::uint32_t width, std::uint32_t height,
                                                  std::uint16_t compression,
                                                  std::uint32_t dataOffset, std::uint32_t dataBytes)
{
    return {longField(256, width),        longField(257, height),     shortField(258, 1),
            shortField(259, compression), shortField(262, 0),         longField(273, dataOffset),
            shortField(277, 1),           longField(278, height),     longField(279, dataBytes),
            rationalField(282, 204, 1),   rationalField(283, 196, 1), shortField(296, 2)};
}

} // namespace fixtures
