// The file manager's thumbnail of a fax, in process: page 1 of a fine text page at
// the sizes file managers ask for, and page 1 of a 65,535-page fax against a one-page
// one (only page 1 is read, so they should cost the same). The process against the
// desktop's generic thumbnailer is bench/thumbnailer-vs-generic.sh.

#include "display/FaxThumbnail.h"
#include "tools/fixtures/LongFax.h"
#include "tools/fixtures/TempDir.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

struct BenchFiles
{
    BenchFiles()
    {
        using namespace fixtures;
        const FaxPage text{makeTextPage(1728, 2200, 5), 204, 196};
        writeFaxTiff(fine, {text});
        writeLongFax(one, 1, {text});
        writeLongFax(many, 65535, {text, {BilevelImage(1728, 2200), 204, 196}});
    }
    TempDir dir;
    std::string fine = dir.file("fine.tif");
    std::string one = dir.file("one.tif");
    std::string many = dir.file("many.tif");
};

BenchFiles &files()
{
    static BenchFiles instance;
    return instance;
}

void render(benchmark::State &state, const std::string &path, int size)
{
    const CString name = CString::fromStdString(path);
    for (auto _ : state) {
        QImage image;
        if (RenderFaxThumbnail(name, size, &image) != 0) {
            state.SkipWithError("render failed");
            return;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_FinePage(benchmark::State &state) { render(state, files().fine, int(state.range(0))); }
BENCHMARK(BM_FinePage)->Arg(128)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

void BM_OnePageFax(benchmark::State &state) { render(state, files().one, 256); }
BENCHMARK(BM_OnePageFax)->Unit(benchmark::kMillisecond);

void BM_65535PageFax(benchmark::State &state) { render(state, files().many, 256); }
BENCHMARK(BM_65535PageFax)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
