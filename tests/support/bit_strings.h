// Bytes written as bit strings, for records packed across byte boundaries: "11 0100 0 1" keeps
// every field of a record visible in the test that expects it.
#pragma once

#include "swf_bytes.h"

#include <string_view>

namespace vorn::test {

// "0101 1" -> {0x58}: the bits most significant first, padded with zeros to a whole byte;
// anything but 0 and 1 only separates fields.
inline Bytes bits(std::string_view text) {
    Bytes out;
    unsigned n = 0;
    for (char c : text) {
        if (c != '0' && c != '1')
            continue;
        if (n % 8 == 0)
            out.push_back(0);
        if (c == '1')
            out.back() |= static_cast<std::uint8_t>(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

} // namespace vorn::test
