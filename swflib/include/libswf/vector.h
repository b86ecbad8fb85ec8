// Containers of the object model: every list owns its elements through the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace libswf {

// Empty root of the object model.
struct SwfObject {};

// Base of every record and tag; prepare runs before sizes are computed so that derived
// fields (frame counts, flags) are current.
class SwfStruct : public SwfObject {
public:
    SwfStruct() = default;
    SwfStruct(const SwfStruct&) = default;
    SwfStruct& operator=(const SwfStruct&) = default;
    SwfStruct(SwfStruct&&) = default;
    SwfStruct& operator=(SwfStruct&&) = default;
    virtual ~SwfStruct() = default;
    virtual void prepare() {}
};

// An owned, growable array.
template <class T>
using SwfVector = std::vector<T>;

// An array that owns the objects its elements point to.
template <class T>
using SwfPtrVector = std::vector<std::unique_ptr<T>>;

// An owned block of bytes that is not zero-filled on allocation: whole movies pass through
// these, and clearing hundreds of megabytes only to overwrite them would cost real time.
class SwfBuffer {
public:
    SwfBuffer() = default;
    explicit SwfBuffer(std::size_t size)
        : m_data(size ? std::make_unique_for_overwrite<std::uint8_t[]>(size) : nullptr),
          m_size(size) {}

    std::uint8_t* data() { return m_data.get(); }
    const std::uint8_t* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::span<const std::uint8_t> span() const { return {m_data.get(), m_size}; }
    std::vector<std::uint8_t> toVector() const { return {m_data.get(), m_data.get() + m_size}; }

    // Keeps the first newSize bytes; the allocation itself is not shrunk.
    void truncate(std::size_t newSize) {
        if (newSize < m_size)
            m_size = newSize;
    }
    void reset() {
        m_data.reset();
        m_size = 0;
    }

private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_size = 0;
};

} // namespace libswf
