#include "imaging/TiffDiagnostics.h"

#include "platform/DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <tiffio.h>

namespace {

void sendToDebugOutput(const char *module, const char *format, va_list args)
{
    std::string text;
    if (module && *module) {
        text = module;
        text += ": ";
    }
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        std::size_t start = text.size();
        text.resize(start + static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data() + start, static_cast<std::size_t>(length) + 1, format, args);
        text.resize(start + static_cast<std::size_t>(length));
    }
    text += "\n";
    OutputDebugStringA(text.c_str());
}

void tiffWarning(const char *module, const char *format, va_list args)
{
    sendToDebugOutput(module, format, args);
}

void tiffError(const char *module, const char *format, va_list args)
{
    sendToDebugOutput(module, format, args);
}

// Runs before main, so even a libtiff call made before the first entry point
// (a test writing fixtures, for one) never prints to stderr.
const bool g_installedAtStartup = (installTiffDiagnostics(), true);

} // namespace

void installTiffDiagnostics()
{
    static const bool installed = [] {
        TIFFSetWarningHandler(tiffWarning);
        TIFFSetErrorHandler(tiffError);
        return true;
    }();
    (void)installed;
    (void)g_installedAtStartup;
}
