// Working through a folder of received faxes: listing and ordering a folder of 2,000
// faxes, the first time and again unchanged, against reading one page of one of them, Next Fax in
// that folder against File > Open of the same file, through the running application, and the Fax
// Properties dialog of a 65,535-page fax until it is shown.

#include "app/PagelotApp.h"
#include "display/PageBitmap.h"
#include "document/FaxFolder.h"
#include "framework/FileDialog.h"
#include "framework/FrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "tools/fixtures/FixtureWriter.h"
#include "tools/fixtures/LongFax.h"
#include "tools/fixtures/TempDir.h"
#include "view/FaxPropertiesDlg.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr int FAXES = 2000;
const std::string kStamp = "2026:12:08 00:00:00";

// 2,000 copies of one text-dense fine G4 page, each with its own DateTime, written once.
struct Folder
{
    Folder()
    {
        const std::string model = dir.file("model.tif");
        fixtures::FaxPage page{fixtures::makeTextPage(1728, 2200, 5), 204, 196};
        page.tags.dateTime = kStamp;
        page.tags.imageDescription = "+44 1632 960 417";
        fixtures::writeFaxTiff(model, {page});
        std::ifstream in(model, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const std::size_t at = bytes.find(kStamp);
        std::remove(model.c_str());
        for (int i = 0; i < FAXES; ++i) {
            std::string copy = bytes;
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "2026:12:08 %02d:%02d:%02d", i / 3600, i / 60 % 60,
                          i % 60);
            copy.replace(at, kStamp.size(), stamp);
            char name[32];
            std::snprintf(name, sizeof name, "/fax%04d.tif", (i * 7919) % FAXES);
            std::ofstream(path + name, std::ios::binary) << copy;
            if (i == FAXES / 2)
                middle = path + name;
        }
    }
    TempDir dir;
    std::string path = dir.path();
    std::string middle;
};

const Folder &folder()
{
    static Folder instance;
    return instance;
}

// The first listing of the folder: every file's first page directory read.
void BM_ListFolderCold(benchmark::State &state)
{
    const CString path = QString::fromStdString(folder().path);
    for (auto _ : state) {
        CReceivedTimes times;
        const std::vector<FolderFax> faxes = ListFaxFolder(path, &times);
        benchmark::DoNotOptimize(faxes.data());
        if (faxes.size() != FAXES)
            state.SkipWithError("folder not listed whole");
    }
    state.SetLabel("2,000 faxes, first listing");
}
BENCHMARK(BM_ListFolderCold)->Unit(benchmark::kMillisecond);

// Listed again, nothing changed: what a step and the worker pay, one stat per file.
void BM_ListFolderWarm(benchmark::State &state)
{
    const CString path = QString::fromStdString(folder().path);
    CReceivedTimes times;
    ListFaxFolder(path, &times);
    for (auto _ : state) {
        const std::vector<FolderFax> faxes = ListFaxFolder(path, &times);
        benchmark::DoNotOptimize(faxes.data());
        if (faxes.size() != FAXES)
            state.SkipWithError("folder not listed whole");
    }
    state.SetLabel("2,000 faxes, listed again unchanged");
}
BENCHMARK(BM_ListFolderWarm)->Unit(benchmark::kMillisecond);

void BM_ReadOnePage(benchmark::State &state)
{
    const CString path = QString::fromStdString(folder().middle);
    for (auto _ : state) {
        CPageBitmap page;
        if (page.LoadPage(path, 0) != IMG_OK)
            state.SkipWithError("page not read");
        benchmark::DoNotOptimize(page.m_pPixels);
    }
    state.SetLabel("one 1728 x 2200 G4 page");
}
BENCHMARK(BM_ReadOnePage)->Unit(benchmark::kMillisecond);

// The application started on the fax in the middle of the folder, as the command line does.
struct Session
{
    Session()
    {
        CWinApp::SetProfileFileForTesting(QString::fromStdString(settings.file("profile.ini")));
        app = std::make_unique<CPagelotApp>();
        app->SetCommandLine({QStringLiteral("pagelot"), QString::fromStdString(folder().middle)});
        app->InitInstance();
    }
    ~Session() { app->CloseAllDocuments(TRUE); }
    TempDir settings;
    std::unique_ptr<CPagelotApp> app;
};

// One step per iteration, forward then back, so every step opens a neighbour. Each step
// lists the folder again; the first listing, which reads every file, is made before.
void BM_NextFaxInFolder(benchmark::State &state)
{
    Session session;
    session.app->m_pMainWnd->ExecuteCommand(ID_FAX_NEXT_IN_FOLDER);
    session.app->m_pMainWnd->ExecuteCommand(ID_FAX_PREVIOUS_IN_FOLDER);
    bool forward = true;
    for (auto _ : state) {
        session.app->m_pMainWnd->ExecuteCommand(forward ? ID_FAX_NEXT_IN_FOLDER
                                                        : ID_FAX_PREVIOUS_IN_FOLDER);
        forward = !forward;
    }
    state.SetLabel("folder of 2,000");
}
BENCHMARK(BM_NextFaxInFolder)->Unit(benchmark::kMillisecond);

void BM_FileOpenSameFax(benchmark::State &state)
{
    Session session;
    const CString path = QString::fromStdString(folder().middle);
    AfxSetFileDialogHook([&](const CFileDialog &, CString *pPathName) -> INT_PTR {
        *pPathName = path;
        return IDOK;
    });
    for (auto _ : state)
        session.app->m_pMainWnd->ExecuteCommand(ID_FILE_OPEN);
    AfxSetFileDialogHook({});
    state.SetLabel("dialog answered at once");
}
BENCHMARK(BM_FileOpenSameFax)->Unit(benchmark::kMillisecond);

const std::string &longFax()
{
    static TempDir dir;
    static const std::string path = [] {
        const std::string file = dir.file("long.tif");
        fixtures::FaxPage page{fixtures::BilevelImage(1728, 2200), 204, 196};
        page.image.fillRect(0, 0, 1728, 16);
        fixtures::writeLongFax(file, 65535, {page});
        return file;
    }();
    return path;
}

// The dialog until it is shown, its page list laid out: the first and last page's facts
// and the pages in view read, the rest left to idle time.
void BM_FaxPropertiesShown(benchmark::State &state)
{
    const CString name = QString::fromStdString(longFax());
    for (auto _ : state) {
        auto *pDialog = new CFaxPropertiesDlg(QStringLiteral("long.tif"), ReadFaxFacts(name));
        pDialog->show();
        QApplication::sendPostedEvents();
        if (pDialog->Pages().Count() != 65535)
            state.SkipWithError("page count wrong");
        delete pDialog;
    }
    state.SetLabel("65,535 pages");
}
BENCHMARK(BM_FaxPropertiesShown)->Unit(benchmark::kMillisecond);

// The same, with every page read before it is shown: what the whole summary costs.
void BM_FaxPropertiesAllPagesFirst(benchmark::State &state)
{
    const CString name = QString::fromStdString(longFax());
    for (auto _ : state) {
        FaxFacts facts = ReadFaxFacts(name);
        while (facts.pages->ReadMore()) {
        }
        auto *pDialog = new CFaxPropertiesDlg(QStringLiteral("long.tif"), std::move(facts));
        pDialog->show();
        QApplication::sendPostedEvents();
        delete pDialog;
    }
    state.SetLabel("65,535 pages");
}
BENCHMARK(BM_FaxPropertiesAllPagesFirst)->Unit(benchmark::kMillisecond);

// One chunk read on idle, from pages far into the fax: how long the window waits at most.
void BM_FaxPropertiesIdleChunk(benchmark::State &state)
{
    const CString name = QString::fromStdString(longFax());
    FaxFacts facts = ReadFaxFacts(name);
    std::uint32_t page = 40000;
    for (auto _ : state) {
        FaxPageFacts pages(name, 65535);
        if (!pages.Page(page))
            state.SkipWithError("page not read");
        page = (page + FAX_PAGE_CHUNK * 7) % 65535;
    }
    state.SetLabel(std::to_string(FAX_PAGE_CHUNK) + " pages");
}
BENCHMARK(BM_FaxPropertiesIdleChunk)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    folder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
