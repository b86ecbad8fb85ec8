// What the tag families share while reading, sizing and writing: the alpha flag held for
// one tag or record, and byte counts that must fit a 32-bit length. Private to the library.
#pragma once

#include "libswf/exception.h"
#include "libswf/stream.h"

#include <cstdint>
#include <limits>
#include <string>

namespace libswf {

// Sets the stream's alpha flag for the lifetime of the object and restores it afterwards:
// a tag stores its colours with or without alpha whatever the tag before it needed, and
// must not leave its own state to the tag after it.
class SwfAlphaScope {
public:
    SwfAlphaScope(SwfStream& stream, bool alpha) : m_stream(stream), m_saved(stream.alpha) {
        stream.alpha = alpha;
    }
    ~SwfAlphaScope() { m_stream.alpha = m_saved; }
    SwfAlphaScope(const SwfAlphaScope&) = delete;
    SwfAlphaScope& operator=(const SwfAlphaScope&) = delete;

private:
    SwfStream& m_stream;
    bool m_saved;
};

// A byte count that must fit a 32-bit length; `what` names it in the failure.
inline std::uint32_t checkedLength(std::uint64_t value, const char* what) {
    if (value > std::numeric_limits<std::uint32_t>::max())
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(what) + " of " + std::to_string(value) +
                               " bytes does not fit a 32-bit tag length");
    return static_cast<std::uint32_t>(value);
}

} // namespace libswf
