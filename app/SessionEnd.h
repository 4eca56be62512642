#pragma once

// SIGTERM and SIGINT end the session as the close box does, so the bar layout and
// settings are saved. A modal box (an error, a file dialog) and the printing box are
// closed first, which also ends a print job after its current sheet; the main
// window closes once the code that opened the box has returned to the main loop.

// Installs the handlers; needs the application object. Once per process.
void InstallSessionEndSignals();
// Tells the handler the main loop runs: before it, a request only stops it starting.
void SetMainLoopRunning(bool bRunning);
bool IsSessionEndRequested();
