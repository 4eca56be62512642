// Printing and print preview of long faxes through the running application's view:
// a whole fax printed to PDF (time should grow with the page count, not faster),
// the preview's first sheet on screen for a 1-page and a 10,000-page fax (about the
// same time), and the preview's memory after paging (about the same for any length).

#include "app/PagelotApp.h"
#include "framework/FrameWnd.h"
#include "framework/PrintPreview.h"
#include "framework/Printing.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QPrinter>
#include <benchmark/benchmark.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace {

TempDir &folder()
{
    static TempDir dir;
    return dir;
}

// Written on first use, once per page count: text pages to print, or framed
// near-empty pages (quick to write by the ten thousand) to preview.
const std::string &faxOf(int pages, bool text)
{
    static std::map<std::pair<int, bool>, std::string> paths;
    auto &path = paths[{pages, text}];
    if (path.empty()) {
        path = folder().file("fax-" + std::to_string(pages) + (text ? "-text" : "") + ".tif");
        fixtures::FaxPage page{fixtures::BilevelImage(1728, 2200), 204, 196};
        if (text)
            page.image = fixtures::makeTextPage(1728, 2200, 7);
        else
            page.image.fillRect(0, 0, 1728, 16);
        fixtures::writeFaxTiff(path, std::vector<fixtures::FaxPage>(size_t(pages), page));
    }
    return path;
}

// The resident set now, in MB.
double residentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

// The application started on the fax, as the command line does.
struct Session
{
    Session(int pages, bool text)
    {
        CWinApp::SetProfileFileForTesting(QString::fromStdString(folder().file("profile.ini")));
        app = std::make_unique<CPagelotApp>();
        app->SetCommandLine(
            {QStringLiteral("pagelot"), QString::fromStdString(faxOf(pages, text))});
        app->InitInstance();
        view = app->m_pMainWnd ? app->m_pMainWnd->GetActiveView() : nullptr;
    }
    ~Session() { app->CloseAllDocuments(TRUE); }
    std::unique_ptr<CPagelotApp> app;
    CView *view = nullptr;
};

void BM_PrintToPdf(benchmark::State &state)
{
    Session session(int(state.range(0)), true);
    if (!session.view) {
        state.SkipWithError("the fax did not open");
        return;
    }
    const std::string pdf = folder().file("out.pdf");
    SetPrintDialogHook([&](QPrinter &printer, CPrintInfo &) -> BOOL {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setResolution(600);
        return TRUE;
    });
    for (auto _ : state)
        session.view->OnFilePrint();
    SetPrintDialogHook({});
    state.counters["pages/s"] = benchmark::Counter(double(state.range(0)) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrintToPdf)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

// Opens the preview on the fax of state.range(0) framed pages once per iteration,
// `shown` running with the preview on screen.
void runPreview(benchmark::State &state, const std::function<void(CPrintPreviewDlg &)> &shown)
{
    Session session(int(state.range(0)), false);
    if (!session.view) {
        state.SkipWithError("the fax did not open");
        return;
    }
    AfxGetPrinter()->setOutputFormat(QPrinter::PdfFormat);
    AfxGetPrinter()->setResolution(600);
    SetPrintPreviewHook([&](CPrintPreviewDlg &dialog) {
        dialog.resize(900, 1100);
        dialog.show();
        shown(dialog);
    });
    for (auto _ : state)
        session.view->OnFilePrintPreview();
    SetPrintPreviewHook({});
}

void BM_PreviewFirstSheet(benchmark::State &state)
{
    runPreview(state, [](CPrintPreviewDlg &) {});
}
BENCHMARK(BM_PreviewFirstSheet)->Arg(1)->Arg(10000)->Unit(benchmark::kMillisecond);

// The preview's resident memory after paging through 50 sheets two at a time
// (counter rss_MB; the time is of the whole paging).
void BM_PreviewPaging(benchmark::State &state)
{
    double resident = 0;
    runPreview(state, [&](CPrintPreviewDlg &dialog) {
        QAction *two = nullptr;
        QAction *next = nullptr;
        for (QAction *action : dialog.findChildren<QAction *>()) {
            if (action->text() == QStringLiteral("Two Page"))
                two = action;
            else if (action->text() == QStringLiteral("Next Page"))
                next = action;
        }
        if (!two || !next) {
            state.SkipWithError("the preview has no paging buttons");
            return;
        }
        two->trigger();
        for (int i = 0; i < 50; ++i)
            next->trigger();
        resident = residentMegabytes();
    });
    state.counters["rss_MB"] = resident;
}
BENCHMARK(BM_PreviewPaging)
    ->Arg(10)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
