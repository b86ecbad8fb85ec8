#include "view/text_search.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <string>

namespace vorn {

namespace {

bool isWordByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c >= 0x80;
}

constexpr std::array<unsigned char, 256> kLower = [] {
    std::array<unsigned char, 256> lower{};
    for (int c = 0; c < 256; ++c)
        lower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower;
}();

unsigned char byteAt(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]);
}

// One character of UTF-8 text at `at`, advancing `at` past it. A byte that starts no valid
// character stands for itself, above the range of characters, so it only matches itself.
char32_t decodeAt(std::string_view text, std::size_t& at) {
    const unsigned char lead = byteAt(text, at);
    const std::size_t size = lead < 0x80    ? 1
                             : lead >= 0xF5 ? 0
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC2 ? 2
                                            : 0;
    if (size == 1) {
        ++at;
        return lead;
    }
    if (size == 0 || at + size > text.size()) {
        ++at;
        return 0x110000 + lead;
    }
    char32_t value = lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        const unsigned char next = byteAt(text, at + i);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0x110000 + lead;
        }
        value = (value << 6) | (next & 0x3F);
    }
    at += size;
    return value;
}

char32_t folded(char32_t c) {
    return c < 0x110000 ? QChar::toCaseFolded(c) : c;
}

// The end of a match of the folded characters `needle` at `at`, or npos.
std::size_t foldedMatchEnd(std::string_view text, std::size_t at, const std::u32string& needle) {
    for (const char32_t wanted : needle) {
        if (at >= text.size() || folded(decodeAt(text, at)) != wanted)
            return std::string_view::npos;
    }
    return at;
}

bool equalsWithoutAsciiCase(const char* text, std::string_view needle) {
    for (std::size_t i = 0; i < needle.size(); ++i) {
        if (kLower[static_cast<unsigned char>(text[i])] !=
            kLower[static_cast<unsigned char>(needle[i])])
            return false;
    }
    return true;
}

} // namespace

std::optional<TextMatch> findInRange(std::string_view range, std::string_view needle, int flags,
                                     bool backwards, unsigned char before, unsigned char after) {
    if (needle.empty() || needle.size() > range.size())
        return std::nullopt;
    const auto standsAlone = [&](std::size_t begin, std::size_t end) {
        if (!(flags & SearchWholeWord))
            return true;
        const unsigned char left = begin > 0 ? byteAt(range, begin - 1) : before;
        const unsigned char right = end < range.size() ? byteAt(range, end) : after;
        return !isWordByte(left) && !isWordByte(right);
    };
    const std::size_t lastStart = range.size() - needle.size();

    if (flags & SearchMatchCase) {
        if (!backwards) {
            for (std::size_t at = range.find(needle); at != std::string_view::npos;
                 at = range.find(needle, at + 1)) {
                if (standsAlone(at, at + needle.size()))
                    return TextMatch{at, at + needle.size()};
            }
        } else {
            for (std::size_t at = range.rfind(needle); at != std::string_view::npos;
                 at = at == 0 ? std::string_view::npos : range.rfind(needle, at - 1)) {
                if (standsAlone(at, at + needle.size()))
                    return TextMatch{at, at + needle.size()};
            }
        }
        return std::nullopt;
    }

    const bool ascii =
        std::none_of(needle.begin(), needle.end(), [](char c) { return (c & 0x80) != 0; });
    if (ascii) {
        const unsigned char first = kLower[static_cast<unsigned char>(needle[0])];
        const auto matchesAt = [&](std::size_t at) {
            return kLower[byteAt(range, at)] == first &&
                   equalsWithoutAsciiCase(range.data() + at, needle) &&
                   standsAlone(at, at + needle.size());
        };
        if (!backwards) {
            for (std::size_t at = 0; at <= lastStart; ++at)
                if (matchesAt(at))
                    return TextMatch{at, at + needle.size()};
        } else {
            for (std::size_t at = lastStart + 1; at-- > 0;)
                if (matchesAt(at))
                    return TextMatch{at, at + needle.size()};
        }
        return std::nullopt;
    }

    // Letters beyond ASCII: compare folded characters. A match may differ in length from the
    // needle (a letter and its other case can take different byte counts).
    std::u32string foldedNeedle;
    for (std::size_t at = 0; at < needle.size();)
        foldedNeedle += folded(decodeAt(needle, at));
    std::optional<TextMatch> last;
    for (std::size_t at = 0; at < range.size(); ++at) {
        if ((byteAt(range, at) & 0xC0) == 0x80)
            continue; // inside a character
        const std::size_t end = foldedMatchEnd(range, at, foldedNeedle);
        if (end == std::string_view::npos || !standsAlone(at, end))
            continue;
        if (!backwards)
            return TextMatch{at, end};
        last = TextMatch{at, end};
    }
    return last;
}

} // namespace vorn
