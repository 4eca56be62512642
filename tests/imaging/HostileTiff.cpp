#include "tests/imaging/HostileTiff.h"

#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tiffio.h>

using namespace fixtures;

namespace {

const std::set<std::uint32_t> &readerCodes()
{
    static const std::set<std::uint32_t> codes{IMG_OK,
                                               IMG_ERR_NO_MEMORY,
                                               IMG_ERR_FILE_OPEN,
                                               IMG_ERR_FILE_READ,
                                               IMG_ERR_BAD_PARAM,
                                               IMG_ERR_BIT_DEPTH};
    return codes;
}

std::string describe(const SourceReadTally &work)
{
    return std::to_string(work.reads) + " reads of " + std::to_string(work.bytes) + " bytes";
}

} // namespace

bool isBoundedWork(const SourceReadTally &work, std::uint64_t fileBytes, std::uint32_t rows)
{
    // Each directory or strip table entry takes at least two bytes of the file, and a
    // page has at most a strip per row; libtiff may read at most 64 times the file, and
    // the chain walk reads each of at most 65536 directories once, 466 bytes at a time.
    const std::uint64_t reads = 1024 + fileBytes / 2 + rows;
    const std::uint64_t bytes = 64 * fileBytes + (std::uint64_t{33} << 20);
    return work.reads <= reads && work.bytes <= bytes;
}

std::pair<std::uint32_t, std::uint32_t> runAll(const std::string &path, std::int32_t page,
                                               const std::string &what)
{
    const std::size_t live = GlobalLiveBlockCount();
    const std::uint64_t fileBytes = std::filesystem::file_size(path);
    std::uint32_t code = 0;
    SourceReadTally work;
    pageCount(path, &code, &work);
    EXPECT_TRUE(code == IMG_OK || code == IMG_ERR_INVALID_TIFF) << what << " count " << code;
    EXPECT_TRUE(isBoundedWork(work, fileBytes, 0)) << what << " count: " << describe(work);
    InfoRead info = tiffInfo(path);
    EXPECT_TRUE(info.code == IMG_OK || info.code == IMG_ERR_INVALID_TIFF) << what;
    PageRead bytes = readPage8(path, page);
    PageRead bits = readPage1(path, page);
    for (const PageRead *read : {&bytes, &bits}) {
        EXPECT_TRUE(readerCodes().count(read->code)) << what << " code " << read->code;
        EXPECT_EQ(read->returnedBlock, read->code == IMG_OK) << what;
        EXPECT_TRUE(isBoundedWork(read->work, fileBytes, read->height))
            << what << ": " << describe(read->work);
    }
    if (bytes.code == IMG_OK) {
        EXPECT_EQ(bytes.pixels.size(), std::size_t(bytes.width) * bytes.height) << what;
        EXPECT_EQ(bits.pixels.size(), std::size_t((bits.width + 7) / 8) * bits.height) << what;
    }
    EXPECT_EQ(GlobalLiveBlockCount(), live) << what;
    EXPECT_EQ(bytes.code, bits.code) << what;
    return {bytes.code, bits.code};
}

std::string writeRaw(const TempDir &dir, const std::string &name, const RawTiffBuilder &raw)
{
    return dir.write(name, raw.bytes());
}

RawTiffBuilder onePage(const std::string &data,
                       const std::function<void(std::vector<RawField> &, std::uint32_t)> &edit)
{
    RawTiffBuilder raw;
    const std::uint32_t offset = raw.addData(data);
    std::vector<RawField> fields =
        RawTiffBuilder::bilevelPage(16, 4, COMPRESSION_NONE, offset, std::uint32_t(data.size()));
    edit(fields, offset);
    raw.setFirstDirectory(raw.addDirectory(fields));
    return raw;
}

void replaceField(std::vector<RawField> &fields, const RawField &field)
{
    for (RawField &existing : fields) {
        if (existing.tag == field.tag) {
            existing = field;
            return;
        }
    }
    fields.push_back(field);
}

void removeField(std::vector<RawField> &fields, std::uint16_t tag)
{
    std::erase_if(fields, [tag](const RawField &field) { return field.tag == tag; });
}

RawTiffBuilder longChain(std::uint32_t pages,
                         const std::function<std::uint32_t(std::uint32_t)> &widthOf)
{
    RawTiffBuilder raw;
    const std::uint32_t data = raw.addData(std::string(12, '\x55'));
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < pages; ++i) {
        const std::uint32_t directory = raw.addDirectory(
            RawTiffBuilder::bilevelPage(widthOf(i), 4, COMPRESSION_NONE, data, 12));
        if (i == 0)
            raw.setFirstDirectory(directory);
        else
            raw.setNextDirectory(previous, directory);
        previous = directory;
    }
    return raw;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string noise(std::size_t bytes, std::uint32_t seed)
{
    std::string data(bytes, '\0');
    for (char &c : data) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return data;
}
