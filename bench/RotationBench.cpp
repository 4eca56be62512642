// Turning a shown page: imgRotateBuffer against QImage's own rotation of the same
// 864 x 1100 one-byte page (a fine fax shown at one half), in the same run.

#include "imaging/imaging.h"

#include <QImage>
#include <QTransform>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t PAGE_WIDTH = 864;
constexpr std::uint32_t PAGE_HEIGHT = 1100;

std::vector<BYTE> makePage()
{
    std::vector<BYTE> page(std::size_t(PAGE_WIDTH) * PAGE_HEIGHT);
    std::mt19937 random(5);
    for (BYTE &b : page)
        b = (random() & 7) ? 255 : 0;
    return page;
}

void turnWithImaging(benchmark::State &state, std::int32_t rotation)
{
    std::vector<BYTE> page = makePage();
    std::uint32_t width = PAGE_WIDTH, height = PAGE_HEIGHT;
    for (auto _ : state) {
        if (!imgRotateBuffer(page.data(), width, height, rotation, 1))
            state.SkipWithError("imgRotateBuffer failed");
        if (rotation != IMG_ROT_180)
            std::swap(width, height);
        benchmark::DoNotOptimize(page.data());
    }
}

void turnWithQImage(benchmark::State &state, qreal degrees)
{
    std::vector<BYTE> page = makePage();
    QImage image(page.data(), PAGE_WIDTH, PAGE_HEIGHT, PAGE_WIDTH, QImage::Format_Grayscale8);
    image = image.copy();
    const QTransform turn = QTransform().rotate(degrees);
    for (auto _ : state) {
        image = image.transformed(turn);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_QuarterTurnImaging(benchmark::State &state) { turnWithImaging(state, IMG_ROT_CW90); }
void BM_QuarterTurnQImage(benchmark::State &state) { turnWithQImage(state, 90); }
void BM_HalfTurnImaging(benchmark::State &state) { turnWithImaging(state, IMG_ROT_180); }
void BM_HalfTurnQImage(benchmark::State &state) { turnWithQImage(state, 180); }

BENCHMARK(BM_QuarterTurnImaging)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QuarterTurnQImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HalfTurnImaging)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HalfTurnQImage)->Unit(benchmark::kMicrosecond);

// Prints the usual table, then how many times faster each turn is than QImage's.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    // CPU time, so that other work on a shared machine does not tilt the ratio;
    // the median when repetitions are asked for.
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const std::string &name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_medians[name] = run.GetAdjustedCPUTime();
            else if (run.run_type == Run::RT_Iteration)
                m_times[name] = run.GetAdjustedCPUTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        printRatio("Quarter turn", "BM_QuarterTurnImaging", "BM_QuarterTurnQImage");
        printRatio("Half turn", "BM_HalfTurnImaging", "BM_HalfTurnQImage");
    }

private:
    void printRatio(const char *what, const std::string &ours, const std::string &qt)
    {
        for (const auto &[name, time] : m_medians)
            m_times[name] = time;
        auto o = m_times.find(ours), q = m_times.find(qt);
        if (o == m_times.end() || q == m_times.end() || o->second <= 0)
            return;
        std::printf("%s %ux%u (CPU time): imgRotateBuffer %.1f us, QImage::transformed %.1f us, "
                    "%.1fx faster\n",
                    what, PAGE_WIDTH, PAGE_HEIGHT, o->second, q->second, q->second / o->second);
    }

    std::map<std::string, double> m_times;
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
