// The page change as the document runs it, side by side with what bounds it from
// below (libtiff decoding the same strips plus one page-sized copy) and with what a
// Qt program would do instead (QImageReader, QImage::scaled, QImage::transformed),
// on a text-dense fine G4 page and a normal-mode G3 page whose rows are doubled.

#include "display/PageBitmap.h"
#include "framework/Dc.h"
#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/TempDir.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTransform>
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct BenchPage
{
    const char *name;
    std::string path;
    std::uint32_t width;
    std::uint32_t height;
};

// Written once per run into a folder removed at exit.
class BenchFiles
{
public:
    BenchFiles()
    {
        using namespace fixtures;
        m_fine = {"fine", m_dir.file("fine.tif"), 1728, 2200};
        m_normal = {"normal", m_dir.file("normal.tif"), 1728, 1100};
        writeFaxTiff(m_fine.path, {FaxPage{makeTextPage(1728, 2200, 11), 204, 196}},
                     {Compression::G4});
        writeFaxTiff(m_normal.path, {FaxPage{makeTextPage(1728, 1100, 12), 204, 98}},
                     {Compression::G3OneD});
    }
    const BenchPage &page(int which) const { return which == 0 ? m_fine : m_normal; }

private:
    TempDir m_dir;
    BenchPage m_fine;
    BenchPage m_normal;
};

const BenchFiles &files()
{
    static BenchFiles instance;
    return instance;
}

enum class Target { Half, Third, FitWidth784 };

// Sizes as the zoom commands ask for them from the page as read (rows doubled).
CSize targetSize(Target target, const CSize &source)
{
    switch (target) {
    case Target::Half:
        return CSize(source.cx / 2, source.cy / 2);
    case Target::Third:
        return CSize(source.cx / 3, source.cy / 3);
    case Target::FitWidth784:
        return CSize(784, static_cast<std::int32_t>(std::int64_t{source.cy} * 784 / source.cx));
    }
    return source;
}

std::uint32_t changePage(const BenchPage &file, CPageBitmap &source, CPageBitmap &shown,
                         Target target, bool smooth)
{
    if (std::uint32_t code = source.LoadPage(CString::fromStdString(file.path), 0))
        return code;
    if (source.NeedsRowDoubling())
        source.DoubleRows();
    const CSize size = targetSize(target, source.m_size);
    shown.ScaleFrom(source, static_cast<std::uint32_t>(size.cx),
                    static_cast<std::uint32_t>(size.cy), smooth);
    return shown.MakeDib();
}

void BM_PageChange(benchmark::State &state, int which, Target target, bool smooth)
{
    const BenchPage &file = files().page(which);
    CPageBitmap source;
    CPageBitmap shown;
    for (auto _ : state) {
        if (changePage(file, source, shown, target, smooth))
            state.SkipWithError("page change failed");
        benchmark::DoNotOptimize(shown.m_pDib);
    }
}

// The parts of the page change on their own.
void BM_Load(benchmark::State &state, int which)
{
    const BenchPage &file = files().page(which);
    CPageBitmap source;
    for (auto _ : state) {
        if (source.LoadPage(CString::fromStdString(file.path), 0))
            state.SkipWithError("LoadPage failed");
        benchmark::DoNotOptimize(source.m_pPixels);
    }
}

void BM_Reduce(benchmark::State &state, int which, Target target, bool smooth)
{
    CPageBitmap source;
    CPageBitmap shown;
    if (changePage(files().page(which), source, shown, target, smooth))
        state.SkipWithError("page change failed");
    const CSize size = targetSize(target, source.m_size);
    for (auto _ : state) {
        shown.ScaleFrom(source, static_cast<std::uint32_t>(size.cx),
                        static_cast<std::uint32_t>(size.cy), smooth);
        benchmark::DoNotOptimize(shown.m_pPixels);
    }
}

void BM_Turn(benchmark::State &state, int which, std::int32_t rotation)
{
    CPageBitmap source;
    CPageBitmap shown;
    if (changePage(files().page(which), source, shown, Target::Half, true))
        state.SkipWithError("page change failed");
    for (auto _ : state) {
        if (shown.Rotate(rotation))
            state.SkipWithError("rotation failed");
        benchmark::DoNotOptimize(shown.m_pPixels);
    }
}

// The page change as a high-density screen sees it: Fit to Width in a window whose
// client area is 1600 logical pixels wide (less a pixel and a 16-pixel scroll bar), the
// page rendered for device pixels and painted into a window-sized image of that ratio.
void BM_CrispPageChange(benchmark::State &state, double ratio)
{
    const BenchPage &file = files().page(0);
    constexpr int clientWidth = 1600, clientHeight = 1000, fitTarget = clientWidth - 1 - 16;
    CPageBitmap source;
    CPageBitmap shown;
    QImage window(int(clientWidth * ratio), int(clientHeight * ratio), QImage::Format_RGB32);
    window.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        if (source.LoadPage(CString::fromStdString(file.path), 0)) {
            state.SkipWithError("LoadPage failed");
            break;
        }
        const CSize page = source.m_size;
        const CSize fitted(fitTarget,
                           static_cast<std::int32_t>(std::int64_t{page.cy} * fitTarget / page.cx));
        shown.ScaleForScreen(source, fitted, ratio, TRUE);
        shown.MakeDib();
        QPainter painter(&window);
        CDC dc(painter);
        if (shown.Draw(&dc))
            state.SkipWithError("drawing failed");
        benchmark::DoNotOptimize(window.constBits());
    }
}

// One line step of scrolling at Actual Size in a 1100 x 900 window: the strip the step
// uncovers painted, against the whole window painted again.
void BM_ActualSizePaint(benchmark::State &state, bool wholeWindow)
{
    CPageBitmap source;
    CPageBitmap shown;
    if (changePage(files().page(0), source, shown, Target::Half, true) || shown.CopyFrom(source)
        || shown.MakeDib())
        state.SkipWithError("page change failed");
    constexpr int width = 1100, height = 900, line = height / 25;
    QImage window(width, height, QImage::Format_RGB32);
    int scroll = 0;
    for (auto _ : state) {
        scroll = (scroll + line) % (source.m_size.cy - height);
        QPainter painter(&window);
        painter.setClipRect(wholeWindow ? QRect(0, 0, width, height)
                                        : QRect(0, height - line, width, line));
        CDC dc(painter);
        dc.SetViewportOrg(0, -scroll);
        shown.Draw(&dc);
        benchmark::DoNotOptimize(window.constBits());
    }
}

struct TiffCloser
{
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};

// Decoding every strip is the least any viewer does; one copy of the page as one
// byte per pixel stands for the least it does with the pixels afterwards.
void BM_Floor(benchmark::State &state, int which)
{
    const BenchPage &file = files().page(which);
    std::vector<std::uint8_t> from(std::size_t{file.width} * file.height, 255);
    std::vector<std::uint8_t> to(from.size());
    for (auto _ : state) {
        std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(file.path.c_str(), "r"));
        if (!tiff) {
            state.SkipWithError("TIFFOpen failed");
            break;
        }
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(TIFFStripSize(tiff.get())));
        const std::uint32_t strips = TIFFNumberOfStrips(tiff.get());
        for (std::uint32_t s = 0; s < strips; ++s)
            if (TIFFReadEncodedStrip(tiff.get(), s, strip.data(), -1) < 0)
                state.SkipWithError("strip unreadable");
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(strip.data());
        benchmark::DoNotOptimize(to.data());
    }
}

// What a Qt program would write: read the page, scale it to the same size the page
// change shows, smoothly.
void BM_QtWay(benchmark::State &state, int which)
{
    const BenchPage &file = files().page(which);
    const QString path = QString::fromStdString(file.path);
    const std::uint32_t sourceHeight = file.height * (which == 1 ? 2 : 1);
    for (auto _ : state) {
        QImageReader reader(path);
        QImage page = reader.read();
        if (page.isNull()) {
            state.SkipWithError("QImageReader failed");
            break;
        }
        QImage shown = page.scaled(file.width / 2, sourceHeight / 2, Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation);
        benchmark::DoNotOptimize(shown.constBits());
    }
}

void BM_QtTurn(benchmark::State &state, int which, qreal degrees)
{
    const BenchPage &file = files().page(which);
    const std::uint32_t sourceHeight = file.height * (which == 1 ? 2 : 1);
    QImage shown = QImageReader(QString::fromStdString(file.path))
                       .read()
                       .scaled(file.width / 2, sourceHeight / 2, Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
    const QTransform turn = QTransform().rotate(degrees);
    for (auto _ : state) {
        shown = shown.transformed(turn);
        benchmark::DoNotOptimize(shown.constBits());
    }
}

// The machine is shared: each figure is the fastest of several runs, the one least
// disturbed by other work. CPU time is the whole process's, so the worker threads of
// Qt's scaler count too.
template <typename Fn> void addTimed(const std::string &name, Fn &&fn)
{
    benchmark::RegisterBenchmark(name.c_str(), std::forward<Fn>(fn))
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->Repetitions(7)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double> &v) {
            return *std::min_element(v.begin(), v.end());
        });
}

void registerAll()
{
    for (int which : {0, 1}) {
        const std::string page = files().page(which).name;
        auto add = [&](const std::string &name, auto &&fn) { addTimed(name + "/" + page, fn); };
        add("PageChange50",
            [which](benchmark::State &s) { BM_PageChange(s, which, Target::Half, true); });
        add("PageChange33",
            [which](benchmark::State &s) { BM_PageChange(s, which, Target::Third, true); });
        add("PageChangeFit784",
            [which](benchmark::State &s) { BM_PageChange(s, which, Target::FitWidth784, true); });
        add("PageChange50Sharp",
            [which](benchmark::State &s) { BM_PageChange(s, which, Target::Half, false); });
        add("LoadPage", [which](benchmark::State &s) { BM_Load(s, which); });
        add("Reduce50", [which](benchmark::State &s) { BM_Reduce(s, which, Target::Half, true); });
        add("Reduce50Sharp",
            [which](benchmark::State &s) { BM_Reduce(s, which, Target::Half, false); });
        add("QuarterTurn50", [which](benchmark::State &s) { BM_Turn(s, which, IMG_ROT_CW90); });
        add("HalfTurn50", [which](benchmark::State &s) { BM_Turn(s, which, IMG_ROT_180); });
        add("Floor", [which](benchmark::State &s) { BM_Floor(s, which); });
        add("QtWay", [which](benchmark::State &s) { BM_QtWay(s, which); });
        add("QtQuarterTurn50", [which](benchmark::State &s) { BM_QtTurn(s, which, 90); });
        add("QtHalfTurn50", [which](benchmark::State &s) { BM_QtTurn(s, which, 180); });
    }
    auto addFine = [](const std::string &name, auto &&fn) { addTimed(name + "/fine", fn); };
    addFine("CrispFitWidth1600Ratio1", [](benchmark::State &s) { BM_CrispPageChange(s, 1.0); });
    addFine("CrispFitWidth1600Ratio2", [](benchmark::State &s) { BM_CrispPageChange(s, 2.0); });
    addFine("ActualSizeStepPaint", [](benchmark::State &s) { BM_ActualSizePaint(s, false); });
    addFine("ActualSizeFullPaint", [](benchmark::State &s) { BM_ActualSizePaint(s, true); });
}

// Prints the usual table, then the ratios the page change is held to.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
                m_real[run.run_name.function_name] = run.GetAdjustedRealTime();
                m_cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (auto *times : {&m_real, &m_cpu}) {
            std::printf("\nRatios of the fastest %s times:\n",
                        times == &m_real ? "wall-clock" : "process CPU");
            for (const char *page : {"fine", "normal"}) {
                std::printf("%s page:\n", page);
                ratio(*times, page, "PageChange50", "Floor", "page change / floor", "at most 2.5");
                ratio(*times, page, "QtWay", "PageChange50", "Qt way / page change", "at least 4");
                ratio(*times, page, "QtQuarterTurn50", "QuarterTurn50",
                      "Qt quarter turn / quarter turn", "at least 5");
                ratio(*times, page, "QtHalfTurn50", "HalfTurn50", "Qt half turn / half turn", "");
                ratio(*times, page, "CrispFitWidth1600Ratio2", "CrispFitWidth1600Ratio1",
                      "ratio 2 / ratio 1 (Fit to Width)", "at most 2");
                ratio(*times, page, "ActualSizeStepPaint", "ActualSizeFullPaint",
                      "line step paint / full paint", "");
                for (const char *other : {"PageChange33", "PageChangeFit784", "PageChange50Sharp"})
                    ratio(*times, page, other, "Floor", (std::string(other) + " / floor").c_str(),
                          "");
            }
        }
    }

private:
    using Times = std::map<std::string, double>;

    static void ratio(const Times &times, const std::string &page, const std::string &top,
                      const std::string &bottom, const char *what, const char *target)
    {
        auto t = times.find(top + "/" + page), b = times.find(bottom + "/" + page);
        if (t == times.end() || b == times.end() || b->second <= 0)
            return;
        std::printf("  %-36s %7.2f ms / %7.2f ms = %6.2f%s%s\n", what, t->second, b->second,
                    t->second / b->second, *target ? "   target " : "", target);
    }

    Times m_real;
    Times m_cpu;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // loads the image format plugins
    benchmark::Initialize(&argc, argv);
    registerAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
