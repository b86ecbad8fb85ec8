// One object's element printed alone. Records that a family writes only inside their
// container (assets, register parameters, zones, envelope points, filters, morph gradient
// records) are written by putting one copy into a container of their own and taking the
// element out again, so that the families keep a single writer for each of them.
#include "swfxml/fragment.h"

#include "actions_xml.h"
#include "filters_xml.h"
#include "morph_xml.h"
#include "shapes_xml.h"
#include "sound_xml.h"
#include "swfxml/convert.h"
#include "swfxml/values.h"

#include <stdexcept>
#include <string_view>

namespace swfxml {

using namespace libswf;

namespace {

// The element that print(holder) writes `below` levels under the holder, the first of that
// name there (or the first of any name), printed at the depth of a movie's tags: its first
// line without indentation, no line break after its last. The holder is opened higher by as
// many levels, its lines left out.
template <class Print>
std::string printed(int below, std::string_view name, Print&& print) {
    std::string text;
    SwfXmlPrinter printer(text);
    SwfXmlOut holder = printer.open("Movie", 1 - below);
    print(holder);
    printer.finish();
    // The element is the first line indented by one level; its children are indented
    // further, so its end is the first line after it indented by one level again, unless
    // its start tag line holds all of it.
    const std::string_view all = text;
    std::size_t start = 0;
    for (;;) {
        start = all.find("\n    <", start);
        if (start == std::string_view::npos)
            throw std::logic_error("a writer produced no element");
        start += 5;
        const std::string_view rest = all.substr(start + 1);
        if (rest[0] != '/' && (name.empty() || (rest.starts_with(name) &&
                                                std::string_view(" />").find(rest[name.size()]) !=
                                                    std::string_view::npos)))
            break;
    }
    const std::size_t lineEnd = all.find('\n', start);
    const std::string_view line = all.substr(start, lineEnd - start);
    const std::size_t nameEnd = line.find_first_of(" />");
    const std::string end = "</" + std::string(line.substr(1, nameEnd - 1)) + ">";
    if (line.ends_with("/>") || line.ends_with(end))
        return std::string(line);
    const std::size_t close = all.find("\n    " + end, lineEnd);
    if (close == std::string_view::npos)
        throw std::logic_error("a writer left an element open");
    return std::string(all.substr(start, close + 5 + end.size() - start));
}

} // namespace

std::string fragmentXml(const SwfTag& tag) {
    SwfXmlWriter ctx;
    return printed(1, {}, [&](SwfXmlOut& root) { writeTag(ctx, tag, root); });
}

std::string fragmentXml(const SwfAction& action) {
    // Level 1: the action stands where a tag would, so its payloads are laid out one level in.
    return printed(1, {}, [&](SwfXmlOut& root) { writeAction(root, action, 1); });
}

std::string fragmentXml(const SwfValue& value) {
    return printed(1, {}, [&](SwfXmlOut& root) { writeValue(root, value); });
}

std::string fragmentXml(const SwfRect& rect) {
    return printed(1, {}, [&](SwfXmlOut& root) { appendRect(root, "Rect", rect); });
}

std::string fragmentXml(const SwfMatrix& matrix) {
    return printed(1, {}, [&](SwfXmlOut& root) { appendMatrix(root, "Matrix", matrix); });
}

std::string fragmentXml(const SwfColorTransform& transform) {
    return printed(1, {}, [&](SwfXmlOut& root) { appendColorTransform(root, transform); });
}

std::string fragmentXml(const SwfLine& line) {
    SwfShapeRecords records;
    records.push_back(std::make_unique<SwfLine>(line));
    return printed(1, {}, [&](SwfXmlOut& root) { appendShapeRecords(root, records, false); });
}

std::string fragmentXml(const SwfCurve& curve) {
    SwfShapeRecords records;
    records.push_back(std::make_unique<SwfCurve>(curve));
    return printed(1, {}, [&](SwfXmlOut& root) { appendShapeRecords(root, records, false); });
}

std::string fragmentXml(const SwfFillStyle& fill) {
    return printed(1, {}, [&](SwfXmlOut& root) { appendFillStyle(root, fill); });
}

std::string fragmentXml(const SwfGradientRecord& record) {
    return printed(1, {}, [&](SwfXmlOut& root) { appendGradientRecord(root, record); });
}

// MorphGradientFillStyle, MorphGradientRecords, MorphGradientRecord.
std::string fragmentXml(const SwfMorphGradientRecord& record) {
    SwfMorphGradientFillStyle fill;
    fill.gradient.push_back(std::make_unique<SwfMorphGradientRecord>(record));
    return printed(3, "MorphGradientRecord", [&](SwfXmlOut& root) { appendMorphFill(root, fill); });
}

// FilterList, then the filter.
std::string fragmentXml(const SwfFilter& filter) {
    SwfFilterList list;
    list.filters.push_back(std::make_shared<SwfFilter>(filter));
    return printed(2, {}, [&](SwfXmlOut& root) { appendFilterList(root, list); });
}

// ExportAssets, Asset.
std::string fragmentXml(const SwfAsset& asset) {
    SwfXmlWriter ctx;
    SwfTagExportAssets exports;
    exports.assets.push_back(std::make_unique<SwfAsset>(asset));
    return printed(2, "Asset", [&](SwfXmlOut& root) { writeTag(ctx, exports, root); });
}

// DefineFunction2, RegisterParams, RegisterParam.
std::string fragmentXml(const SwfRegisterParam& parameter) {
    SwfActionDefineFunction2 function;
    function.parameters.push_back(parameter);
    return printed(3, "RegisterParam", [&](SwfXmlOut& root) { writeAction(root, function, 1); });
}

// DefineFontAlignZones, ZoneRecords, ZoneRecord, ZoneData.
std::string fragmentXml(const SwfZoneData& zone) {
    SwfXmlWriter ctx;
    SwfTagDefineFontAlignZones zones;
    zones.zoneTable.emplace_back().zoneData.push_back(zone);
    return printed(4, "ZoneData", [&](SwfXmlOut& root) { writeTag(ctx, zones, root); });
}

// SoundInfo, SoundEnvelope.
std::string fragmentXml(const SwfSoundEnvelope& point) {
    SwfSoundInfo info;
    info.flags = SwfSoundInfo::HasEnvelope;
    info.envelopes.push_back(point);
    return printed(2, "SoundEnvelope",
                   [&](SwfXmlOut& root) { appendSoundInfo(root, "SoundInfo", info); });
}

} // namespace swfxml
