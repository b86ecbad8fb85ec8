// Templates: name lists, registries, default objects written by the dialect's own writers,
// and the two documents made from scratch.
#include "templates/templates.h"

#include "libswf/actions.h"
#include "libswf/bitmaps.h"
#include "libswf/buttons.h"
#include "libswf/control.h"
#include "libswf/display.h"
#include "libswf/filters.h"
#include "libswf/fonts.h"
#include "libswf/morph.h"
#include "libswf/movie.h"
#include "libswf/shapes.h"
#include "libswf/sound.h"
#include "libswf/text.h"
#include "swfxml/convert.h"
#include "swfxml/fragment.h"
#include "swfxml/values.h"

#include <algorithm>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>

namespace vorn {

using namespace libswf;

namespace {

// The action chooser's list in an order of its own. It names every action of the library's
// action table and nothing else (the tests hold the two together).
constexpr std::string_view kActionNames =
    "GoToFrame GetURL WaitForFrame SetTarget GoToLabel Push Jump If GetURL2 GoToFrame2 "
    "WaitForFrame2 ConstantPool NextFrame PreviousFrame Play Stop ToggleQuality StopSounds Add "
    "Subtract Multiply Divide Equals Less And Or Not StringEquals StringLength StringExtract Pop "
    "ToInteger GetVariable SetVariable SetTarget2 StringAdd GetProperty SetProperty CloneSprite "
    "RemoveSprite Trace StartDrag EndDrag StringLess Throw CastOp ImplementsOp RandomNumber "
    "MBStringLength CharToAscii AsciiToChar GetTime MBStringExtract MBCharToAscii MBAsciiToChar "
    "Delete Delete2 DefineLocal CallFunction Return Modulo NewObject DefineLocal2 InitArray "
    "InitObject TypeOf TargetPath Enumerate Add2 Less2 Equals2 ConvertToNumber ConvertToString "
    "PushDuplicate StackSwap GetMember SetMember Increment Decrement CallMethod NewMethod "
    "InstanceOf Enumerate2 BitAnd BitOr BitXor BitLShift BitRShift BitURShift StrictEquals Greater "
    "StringGreater Extends Call End DefineFunction2 DefineFunction With StoreRegister Try";

// The words of a list written as one text, separated by blanks.
std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> list;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        list.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return list;
}

// The elements that hold action lists; the completion rule tells them from actions by their
// negative codes.
constexpr struct {
    std::string_view name;
    int code;
} kActionContainers[] = {
    {"Actions", -1},
    {"TryActions", -2},
    {"CatchActions", -3},
    {"FinallyActions", -4},
};

// Names compared without regard to case, looked up by views.
struct NameLess : swfxml::SwfNameLess {
    using is_transparent = void;
};

using NameCodes = std::map<std::string, int, NameLess>;

const NameCodes& actionCodes() {
    static const NameCodes codes = [] {
        NameCodes c;
        for (const SwfActionInfo& info : swfActionTable())
            c.emplace(info.name, info.code);
        for (const auto& container : kActionContainers)
            c.emplace(container.name, container.code);
        return c;
    }();
    return codes;
}

const NameCodes& tagCodes() {
    static const NameCodes codes = [] {
        NameCodes c;
        for (const SwfTagInfo& info : swfTagTable())
            c.emplace(info.name, info.code);
        return c;
    }();
    return codes;
}

// ---- default objects --------------------------------------------------------------------

template <class T>
std::unique_ptr<SwfTag> makeTag() {
    return std::make_unique<T>();
}

// The class of each tag code, which the registry's reading creators cannot give without a
// body to read. The tests check that every tag of the registry has a row here.
constexpr struct {
    std::uint16_t code;
    std::unique_ptr<SwfTag> (*make)();
} kTagClasses[] = {
    {0, &makeTag<SwfTagEnd>},
    {1, &makeTag<SwfTagShowFrame>},
    {2, &makeTag<SwfTagDefineShape>},
    {4, &makeTag<SwfTagPlaceObject>},
    {5, &makeTag<SwfTagRemoveObject>},
    {6, &makeTag<SwfTagDefineBits>},
    {7, &makeTag<SwfTagDefineButton>},
    {8, &makeTag<SwfTagJPEGTables>},
    {9, &makeTag<SwfTagSetBackgroundColor>},
    {10, &makeTag<SwfTagDefineFont>},
    {11, &makeTag<SwfTagDefineText>},
    {12, &makeTag<SwfTagDoAction>},
    {13, &makeTag<SwfTagDefineFontInfo>},
    {14, &makeTag<SwfTagDefineSound>},
    {15, &makeTag<SwfTagStartSound>},
    {17, &makeTag<SwfTagDefineButtonSound>},
    {18, &makeTag<SwfTagSoundStreamHead>},
    {19, &makeTag<SwfTagSoundStreamBlock>},
    {20, &makeTag<SwfTagDefineBitsLossless>},
    {21, &makeTag<SwfTagDefineBitsJPEG2>},
    {22, &makeTag<SwfTagDefineShape2>},
    {23, &makeTag<SwfTagDefineButtonCxform>},
    {24, &makeTag<SwfTagProtect>},
    {26, &makeTag<SwfTagPlaceObject2>},
    {28, &makeTag<SwfTagRemoveObject2>},
    {32, &makeTag<SwfTagDefineShape3>},
    {33, &makeTag<SwfTagDefineText2>},
    {34, &makeTag<SwfTagDefineButton2>},
    {35, &makeTag<SwfTagDefineBitsJPEG3>},
    {36, &makeTag<SwfTagDefineBitsLossless2>},
    {37, &makeTag<SwfTagDefineEditText>},
    {39, &makeTag<SwfTagDefineSprite>},
    {43, &makeTag<SwfTagFrameLabel>},
    {45, &makeTag<SwfTagSoundStreamHead2>},
    {46, &makeTag<SwfTagDefineMorphShape>},
    {48, &makeTag<SwfTagDefineFont2>},
    {56, &makeTag<SwfTagExportAssets>},
    {57, &makeTag<SwfTagImportAssets>},
    {58, &makeTag<SwfTagEnableDebugger>},
    {59, &makeTag<SwfTagDoInitAction>},
    {60, &makeTag<SwfTagDefineVideoStream>},
    {61, &makeTag<SwfTagVideoFrame>},
    {62, &makeTag<SwfTagDefineFontInfo2>},
    {64, &makeTag<SwfTagEnableDebugger2>},
    {65, &makeTag<SwfTagScriptLimits>},
    {66, &makeTag<SwfTagSetTabIndex>},
    {69, &makeTag<SwfTagFileAttributes>},
    {70, &makeTag<SwfTagPlaceObject3>},
    {71, &makeTag<SwfTagImportAssets2>},
    {73, &makeTag<SwfTagDefineFontAlignZones>},
    {74, &makeTag<SwfTagCSMTextSettings>},
    {75, &makeTag<SwfTagDefineFont3>},
    {76, &makeTag<SwfTagSymbolClass>},
    {77, &makeTag<SwfTagMetadata>},
    {78, &makeTag<SwfTagDefineScalingGrid>},
    {82, &makeTag<SwfTagDoABC>},
    {83, &makeTag<SwfTagDefineShape4>},
    {84, &makeTag<SwfTagDefineMorphShape2>},
    {86, &makeTag<SwfTagDefineSceneAndFrameLabelData>},
    {87, &makeTag<SwfTagDefineBinaryData>},
    {88, &makeTag<SwfTagDefineFontName>},
    {89, &makeTag<SwfTagStartSound2>},
    {90, &makeTag<SwfTagDefineBitsJPEG4>},
    {91, &makeTag<SwfTagDefineFont4>},
};

std::unique_ptr<SwfTag> defaultTag(std::uint16_t code) {
    for (const auto& row : kTagClasses)
        if (row.code == code)
            return row.make();
    return nullptr;
}

// An action of the code with zero and empty fields; codes without fields are plain actions.
std::unique_ptr<SwfAction> defaultAction(std::uint8_t code) {
    switch (code) {
    case 0x81:
        return std::make_unique<SwfActionGotoFrame>();
    case 0x83:
        return std::make_unique<SwfActionGetURL>();
    case 0x87:
        return std::make_unique<SwfActionStoreRegister>();
    case 0x88:
        return std::make_unique<SwfActionConstantPool>();
    case 0x8A:
        return std::make_unique<SwfActionWaitForFrame>();
    case 0x8B:
        return std::make_unique<SwfActionSetTarget>();
    case 0x8C:
        return std::make_unique<SwfActionGoToLabel>();
    case 0x8D:
        return std::make_unique<SwfActionWaitForFrame2>();
    case 0x8E:
        return std::make_unique<SwfActionDefineFunction2>();
    case 0x8F:
        return std::make_unique<SwfActionTry>();
    case 0x94:
        return std::make_unique<SwfActionWith>();
    case 0x96:
        return std::make_unique<SwfActionPush>();
    case 0x99:
        return std::make_unique<SwfActionJump>();
    case 0x9A:
        return std::make_unique<SwfActionGetURL2>();
    case 0x9B:
        return std::make_unique<SwfActionDefineFunction>();
    case 0x9D:
        return std::make_unique<SwfActionIf>();
    case 0x9F:
        return std::make_unique<SwfActionGotoFrame2>();
    default:
        return std::make_unique<SwfAction>(code);
    }
}

template <class T>
std::string recordTemplate() {
    return swfxml::fragmentXml(T{});
}

template <std::uint8_t type>
std::string plainValueTemplate() {
    return swfxml::fragmentXml(SwfValue(type));
}

template <std::uint8_t id>
std::string filterTemplate() {
    std::shared_ptr<SwfGenericFilter> filter = SwfFilter::create(id);
    // A gradient filter without colours cannot be compiled (its count byte holds 1 to 255),
    // so its template starts with one black stop where the others start with zeros.
    if (auto* gradient = dynamic_cast<SwfGradientFilter*>(filter.get())) {
        gradient->colors.push_back(0);
        gradient->ratios.push_back(0);
    }
    return swfxml::fragmentXml(SwfFilter(id, std::move(filter)));
}

// The record chooser's list with the default object behind each name, in the chooser's order.
constexpr struct {
    std::string_view name;
    std::string (*build)();
} kRecordTemplates[] = {
    {"Asset", &recordTemplate<SwfAsset>},
    {"ColorTransform", &recordTemplate<SwfColorTransform>},
    {"Curve", &recordTemplate<SwfCurve>},
    {"Line", &recordTemplate<SwfLine>},
    {"Matrix", &recordTemplate<SwfMatrix>},
    {"Rect", &recordTemplate<SwfRect>},
    {"RegisterParam", &recordTemplate<SwfRegisterParam>},
    {"ZoneData", &recordTemplate<SwfZoneData>},
    {"String", &recordTemplate<SwfValueString>},
    {"Register", &recordTemplate<SwfValueRegister>},
    {"Integer", &recordTemplate<SwfValueInteger>},
    {"Float", &recordTemplate<SwfValueFloat>},
    {"Double", &recordTemplate<SwfValueDouble>},
    {"Boolean", &recordTemplate<SwfValueBoolean>},
    {"Constant8", &recordTemplate<SwfValueConstant8>},
    {"Constant16", &recordTemplate<SwfValueConstant16>},
    {"Null", &plainValueTemplate<SwfValue::Null>},
    {"Undefined", &plainValueTemplate<SwfValue::Undefined>},
    {"GradientRecord", &recordTemplate<SwfGradientRecord>},
    {"MorphGradientRecord", &recordTemplate<SwfMorphGradientRecord>},
    {"SoundEnvelope", &recordTemplate<SwfSoundEnvelope>},
    {"SolidFillStyle", &recordTemplate<SwfSolidFillStyle>},
    {"BitmapFillStyle", &recordTemplate<SwfBitmapFillStyle>},
    {"GradientFillStyle", &recordTemplate<SwfGradientFillStyle>},
    {"BevelFilter", &filterTemplate<SwfFilter::Bevel>},
    {"BlurFilter", &filterTemplate<SwfFilter::Blur>},
    {"ColorMatrixFilter", &filterTemplate<SwfFilter::ColorMatrix>},
    {"ConvolutionFilter", &filterTemplate<SwfFilter::Convolution>},
    {"DropShadowFilter", &filterTemplate<SwfFilter::DropShadow>},
    {"GradientGlow", &filterTemplate<SwfFilter::GradientGlow>},
    {"GlowFilter", &filterTemplate<SwfFilter::Glow>},
    {"GradientBevelFilter", &filterTemplate<SwfFilter::GradientBevel>},
};

// The fragment at the depth of a movie's tags, or empty for a name the chooser does not offer.
std::string fragment(TemplateKind kind, std::string_view name) {
    switch (kind) {
    case TemplateKind::Tag: {
        const NameCodes& tags = tagCodes();
        const auto found = tags.find(name);
        if (found == tags.end())
            return {};
        const std::unique_ptr<SwfTag> tag = defaultTag(static_cast<std::uint16_t>(found->second));
        return tag ? swfxml::fragmentXml(*tag) : std::string();
    }
    case TemplateKind::Action: {
        const int code = actionRegistryCode(name);
        if (code < 0 || code == kUnknownActionCode)
            return {};
        return swfxml::fragmentXml(*defaultAction(static_cast<std::uint8_t>(code)));
    }
    case TemplateKind::Record:
        for (const auto& record : kRecordTemplates)
            if (swfxml::namesEqual(record.name, name))
                return record.build();
        return {};
    }
    return {};
}

// The declaration the dialect prints for documents in UTF-8.
constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

// A Movie of version 7, 550 x 400 pixels at 12 frames per second.
pugi::xml_node appendNewMovie(pugi::xml_document& document) {
    pugi::xml_node root = document.append_child("Movie");
    root.append_attribute("SwfVersion").set_value("7");
    root.append_attribute("Width").set_value("550");
    root.append_attribute("Height").set_value("400");
    root.append_attribute("FrameRate").set_value("12");
    return root;
}

} // namespace

const std::vector<std::string_view>& templateNames(TemplateKind kind) {
    static const std::vector<std::string_view> tags = [] {
        std::vector<std::string_view> names;
        for (const SwfTagInfo& info : swfTagTable())
            names.emplace_back(info.name);
        return names;
    }();
    static const std::vector<std::string_view> actions = words(kActionNames);
    static const std::vector<std::string_view> records = [] {
        std::vector<std::string_view> names;
        for (const auto& record : kRecordTemplates)
            names.push_back(record.name);
        return names;
    }();
    switch (kind) {
    case TemplateKind::Tag:
        return tags;
    case TemplateKind::Action:
        return actions;
    case TemplateKind::Record:
        break;
    }
    return records;
}

int actionRegistryCode(std::string_view name) {
    const NameCodes& codes = actionCodes();
    const auto found = codes.find(name);
    return found == codes.end() ? kUnknownActionCode : found->second;
}

bool isTagName(std::string_view name) {
    return tagCodes().contains(name);
}

std::string BuildTemplate(TemplateKind kind, std::string_view name, std::size_t column) {
    const std::string text = fragment(kind, name);
    if (text.empty())
        return text;
    const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(column) - 6;
    if (shift < 0)
        return std::string(static_cast<std::size_t>(-shift), ' ') + text;
    // The printer starts every line with its indentation and the line's one element, so
    // shifting each line after the first keeps the nesting under the first line's caret.
    const auto breaks = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    std::string out;
    out.reserve(text.size() + breaks * static_cast<std::size_t>(shift));
    for (const char c : text) {
        out += c;
        if (c == '\n')
            out.append(static_cast<std::size_t>(shift), ' ');
    }
    return out;
}

std::string NewDocumentXml() {
    pugi::xml_document document;
    pugi::xml_node root = appendNewMovie(document);
    root.append_child("End");
    return std::string(kDeclaration) + swfxml::printNode(root);
}

std::string BackgroundColorMovieXml(std::string_view color) {
    pugi::xml_document document;
    pugi::xml_node root = appendNewMovie(document);
    root.append_child("SetBackgroundColor")
        .append_attribute("Color")
        .set_value(std::string(color).c_str());
    root.append_child("End");
    return std::string(kDeclaration) + swfxml::printNode(root);
}

} // namespace vorn
