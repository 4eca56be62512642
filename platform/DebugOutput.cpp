#include "platform/DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

namespace {

std::mutex g_sinkLock;

DebugOutputSink &currentSink()
{
    static DebugOutputSink sink;
    return sink;
}

} // namespace

void OutputDebugStringA(const char *text)
{
    if (!text)
        return;
    std::lock_guard<std::mutex> guard(g_sinkLock);
    if (currentSink())
        currentSink()(text);
}

DebugOutputSink SetDebugOutputSink(DebugOutputSink sink)
{
    std::lock_guard<std::mutex> guard(g_sinkLock);
    DebugOutputSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

void DebugTrace(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length >= 0) {
        std::vector<char> text(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        OutputDebugStringA(text.data());
    }
    va_end(args);
}

DebugOutputCapture::DebugOutputCapture()
    : m_text(std::make_shared<std::string>())
{
    auto text = m_text;
    m_previous = SetDebugOutputSink([text](const char *line) { text->append(line); });
}

DebugOutputCapture::~DebugOutputCapture() { SetDebugOutputSink(std::move(m_previous)); }

std::string DebugOutputCapture::text() const
{
    std::lock_guard<std::mutex> guard(g_sinkLock);
    return *m_text;
}
