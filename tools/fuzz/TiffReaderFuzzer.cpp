// libFuzzer target: every TIFF entry point over one input file, as the viewer
// would call them (page count, page information, then both readers per page).

#include "imaging/imaging.h"
#include "platform/GlobalMemory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string inputPath()
{
    static std::string path = [] {
        char pattern[] = "/tmp/pagelot-fuzz-XXXXXX";
        int fd = ::mkstemp(pattern);
        if (fd < 0)
            std::abort();
        ::close(fd);
        return std::string(pattern);
    }();
    return path;
}

bool writeInput(const std::uint8_t *data, std::size_t size)
{
    std::FILE *file = std::fopen(inputPath().c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void readPage(DataSource *source, std::int32_t page, bool bits)
{
    imgSeekSource(source, 0, 0);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    BYTE *pixels = bits ? imgReadTiffPage1(source, &width, &height, page)
                        : imgReadTiffPage8(source, &width, &height, page);
    if (!pixels)
        return;
    // Touch the first and last byte so a short block shows up under ASan.
    std::size_t bytes = bits ? std::size_t((width + 7) / 8) * height : std::size_t(width) * height;
    if (bytes == 0 || GlobalSize(pixels) != bytes)
        std::abort();
    volatile BYTE sink = pixels[0] ^ pixels[bytes - 1];
    (void)sink;
    GlobalFree(pixels);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!writeInput(data, size))
        return 0;
    DataSource *source = imgOpenFileSource(inputPath().c_str());
    if (!source)
        return 0;
    std::uint32_t pages = imgTiffPageCount(source);
    imgSeekSource(source, 0, 0);
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t bits = 0;
    TiffResolution resolution;
    imgGetTiffInfo(source, &width, &height, &bits, &resolution);
    // The first pages, the last one and one past it: the viewer reads one page per
    // call, so more pages per input would only slow the search down.
    for (std::uint32_t page : {0u, 1u, pages > 2 ? pages - 1 : 2u, pages > 2 ? pages : 3u}) {
        readPage(source, std::int32_t(page), false);
        readPage(source, std::int32_t(page), true);
    }
    imgCloseSource(source);
    if (GlobalLiveBlockCount() != 0)
        std::abort();
    return 0;
}
