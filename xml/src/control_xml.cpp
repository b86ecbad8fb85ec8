// Control and metadata tags in XML.
#include "family.h"

#include "libswf/control.h"

#include <algorithm>

namespace swfxml {

using namespace libswf;

namespace {

// Base64 children hang one level below the tag element, so their lines are indented by
// three levels in the printed document.
constexpr int kDataDepth = 2;

// ---- movie-wide settings ----------------------------------------------------------------

void writeSetBackgroundColor(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    setColor(element, "Color", static_cast<const SwfTagSetBackgroundColor&>(tag).color);
}

std::unique_ptr<SwfTag> readSetBackgroundColor(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagSetBackgroundColor>();
    readColor(element, "Color", tag->color);
    return tag;
}

void writeFrameLabel(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& label = static_cast<const SwfTagFrameLabel&>(tag);
    setString(element, "Name", label.name);
    setBool(element, "IsAnchor", label.isAnchor);
}

std::unique_ptr<SwfTag> readFrameLabel(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagFrameLabel>();
    readString(element, "Name", tag->name);
    readBool(element, "IsAnchor", tag->isAnchor);
    return tag;
}

void writeProtect(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& protect = static_cast<const SwfTagProtect&>(tag);
    if (!protect.password.text.empty())
        setString(element, "Password", protect.password);
}

std::unique_ptr<SwfTag> readProtect(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagProtect>();
    readString(element, "Password", tag->password);
    return tag;
}

template <class T>
void writePassword(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    setString(element, "Password", static_cast<const T&>(tag).password);
}

template <class T>
std::unique_ptr<SwfTag> readPassword(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<T>();
    readString(element, "Password", tag->password);
    return tag;
}

// The reserved word is shown only when a movie sets it, so that such movies come back
// unchanged while the usual element stays as the dialect has it.
void writeEnableDebugger2(SwfXmlWriter& ctx, const SwfTag& tag, SwfXmlOut& element) {
    writePassword<SwfTagEnableDebugger2>(ctx, tag, element);
    if (const std::uint16_t reserved = static_cast<const SwfTagEnableDebugger2&>(tag).reserved)
        setNumber(element, "Reserved", reserved);
}

std::unique_ptr<SwfTag> readEnableDebugger2(const SwfXmlIn& element, SwfXmlReader& ctx) {
    auto tag = readPassword<SwfTagEnableDebugger2>(element, ctx);
    readNumber(element, "Reserved", static_cast<SwfTagEnableDebugger2&>(*tag).reserved);
    return tag;
}

void writeScriptLimits(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& limits = static_cast<const SwfTagScriptLimits&>(tag);
    setNumber(element, "MaxRecursionDepth", limits.maxRecursionDepth);
    setNumber(element, "ScriptTimeoutSeconds", limits.scriptTimeoutSeconds);
}

std::unique_ptr<SwfTag> readScriptLimits(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagScriptLimits>();
    readNumber(element, "MaxRecursionDepth", tag->maxRecursionDepth);
    readNumber(element, "ScriptTimeoutSeconds", tag->scriptTimeoutSeconds);
    return tag;
}

void writeSetTabIndex(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& index = static_cast<const SwfTagSetTabIndex&>(tag);
    setNumber(element, "Depth", index.depth);
    setNumber(element, "TabIndex", index.tabIndex);
}

std::unique_ptr<SwfTag> readSetTabIndex(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagSetTabIndex>();
    readNumber(element, "Depth", tag->depth);
    readNumber(element, "TabIndex", tag->tabIndex);
    return tag;
}

constexpr struct {
    const char* name;
    std::uint32_t bit;
} kFileAttributeFlags[] = {
    {"UseNetwork", SwfTagFileAttributes::UseNetwork},
    {"ActionScript3", SwfTagFileAttributes::ActionScript3},
    {"HasMetadata", SwfTagFileAttributes::HasMetadata},
    {"UseGPU", SwfTagFileAttributes::UseGPU},
    {"UseDirectBlit", SwfTagFileAttributes::UseDirectBlit},
};

// Bits without a name are shown as "Reserved" only when a movie sets them.
void writeFileAttributes(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    std::uint32_t flags = static_cast<const SwfTagFileAttributes&>(tag).flags;
    for (const auto& flag : kFileAttributeFlags) {
        setBool(element, flag.name, (flags & flag.bit) != 0);
        flags &= ~flag.bit;
    }
    if (flags)
        setNumber(element, "Reserved", flags);
}

std::unique_ptr<SwfTag> readFileAttributes(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagFileAttributes>();
    for (const auto& flag : kFileAttributeFlags) {
        bool on = false;
        readBool(element, flag.name, on);
        if (on)
            tag->flags |= flag.bit;
    }
    std::uint32_t reserved = 0;
    readNumber(element, "Reserved", reserved);
    for (const auto& flag : kFileAttributeFlags)
        reserved &= ~flag.bit;
    tag->flags |= reserved;
    return tag;
}

void writeMetadata(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    appendText(element, "Data", static_cast<const SwfTagMetadata&>(tag).text.text);
}

std::unique_ptr<SwfTag> readMetadata(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagMetadata>();
    tag->text.text = elementText(element.nextChild());
    return tag;
}

// ---- symbol tables ----------------------------------------------------------------------

void appendAssets(SwfXmlOut& element, const SwfAssets& assets, const char* idName) {
    for (const auto& asset : assets) {
        SwfXmlOut child = element.child("Asset");
        setNumber(child, idName, asset->id);
        setString(child, "Name", asset->name);
    }
}

void readAssets(const SwfXmlIn& element, SwfAssets& assets, const char* idName) {
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (!namesEqual(child.name(), "Asset"))
            continue;
        auto asset = std::make_unique<SwfAsset>();
        readNumber(child, idName, asset->id);
        readString(child, "Name", asset->name);
        assets.push_back(std::move(asset));
    }
}

void writeExportAssets(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    appendAssets(element, static_cast<const SwfTagExportAssets&>(tag).assets, "Id");
}

std::unique_ptr<SwfTag> readExportAssets(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagExportAssets>();
    readAssets(element, tag->assets, "Id");
    return tag;
}

void writeImportAssets(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& import = static_cast<const SwfTagImportAssets&>(tag);
    setString(element, "URL", import.url);
    appendAssets(element, import.assets, "Id");
}

std::unique_ptr<SwfTag> readImportAssets(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagImportAssets>();
    readString(element, "URL", tag->url);
    readAssets(element, tag->assets, "Id");
    return tag;
}

void writeImportAssets2(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& import = static_cast<const SwfTagImportAssets2&>(tag);
    const SwfTagImportAssets2 defaults;
    setString(element, "URL", import.url);
    // The reserved bytes appear only when a movie holds other values than the usual ones,
    // which the reader assumes when they are missing; so they survive the round trip.
    if (import.reserved1 != defaults.reserved1)
        setNumber(element, "Reserved1", import.reserved1);
    if (import.reserved0 != defaults.reserved0)
        setNumber(element, "Reserved0", import.reserved0);
    appendAssets(element, import.assets, "Tag");
}

std::unique_ptr<SwfTag> readImportAssets2(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagImportAssets2>();
    readString(element, "URL", tag->url);
    readNumber(element, "Reserved1", tag->reserved1);
    readNumber(element, "Reserved0", tag->reserved0);
    readAssets(element, tag->assets, "Tag");
    return tag;
}

void writeSymbolClass(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& symbols = static_cast<const SwfTagSymbolClass&>(tag);
    // Lists of unequal length are shown as they are, so that compiling them fails visibly
    // instead of dropping the unmatched entries here.
    const std::size_t n = std::max(symbols.tags.size(), symbols.names.size());
    for (std::size_t i = 0; i < n; ++i) {
        SwfXmlOut child = element.child("Symbol");
        if (i < symbols.tags.size())
            setNumber(child, "Tag", symbols.tags[i]);
        if (i < symbols.names.size())
            setString(child, "Name", *symbols.names[i]);
    }
}

std::unique_ptr<SwfTag> readSymbolClass(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagSymbolClass>();
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (!namesEqual(child.name(), "Symbol"))
            continue;
        std::uint16_t id = 0;
        if (readNumber(child, "Tag", id))
            tag->tags.push_back(id);
        auto name = std::make_unique<SwfString>();
        if (readString(child, "Name", *name))
            tag->names.push_back(std::move(name));
    }
    return tag;
}

void writeSceneAndFrameLabelData(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& data = static_cast<const SwfTagDefineSceneAndFrameLabelData&>(tag);
    for (const auto& scene : data.scenes) {
        SwfXmlOut child = element.child("Scene");
        setNumber(child, "Offset", scene.offset);
        setString(child, "Name", scene.name);
    }
    for (const auto& label : data.frameLabels) {
        SwfXmlOut child = element.child("FrameLabel");
        setNumber(child, "FrameNum", label.frameNum);
        setString(child, "FrameLabel", label.label);
    }
}

std::unique_ptr<SwfTag> readSceneAndFrameLabelData(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineSceneAndFrameLabelData>();
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (namesEqual(child.name(), "Scene")) {
            auto& scene = tag->scenes.emplace_back();
            readNumber(child, "Offset", scene.offset);
            readString(child, "Name", scene.name);
        } else if (namesEqual(child.name(), "FrameLabel")) {
            auto& label = tag->frameLabels.emplace_back();
            readNumber(child, "FrameNum", label.frameNum);
            readString(child, "FrameLabel", label.label);
        }
    }
    return tag;
}

// ---- code and data ----------------------------------------------------------------------

void writeDoABC(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& abc = static_cast<const SwfTagDoABC&>(tag);
    setNumber(element, "Flags", abc.flags);
    setString(element, "Name", abc.name);
    appendBase64(element, "DoABCData", abc.byteCode, kDataDepth);
}

std::unique_ptr<SwfTag> readDoABC(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDoABC>();
    readNumber(element, "Flags", tag->flags);
    readString(element, "Name", tag->name);
    tag->byteCode = base64DecodeElement(element.nextChild());
    return tag;
}

void writeDefineBinaryData(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& binary = static_cast<const SwfTagDefineBinaryData&>(tag);
    setNumber(element, "CharacterId", binary.id);
    // Reserved is 0 in the movies authoring tools write; other values are kept so they
    // survive the round trip.
    if (binary.reserved != 0)
        setNumber(element, "Reserved", binary.reserved);
    appendBase64(element, "Data", binary.data, kDataDepth);
}

std::unique_ptr<SwfTag> readDefineBinaryData(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineBinaryData>();
    // Unlike the other definitions, binary data without an id does not take the counter's.
    tag->id = 0;
    readNumber(element, "CharacterId", tag->id);
    readNumber(element, "Reserved", tag->reserved);
    tag->data = base64DecodeElement(element.nextChild());
    return tag;
}

void writeDefineScalingGrid(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& grid = static_cast<const SwfTagDefineScalingGrid&>(tag);
    setNumber(element, "CharacterId", grid.id);
    appendRect(element, "Rect", grid.splitter);
}

std::unique_ptr<SwfTag> readDefineScalingGrid(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineScalingGrid>();
    readNumber(element, "CharacterId", tag->id);
    tag->splitter = readRect(element.nextChild());
    return tag;
}

// ---- display list -----------------------------------------------------------------------

void writeRemoveObject(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& remove = static_cast<const SwfTagRemoveObject&>(tag);
    setNumber(element, "Id", remove.characterId);
    setNumber(element, "Depth", remove.depth);
}

std::unique_ptr<SwfTag> readRemoveObject(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagRemoveObject>();
    readNumber(element, "Id", tag->characterId);
    readNumber(element, "Depth", tag->depth);
    return tag;
}

void writeRemoveObject2(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    setNumber(element, "Depth", static_cast<const SwfTagRemoveObject2&>(tag).depth);
}

std::unique_ptr<SwfTag> readRemoveObject2(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagRemoveObject2>();
    readNumber(element, "Depth", tag->depth);
    return tag;
}

void writePlaceObject(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& place = static_cast<const SwfTagPlaceObject&>(tag);
    setNumber(element, "CharacterId", place.characterId);
    setNumber(element, "Depth", place.depth);
    appendMatrix(element, "Matrix", place.matrix);
    if (place.hasColorTransform)
        appendColorTransform(element, place.colorTransform);
}

std::unique_ptr<SwfTag> readPlaceObject(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagPlaceObject>();
    readNumber(element, "CharacterId", tag->characterId);
    readNumber(element, "Depth", tag->depth);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "Matrix")) {
            tag->matrix = readMatrix(child);
        } else if (first.is(child, 1, "ColorTransform")) {
            tag->colorTransform = readColorTransform(child);
            tag->hasColorTransform = true;
        }
    }
    return tag;
}

constexpr SwfXmlTagCodec kControlCodecs[] = {
    {4, &writePlaceObject, &readPlaceObject},
    {5, &writeRemoveObject, &readRemoveObject},
    {9, &writeSetBackgroundColor, &readSetBackgroundColor},
    {24, &writeProtect, &readProtect},
    {28, &writeRemoveObject2, &readRemoveObject2},
    {43, &writeFrameLabel, &readFrameLabel},
    {56, &writeExportAssets, &readExportAssets},
    {57, &writeImportAssets, &readImportAssets},
    {58, &writePassword<SwfTagEnableDebugger>, &readPassword<SwfTagEnableDebugger>},
    {64, &writeEnableDebugger2, &readEnableDebugger2},
    {65, &writeScriptLimits, &readScriptLimits},
    {66, &writeSetTabIndex, &readSetTabIndex},
    {69, &writeFileAttributes, &readFileAttributes},
    {71, &writeImportAssets2, &readImportAssets2},
    {76, &writeSymbolClass, &readSymbolClass},
    {77, &writeMetadata, &readMetadata},
    {78, &writeDefineScalingGrid, &readDefineScalingGrid},
    {82, &writeDoABC, &readDoABC},
    {86, &writeSceneAndFrameLabelData, &readSceneAndFrameLabelData},
    {87, &writeDefineBinaryData, &readDefineBinaryData},
};

} // namespace

std::span<const SwfXmlTagCodec> controlCodecs() {
    return kControlCodecs;
}

} // namespace swfxml
