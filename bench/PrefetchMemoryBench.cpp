// Peak resident memory of paging through a fine fax with the neighbours prepared
// ahead, against the same with preparing switched off: 50 Next Page commands on
// 1728 x 2200 text pages at Fit to Width, the event loop idle between them until the
// neighbours are ready. Each case runs in a process of its own (this program started
// again), so neither peak holds the other's memory. The difference is held against
// the blocks of the two neighbours: their source and display pages, pixels and DIBs.
//
//     build/bench/prefetch_memory_bench

#include "display/PagePrefetcher.h"
#include "document/PagelotDoc.h"
#include "platform/GlobalMemory.h"
#include "resources/Resource.h"
#include "tools/fixtures/LongFax.h"
#include "tools/fixtures/TempDir.h"
#include "view/PagelotView.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::uint32_t PAGES = 60;
constexpr int TURNS = 50;

long peakResidentKB()
{
    long peak = -1;
    if (FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "VmHWM: %ld kB", &peak) == 1)
                break;
        std::fclose(status);
    }
    return peak;
}

std::size_t blockBytes(const CPageBitmap &page)
{
    return GlobalSize(page.m_pPixels) + GlobalSize(page.m_pDib);
}

// One case: prints the peak in kB and the bytes of the shown page's source and
// display blocks.
int runCase(const char *path, bool ahead)
{
    CPagelotDoc document;
    CPagelotView view;
    document.AddView(&view);
    view.resize(1000, 900);
    view.show();
    document.GetPrefetcher().SetEnabled(ahead);
    document.OnOpenDocument(CString::fromUtf8(path));
    view.OnInitialUpdate();
    auto run = [&](UINT nID) {
        document.OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
        view.viewport()->repaint();
        // Idle until what is asked for ahead is ready (at once when nothing is).
        do
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        while (!document.GetPrefetcher().IsIdle());
        QCoreApplication::processEvents();
    };
    run(ID_ZOOM_FITWIDTH);
    int prepared = 0;
    for (int turn = 0; turn < TURNS; ++turn) {
        prepared += document.GetPrefetcher().IsReady(document.GetCurrentPage() + 1) ? 1 : 0;
        run(ID_PAGE_NEXT);
    }
    const std::size_t blocks =
        blockBytes(document.GetSourcePage()) + blockBytes(document.GetDisplayPage());
    std::printf("%ld %zu %d %d\n", peakResidentKB(), blocks, prepared,
                int(document.GetCurrentPage()));
    document.RemoveView(&view);
    return 0;
}

struct CaseResult
{
    long peakKB = -1;
    std::size_t blocks = 0;
    int prepared = 0;
    int page = 0;
};

CaseResult runChild(const std::string &path, bool ahead)
{
    const std::string command = "'/proc/" + std::to_string(::getpid()) + "/exe' --case "
                                + (ahead ? "ahead" : "on-demand") + " '" + path + "'";
    CaseResult result;
    if (FILE *child = ::popen(command.c_str(), "r")) {
        if (std::fscanf(child, "%ld %zu %d %d", &result.peakKB, &result.blocks, &result.prepared,
                        &result.page)
            != 4)
            result.peakKB = -1;
        ::pclose(child);
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && std::strcmp(argv[1], "--case") == 0) {
        QApplication app(argc, argv);
        return runCase(argv[3], std::strcmp(argv[2], "ahead") == 0);
    }

    TempDir dir;
    const std::string path = dir.file("fine.tif");
    const std::vector<fixtures::FaxPage> pages = {
        fixtures::FaxPage{fixtures::makeTextPage(1728, 2200, 11), 204, 196},
        fixtures::FaxPage{fixtures::makeTextPage(1728, 2200, 12), 204, 196}};
    if (!fixtures::writeLongFax(path, PAGES, pages))
        return 1;
    const CaseResult onDemand = runChild(path, false);
    const CaseResult ahead = runChild(path, true);
    if (onDemand.peakKB < 0 || ahead.peakKB < 0) {
        std::fprintf(stderr, "a case did not report\n");
        return 1;
    }
    if (onDemand.prepared != 0 || ahead.prepared == 0) {
        std::fprintf(stderr, "preparing ahead was not switched as asked\n");
        return 1;
    }
    const double budgetKB = 2.0 * double(ahead.blocks) / 1024.0;
    const long difference = ahead.peakKB - onDemand.peakKB;
    std::printf("%d Next Page commands at Fit to Width, 1728 x 2200 fine pages\n", TURNS);
    std::printf("  peak resident, pages read on demand   %8ld kB (on page %d)\n", onDemand.peakKB,
                onDemand.page + 1);
    std::printf("  peak resident, neighbours prepared    %8ld kB (on page %d, %d of %d turns "
                "to a prepared page)\n",
                ahead.peakKB, ahead.page + 1, ahead.prepared, TURNS);
    std::printf("  difference %ld kB = %.2f x two pages' source and display blocks (%.0f kB)   "
                "target at most 1\n",
                difference, budgetKB > 0 ? double(difference) / budgetKB : 0.0, budgetKB);
    return 0;
}
