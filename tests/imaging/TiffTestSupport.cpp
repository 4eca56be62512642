#include "tests/imaging/TiffTestSupport.h"

#include "platform/GlobalMemory.h"

namespace {

SourceReadTally since(const SourceReadTally &start)
{
    const SourceReadTally now = sourceReadTally();
    return SourceReadTally{now.reads - start.reads, now.bytes - start.bytes};
}

PageRead readPage(const std::string &path, std::int32_t page, bool bits)
{
    PageRead read;
    DataSource *source = imgOpenFileSource(path.c_str());
    if (!source) {
        read.code = imgGetLastError();
        return read;
    }
    const SourceReadTally start = sourceReadTally();
    BYTE *block = bits ? imgReadTiffPage1(source, &read.width, &read.height, page)
                       : imgReadTiffPage8(source, &read.width, &read.height, page);
    read.work = since(start);
    read.code = imgGetLastError();
    if (block) {
        read.returnedBlock = true;
        read.pixels.assign(block, block + GlobalSize(block));
        GlobalFree(block);
    }
    imgCloseSource(source);
    return read;
}

} // namespace

PageRead readPage8(const std::string &path, std::int32_t page)
{
    return readPage(path, page, false);
}

PageRead readPage1(const std::string &path, std::int32_t page)
{
    return readPage(path, page, true);
}

std::uint32_t pageCount(const std::string &path, std::uint32_t *code, SourceReadTally *work)
{
    DataSource *source = imgOpenFileSource(path.c_str());
    if (!source) {
        if (code)
            *code = imgGetLastError();
        return 0;
    }
    const SourceReadTally start = sourceReadTally();
    std::uint32_t count = imgTiffPageCount(source);
    if (work)
        *work = since(start);
    if (code)
        *code = imgGetLastError();
    imgCloseSource(source);
    return count;
}

InfoRead tiffInfo(const std::string &path)
{
    InfoRead info;
    DataSource *source = imgOpenFileSource(path.c_str());
    if (!source) {
        info.code = imgGetLastError();
        return info;
    }
    info.result =
        imgGetTiffInfo(source, &info.width, &info.height, &info.bitsPerPixel, &info.resolution);
    info.code = imgGetLastError();
    imgCloseSource(source);
    return info;
}

std::vector<std::uint8_t> expectedBytes(const fixtures::BilevelImage &image)
{
    return image.toBytes();
}

long firstDifferentRow(const std::vector<std::uint8_t> &bits, const fixtures::BilevelImage &image)
{
    const std::size_t rowBytes = image.rowBytes();
    if (bits.size() != rowBytes * image.height)
        return 0;
    const std::size_t whole = image.width / 8;
    const std::uint8_t tailMask = std::uint8_t(0xff00 >> (image.width % 8));
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const std::uint8_t *got = bits.data() + y * rowBytes;
        const std::uint8_t *want = image.rows.data() + y * rowBytes;
        for (std::size_t i = 0; i < whole; ++i) {
            if (got[i] != want[i])
                return long(y);
        }
        if (image.width % 8 && ((got[whole] ^ want[whole]) & tailMask))
            return long(y);
    }
    return -1;
}

bool sameBitsWithinWidth(const std::vector<std::uint8_t> &bits, const fixtures::BilevelImage &image)
{
    return firstDifferentRow(bits, image) < 0;
}
