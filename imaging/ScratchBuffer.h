#pragma once

#include <cstdint>
#include <cstdlib>

// Working memory of one operation, from the general heap. Released by its holder's
// destructor on every way out.
class ScratchBuffer
{
public:
    ScratchBuffer() = default;
    ~ScratchBuffer() { release(); }
    ScratchBuffer(const ScratchBuffer &) = delete;
    ScratchBuffer &operator=(const ScratchBuffer &) = delete;

    // Keeps the held block when the count is unchanged; otherwise drops it and, for a
    // positive count, allocates a new one. data() is null when nothing is held.
    void resize(std::int32_t count)
    {
        if (m_data && count == m_count)
            return;
        release();
        if (count > 0) {
            m_data = static_cast<std::uint8_t *>(std::malloc(static_cast<std::size_t>(count)));
            if (m_data)
                m_count = count;
        }
    }

    void release()
    {
        std::free(m_data);
        m_data = nullptr;
        m_count = 0;
    }

    std::uint8_t *data() const { return m_data; }
    std::int32_t count() const { return m_count; }

private:
    std::int32_t m_count = 0;
    std::uint8_t *m_data = nullptr;
};
