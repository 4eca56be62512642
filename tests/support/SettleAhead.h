#pragma once

#include "display/PagePrefetcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// Runs the event loop until the prefetcher has nothing left to do; false when it never
// gets there (a hang, not a slow machine: the bound is generous).
inline bool settleAhead(const CPagePrefetcher &ahead)
{
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (ahead.IsIdle())
            return true;
    } while (clock.elapsed() < 120000);
    return false;
}
