#include "platform/ThreadLocal.h"

#include <atomic>
#include <cerrno>
#include <pthread.h>

namespace {

thread_local std::uint32_t t_lastError = 0;
std::atomic<int> g_failTlsSet{0};

} // namespace

std::uint32_t TlsAlloc()
{
    pthread_key_t key;
    int rc = pthread_key_create(&key, nullptr);
    if (rc != 0) {
        t_lastError = static_cast<std::uint32_t>(rc);
        return TLS_OUT_OF_INDEXES;
    }
    return static_cast<std::uint32_t>(key);
}

void *TlsGetValue(std::uint32_t index)
{
    if (index == TLS_OUT_OF_INDEXES)
        return nullptr;
    return pthread_getspecific(static_cast<pthread_key_t>(index));
}

int TlsSetValue(std::uint32_t index, void *value)
{
    int pending = g_failTlsSet.load();
    while (pending > 0 && !g_failTlsSet.compare_exchange_weak(pending, pending - 1)) {
    }
    int rc = pending > 0 ? ENOMEM
             : index == TLS_OUT_OF_INDEXES
                 ? EINVAL
                 : pthread_setspecific(static_cast<pthread_key_t>(index), value);
    if (rc != 0) {
        t_lastError = static_cast<std::uint32_t>(rc);
        return 0;
    }
    return 1;
}

int TlsFree(std::uint32_t index)
{
    if (index == TLS_OUT_OF_INDEXES)
        return 0;
    return pthread_key_delete(static_cast<pthread_key_t>(index)) == 0 ? 1 : 0;
}

std::uint32_t GetLastError() { return t_lastError; }

void SetLastError(std::uint32_t code) { t_lastError = code; }

void FailNextTlsSetValueForTesting(int count) { g_failTlsSet.store(count); }
