// Page turns through the document and its view, each timed from the command to the
// end of the view's repaint, on a fine text page at Fit to Width: Go to Page to a
// page far away, and page changes in a document that has opened and closed 1,000-,
// 10,000- and 65,535-page faxes against one that has opened nothing else. Run it
// once as it is and once with GLIBC_TUNABLES=glibc.malloc.mmap_threshold=131072
// (bench/page-turn.sh does both, and at QT_SCALE_FACTOR=2), which makes every large
// block fresh from the kernel, as a program left running for days drifts into.

#include "display/PagePrefetcher.h"
#include "document/PagelotDoc.h"
#include "resources/Resource.h"
#include "tools/fixtures/LongFax.h"
#include "tools/fixtures/TempDir.h"
#include "view/PagelotView.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Page faults per turn: the first touches of memory fresh from the kernel, which a turn
// into kept blocks does not pay.
void countFaults(benchmark::State &state, long before)
{
    state.counters["faults"] =
        benchmark::Counter(double(minorFaults() - before), benchmark::Counter::kAvgIterations);
}

constexpr std::uint32_t LONG_FAXES[] = {1000, 10000, 65535};
constexpr std::uint32_t TEXT_PAGES = 120;

class BenchFiles
{
public:
    BenchFiles()
    {
        using namespace fixtures;
        const std::vector<FaxPage> pages = {FaxPage{BilevelImage(1728, 2200), 204, 196},
                                            FaxPage{makeTextPage(1728, 2200, 11), 204, 196},
                                            FaxPage{makeTextPage(1728, 2200, 12), 204, 196}};
        m_paths[0] = m_dir.file("text.tif");
        writeLongFax(m_paths[0], TEXT_PAGES, {pages[1], pages[2]});
        for (std::uint32_t n : LONG_FAXES) {
            m_paths[n] = m_dir.file("fax" + std::to_string(n) + ".tif");
            std::fprintf(stderr, "writing %u pages\n", n);
            writeLongFax(m_paths[n], n, pages, [n](std::uint32_t i) {
                return i == 0 ? 1 : i + 1 == n ? 2 : 0;
            });
        }
    }
    // 0: TEXT_PAGES text pages.
    CString path(std::uint32_t pages) const { return CString::fromStdString(m_paths.at(pages)); }

private:
    TempDir m_dir;
    std::map<std::uint32_t, std::string> m_paths;
};

const BenchFiles &files()
{
    static BenchFiles instance;
    return instance;
}

// The document and its view as the frame holds them, at Fit to Width.
struct Scene
{
    Scene()
    {
        document.AddView(&view);
        view.resize(1000, 900);
        view.show();
    }
    ~Scene() { document.RemoveView(&view); }

    void Open(const CString &path)
    {
        document.OnOpenDocument(path);
        view.OnInitialUpdate();
        Run(ID_ZOOM_FITWIDTH);
    }
    void Run(UINT nID)
    {
        document.OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
        view.viewport()->repaint();
    }
    void GoTo(std::int32_t page)
    {
        document.GoToPage(page);
        view.viewport()->repaint();
    }

    CPagelotDoc document;
    CPagelotView view;
};

double residentMB()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Runs the event loop until the page after the one shown is prepared.
void settleAhead(Scene &scene)
{
    CPagePrefetcher &ahead = scene.document.GetPrefetcher();
    const std::int32_t next = scene.document.GetCurrentPage() + 1;
    while (!ahead.IsReady(next))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Next Page to a page prepared while the program was idle (the wait is not timed).
void BM_NextPrepared(benchmark::State &state)
{
    Scene scene;
    scene.Open(files().path(0));
    const double before = residentMB();
    double prepared = before;
    for (auto _ : state) {
        state.PauseTiming();
        if (scene.document.GetCurrentPage() + 1 >= std::int32_t(TEXT_PAGES))
            scene.GoTo(0);
        settleAhead(scene);
        prepared = std::max(prepared, residentMB());
        state.ResumeTiming();
        scene.Run(ID_PAGE_NEXT);
    }
    state.counters["resident_MB"] = prepared;
    state.counters["ahead_MB"] = prepared - before;
}

// Go to Page between two pages far apart: neither is ever a neighbour of the other.
void BM_GoToFar(benchmark::State &state)
{
    Scene scene;
    scene.Open(files().path(0));
    std::int32_t page = 0;
    const long faults = minorFaults();
    for (auto _ : state) {
        page = page == 0 ? std::int32_t(TEXT_PAGES / 2) : 0;
        scene.GoTo(page);
    }
    countFaults(state, faults);
    // No event loop runs between the turns, so nothing is prepared ahead.
    state.counters["resident_MB"] = residentMB();
}

// The same page change in a document that first opened the long faxes in turn,
// between the first and the last page of the longest.
void BM_AfterLongFaxes(benchmark::State &state)
{
    Scene scene;
    for (std::uint32_t n : LONG_FAXES) {
        scene.Open(files().path(n));
        scene.GoTo(std::int32_t(n - 1));
    }
    const std::int32_t last = std::int32_t(LONG_FAXES[2] - 1);
    std::int32_t page = last;
    const long faults = minorFaults();
    for (auto _ : state) {
        page = page == 0 ? last : 0;
        scene.GoTo(page);
    }
    countFaults(state, faults);
}

// Prints the usual table, then the fastest times as figures the script compares.
class FigureReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
                m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nFastest wall-clock times, ms (device pixel ratio %.1f):\n",
                    qApp->devicePixelRatio());
        for (const auto &[name, ms] : m_times)
            std::printf("FIGURE %s %.3f\n", name.c_str(), ms);
        const double far = m_times["GoToFar"];
        const double next = m_times["NextPrepared"];
        std::printf("  Next Page to a prepared page %.2f = %.2f x Go to Page far away   target "
                    "at most 0.25\n",
                    next, far > 0 ? next / far : 0.0);
        const double after = m_times["AfterLongFaxes"];
        std::printf("  page change after the long faxes %.2f = %.2f x the same with nothing "
                    "else opened   target at most 1.5\n",
                    after, far > 0 ? after / far : 0.0);
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    files();
    auto add = [](const char *name, void (*fn)(benchmark::State &)) {
        benchmark::RegisterBenchmark(name, fn)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics("min", [](const std::vector<double> &v) {
                return *std::min_element(v.begin(), v.end());
            });
    };
    add("GoToFar", BM_GoToFar);
    // Each turn waits, untimed, for the worker at its low priority: a fixed count.
    benchmark::RegisterBenchmark("NextPrepared", BM_NextPrepared)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(40)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double> &v) {
            return *std::min_element(v.begin(), v.end());
        });
    add("AfterLongFaxes", BM_AfterLongFaxes);
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
