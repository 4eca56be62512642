#pragma once

// Helpers of the hostile-file tests: every entry point run over one file with its
// answers checked, and raw files built field by field.

#include "tests/imaging/TiffTestSupport.h"
#include "tests/support/RawTiffBuilder.h"
#include "tools/fixtures/TempDir.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Whether one entry point's reads stay within what a sound reader needs for a file of
// fileBytes bytes and a page of `rows` rows (0 for the count): no more reads than the
// file has directory and strip table entries, or the page rows, and no more bytes than
// the read budget and one walk along the directory chain. A loop in the file, or a
// walk started again for every page, goes far past it.
bool isBoundedWork(const SourceReadTally &work, std::uint64_t fileBytes, std::uint32_t rows);

// Runs page count, page information and both readers over the file, expecting
// codes of their tables, bounded work, matching results and no leaked block.
// Returns the byte and bit readers' codes for `page`.
std::pair<std::uint32_t, std::uint32_t> runAll(const std::string &path, std::int32_t page,
                                               const std::string &what);

std::string writeRaw(const TempDir &dir, const std::string &name,
                     const fixtures::RawTiffBuilder &raw);
// A one-page file of 16 x 4 pixels with `data` as its strip, its fields edited.
fixtures::RawTiffBuilder
onePage(const std::string &data,
        const std::function<void(std::vector<fixtures::RawField> &, std::uint32_t)> &edit);
void replaceField(std::vector<fixtures::RawField> &fields, const fixtures::RawField &field);
void removeField(std::vector<fixtures::RawField> &fields, std::uint16_t tag);
std::string readFile(const std::string &path);
// A chain of `pages` uncompressed pages 4 rows high, page i widthOf(i) pixels wide.
fixtures::RawTiffBuilder longChain(std::uint32_t pages,
                                   const std::function<std::uint32_t(std::uint32_t)> &widthOf);
std::string noise(std::size_t bytes, std::uint32_t seed);
