#pragma once

// libtiff's warnings and errors go to the debug output, never to the console or
// the user. The handlers are installed during static initialisation; calling
// this as well (openTiffOnSource does) keeps the installer linked into every
// program that reads TIFF.
void installTiffDiagnostics();
