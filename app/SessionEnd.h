#pragma once

// SIGTERM and SIGINT end the session as the close box does, so the bar layout and
// settings are saved. A modal box (an error, a file dialog) and the printing box are
// closed first, which cancels a print job after its current sheet without asking; the
// main window closes once the code that opened the box has returned to the main loop.
// The desktop's logout cancels a print job the same way when it asks the program to
// save its work.

// Installs the handlers; needs the application object. Once per process.
void InstallSessionEndSignals();
// Tells the handler the main loop runs: before it, a request only stops it starting.
void SetMainLoopRunning(bool bRunning);
bool IsSessionEndRequested();
