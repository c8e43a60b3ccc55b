#pragma once

#include <cstddef>
#include <vector>

// The newest lines within a count, oldest first. Once full, a new line is
// written over the oldest one in place: its strings keep their buffers, so a
// steady stream of lines allocates nothing.
template <class Line>
class TLineRing {
public:
    explicit TLineRing(std::size_t capacity) : m_capacity(capacity) {}

    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const Line& operator[](std::size_t index) const { return m_lines[(m_first + index) % m_lines.size()]; }
    const Line& back() const { return (*this)[m_count - 1]; }
    // The held lines are gone; their buffers stay for the next.
    void clear()
    {
        m_first = 0;
        m_count = 0;
    }
    // The slot of a new newest line, holding whatever it held before: the caller writes every part.
    // Until the ring is full (since it was made or last cleared) m_first is 0.
    Line& Next()
    {
        if (m_count < m_lines.size())
            return m_lines[m_count++];
        if (m_lines.size() < m_capacity) {
            ++m_count;
            return m_lines.emplace_back();
        }
        // Wrapped by a compare: a division per line cost more than the rest of Next.
        Line& oldest = m_lines[m_first];
        if (++m_first == m_lines.size())
            m_first = 0;
        return oldest;
    }

private:
    std::size_t m_capacity;
    std::vector<Line> m_lines;
    std::size_t m_first { 0 };
    std::size_t m_count { 0 };
};
