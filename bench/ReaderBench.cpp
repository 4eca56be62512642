// A text-dense fine-mode G4 page read with imgReadTiffPage8, against the raw
// decode of the same page (TIFFReadEncodedStrip of every strip, nothing else).
// The reader's only added work is expanding bits to bytes: it should stay under
// three times the raw decode.

#include "imaging/imaging.h"
#include "platform/GlobalMemory.h"
#include "tools/fixtures/FixtureWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string &pagePath()
{
    static const std::string path = [] {
        char folder[] = "/tmp/pagelot-bench-XXXXXX";
        if (!::mkdtemp(folder))
            std::abort();
        std::string file = std::string(folder) + "/text-g4-fine.tif";
        fixtures::FaxPage page{fixtures::makeTextPage(1728, 2200, 11), 204.0, 196.0};
        fixtures::FaxTiffOptions options;
        options.compression = fixtures::Compression::G4;
        if (!fixtures::writeFaxTiff(file, {page}, options))
            std::abort();
        return file;
    }();
    return path;
}

void BM_ReadTiffPage8(benchmark::State &state)
{
    for (auto _ : state) {
        DataSource *source = imgOpenFileSource(pagePath().c_str());
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        BYTE *pixels = imgReadTiffPage8(source, &width, &height, 0);
        if (!pixels) {
            state.SkipWithError("imgReadTiffPage8 failed");
            break;
        }
        benchmark::DoNotOptimize(pixels[width * height - 1]);
        GlobalFree(pixels);
        imgCloseSource(source);
    }
}

void BM_RawStripDecode(benchmark::State &state)
{
    TIFF *tiff = TIFFOpen(pagePath().c_str(), "r");
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(TIFFStripSize(tiff)));
    const tstrip_t strips = TIFFNumberOfStrips(tiff);
    for (auto _ : state) {
        for (tstrip_t i = 0; i < strips; ++i) {
            if (TIFFReadEncodedStrip(tiff, i, strip.data(), tmsize_t(strip.size())) < 0)
                state.SkipWithError("strip decode failed");
        }
        benchmark::DoNotOptimize(strip.data());
    }
    TIFFClose(tiff);
}

BENCHMARK(BM_ReadTiffPage8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawStripDecode)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps each benchmark's time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            // With repetitions the median stands for the benchmark.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median
                || (run.run_type == Run::RT_Iteration && !times.count(run.run_name.function_name)))
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto reader = reporter.times.find("BM_ReadTiffPage8");
    const auto raw = reporter.times.find("BM_RawStripDecode");
    if (reader != reporter.times.end() && raw != reporter.times.end() && raw->second > 0) {
        std::printf("page %s: %ju bytes of G4\n", pagePath().c_str(),
                    std::uintmax_t(std::filesystem::file_size(pagePath())));
        std::printf("imgReadTiffPage8 %.3f ms, raw decode %.3f ms, ratio %.2f (limit 3)\n",
                    reader->second, raw->second, reader->second / raw->second);
    }
    std::filesystem::remove_all(std::filesystem::path(pagePath()).parent_path());
    benchmark::Shutdown();
    return 0;
}
