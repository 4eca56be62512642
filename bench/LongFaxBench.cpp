// Long faxes: the page change to the last page of an N-page fine G4 fax against
// page 1 of a one-page fax, opening a 10,000-page fax against a one-page fax, the
// one walk along the directory chain that the open pays for, and the page
// thumbnails: a 120-page fax rendered whole with the longest stall of the event
// loop meanwhile, and a 10,000-page fax's panel scrolled end to end while the page
// is turned now and then and its neighbours are prepared ahead: the longest stall
// and the peak memory.
//
// Every page shown is the same text page; the pages between are blank, which
// keeps a 65,535-page file to tens of megabytes and does not change what finding
// a page costs.

#include "display/PageBitmap.h"
#include "display/PagePrefetcher.h"
#include "document/PagelotDoc.h"
#include "imaging/TiffDirectories.h"
#include "resources/Resource.h"
#include "tools/fixtures/LongFax.h"
#include "tools/fixtures/TempDir.h"
#include "view/PagelotView.h"
#include "view/ThumbnailPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t LENGTHS[] = {1, 1000, 10000, 65535};
constexpr std::uint32_t OPENED = 10000;
constexpr std::uint32_t THUMBNAILED = 120;

class BenchFiles
{
public:
    BenchFiles()
    {
        using namespace fixtures;
        const std::vector<FaxPage> pages = {FaxPage{BilevelImage(1728, 2200), 204, 196},
                                            FaxPage{makeTextPage(1728, 2200, 11), 204, 196}};
        const std::string text = m_dir.file("text.tif");
        writeLongFax(text, THUMBNAILED, {pages[1]});
        m_paths[0] = text;
        for (std::uint32_t n : LENGTHS) {
            const std::string path = m_dir.file("fax" + std::to_string(n) + ".tif");
            std::fprintf(stderr, "writing %u pages\n", n);
            if (!writeLongFax(path, n, pages,
                              [n](std::uint32_t i) { return i == 0 || i + 1 == n ? 1 : 0; }))
                std::fprintf(stderr, "could not write %s\n", path.c_str());
            m_paths[n] = path;
        }
    }
    // 0: THUMBNAILED text pages.
    const std::string &path(std::uint32_t pages) const { return m_paths.at(pages); }

private:
    TempDir m_dir;
    std::map<std::uint32_t, std::string> m_paths;
};

const BenchFiles &files()
{
    static BenchFiles instance;
    return instance;
}

// What the document does for a page change at 50%: read, reduce, build the DIB.
std::uint32_t showPage(const std::string &path, std::int32_t page, CPageBitmap &source,
                       CPageBitmap &shown)
{
    if (std::uint32_t code = source.LoadPage(CString::fromStdString(path), page))
        return code;
    shown.ScaleFrom(source, std::uint32_t(source.m_size.cx / 2),
                    std::uint32_t(source.m_size.cy / 2), TRUE);
    return shown.MakeDib();
}

// The viewer already holds the file, so the chain is remembered before timing.
void BM_PageChangeToLast(benchmark::State &state, std::uint32_t pages)
{
    const std::string &path = files().path(pages);
    CPageBitmap source;
    CPageBitmap shown;
    if (showPage(path, 0, source, shown))
        state.SkipWithError("first page unreadable");
    for (auto _ : state) {
        if (showPage(path, std::int32_t(pages - 1), source, shown))
            state.SkipWithError("page change failed");
        benchmark::DoNotOptimize(shown.m_pDib);
    }
}

// Opening a file the viewer has not seen: nothing is remembered yet.
void BM_OpenToFirst(benchmark::State &state, std::uint32_t pages)
{
    const std::string &path = files().path(pages);
    CPageBitmap source;
    CPageBitmap shown;
    for (auto _ : state) {
        forgetDirectoryChains();
        if (showPage(path, 0, source, shown))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(shown.m_pDib);
    }
}

void BM_ChainWalk(benchmark::State &state, std::uint32_t pages)
{
    const std::string &path = files().path(pages);
    for (auto _ : state) {
        forgetDirectoryChains();
        DataSource *source = imgOpenFileSource(path.c_str());
        if (imgTiffPageCount(source) != pages)
            state.SkipWithError("wrong count");
        imgCloseSource(source);
    }
}

struct Stall
{
    double wallMs = 0.0; // longest gap between two ticks of the event loop
    double busyMs = 0.0; // most processor time the thread spent between two ticks
    // Of the longest gap, the time the thread was runnable but waited for a core: what
    // the other threads (this program's workers or anyone else's) took from it.
    double queuedMs = 0.0;

    void take(const Stall &other)
    {
        if (other.wallMs > wallMs) {
            wallMs = other.wallMs;
            queuedMs = other.queuedMs;
        }
        busyMs = std::max(busyMs, other.busyMs);
    }
};

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Nanoseconds this thread has waited on a run queue, from the scheduler's statistics.
double queuedSeconds()
{
    static const std::string path = "/proc/self/task/" + std::to_string(::gettid()) + "/schedstat";
    unsigned long long ran = 0;
    unsigned long long waited = 0;
    if (FILE *stat = std::fopen(path.c_str(), "r")) {
        if (std::fscanf(stat, "%llu %llu", &ran, &waited) != 2)
            waited = 0;
        std::fclose(stat);
    }
    return double(waited) / 1e9;
}

// Runs the event loop until `done`, ticking a timer every TICK_MS: the longest gap
// between two ticks is the longest the user-interface thread was kept from its
// events. The thread sleeps between ticks as it does in the program, so the scheduler
// treats it as the interactive thread it is; a zero timer would keep it busy for good
// and make it lose the wake-up preference over the workers that a real one has. On a
// shared machine a gap includes time the thread waited for a core, so the thread's
// own processor time between ticks is taken as well, and the wait for a core in the
// longest gap.
constexpr int TICK_MS = 2;

double runUntil(const std::function<bool()> &done, Stall *stall)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    double lastBusy = threadSeconds();
    double lastQueued = queuedSeconds();
    Stall longest;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const double busy = threadSeconds();
        const double queued = queuedSeconds();
        longest.take(
            Stall{double(now - last) / 1e6, (busy - lastBusy) * 1e3, (queued - lastQueued) * 1e3});
        last = now;
        lastBusy = busy;
        lastQueued = queued;
        if (done())
            loop.quit();
    });
    tick.start(TICK_MS);
    loop.exec();
    *stall = longest;
    return double(clock.nsecsElapsed()) / 1e9;
}

bool allKnown(const CThumbnailPanel &panel, int first, int last)
{
    for (int row = first; row <= last; ++row)
        if (!panel.GetModel()->IsKnown(row))
            return false;
    return true;
}

// The panel as the frame shows it, on a document holding the file.
struct ThumbnailScene
{
    explicit ThumbnailScene(const std::string &path, int height)
    {
        document.LoadFaxFile(CString::fromStdString(path), FALSE);
        panel.resize(160, height);
        panel.SetDocument(&document);
        panel.show();
    }
    CPagelotDoc document;
    CThumbnailPanel panel;
};

// Raises a flag when a widget is first sent a paint event.
class FirstPaint : public QObject
{
public:
    bool painted = false;

    bool eventFilter(QObject *, QEvent *event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// Every thumbnail of the file in view at once, so all are asked for together. The
// panel is then some 15 screens tall: its first paint, placeholders for every entry, is
// timed apart (first_show_ms) from the longest stall while the thumbnails arrive.
void BM_Thumbnails(benchmark::State &state)
{
    Stall stall;
    double firstShowMs = 0.0;
    double firstShowBusyMs = 0.0;
    for (auto _ : state) {
        forgetDirectoryChains();
        ThumbnailScene scene(files().path(0), int(THUMBNAILED) * 170);
        QElapsedTimer clock;
        clock.start();
        const double busy0 = threadSeconds();
        FirstPaint firstPaint;
        scene.panel.GetList()->viewport()->installEventFilter(&firstPaint);
        while (!firstPaint.painted)
            QCoreApplication::processEvents();
        const double shown = double(clock.nsecsElapsed()) / 1e9;
        firstShowMs = std::max(firstShowMs, shown * 1e3);
        firstShowBusyMs = std::max(firstShowBusyMs, (threadSeconds() - busy0) * 1e3);
        const double seconds =
            runUntil([&] { return allKnown(scene.panel, 0, int(THUMBNAILED) - 1); }, &stall);
        state.SetIterationTime(shown + seconds);
    }
    state.counters["first_show_ms"] = firstShowMs;
    state.counters["first_show_busy_ms"] = firstShowBusyMs;
    state.counters["stall_ms"] = stall.wallMs;
    state.counters["busy_ms"] = stall.busyMs;
    state.counters["queued_ms"] = stall.queuedMs;
}

// The fax as the frame shows it: the page in its view at Fit to Width, with its
// neighbours prepared ahead, and the thumbnail panel beside it.
struct ReadingScene
{
    explicit ReadingScene(const std::string &path)
    {
        document.AddView(&view);
        view.resize(1000, 900);
        view.show();
        document.OnOpenDocument(CString::fromStdString(path));
        view.OnInitialUpdate();
        Turn(ID_ZOOM_FITWIDTH);
        panel.resize(160, 900);
        panel.SetDocument(&document);
        panel.show();
    }
    ~ReadingScene() { document.RemoveView(&view); }

    void Turn(UINT nID)
    {
        document.OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
        panel.SyncWithDocument();
        view.viewport()->repaint();
    }

    CPagelotDoc document;
    CPagelotView view;
    CThumbnailPanel panel;
};

// Scrolled from the first page to the last a few screens at a time, waiting at each
// stop for what is in view, while the page is turned every few stops and its neighbours
// are prepared beside the thumbnail workers. The turns themselves are the user's own
// commands and are not counted in the stall. The memory figure is the process's peak
// resident memory.
void BM_ThumbnailsScrolled(benchmark::State &state)
{
    constexpr int STOPS = 100;
    constexpr int TURN_EVERY = 5;
    Stall longest;
    int turns = 0;
    int prepared = 0;
    double firstShowBusyMs = 0.0;
    for (auto _ : state) {
        ReadingScene scene(files().path(OPENED));
        // The first paint lays out all 10,000 entries: timed apart, as in Thumbnails.
        const double busy0 = threadSeconds();
        FirstPaint firstPaint;
        scene.panel.GetList()->viewport()->installEventFilter(&firstPaint);
        while (!firstPaint.painted)
            QCoreApplication::processEvents();
        firstShowBusyMs = std::max(firstShowBusyMs, (threadSeconds() - busy0) * 1e3);
        QScrollBar *bar = scene.panel.GetList()->verticalScrollBar();
        Stall stall;
        double seconds = 0.0;
        for (int stop = 0; stop <= STOPS; ++stop) {
            if (stop % TURN_EVERY == TURN_EVERY - 1) {
                const std::int32_t next = scene.document.GetCurrentPage() + 1;
                prepared += scene.document.GetPrefetcher().IsReady(next) ? 1 : 0;
                ++turns;
                scene.Turn(ID_PAGE_NEXT);
            }
            bar->setValue(int(std::int64_t(bar->maximum()) * stop / STOPS));
            seconds += runUntil(
                [&] {
                    // The first entry in view, past the spacing above it.
                    QListView *list = scene.panel.GetList();
                    for (int y = 0; y < 40; y += 2) {
                        const QModelIndex top = list->indexAt(QPoint(40, y));
                        if (top.isValid())
                            return allKnown(scene.panel, top.row(), top.row());
                    }
                    return false;
                },
                &stall);
            longest.take(stall);
        }
        state.SetIterationTime(seconds);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["stall_ms"] = longest.wallMs;
    state.counters["busy_ms"] = longest.busyMs;
    state.counters["queued_ms"] = longest.queuedMs;
    state.counters["first_show_busy_ms"] = firstShowBusyMs;
    state.counters["turns"] = turns;
    state.counters["turns_prepared"] = prepared;
}

void registerAll()
{
    auto add = [](const std::string &name, auto &&fn) {
        benchmark::RegisterBenchmark(name.c_str(), fn)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics("min", [](const std::vector<double> &v) {
                return *std::min_element(v.begin(), v.end());
            });
    };
    for (std::uint32_t n : LENGTHS)
        add("PageChangeToLast/" + std::to_string(n),
            [n](benchmark::State &s) { BM_PageChangeToLast(s, n); });
    for (std::uint32_t n : {1u, OPENED})
        add("OpenToFirst/" + std::to_string(n), [n](benchmark::State &s) { BM_OpenToFirst(s, n); });
    add("ChainWalk/" + std::to_string(OPENED),
        [](benchmark::State &s) { BM_ChainWalk(s, OPENED); });
    benchmark::RegisterBenchmark(("Thumbnails/" + std::to_string(THUMBNAILED)).c_str(),
                                 BM_Thumbnails)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(3);
    // Last: the peak memory it reports is the whole run's.
    benchmark::RegisterBenchmark(("ThumbnailsScrolled/" + std::to_string(OPENED)).c_str(),
                                 BM_ThumbnailsScrolled)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
}

// Prints the usual table, then the figures the long-fax work is held to.
class LongFaxReporter : public benchmark::ConsoleReporter
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
        std::printf("\nFastest wall-clock times, ms:\n");
        const double first = time("PageChangeToLast/1");
        for (std::uint32_t n : LENGTHS) {
            const double last = time("PageChangeToLast/" + std::to_string(n));
            std::printf("  last page of %5u pages %8.2f = %5.2f x page 1 of one page   target "
                        "at most 1.5\n",
                        n, last, first > 0 ? last / first : 0.0);
        }
        const double one = time("OpenToFirst/1");
        const double many = time("OpenToFirst/" + std::to_string(OPENED));
        const double walk = time("ChainWalk/" + std::to_string(OPENED));
        std::printf("  open %u pages %8.2f, one page %8.2f, walk %8.2f (%.2f us per directory)\n",
                    OPENED, many, one, walk, walk * 1000.0 / OPENED);
        std::printf("  open %u pages / (2 x one page + walk) = %.2f   target at most 1\n", OPENED,
                    (2 * one + walk) > 0 ? many / (2 * one + walk) : 0.0);
    }

private:
    double time(const std::string &name) const
    {
        auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }

    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    files();
    registerAll();
    LongFaxReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
