// What hostile files cost the TIFF entry points, where the tests only bound the reads:
// the page count and page reads of a 70,000-page chain (past what the count reports
// and the layer remembers), and a page whose directory holds thousands of junk tags,
// which libtiff would re-sort its field table for one by one.

#include "imaging/TiffDirectories.h"
#include "imaging/imaging.h"
#include "platform/GlobalMemory.h"
#include "tools/fixtures/LongFax.h"
#include "tools/fixtures/TempDir.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t CHAIN_PAGES = 70000;

class BenchFiles
{
public:
    BenchFiles()
    {
        using namespace fixtures;
        std::fprintf(stderr, "writing %u pages\n", CHAIN_PAGES);
        m_chain = m_dir.file("chain.tif");
        if (!writeLongFax(m_chain, CHAIN_PAGES, {FaxPage{BilevelImage(1728, 64), 204, 196}}))
            std::abort();
        m_junk = m_dir.file("junk.tif");
        writeJunkTagPage(m_junk, 4000);
    }

    const std::string &chain() const { return m_chain; }
    const std::string &junk() const { return m_junk; }

private:
    // A 16 x 4 uncompressed page whose directory has `junk` private tags after its own.
    static void writeJunkTagPage(const std::string &path, std::uint16_t junk)
    {
        std::vector<std::uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
        const auto put = [&bytes](std::uint32_t value, int size) {
            for (int i = 0; i < size; ++i)
                bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        };
        const std::uint32_t entries = 9u + junk;
        const std::uint32_t data = 8 + 2 + 12 * entries + 4;
        const auto entry = [&put](std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
            put(tag, 2);
            put(type, 2);
            put(1, 4);
            put(value, 4);
        };
        constexpr std::uint16_t SHORT = 3;
        constexpr std::uint16_t LONG = 4;
        put(entries, 2);
        entry(256, SHORT, 16);
        entry(257, SHORT, 4);
        entry(258, SHORT, 1);
        entry(259, SHORT, 1);
        entry(262, SHORT, 0);
        entry(273, LONG, data);
        entry(277, SHORT, 1);
        entry(278, SHORT, 4);
        entry(279, LONG, 8);
        for (std::uint16_t i = 0; i < junk; ++i)
            entry(static_cast<std::uint16_t>(40000 + i), SHORT, 1);
        put(0, 4);
        put(0x0f0f0f0f, 4);
        put(0x0f0f0f0f, 4);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    }

    TempDir m_dir;
    std::string m_chain;
    std::string m_junk;
};

const BenchFiles &files()
{
    static const BenchFiles instance;
    return instance;
}

// Reads a page on a fresh source and frees it; false when the read failed with
// another code than `expected`.
bool readPage(const std::string &path, std::int32_t page, std::uint32_t expected = IMG_OK)
{
    DataSource *source = imgOpenFileSource(path.c_str());
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    BYTE *bits = imgReadTiffPage1(source, &width, &height, page);
    const bool answered = imgGetLastError() == expected;
    GlobalFree(bits);
    imgCloseSource(source);
    return answered;
}

// The count with nothing remembered: one walk along all 70,000 directories.
void BM_LongChainCount(benchmark::State &state)
{
    for (auto _ : state) {
        forgetDirectoryChains();
        DataSource *source = imgOpenFileSource(files().chain().c_str());
        benchmark::DoNotOptimize(imgTiffPageCount(source));
        imgCloseSource(source);
    }
}

// A page the count remembered: as direct as page 2.
void BM_LongChainRememberedPage(benchmark::State &state)
{
    const auto page = static_cast<std::int32_t>(state.range(0));
    forgetDirectoryChains();
    if (!readPage(files().chain(), 1))
        state.SkipWithError("page 2 not read");
    for (auto _ : state) {
        if (!readPage(files().chain(), page)) {
            state.SkipWithError("page not read");
            break;
        }
    }
}

// Page 65,537, past the remembered directories: libtiff walks there itself.
void BM_LongChainPagePastMemory(benchmark::State &state)
{
    for (auto _ : state) {
        if (!readPage(files().chain(), 65536)) {
            state.SkipWithError("page 65537 not read");
            break;
        }
    }
}

// A directory of 4,000 junk tags is refused before libtiff reads its entries.
void BM_JunkTagDirectory(benchmark::State &state)
{
    for (auto _ : state) {
        if (!readPage(files().junk(), 0, IMG_ERR_FILE_OPEN)) {
            state.SkipWithError("the junk directory was not refused");
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_LongChainCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongChainRememberedPage)->Arg(1)->Arg(65000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LongChainPagePastMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JunkTagDirectory)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
