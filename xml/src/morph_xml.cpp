// Morph shapes in XML: DefineMorphShape and DefineMorphShape2 with their paired styles; the
// start and end edges use the shape records' form.
#include "morph_xml.h"

#include "family.h"
#include "shapes_xml.h"

namespace swfxml {

using namespace libswf;

namespace {

// An element with one attribute Value.
void appendValue(SwfXmlOut& parent, const char* name, std::uint16_t value) {
    SwfXmlOut element = parent.child(name);
    setNumber(element, "Value", value);
}

void appendColorValue(SwfXmlOut& parent, const char* name, const SwfColor& color) {
    SwfXmlOut element = parent.child(name);
    setColor(element, "Value", color);
}

// The two bytes of an 8.8 number in file order as High (first) and Low (second).
void appendBytePair(SwfXmlOut& parent, const char* name, const std::array<std::uint8_t, 2>& bytes) {
    SwfXmlOut element = parent.child(name);
    setNumber(element, "High", bytes[0]);
    setNumber(element, "Low", bytes[1]);
}

void readBytePair(const SwfXmlIn& element, std::array<std::uint8_t, 2>& bytes) {
    bytes[0] = static_cast<std::uint8_t>(readLowBits(element, "High", 8));
    bytes[1] = static_cast<std::uint8_t>(readLowBits(element, "Low", 8));
}

} // namespace

// ---- fill styles ------------------------------------------------------------------------

void appendMorphFill(SwfXmlOut& parent, const SwfMorphFillStyle& fill) {
    if (const auto* solid = dynamic_cast<const SwfMorphSolidFillStyle*>(&fill)) {
        SwfXmlOut element = parent.child("MorphSolidFillStyle");
        setColor(element, "StartColor", solid->startColor);
        setColor(element, "EndColor", solid->endColor);
    } else if (const auto* gradient = dynamic_cast<const SwfMorphGradientFillStyle*>(&fill)) {
        SwfXmlOut element = parent.child("MorphGradientFillStyle");
        if (const char* name = gradientFillTypeName(gradient->type))
            element.attribute("Type", name);
        else
            setNumber(element, "Type", gradient->type);
        appendMatrix(element, "StartMatrix", gradient->startMatrix);
        appendMatrix(element, "EndMatrix", gradient->endMatrix);
        SwfXmlOut records = element.child("MorphGradientRecords");
        // Movies of SWF 8 and later may set these modes; they appear only when set, so that
        // they survive the round trip without changing the usual form.
        const SwfMorphGradientRecords& list = gradient->gradient;
        if (const unsigned mode = list.get(SwfGradientBits::InterpolationMode))
            setNumber(records, "InterpolationMode", mode);
        if (const unsigned mode = list.get(SwfGradientBits::SpreadMode))
            setNumber(records, "SpreadMode", mode);
        for (const auto& record : list) {
            SwfXmlOut r = records.child("MorphGradientRecord");
            setNumber(r, "StartRatio", record->startRatio);
            setNumber(r, "EndRatio", record->endRatio);
            setColor(r, "StartColor", record->startColor);
            setColor(r, "EndColor", record->endColor);
        }
        if (gradient->isFocal()) {
            appendBytePair(element, "StartFocalPoint", gradient->startFocalPoint);
            appendBytePair(element, "EndFocalPoint", gradient->endFocalPoint);
        }
    } else if (const auto* bitmap = dynamic_cast<const SwfMorphBitmapFillStyle*>(&fill)) {
        SwfXmlOut element = parent.child("BitmapFillStyle");
        if (const char* name = bitmapFillTypeName(bitmap->type))
            element.attribute("Type", name);
        else
            setNumber(element, "Type", bitmap->type);
        setNumber(element, "BitmapId", bitmap->bitmapId);
        appendMatrix(element, "StartMatrix", bitmap->startMatrix);
        appendMatrix(element, "EndMatrix", bitmap->endMatrix);
    }
}

namespace {

// One morph fill element by its name, or null for other names.
std::unique_ptr<SwfMorphFillStyle> readMorphFill(const SwfXmlIn& element) {
    const std::string_view name = element.name();
    if (namesEqual(name, "MorphSolidFillStyle")) {
        auto fill = std::make_unique<SwfMorphSolidFillStyle>();
        readColor(element, "StartColor", fill->startColor);
        readColor(element, "EndColor", fill->endColor);
        return fill;
    }
    if (namesEqual(name, "BitmapFillStyle")) {
        auto fill = std::make_unique<SwfMorphBitmapFillStyle>();
        readNumber(element, "BitmapId", fill->bitmapId);
        if (const SwfXmlAttribute* type = findAttribute(element, "Type"))
            parseBitmapFillType(type->value, fill->type);
        FirstOfEach first;
        for (SwfXmlIn m = element.nextChild(); m; m = element.nextChild()) {
            if (first.is(m, 0, "StartMatrix"))
                fill->startMatrix = readMatrix(m);
            else if (first.is(m, 1, "EndMatrix"))
                fill->endMatrix = readMatrix(m);
        }
        return fill;
    }
    if (namesEqual(name, "MorphGradientFillStyle")) {
        auto fill = std::make_unique<SwfMorphGradientFillStyle>();
        // Other text keeps the linear kind.
        if (const SwfXmlAttribute* type = findAttribute(element, "Type"))
            parseGradientFillType(type->value, fill->type);
        for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
            const std::string_view part = c.name();
            if (namesEqual(part, "StartMatrix")) {
                fill->startMatrix = readMatrix(c);
            } else if (namesEqual(part, "EndMatrix")) {
                fill->endMatrix = readMatrix(c);
            } else if (namesEqual(part, "StartFocalPoint")) {
                readBytePair(c, fill->startFocalPoint);
            } else if (namesEqual(part, "EndFocalPoint")) {
                readBytePair(c, fill->endFocalPoint);
            } else if (namesEqual(part, "MorphGradientRecords")) {
                SwfMorphGradientRecords& list = fill->gradient;
                list.set(SwfGradientBits::InterpolationMode,
                         readLowBits(c, "InterpolationMode", 2));
                list.set(SwfGradientBits::SpreadMode, readLowBits(c, "SpreadMode", 2));
                list.clear();
                for (SwfXmlIn r = c.nextChild(); r; r = c.nextChild()) {
                    if (!namesEqual(r.name(), "MorphGradientRecord"))
                        continue;
                    auto record = std::make_unique<SwfMorphGradientRecord>();
                    record->startRatio = static_cast<std::uint8_t>(readLowBits(r, "StartRatio", 8));
                    record->endRatio = static_cast<std::uint8_t>(readLowBits(r, "EndRatio", 8));
                    readColor(r, "StartColor", record->startColor);
                    readColor(r, "EndColor", record->endColor);
                    list.push_back(std::move(record));
                }
            }
        }
        return fill;
    }
    return nullptr;
}

void appendMorphFills(SwfXmlOut& parent, const SwfMorphFillStyles& fills) {
    SwfXmlOut element = parent.child("MorphFillStyles");
    for (const auto& fill : fills)
        if (fill)
            appendMorphFill(element, *fill);
}

void readMorphFills(const SwfXmlIn& element, SwfMorphFillStyles& fills) {
    fills.clear();
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild())
        if (auto fill = readMorphFill(c))
            fills.push_back(std::move(fill));
}

// ---- line styles ------------------------------------------------------------------------

void appendMorphLines(SwfXmlOut& parent, const SwfMorphLineStyles& lines, bool extended) {
    SwfXmlOut element = parent.child(extended ? "MorphLineStyles2" : "MorphLineStyles");
    for (const auto& generic : lines) {
        if (const auto* plain = dynamic_cast<const SwfMorphLineStyle*>(generic.get())) {
            SwfXmlOut style = element.child("MorphLineStyle");
            setNumber(style, "StartWidth", plain->startWidth);
            setNumber(style, "EndWidth", plain->endWidth);
            setColor(style, "StartColor", plain->startColor);
            setColor(style, "EndColor", plain->endColor);
        } else if (const auto* line = dynamic_cast<const SwfMorphLineStyle2*>(generic.get())) {
            SwfXmlOut style = element.child("MorphLineStyle2");
            appendLineFlags(style, *line, "EndCapstyle");
            appendValue(style, "StartWidth", line->startWidth);
            appendValue(style, "EndWidth", line->endWidth);
            if (line->hasMiterLimit())
                appendBytePair(style, "MitterLimitFactor", line->miterLimitFactor);
            if (!line->hasFill()) {
                appendColorValue(style, "StartColor", line->startColor);
                appendColorValue(style, "EndColor", line->endColor);
            } else if (line->fill) {
                SwfXmlOut fill = style.child("MorphFillStyle");
                appendMorphFill(fill, *line->fill);
            }
        }
    }
}

void readMorphLines(const SwfXmlIn& element, SwfMorphLineStyles& lines) {
    lines.clear();
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        if (!namesEqual(c.name(), "MorphLineStyle"))
            continue;
        auto line = std::make_unique<SwfMorphLineStyle>();
        readNumber(c, "StartWidth", line->startWidth);
        readNumber(c, "EndWidth", line->endWidth);
        readColor(c, "StartColor", line->startColor);
        readColor(c, "EndColor", line->endColor);
        lines.push_back(std::move(line));
    }
}

// The value of an element's first attribute, whatever its name.
std::string_view firstValue(const SwfXmlIn& element) {
    const SwfXmlAttribute* a = element.firstAttribute();
    return a ? a->value : std::string_view();
}

// Every child element is one style, whatever its name.
void readMorphLines2(const SwfXmlIn& element, SwfMorphLineStyles& lines) {
    lines.clear();
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        auto line = std::make_unique<SwfMorphLineStyle2>();
        for (SwfXmlIn part = c.nextChild(); part; part = c.nextChild()) {
            const std::string_view name = part.name();
            if (namesEqual(name, "BitsField")) {
                readLineFlags(part, *line);
            } else if (namesEqual(name, "StartWidth")) {
                line->startWidth = parseNumber<std::uint16_t>(firstValue(part));
            } else if (namesEqual(name, "EndWidth")) {
                line->endWidth = parseNumber<std::uint16_t>(firstValue(part));
            } else if (namesEqual(name, "StartColor")) {
                line->startColor = parseColor(firstValue(part));
            } else if (namesEqual(name, "EndColor")) {
                line->endColor = parseColor(firstValue(part));
            } else if (namesEqual(name, "MitterLimitFactor")) {
                readBytePair(part, line->miterLimitFactor);
            } else if (namesEqual(name, "MorphFillStyle")) {
                if (const SwfXmlIn fill = part.nextChild())
                    line->fill = readMorphFill(fill);
            }
        }
        lines.push_back(std::move(line));
    }
}

void appendEdges(SwfXmlOut& parent, const char* name, const SwfShapeRecords& edges) {
    SwfXmlOut element = parent.child(name);
    appendShapeRecords(element, edges, false);
}

void readEdges(const SwfXmlIn& element, SwfShapeRecords& edges) {
    edges.clear();
    readShapeRecords(element, edges, false);
}

// ---- tags -------------------------------------------------------------------------------

void writeDefineMorphShape(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& morph = static_cast<const SwfTagDefineMorphShape&>(tag);
    setNumber(element, "ShapeId", morph.id);
    appendRect(element, "StartBounds", morph.startBounds);
    appendRect(element, "EndBounds", morph.endBounds);
    appendMorphFills(element, morph.fillStyles);
    appendMorphLines(element, morph.lineStyles, false);
    appendEdges(element, "StartEdges", morph.startEdges);
    appendEdges(element, "EndEdges", morph.endEdges);
}

std::unique_ptr<SwfTag> readDefineMorphShape(const SwfXmlIn& element, SwfXmlReader&) {
    auto morph = std::make_unique<SwfTagDefineMorphShape>();
    readNumber(element, "ShapeId", morph->id);
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        const std::string_view name = c.name();
        if (namesEqual(name, "StartBounds"))
            morph->startBounds = readRect(c);
        else if (namesEqual(name, "EndBounds"))
            morph->endBounds = readRect(c);
        else if (namesEqual(name, "MorphFillStyles"))
            readMorphFills(c, morph->fillStyles);
        else if (namesEqual(name, "MorphLineStyles"))
            readMorphLines(c, morph->lineStyles);
        else if (namesEqual(name, "StartEdges"))
            readEdges(c, morph->startEdges);
        else if (namesEqual(name, "EndEdges"))
            readEdges(c, morph->endEdges);
    }
    return morph;
}

void writeDefineMorphShape2(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& morph = static_cast<const SwfTagDefineMorphShape2&>(tag);
    setNumber(element, "ShapeId", morph.id);
    setNumber(element, "Offset", morph.offset);
    setNumber(element, "UseScalingStrokes", morph.get(SwfTagDefineMorphShape2::UseScalingStrokes));
    setNumber(element, "UseNonScalingStrokes",
              morph.get(SwfTagDefineMorphShape2::UseNonScalingStrokes));
    appendRect(element, "StartBounds", morph.startBounds);
    appendRect(element, "EndBounds", morph.endBounds);
    appendRect(element, "StartEdgeBounds", morph.startEdgeBounds);
    appendRect(element, "EndEdgeBounds", morph.endEdgeBounds);
    appendMorphFills(element, morph.fillStyles);
    appendMorphLines(element, morph.lineStyles, true);
    appendEdges(element, "StartEdges", morph.startEdges);
    appendEdges(element, "EndEdges", morph.endEdges);
}

std::unique_ptr<SwfTag> readDefineMorphShape2(const SwfXmlIn& element, SwfXmlReader&) {
    auto morph = std::make_unique<SwfTagDefineMorphShape2>();
    readNumber(element, "ShapeId", morph->id);
    readNumber(element, "Offset", morph->offset);
    morph->set(SwfTagDefineMorphShape2::UseScalingStrokes,
               readLowBits(element, "UseScalingStrokes", 1));
    morph->set(SwfTagDefineMorphShape2::UseNonScalingStrokes,
               readLowBits(element, "UseNonScalingStrokes", 1));
    morph->set(SwfTagDefineMorphShape2::Reserved, readLowBits(element, "Reserved", 6));
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        const std::string_view name = c.name();
        if (namesEqual(name, "StartBounds"))
            morph->startBounds = readRect(c);
        else if (namesEqual(name, "EndBounds"))
            morph->endBounds = readRect(c);
        else if (namesEqual(name, "StartEdgeBounds"))
            morph->startEdgeBounds = readRect(c);
        else if (namesEqual(name, "EndEdgeBounds"))
            morph->endEdgeBounds = readRect(c);
        else if (namesEqual(name, "MorphFillStyles"))
            readMorphFills(c, morph->fillStyles);
        else if (namesEqual(name, "MorphLineStyles2"))
            readMorphLines2(c, morph->lineStyles);
        else if (namesEqual(name, "StartEdges"))
            readEdges(c, morph->startEdges);
        else if (namesEqual(name, "EndEdges"))
            readEdges(c, morph->endEdges);
    }
    return morph;
}

constexpr SwfXmlTagCodec kMorphCodecs[] = {
    {46, &writeDefineMorphShape, &readDefineMorphShape},
    {84, &writeDefineMorphShape2, &readDefineMorphShape2},
};

} // namespace

std::span<const SwfXmlTagCodec> morphCodecs() {
    return kMorphCodecs;
}

} // namespace swfxml
