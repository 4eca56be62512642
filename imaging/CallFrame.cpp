#include "imaging/CallFrame.h"
#include "imaging/imaging.h"

#include "platform/ThreadLocal.h"

namespace {

struct StateNode
{
    ThreadState *state;
    StateNode *next;
};

// Every thread's record, kept until the process ends; the lock guards only the
// list, since each thread touches nothing but its own record.
class ThreadStateRegistry
{
public:
    ThreadStateRegistry()
    {
        InitializeCriticalSection(&m_lock);
        m_slot = TlsAlloc();
        if (m_slot == TLS_OUT_OF_INDEXES)
            throw TlsException(GetLastError());
    }

    ~ThreadStateRegistry()
    {
        if (m_slot != TLS_OUT_OF_INDEXES)
            TlsFree(m_slot);
        EnterCriticalSection(&m_lock);
        while (m_head) {
            StateNode *node = m_head;
            m_head = node->next;
            delete node->state;
            delete node;
        }
        LeaveCriticalSection(&m_lock);
        DeleteCriticalSection(&m_lock);
    }

    ThreadStateRegistry(const ThreadStateRegistry &) = delete;
    ThreadStateRegistry &operator=(const ThreadStateRegistry &) = delete;

    ThreadState *stateOfThisThread()
    {
        if (m_slot == TLS_OUT_OF_INDEXES)
            return nullptr;
        if (auto *state = static_cast<ThreadState *>(TlsGetValue(m_slot)))
            return state;

        auto *state = new ThreadState;
        if (!TlsSetValue(m_slot, state)) {
            std::uint32_t code = GetLastError();
            delete state;
            throw TlsException(code);
        }
        auto *node = new StateNode{state, nullptr};
        EnterCriticalSection(&m_lock);
        node->next = m_head;
        m_head = node;
        LeaveCriticalSection(&m_lock);
        return state;
    }

private:
    std::uint32_t m_slot = TLS_OUT_OF_INDEXES;
    StateNode *m_head = nullptr;
    CRITICAL_SECTION m_lock;
};

ThreadStateRegistry &registry()
{
    static ThreadStateRegistry instance;
    return instance;
}

// Built during static initialisation, before the application runs.
[[maybe_unused]] ThreadStateRegistry &g_registryAtStartup = registry();

} // namespace

ThreadState *threadState() { return registry().stateOfThisThread(); }

void setLastError(std::uint32_t code)
{
    if (ThreadState *state = threadState())
        state->lastError = code;
}

std::uint32_t imgGetLastError()
{
    ThreadState *state = threadState();
    return state ? state->lastError : 0;
}
