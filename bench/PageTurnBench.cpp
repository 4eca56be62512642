// Page turns through the document and its view, each timed from the command to the
// end of the view's repaint, on a fine text page at Fit to Width: Go to Page to a
// page far away, and page changes in a document that has opened and closed 1,000-,
// 10,000- and 65,535-page faxes against page 1 of a one-page fax read again in one
// that has opened nothing else; and Next Page to a neighbour prepared ahead. Run it
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
        m_paths[1] = m_dir.file("one.tif");
        writeLongFax(m_paths[1], 1, {pages[1]});
        for (std::uint32_t n : LONG_FAXES) {
            m_paths[n] = m_dir.file("fax" + std::to_string(n) + ".tif");
            std::fprintf(stderr, "writing %u pages\n", n);
            writeLongFax(m_paths[n], n, pages, [n](std::uint32_t i) {
                return i == 0 ? 1 : i + 1 == n ? 2 : 0;
            });
        }
    }
    // 0: TEXT_PAGES text pages; 1: one text page, the first of the long faxes.
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

// The document and its view as the frame holds them, at Fit to Width in a window of
// `width` logical pixels.
struct Scene
{
    explicit Scene(int width)
    {
        document.AddView(&view);
        view.resize(width, 900);
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
    // Runs the event loop, untimed, as it runs between two turns in use: until the
    // neighbours are prepared and the last paint's requests are done, so a timed
    // repaint is a whole paint and no worker is busy beside it.
    void Settle(benchmark::State &state)
    {
        state.PauseTiming();
        CPagePrefetcher &ahead = document.GetPrefetcher();
        do
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        while (!ahead.IsIdle());
        QCoreApplication::processEvents();
        state.ResumeTiming();
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

// The repaint alone, the floor of any page turn: what a prepared Next adds to it is the
// swap and the bookkeeping.
void BM_Repaint(benchmark::State &state)
{
    Scene scene(int(state.range(0)));
    scene.Open(files().path(0));
    for (auto _ : state) {
        scene.Settle(state);
        scene.view.Invalidate();
        scene.view.viewport()->repaint();
    }
}

// Next Page to a page prepared while the program was idle.
void BM_NextPrepared(benchmark::State &state)
{
    Scene scene(int(state.range(0)));
    scene.Open(files().path(0));
    const double before = residentMB();
    double prepared = before;
    for (auto _ : state) {
        if (scene.document.GetCurrentPage() + 1 >= std::int32_t(TEXT_PAGES))
            scene.GoTo(0);
        scene.Settle(state);
        if (!scene.document.GetPrefetcher().IsReady(scene.document.GetCurrentPage() + 1)) {
            state.SkipWithError("the next page was not prepared");
            break;
        }
        // Read untimed: /proc is no part of a page turn.
        state.PauseTiming();
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
    Scene scene(int(state.range(0)));
    scene.Open(files().path(0));
    std::int32_t page = 0;
    const long faults = minorFaults();
    for (auto _ : state) {
        scene.Settle(state);
        page = page == 0 ? std::int32_t(TEXT_PAGES / 2) : 0;
        scene.GoTo(page);
    }
    countFaults(state, faults);
    state.counters["resident_MB"] = residentMB();
}

// The same page change in a document that first opened the long faxes in turn,
// between the first and the last page of the longest.
void BM_AfterLongFaxes(benchmark::State &state)
{
    Scene scene(int(state.range(0)));
    for (std::uint32_t n : LONG_FAXES) {
        scene.Open(files().path(n));
        scene.GoTo(std::int32_t(n - 1));
    }
    const std::int32_t last = std::int32_t(LONG_FAXES[2] - 1);
    std::int32_t page = last;
    const long faults = minorFaults();
    for (auto _ : state) {
        scene.Settle(state);
        page = page == 0 ? last : 0;
        scene.GoTo(page);
    }
    countFaults(state, faults);
}

// Page 1 of a one-page fax, read again by First Page in a document that opened nothing
// else: the floor a page change in any other file is compared with.
void BM_OnePageFax(benchmark::State &state)
{
    Scene scene(int(state.range(0)));
    scene.Open(files().path(1));
    const long faults = minorFaults();
    for (auto _ : state) {
        scene.Settle(state);
        scene.Run(ID_PAGE_FIRST);
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
                m_times[run.run_name.function_name + "/" + run.run_name.args] =
                    run.GetAdjustedRealTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nFastest wall-clock times, ms (device pixel ratio %.1f):\n",
                    qApp->devicePixelRatio());
        for (const auto &[name, ms] : m_times)
            std::printf("FIGURE %s %.3f\n", name.c_str(), ms);
        for (const char *width : {"1000", "800"}) {
            const double far = Time("GoToFar", width);
            const double next = Time("NextPrepared", width);
            const double paint = Time("Repaint", width);
            std::printf("  window %s wide: Next to a prepared page %.2f = %.2f x Go to Page far "
                        "away %.2f (target at most 0.25); = %.2f x the repaint alone %.2f\n",
                        width, next, Ratio(next, far), far, Ratio(next, paint), paint);
        }
        const double after = Time("AfterLongFaxes", "1000");
        const double one = Time("OnePageFax", "1000");
        std::printf("  page change after the long faxes %.2f = %.2f x page 1 of a one-page fax "
                    "%.2f   target at most 1.5\n",
                    after, Ratio(after, one), one);
    }

private:
    double Time(const std::string &name, const std::string &width)
    {
        return m_times[name + "/" + width];
    }
    static double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    files();
    // Every turn first waits, untimed, for the event loop and the worker at its low
    // priority: a fixed count of turns, not a time. The fastest of ten runs of them: a
    // turn at a device pixel ratio of 2 is well under a millisecond, and a shared
    // machine's noise moves five runs by a quarter.
    auto add = [](const char *name, void (*fn)(benchmark::State &), std::vector<int> widths) {
        auto *bench = benchmark::RegisterBenchmark(name, fn)
                          ->Unit(benchmark::kMillisecond)
                          ->Iterations(40)
                          ->Repetitions(10)
                          ->ReportAggregatesOnly(true)
                          ->ComputeStatistics("min", [](const std::vector<double> &v) {
                              return *std::min_element(v.begin(), v.end());
                          });
        for (int width : widths)
            bench->Arg(width);
    };
    // At a device pixel ratio of 2 a fine page fits a window 1000 wide without being
    // reduced, and one 800 wide only when reduced.
    add("Repaint", BM_Repaint, {1000, 800});
    add("GoToFar", BM_GoToFar, {1000, 800});
    add("NextPrepared", BM_NextPrepared, {1000, 800});
    add("AfterLongFaxes", BM_AfterLongFaxes, {1000});
    add("OnePageFax", BM_OnePageFax, {1000});
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
