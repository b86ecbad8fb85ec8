// The tag registry: every tag code the program names, with its XML element name and the
// class that decodes it. Codes whose family is not built yet have no creator and are kept
// as raw bytes.
#include "libswf/movie.h"

#include "libswf/actions.h"
#include "libswf/bitmaps.h"
#include "libswf/buttons.h"
#include "libswf/control.h"
#include "libswf/display.h"
#include "libswf/fonts.h"
#include "libswf/morph.h"
#include "libswf/shapes.h"
#include "libswf/sound.h"
#include "libswf/text.h"

#include <array>

namespace libswf {

namespace {

template <class T>
std::unique_ptr<SwfTag> create(SwfIStream& is) {
    return std::make_unique<T>(is);
}

std::unique_ptr<SwfTag> createEnd(SwfIStream&) {
    return std::make_unique<SwfTagEnd>();
}
std::unique_ptr<SwfTag> createShowFrame(SwfIStream&) {
    return std::make_unique<SwfTagShowFrame>();
}

// code, element name, derives from SwfDefinitionTag, body starts with a character id, creator
constexpr SwfTagInfo kTags[] = {
    {0, "End", false, false, &createEnd},
    {1, "ShowFrame", false, false, &createShowFrame},
    {2, "DefineShape", true, true, &create<SwfTagDefineShape>},
    {4, "PlaceObject", false, false, &create<SwfTagPlaceObject>},
    {5, "RemoveObject", false, false, &create<SwfTagRemoveObject>},
    {6, "DefineBits", true, true, &create<SwfTagDefineBits>},
    {7, "DefineButton", true, true, &create<SwfTagDefineButton>},
    {8, "JPEGTables", false, false, &create<SwfTagJPEGTables>},
    {9, "SetBackgroundColor", false, false, &create<SwfTagSetBackgroundColor>},
    {10, "DefineFont", true, true, &create<SwfTagDefineFont>},
    {11, "DefineText", true, true, &create<SwfTagDefineText>},
    {12, "DoAction", false, false, &create<SwfTagDoAction>},
    {13, "DefineFontInfo", false, true, &create<SwfTagDefineFontInfo>},
    {14, "DefineSound", true, true, &create<SwfTagDefineSound>},
    {15, "StartSound", false, false, &create<SwfTagStartSound>},
    {17, "DefineButtonSound", false, true, &create<SwfTagDefineButtonSound>},
    {18, "SoundStreamHead", false, false, &create<SwfTagSoundStreamHead>},
    {19, "SoundStreamBlock", false, false, &create<SwfTagSoundStreamBlock>},
    {20, "DefineBitsLossless", true, true, &create<SwfTagDefineBitsLossless>},
    {21, "DefineBitsJPEG2", true, true, &create<SwfTagDefineBitsJPEG2>},
    {22, "DefineShape2", true, true, &create<SwfTagDefineShape2>},
    {23, "DefineButtonCxform", false, true, &create<SwfTagDefineButtonCxform>},
    {24, "Protect", false, false, &create<SwfTagProtect>},
    {26, "PlaceObject2", false, false, &create<SwfTagPlaceObject2>},
    {28, "RemoveObject2", false, false, &create<SwfTagRemoveObject2>},
    {32, "DefineShape3", true, true, &create<SwfTagDefineShape3>},
    {33, "DefineText2", true, true, &create<SwfTagDefineText2>},
    {34, "DefineButton2", true, true, &create<SwfTagDefineButton2>},
    {35, "DefineBitsJPEG3", true, true, &create<SwfTagDefineBitsJPEG3>},
    {36, "DefineBitsLossless2", true, true, &create<SwfTagDefineBitsLossless2>},
    {37, "DefineEditText", true, true, &create<SwfTagDefineEditText>},
    {39, "DefineSprite", true, true, &create<SwfTagDefineSprite>},
    {43, "FrameLabel", false, false, &create<SwfTagFrameLabel>},
    {45, "SoundStreamHead2", false, false, &create<SwfTagSoundStreamHead2>},
    {46, "DefineMorphShape", true, true, &create<SwfTagDefineMorphShape>},
    {48, "DefineFont2", true, true, &create<SwfTagDefineFont2>},
    {56, "ExportAssets", false, false, &create<SwfTagExportAssets>},
    {57, "ImportAssets", false, false, &create<SwfTagImportAssets>},
    {58, "EnableDebugger", false, false, &create<SwfTagEnableDebugger>},
    {59, "DoInitAction", false, false, &create<SwfTagDoInitAction>},
    {60, "DefineVideoStream", true, true, &create<SwfTagDefineVideoStream>},
    {61, "VideoFrame", false, false, &create<SwfTagVideoFrame>},
    {62, "DefineFontInfo2", false, true, &create<SwfTagDefineFontInfo2>},
    {64, "EnableDebugger2", false, false, &create<SwfTagEnableDebugger2>},
    {65, "ScriptLimits", false, false, &create<SwfTagScriptLimits>},
    {66, "SetTabIndex", false, false, &create<SwfTagSetTabIndex>},
    {69, "FileAttributes", false, false, &create<SwfTagFileAttributes>},
    {70, "PlaceObject3", false, false, &create<SwfTagPlaceObject3>},
    {71, "ImportAssets2", false, false, &create<SwfTagImportAssets2>},
    {73, "DefineFontAlignZones", false, true, &create<SwfTagDefineFontAlignZones>},
    {74, "CSMTextSettings", false, false, &create<SwfTagCSMTextSettings>},
    {75, "DefineFont3", true, true, &create<SwfTagDefineFont3>},
    {76, "SymbolClass", false, false, &create<SwfTagSymbolClass>},
    {77, "Metadata", false, false, &create<SwfTagMetadata>},
    {78, "DefineScalingGrid", true, true, &create<SwfTagDefineScalingGrid>},
    {82, "DoABC", false, false, &create<SwfTagDoABC>},
    {83, "DefineShape4", true, true, &create<SwfTagDefineShape4>},
    {84, "DefineMorphShape2", true, true, &create<SwfTagDefineMorphShape2>},
    {86, "DefineSceneAndFrameLabelData", true, true, &create<SwfTagDefineSceneAndFrameLabelData>},
    {87, "DefineBinaryData", true, true, &create<SwfTagDefineBinaryData>},
    {88, "DefineFontName", true, true, &create<SwfTagDefineFontName>},
    {89, "StartSound2", false, false, &create<SwfTagStartSound2>},
    {90, "DefineBitsJPEG4", true, false, &create<SwfTagDefineBitsJPEG4>},
    {91, "DefineFont4", true, false, &create<SwfTagDefineFont4>},
};

// Rows indexed by the 10-bit tag code, built once on first use.
const std::array<const SwfTagInfo*, 1024>& byCode() {
    static const std::array<const SwfTagInfo*, 1024> table = [] {
        std::array<const SwfTagInfo*, 1024> t{};
        for (const SwfTagInfo& info : kTags)
            t[info.code] = &info;
        return t;
    }();
    return table;
}

} // namespace

std::span<const SwfTagInfo> swfTagTable() {
    return kTags;
}

const SwfTagInfo* findSwfTag(std::uint16_t code) {
    return code < 1024 ? byCode()[code] : nullptr;
}

const char* swfTagName(std::uint16_t code) {
    const SwfTagInfo* info = findSwfTag(code);
    return info ? info->name : nullptr;
}

std::unique_ptr<SwfTag> createSwfTag(SwfIStream& is) {
    const std::uint16_t code = is.tagCode;
    // Captured before the body is read: a sprite's nested tags overwrite the stream's state.
    const std::uint32_t length = is.tagLength;
    const bool longForShort = is.longHeader;
    const bool keepRaw = is.keepRaw && code < 1024 && (*is.keepRaw)[code];
    const SwfTagInfo* info = findSwfTag(code);
    std::unique_ptr<SwfTag> tag;
    if (info && info->create && !keepRaw)
        tag = info->create(is);
    else if (length > 0 || keepRaw)
        tag = std::make_unique<SwfTagUnknown>(is);
    else
        tag = std::make_unique<SwfTag>(code);
    tag->setLength(length);
    // A tag read with the long header keeps it, whatever its length: 63 is the first length
    // that needs it, as the writer's rule (SwfTag::usesLongHeader) has it.
    if (!tag->longHeader())
        tag->setLongHeader(longForShort || length > 62);
    return tag;
}

} // namespace libswf
