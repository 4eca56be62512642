#pragma once

#include <functional>
#include <memory>
#include <string>

// The debugger output channel. Silent unless a sink is installed: nothing here
// ever reaches the user or the console by itself.
void OutputDebugStringA(const char *text);

using DebugOutputSink = std::function<void(const char *)>;
// Installs a sink (a test capturing output, or a developer's stderr) and returns
// the previous one; an empty function makes the channel silent again.
DebugOutputSink SetDebugOutputSink(DebugOutputSink sink);

// printf-style trace line to the debug output.
void DebugTrace(const char *format, ...) __attribute__((format(printf, 1, 2)));

#define TRACE(...) DebugTrace(__VA_ARGS__)

// Captures everything written to the debug output while it lives.
class DebugOutputCapture
{
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture &) = delete;
    DebugOutputCapture &operator=(const DebugOutputCapture &) = delete;

    std::string text() const;

private:
    DebugOutputSink m_previous;
    std::shared_ptr<std::string> m_text;
};
