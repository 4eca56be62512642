// Leaves the settings of a session that ended with the toolbar floating at X Y, as
// dragging the bar off the frame does, in the settings file the environment names.
//   floating_toolbar_layout X Y

#include "app/MainFrame.h"
#include "app/PagelotApp.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s X Y\n", argv[0]);
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CPagelotApp theApp;
    theApp.SetCommandLine({QStringLiteral("pagelot")});
    auto *pFrame = theApp.InitInstance() ? dynamic_cast<CMainFrame *>(AfxGetMainWnd()) : nullptr;
    if (!pFrame) {
        std::fprintf(stderr, "the main window did not start\n");
        return 1;
    }
    CToolBar &bar = pFrame->GetToolBar();
    bar.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    bar.move(std::atoi(argv[1]), std::atoi(argv[2]));
    bar.show();
    const bool floating = bar.isFloating();
    pFrame->close();
    theApp.ExitInstance();
    theApp.CloseAllDocuments(TRUE);
    if (!floating) {
        std::fprintf(stderr, "the toolbar did not float\n");
        return 1;
    }
    return 0;
}
