#include "files/code_page.h"

#include "swfxml/parser.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <vector>

namespace vorn {

namespace {

constexpr char32_t kNone = 0xFFFFFFFF;

// windows-1252 from 0x80 to 0x9F; the five bytes the code page leaves undefined keep the
// C1 control of their own value, which no other byte decodes to.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// A character in the private use area for a byte whose own value is taken by another byte.
constexpr char32_t kPrivateBase = 0xF700;

// The character of a well-formed UTF-8 sequence at `at` (no overlong forms, no surrogates,
// nothing above U+10FFFF) and its length; length 0 when the bytes there are not one.
char32_t readUtf8(std::string_view text, std::size_t at, std::size_t& length) {
    length = 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char first = byte(0);
    if (first < 0x80) {
        length = 1;
        return first;
    }
    std::size_t need;
    char32_t c;
    char32_t least;
    if (first >= 0xC2 && first <= 0xDF) {
        need = 1, c = first & 0x1F, least = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        need = 2, c = first & 0x0F, least = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        need = 3, c = first & 0x07, least = 0x10000;
    } else {
        return kNone;
    }
    if (at + need >= text.size())
        return kNone;
    for (std::size_t i = 1; i <= need; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return kNone;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return kNone;
    length = need + 1;
    return c;
}

std::string hexByte(unsigned char b) {
    constexpr char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

std::string codePointName(char32_t c) {
    constexpr char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (int shift = 20; shift >= 0; shift -= 4)
        if (hex.size() || (c >> shift) || shift < 16)
            hex += digits[(c >> shift) & 15];
    return "U+" + hex;
}

// Why the text cannot be encoded at `at`: a character without a byte in the code page, or
// bytes that are not UTF-8 at all.
EncodedText unencodable(std::string_view text, std::size_t at, const std::string& codePage) {
    std::size_t length = 0;
    const char32_t c = readUtf8(text, at, length);
    EncodedText result;
    const std::string codePageText =
        "the code page " + codePage + ", which holds the text of movies before SwfVersion 6";
    result.reason = length == 0
                        ? "the byte " + hexByte(static_cast<unsigned char>(text[at])) +
                              " is not part of a UTF-8 character, so the text cannot "
                              "be written in " +
                              codePageText
                        : "the character " + codePointName(c) + " has no byte in " + codePageText;
    const TextPlace place = placeOfOffset(text, at);
    result.line = place.line;
    result.column = place.column;
    return result;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// The first byte at or after p that is not ASCII, or end; eight bytes at a time.
const char* skipAscii(const char* p, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        for (std::uint64_t word; end - p >= 8; p += 8) {
            std::memcpy(&word, p, 8);
            if (const std::uint64_t high = word & kHighBits)
                return p + (std::countr_zero(high) >> 3);
        }
    }
    while (p < end && !(*p & 0x80))
        ++p;
    return p;
}

// Where the run of ASCII bytes that ends at `at` starts.
std::size_t asciiRunBefore(const char* base, std::size_t at) {
    if constexpr (std::endian::native == std::endian::little) {
        for (std::uint64_t word; at >= 8; at -= 8) {
            std::memcpy(&word, base + at - 8, 8);
            if (const std::uint64_t high = word & kHighBits)
                return at - 8 + ((63 - std::countl_zero(high)) >> 3) + 1;
        }
    }
    while (at > 0 && !(base[at - 1] & 0x80))
        --at;
    return at;
}

std::string normalName(std::string_view name) {
    std::string out;
    for (char c : name)
        if (c != '-' && c != '_' && c != ' ')
            out += c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    return out;
}

// iconv descriptors are not shared between calls, so that threads may convert at once.
class Iconv {
public:
    Iconv(const std::string& to, const std::string& from)
        : m_cd(::iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv() {
        if (ok())
            ::iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // errno of the last failed conversion: EILSEQ for bytes that are no character, EINVAL
    // for a sequence cut short at the end.
    int error = 0;

    // Converts all of `in`; on failure returns false with `failedAt` the offset of the
    // first byte that could not be converted.
    bool convert(std::string_view in, std::string& out, std::size_t& failedAt) {
        ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        out.clear();
        out.resize(in.size() + in.size() / 2 + 16);
        char* inPointer = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        std::size_t written = 0;
        for (bool flushing = false;;) {
            char* outPointer = out.data() + written;
            std::size_t outLeft = out.size() - written;
            const std::size_t result =
                flushing ? ::iconv(m_cd, nullptr, nullptr, &outPointer, &outLeft)
                         : ::iconv(m_cd, &inPointer, &inLeft, &outPointer, &outLeft);
            error = errno;
            written = static_cast<std::size_t>(outPointer - out.data());
            if (result == static_cast<std::size_t>(-1) && error == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            if (result == static_cast<std::size_t>(-1)) {
                failedAt = in.size() - inLeft;
                return false;
            }
            if (flushing)
                break;
            flushing = true;
        }
        out.resize(written);
        return true;
    }

private:
    iconv_t m_cd;
};

} // namespace

struct LegacyCodePage::Table {
    std::array<char32_t, 256> characters{};
    std::array<std::array<char, 4>, 256> utf8{};
    std::array<std::uint8_t, 256> utf8Size{};
    // For each character below U+10000 the byte plus one, 0 for none.
    std::vector<std::uint16_t> bytes = std::vector<std::uint16_t>(0x10000, 0);
    bool asciiSame = true;

    // Takes the characters of the bytes that have one (kNone for the others) and gives
    // every other byte a character of its own.
    explicit Table(const std::array<char32_t, 256>& defined) {
        std::vector<bool> taken(0x110000, false);
        for (int b = 0; b < 256; ++b) {
            const char32_t c = defined[b];
            if (c != kNone && c < 0x10000 && !taken[c]) {
                characters[b] = c;
                taken[c] = true;
            } else {
                characters[b] = kNone;
            }
        }
        for (int b = 0; b < 256; ++b) {
            if (characters[b] != kNone)
                continue;
            const char32_t own = taken[static_cast<char32_t>(b)] ? kPrivateBase + b : b;
            characters[b] = own;
            taken[own] = true;
        }
        for (int b = 0; b < 256; ++b) {
            const char32_t c = characters[b];
            bytes[c] = static_cast<std::uint16_t>(b + 1);
            std::string encoded;
            swfxml::appendUtf8(encoded, c);
            utf8Size[b] = static_cast<std::uint8_t>(encoded.size());
            std::copy(encoded.begin(), encoded.end(), utf8[b].begin());
            if (b < 0x80 && c != static_cast<char32_t>(b))
                asciiSame = false;
        }
    }
};

namespace {

std::shared_ptr<const LegacyCodePage::Table> windows1252() {
    std::array<char32_t, 256> defined{};
    for (int b = 0; b < 256; ++b)
        defined[b] = b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : static_cast<char32_t>(b);
    return std::make_shared<const LegacyCodePage::Table>(defined);
}

// The table of a code page of one byte per character, from iconv one byte at a time; null
// when some byte starts a longer sequence.
std::shared_ptr<const LegacyCodePage::Table> singleByteTable(const std::string& name) {
    Iconv toUtf8("UTF-8", name);
    std::array<char32_t, 256> defined{};
    for (int b = 0; b < 256; ++b) {
        const char in = static_cast<char>(b);
        std::string out;
        std::size_t failedAt = 0;
        if (!toUtf8.convert(std::string_view(&in, 1), out, failedAt)) {
            if (toUtf8.error == EINVAL)
                return nullptr;
            defined[b] = kNone;
            continue;
        }
        std::size_t length = 0;
        const char32_t c = out.empty() ? kNone : readUtf8(out, 0, length);
        defined[b] = length == out.size() ? c : kNone;
    }
    return std::make_shared<const LegacyCodePage::Table>(defined);
}

} // namespace

TextPlace placeOfOffset(std::string_view text, std::size_t offset) {
    TextPlace place;
    const std::size_t end = std::min(offset, text.size());
    for (std::size_t i = 0; i < end;) {
        if (text[i] == '\n') {
            ++place.line;
            place.column = 1;
            ++i;
            continue;
        }
        std::size_t length = 0;
        readUtf8(text, i, length);
        ++place.column;
        i += length ? length : 1;
    }
    return place;
}

std::string describePlace(const TextPlace& place) {
    return "line " + std::to_string(place.line) + ", column " + std::to_string(place.column);
}

std::string EncodedText::describe() const {
    return line == 0 ? reason : describePlace({line, column}) + ": " + reason;
}

LegacyCodePage LegacyCodePage::named(std::string_view name) {
    LegacyCodePage page;
    page.m_name = std::string(name);
    const std::string normal = normalName(name);
    if (normal == "WINDOWS1252" || normal == "CP1252") {
        page.m_table = windows1252();
        return page;
    }
    if (!Iconv("UTF-8", page.m_name).ok() || !Iconv(page.m_name, "UTF-8").ok()) {
        page.m_problem = "the code page " + page.m_name +
                         " named by VORN_ANSI_CODEPAGE is not "
                         "known to iconv";
        return page;
    }
    page.m_table = singleByteTable(page.m_name);
    return page;
}

LegacyCodePage LegacyCodePage::fromEnvironment() {
    const char* name = std::getenv("VORN_ANSI_CODEPAGE");
    return named(name && *name ? name : "windows-1252");
}

const LegacyCodePage& legacyCodePage() {
    static const LegacyCodePage page = LegacyCodePage::fromEnvironment();
    return page;
}

DecodedText LegacyCodePage::decode(std::string bytes) const {
    DecodedText result;
    if (!m_problem.empty()) {
        result.reason = m_problem;
        return result;
    }
    if (!m_table) {
        std::size_t failedAt = 0;
        if (!Iconv("UTF-8", m_name).convert(bytes, result.text, failedAt)) {
            result.text.clear();
            result.reason = "byte " + std::to_string(failedAt) + " (" +
                            hexByte(static_cast<unsigned char>(bytes[failedAt])) +
                            ") does not start a character of the code page " + m_name;
            return result;
        }
        result.ok = true;
        return result;
    }
    const Table& table = *m_table;
    result.ok = true;
    if (!table.asciiSame) {
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            result.text.append(table.utf8[b].data(), table.utf8Size[b]);
        }
        return result;
    }
    // Markup is ASCII, so the text is mostly runs of bytes that stay as they are. The text is
    // widened in place, from the end, into the room the bytes' string usually has already:
    // no second copy of a large document is made, and the bytes before the first that
    // changes are not even moved.
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    std::size_t extra = 0;
    const char* first = nullptr;
    for (const char* p = skipAscii(begin, end); p < end; p = skipAscii(p, end)) {
        if (!first)
            first = p;
        for (; p < end && (*p & 0x80); ++p)
            extra += table.utf8Size[static_cast<unsigned char>(*p)] - 1u;
    }
    std::size_t from = bytes.size();
    const std::size_t firstAt = first ? static_cast<std::size_t>(first - begin) : from;
    bytes.resize(from + extra);
    char* const base = bytes.data();
    for (std::size_t to = bytes.size(); to > from && from > firstAt;) {
        const std::size_t run = asciiRunBefore(base, from);
        to -= from - run;
        std::memmove(base + to, base + run, from - run);
        for (from = run; from > 0 && (base[from - 1] & 0x80);) {
            const auto b = static_cast<unsigned char>(base[--from]);
            to -= table.utf8Size[b];
            std::memcpy(base + to, table.utf8[b].data(), table.utf8Size[b]);
        }
    }
    result.text = std::move(bytes);
    return result;
}

EncodedText LegacyCodePage::encode(std::string text) const {
    EncodedText result;
    if (!m_problem.empty()) {
        result.reason = m_problem;
        return result;
    }
    if (!m_table) {
        std::size_t failedAt = 0;
        if (!Iconv(m_name, "UTF-8").convert(text, result.bytes, failedAt))
            return unencodable(text, failedAt, m_name);
        result.ok = true;
        return result;
    }
    const Table& table = *m_table;
    std::size_t at = 0;
    if (table.asciiSame)
        while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80)
            ++at;
    if (at == text.size()) {
        result.ok = true;
        result.bytes = std::move(text);
        return result;
    }
    // Every character takes at least one byte of the text, so the bytes fit in its place.
    std::string& bytes = result.bytes;
    bytes.resize(text.size());
    char* out = bytes.data() + at;
    std::copy(text.data(), text.data() + at, bytes.data());
    while (at < text.size()) {
        std::size_t length = 0;
        const char32_t c = readUtf8(text, at, length);
        const std::uint16_t b = length && c < 0x10000 ? table.bytes[c] : 0;
        if (b == 0)
            return unencodable(text, at, m_name);
        *out++ = static_cast<char>(b - 1);
        at += length;
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
    result.ok = true;
    return result;
}

} // namespace vorn
