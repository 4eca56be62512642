#include "app/PagelotApp.h"
#include "app/SessionEnd.h"
#include "framework/FilePath.h"
#include "framework/FrameWnd.h"
#include "resources/Icons.h"

#include <QApplication>

namespace {

// The one application object, as the framework expects.
CPagelotApp theApp;

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("2.1.0.0"));
    QApplication::setWindowIcon(ApplicationIcon());
    // Lets the desktop match the window to its entry and icon; nothing is registered.
    QGuiApplication::setDesktopFileName(QStringLiteral(PAGELOT_APP_ID));
    InstallSessionEndSignals();
    // File names as the bytes given: QApplication's own list decodes them lossily.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << PathFromBytes(argv[i]);
    theApp.SetCommandLine(arguments);

    int exitCode = 1;
    if (theApp.InitInstance()) {
        if (!IsSessionEndRequested()) {
            SetMainLoopRunning(true);
            app.exec();
        } else if (CFrameWnd *pFrame = AfxGetMainWnd()) {
            pFrame->close();
        }
        exitCode = theApp.ExitInstance();
    } else {
        theApp.ExitInstance();
    }
    // Windows go before the toolkit they belong to.
    theApp.CloseAllDocuments(TRUE);
    return exitCode;
}
