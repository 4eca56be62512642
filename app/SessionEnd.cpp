#include "app/SessionEnd.h"

#include "framework/FrameWnd.h"
#include "framework/Printing.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};
bool g_endRequested = false;
bool g_mainLoopRunning = false;

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// The printing box is not modal, but holds a loop of its own all the same.
void cancelPrinting()
{
    if (QDialog *pPrinting = GetPrintProgressBox())
        pPrinting->close();
}

void endSession()
{
    g_endRequested = true;
    for (int i = 0; i < 16 && QApplication::activeModalWidget(); ++i)
        QApplication::activeModalWidget()->close();
    cancelPrinting();
    if (!g_mainLoopRunning || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, qApp, endSession);
        return;
    }
    if (CFrameWnd *pFrame = AfxGetMainWnd())
        pFrame->close();
    else
        QCoreApplication::quit();
}

} // namespace

void InstallSessionEndSignals()
{
    if (g_signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        endSession();
    });
    // The session manager may still cancel the logout: only the print job ends here.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                     [](QSessionManager &) { cancelPrinting(); });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void SetMainLoopRunning(bool bRunning) { g_mainLoopRunning = bRunning; }

bool IsSessionEndRequested() { return g_endRequested; }
