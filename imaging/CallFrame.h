#pragma once

// The per-thread last error and the frame every entry point runs its work in.

#include <cstdint>

struct ThreadState
{
    std::uint32_t lastError = 0;
};

// Raised when a thread-local storage call fails; carries the system error code.
class TlsException
{
public:
    explicit TlsException(std::uint32_t systemError)
        : m_systemError(systemError)
    {
    }
    std::uint32_t systemError() const { return m_systemError; }

private:
    std::uint32_t m_systemError;
};

// The calling thread's record, created on first use (TlsException if it cannot be
// stored in the slot).
ThreadState *threadState();
void setLastError(std::uint32_t code);

// The call frame of an entry point: the work gets a status starting at IMG_OK, which
// becomes the calling thread's last error whatever the outcome.
template <typename Result, typename Work> Result runFramed(Work &&work)
{
    std::uint32_t status = 0;
    Result result = work(status);
    setLastError(status);
    return result;
}
