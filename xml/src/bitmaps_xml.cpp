// Bitmap tags in XML: a few attributes and the image data as base64, copied byte for byte.
#include "family.h"

#include "libswf/bitmaps.h"

#include <initializer_list>

namespace swfxml {

using namespace libswf;

namespace {

// Base64 children hang one level below the tag element, so their lines are indented by
// three levels in the printed document.
constexpr int kDataDepth = 2;

struct DataChild {
    std::string_view name;
    SwfVector<std::uint8_t>* to;
};

// Each data child found replaces its buffer, so the last of several of a name wins; a child
// without content empties it. Other children are ignored.
void readData(const SwfXmlIn& element, std::initializer_list<DataChild> children) {
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild())
        for (const DataChild& data : children)
            if (namesEqual(c.name(), data.name)) {
                *data.to = base64DecodeElement(c);
                break;
            }
}

// ---- JPEG -------------------------------------------------------------------------------

void writeJPEGTables(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    appendBase64(element, "JPEGData", static_cast<const SwfTagJPEGTables&>(tag).jpegData,
                 kDataDepth);
}

std::unique_ptr<SwfTag> readJPEGTables(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagJPEGTables>();
    readData(element, {{"JPEGData", &tag->jpegData}});
    return tag;
}

void writeDefineBits(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& bits = static_cast<const SwfTagDefineBits&>(tag);
    setNumber(element, "CharacterId", bits.id);
    appendBase64(element, "JPEGData", bits.jpegData, kDataDepth);
}

// DefineBits and DefineBitsJPEG2.
template <class T>
std::unique_ptr<SwfTag> readDefineBits(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<T>();
    readNumber(element, "CharacterId", tag->id);
    readData(element, {{"JPEGData", &tag->jpegData}});
    return tag;
}

void writeDefineBitsJPEG3(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& bits = static_cast<const SwfTagDefineBitsJPEG3&>(tag);
    setNumber(element, "CharacterId", bits.id);
    appendBase64(element, "JPEGData", bits.jpegData, kDataDepth);
    appendBase64(element, "BitmapAlphaData", bits.alphaData, kDataDepth);
}

std::unique_ptr<SwfTag> readDefineBitsJPEG3(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineBitsJPEG3>();
    readNumber(element, "CharacterId", tag->id);
    readData(element, {{"JPEGData", &tag->jpegData}, {"BitmapAlphaData", &tag->alphaData}});
    return tag;
}

void writeDefineBitsJPEG4(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& bits = static_cast<const SwfTagDefineBitsJPEG4&>(tag);
    setNumber(element, "CharacterId", bits.id);
    setNumber(element, "DeblockParam", bits.deblockParam);
    appendBase64(element, "JPEGData", bits.jpegData, kDataDepth);
    appendBase64(element, "BitmapAlphaData", bits.alphaData, kDataDepth);
}

std::unique_ptr<SwfTag> readDefineBitsJPEG4(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineBitsJPEG4>();
    readNumber(element, "CharacterId", tag->id);
    readNumber(element, "DeblockParam", tag->deblockParam);
    readData(element, {{"JPEGData", &tag->jpegData}, {"BitmapAlphaData", &tag->alphaData}});
    return tag;
}

// ---- lossless ---------------------------------------------------------------------------

constexpr struct {
    const char* name;
    std::uint8_t format;
} kLosslessFormats[] = {
    {"Map8", SwfTagDefineBitsLossless::Map8},
    {"RGB15", SwfTagDefineBitsLossless::RGB15},
    {"RGB24", SwfTagDefineBitsLossless::RGB24},
};

void writeDefineBitsLossless(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& bits = static_cast<const SwfTagDefineBitsLossless&>(tag);
    setNumber(element, "CharacterId", bits.id);
    const char* formatName = nullptr;
    for (const auto& known : kLosslessFormats)
        if (known.format == bits.format)
            formatName = known.name;
    // Only a tag built in code can hold another format; it is shown as its number rather
    // than under a name it does not have.
    if (formatName)
        element.attribute("BitmapFormat", formatName);
    else
        setNumber(element, "BitmapFormat", bits.format);
    setNumber(element, "BitmapWidth", bits.width);
    setNumber(element, "BitmapHeight", bits.height);
    if (bits.format == SwfTagDefineBitsLossless::Map8)
        setNumber(element, "BitmapColorTableSize", bits.colorTableSize);
    appendBase64(element, "PngData", bits.pixelData, kDataDepth);
}

// DefineBitsLossless and DefineBitsLossless2; their constructors choose the long header.
template <class T>
std::unique_ptr<SwfTag> readDefineBitsLossless(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<T>();
    readNumber(element, "CharacterId", tag->id);
    if (const SwfXmlAttribute* format = findAttribute(element, "BitmapFormat"))
        for (const auto& known : kLosslessFormats)
            if (namesEqual(format->value, known.name))
                tag->format = known.format;
    readNumber(element, "BitmapWidth", tag->width);
    readNumber(element, "BitmapHeight", tag->height);
    readNumber(element, "BitmapColorTableSize", tag->colorTableSize);
    readData(element, {{"PngData", &tag->pixelData}});
    return tag;
}

constexpr SwfXmlTagCodec kBitmapCodecs[] = {
    {6, &writeDefineBits, &readDefineBits<SwfTagDefineBits>},
    {8, &writeJPEGTables, &readJPEGTables},
    {20, &writeDefineBitsLossless, &readDefineBitsLossless<SwfTagDefineBitsLossless>},
    {21, &writeDefineBits, &readDefineBits<SwfTagDefineBitsJPEG2>},
    {35, &writeDefineBitsJPEG3, &readDefineBitsJPEG3},
    {36, &writeDefineBitsLossless, &readDefineBitsLossless<SwfTagDefineBitsLossless2>},
    {90, &writeDefineBitsJPEG4, &readDefineBitsJPEG4},
};

} // namespace

std::span<const SwfXmlTagCodec> bitmapCodecs() {
    return kBitmapCodecs;
}

} // namespace swfxml
