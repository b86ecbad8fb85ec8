// One object's element printed alone. Records that a family writes only inside their
// container (assets, register parameters, zones, envelope points, filters, edges, morph
// gradient records) are written by putting one copy into a container of their own and taking
// the element out again, so that the families keep a single writer for each of them.
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

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, std::size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The element printed at the depth of a movie's tags, trimmed of the indentation in front of
// its first line and of the line break after its last.
std::string printed(const pugi::xml_node& element) {
    if (!element)
        throw std::logic_error("a writer produced no element");
    StringWriter writer;
    element.print(writer, "    ", pugi::format_indent, pugi::encoding_utf8, 1);
    std::string_view text = writer.out;
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// A scratch document whose root stands in for the movie.
struct Scratch {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("Movie");
};

// The first element on the path of names below `from`.
pugi::xml_node descend(pugi::xml_node from, std::initializer_list<const char*> path) {
    for (const char* name : path)
        from = from.child(name);
    return from;
}

} // namespace

std::string fragmentXml(const SwfTag& tag) {
    SwfXmlWriter ctx(true);
    writeTag(ctx, tag);
    return printed(ctx.root.first_child());
}

std::string fragmentXml(const SwfAction& action) {
    Scratch scratch;
    // Level 1: the action stands where a tag would, so its payloads are laid out one level in.
    writeAction(scratch.root, action, 1);
    return printed(scratch.root.first_child());
}

std::string fragmentXml(const SwfValue& value) {
    Scratch scratch;
    writeValue(scratch.root, value);
    return printed(scratch.root.first_child());
}

std::string fragmentXml(const SwfRect& rect) {
    Scratch scratch;
    return printed(appendRect(scratch.root, "Rect", rect));
}

std::string fragmentXml(const SwfMatrix& matrix) {
    Scratch scratch;
    return printed(appendMatrix(scratch.root, "Matrix", matrix));
}

std::string fragmentXml(const SwfColorTransform& transform) {
    Scratch scratch;
    return printed(appendColorTransform(scratch.root, transform));
}

std::string fragmentXml(const SwfLine& line) {
    Scratch scratch;
    SwfShapeRecords records;
    records.push_back(std::make_unique<SwfLine>(line));
    appendShapeRecords(scratch.root, records, false);
    return printed(scratch.root.first_child());
}

std::string fragmentXml(const SwfCurve& curve) {
    Scratch scratch;
    SwfShapeRecords records;
    records.push_back(std::make_unique<SwfCurve>(curve));
    appendShapeRecords(scratch.root, records, false);
    return printed(scratch.root.first_child());
}

std::string fragmentXml(const SwfFillStyle& fill) {
    Scratch scratch;
    appendFillStyle(scratch.root, fill);
    return printed(scratch.root.first_child());
}

std::string fragmentXml(const SwfGradientRecord& record) {
    Scratch scratch;
    appendGradientRecord(scratch.root, record);
    return printed(scratch.root.first_child());
}

std::string fragmentXml(const SwfMorphGradientRecord& record) {
    Scratch scratch;
    SwfMorphGradientFillStyle fill;
    fill.gradient.push_back(std::make_unique<SwfMorphGradientRecord>(record));
    appendMorphFill(scratch.root, fill);
    return printed(descend(
        scratch.root, {"MorphGradientFillStyle", "MorphGradientRecords", "MorphGradientRecord"}));
}

std::string fragmentXml(const SwfFilter& filter) {
    Scratch scratch;
    SwfFilterList list;
    list.filters.push_back(std::make_shared<SwfFilter>(filter));
    return printed(appendFilterList(scratch.root, list).first_child());
}

std::string fragmentXml(const SwfAsset& asset) {
    SwfXmlWriter ctx(true);
    SwfTagExportAssets exports;
    exports.assets.push_back(std::make_unique<SwfAsset>(asset));
    writeTag(ctx, exports);
    return printed(descend(ctx.root, {"ExportAssets", "Asset"}));
}

std::string fragmentXml(const SwfRegisterParam& parameter) {
    Scratch scratch;
    SwfActionDefineFunction2 function;
    function.parameters.push_back(parameter);
    writeAction(scratch.root, function, 1);
    return printed(descend(scratch.root, {"DefineFunction2", "RegisterParams", "RegisterParam"}));
}

std::string fragmentXml(const SwfZoneData& zone) {
    SwfXmlWriter ctx(true);
    SwfTagDefineFontAlignZones zones;
    zones.zoneTable.emplace_back().zoneData.push_back(zone);
    writeTag(ctx, zones);
    return printed(
        descend(ctx.root, {"DefineFontAlignZones", "ZoneRecords", "ZoneRecord", "ZoneData"}));
}

std::string fragmentXml(const SwfSoundEnvelope& point) {
    Scratch scratch;
    SwfSoundInfo info;
    info.flags = SwfSoundInfo::HasEnvelope;
    info.envelopes.push_back(point);
    return printed(appendSoundInfo(scratch.root, "SoundInfo", info).child("SoundEnvelope"));
}

} // namespace swfxml
