#include "app/PagelotApp.h"
#include "framework/FrameWnd.h"
#include "resources/Icons.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The one application object, as the framework expects.
CPagelotApp theApp;

int g_signalPipe[2] = {-1, -1};
bool g_endRequested = false;
bool g_mainLoopRunning = false;

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// Ends the program as the close box does. A modal box (a start-up error, a file
// dialog) runs an event loop of its own and would wait for an answer nobody gives:
// it is closed first, and the frame only once the code that opened the box has
// returned to the main loop. A request before the main loop runs stops it starting.
void endSession()
{
    g_endRequested = true;
    for (int i = 0; i < 16 && QApplication::activeModalWidget(); ++i)
        QApplication::activeModalWidget()->close();
    if (!g_mainLoopRunning || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, qApp, endSession);
        return;
    }
    if (CFrameWnd *pFrame = AfxGetMainWnd())
        pFrame->close();
    else
        QCoreApplication::quit();
}

// SIGTERM and SIGINT close the main window as the close box does, so the bar layout is
// saved when a session ends.
void closeOnTerminate()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        endSession();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("2.1.0.0"));
    QApplication::setWindowIcon(ApplicationIcon());
    // Lets the desktop match the window to its entry and icon; nothing is registered.
    QGuiApplication::setDesktopFileName(QStringLiteral(PAGELOT_APP_ID));
    closeOnTerminate();

    int exitCode = 1;
    if (theApp.InitInstance()) {
        if (!g_endRequested) {
            g_mainLoopRunning = true;
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
