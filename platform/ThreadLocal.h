#pragma once

#include <cstdint>
#include <mutex>

// Thread-local storage slots and critical sections over pthreads, with the
// calling thread's system error code behind GetLastError.
constexpr std::uint32_t TLS_OUT_OF_INDEXES = 0xFFFFFFFFu;

std::uint32_t TlsAlloc();
void *TlsGetValue(std::uint32_t index);
int TlsSetValue(std::uint32_t index, void *value);
int TlsFree(std::uint32_t index);

std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

// Makes the next `count` calls of TlsSetValue fail with ENOMEM, so tests can
// reach the failure paths of their callers.
void FailNextTlsSetValueForTesting(int count);

struct CRITICAL_SECTION
{
    std::mutex mutex;
};

inline void InitializeCriticalSection(CRITICAL_SECTION *) {}
inline void DeleteCriticalSection(CRITICAL_SECTION *) {}
inline void EnterCriticalSection(CRITICAL_SECTION *section) { section->mutex.lock(); }
inline void LeaveCriticalSection(CRITICAL_SECTION *section) { section->mutex.unlock(); }
