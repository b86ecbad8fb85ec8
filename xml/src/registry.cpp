// The XML codecs of every tag family, by tag code. A family joins by adding its rows here;
// element names, the keep-raw set and the reader's name table all follow from this table
// and the library's registry.
#include "family.h"

#include <array>

namespace swfxml {

namespace {

struct Family {
    const char* name;
    std::span<const SwfXmlTagCodec> (*codecs)();
};

constexpr Family kFamilies[] = {
    {"frame", &frameCodecs},  {"control", &controlCodecs}, {"actions", &actionCodecs},
    {"shapes", &shapeCodecs}, {"morph", &morphCodecs},     {"bitmaps", &bitmapCodecs},
    {"sound", &soundCodecs},  {"text", &textCodecs},       {"buttons", &buttonCodecs},
    {"fonts", &fontCodecs},   {"display", &displayCodecs},
};

struct ByCode {
    std::array<const SwfXmlTagCodec*, 1024> codec{};
    std::array<const char*, 1024> family{};
};

const ByCode& byCode() {
    static const ByCode table = [] {
        ByCode t;
        for (const Family& family : kFamilies)
            for (const SwfXmlTagCodec& codec : family.codecs()) {
                t.codec[codec.code] = &codec;
                t.family[codec.code] = family.name;
            }
        return t;
    }();
    return table;
}

} // namespace

const SwfXmlTagCodec* findXmlCodec(std::uint16_t code) {
    return code < 1024 ? byCode().codec[code] : nullptr;
}

const char* swfXmlFamilyName(std::uint16_t code) {
    const char* name = code < 1024 ? byCode().family[code] : nullptr;
    return name ? name : "raw";
}

} // namespace swfxml
