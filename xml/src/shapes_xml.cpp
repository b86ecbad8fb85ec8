// Shapes in XML: DefineShape to DefineShape4 with their fill styles, line styles, gradients
// and edge records.
#include "shapes_xml.h"

#include "family.h"

#include <string>

namespace swfxml {

using namespace libswf;

namespace {

constexpr struct {
    const char* name;
    std::uint8_t type;
} kBitmapTypes[] = {
    {"Tiled", SwfFillStyle::RepeatingBitmap},
    {"Clipped", SwfFillStyle::ClippedBitmap},
    {"NonSmoothedTiled", SwfFillStyle::NonSmoothedRepeatingBitmap},
    {"NonSmoothedClipped", SwfFillStyle::NonSmoothedClippedBitmap},
};

constexpr struct {
    const char* name;
    std::uint8_t type;
} kGradientTypes[] = {
    {"Linear", SwfFillStyle::LinearGradient},
    {"Radial", SwfFillStyle::RadialGradient},
    {"FocalRadialGradient", SwfFillStyle::FocalRadialGradient},
};

constexpr struct {
    const char* name;
    SwfBitField field;
} kGradientBits[] = {
    {"NumGradients", SwfGradientBits::NumGradients},
    {"InterpolationMode", SwfGradientBits::InterpolationMode},
    {"SpreadMode", SwfGradientBits::SpreadMode},
};

void appendGradientBits(SwfXmlOut& element, const SwfGradientBits& bits) {
    for (const auto& bit : kGradientBits)
        setNumber(element, bit.name, bits.get(bit.field));
}

void readGradientBits(const SwfXmlIn& element, SwfGradientBits& bits) {
    for (const auto& bit : kGradientBits)
        if (findAttribute(element, bit.name))
            bits.set(bit.field, readLowBits(element, bit.name, bit.field.width));
}

} // namespace

void appendGradientRecord(SwfXmlOut& parent, const SwfGradientRecord& record) {
    SwfXmlOut element = parent.child("GradientRecord");
    setNumber(element, "Ratio", record.ratio);
    setColor(element, "Color", record.color);
}

namespace {

void readGradientRecord(const SwfXmlIn& element, SwfGradientRecord& record) {
    record.ratio = static_cast<std::uint8_t>(readLowBits(element, "Ratio", 8));
    readColor(element, "Color", record.color);
}

} // namespace

// ---- fill styles ------------------------------------------------------------------------

void appendFillStyle(SwfXmlOut& parent, const SwfFillStyle& fill) {
    if (const auto* solid = dynamic_cast<const SwfSolidFillStyle*>(&fill)) {
        SwfXmlOut element = parent.child("SolidFillStyle");
        setColor(element, "Color", solid->color);
    } else if (const auto* gradient = dynamic_cast<const SwfGradientFillStyle*>(&fill)) {
        SwfXmlOut element = parent.child("GradientFillStyle");
        // A type byte of no kind shows as its number, which the reader will not take.
        if (const char* name = gradientFillTypeName(gradient->type))
            element.attribute("Type", name);
        else
            setNumber(element, "Type", gradient->type);
        appendMatrix(element, "Matrix", gradient->matrix);
        SwfXmlOut records = element.child("GradientRecords");
        if (gradient->isFocal()) {
            const SwfFocalGradient& focal = gradient->focalGradient;
            setNumber(records, "High", focal.focalPoint[0]);
            setNumber(records, "Low", focal.focalPoint[1]);
            SwfXmlOut bits = records.child("BitsField");
            appendGradientBits(bits, focal);
            for (const auto& record : focal.records)
                if (record)
                    appendGradientRecord(records, *record);
        } else {
            appendGradientBits(records, gradient->gradient);
            for (const auto& record : gradient->gradient)
                appendGradientRecord(records, *record);
        }
    } else if (const auto* bitmap = dynamic_cast<const SwfBitmapFillStyle*>(&fill)) {
        SwfXmlOut element = parent.child("BitmapFillStyle");
        if (const char* name = bitmapFillTypeName(bitmap->type))
            element.attribute("Type", name);
        else
            setNumber(element, "Type", bitmap->type);
        setNumber(element, "BitmapId", bitmap->bitmapId);
        appendMatrix(element, "Matrix", bitmap->matrix);
    }
}

namespace {

void appendFillStyles(SwfXmlOut& parent, const SwfFillStyles& fills) {
    SwfXmlOut element = parent.child("FillStyles");
    for (const auto& fill : fills)
        if (fill)
            appendFillStyle(element, *fill);
}

// The kind is the first attribute's value whatever its name; the first child element is the
// matrix and the one after it the gradient.
std::unique_ptr<SwfGradientFillStyle> readGradientFill(const SwfXmlIn& element) {
    auto fill = std::make_unique<SwfGradientFillStyle>();
    const SwfXmlAttribute* kind = element.firstAttribute();
    const bool known = kind && parseGradientFillType(kind->value, fill->type);
    const SwfXmlIn matrix = element.nextChild();
    if (!matrix)
        return fill;
    fill->matrix = readMatrix(matrix);
    const SwfXmlIn records = element.nextChild();
    if (!known || !records)
        return fill;
    if (fill->isFocal()) {
        SwfFocalGradient& focal = fill->focalGradient;
        focal.focalPoint[0] = static_cast<std::uint8_t>(readLowBits(records, "High", 8));
        focal.focalPoint[1] = static_cast<std::uint8_t>(readLowBits(records, "Low", 8));
        for (SwfXmlIn c = records.nextChild(); c; c = records.nextChild()) {
            if (namesEqual(c.name(), "BitsField")) {
                readGradientBits(c, focal);
            } else if (namesEqual(c.name(), "GradientRecord")) {
                auto record = std::make_shared<SwfGradientRecord>();
                readGradientRecord(c, *record);
                focal.records.push_back(std::move(record));
            }
        }
    } else {
        readGradientBits(records, fill->gradient);
        for (SwfXmlIn c = records.nextChild(); c; c = records.nextChild()) {
            auto record = std::make_unique<SwfGradientRecord>();
            readGradientRecord(c, *record);
            fill->gradient.push_back(std::move(record));
        }
    }
    return fill;
}

// A Type of no bitmap kind leaves a type byte that the compile refuses with a message, rather
// than a fill that silently changes kind. The matrix is the first child element; where one is
// needed, a fill without it is none.
std::unique_ptr<SwfBitmapFillStyle> readBitmapFill(const SwfXmlIn& element,
                                                   bool needMatrix = false) {
    auto fill = std::make_unique<SwfBitmapFillStyle>();
    const SwfXmlAttribute* type = findAttribute(element, "Type");
    if (!type || !parseBitmapFillType(type->value, fill->type))
        fill->type = SwfFillStyle::Solid;
    readNumber(element, "BitmapId", fill->bitmapId);
    if (const SwfXmlIn matrix = element.nextChild())
        fill->matrix = readMatrix(matrix);
    else if (needMatrix)
        return nullptr;
    return fill;
}

void readFillStyles(const SwfXmlIn& element, SwfFillStyles& fills) {
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        if (namesEqual(c.name(), "SolidFillStyle")) {
            auto fill = std::make_unique<SwfSolidFillStyle>();
            readColor(c, "Color", fill->color);
            fills.push_back(std::move(fill));
        } else if (namesEqual(c.name(), "BitmapFillStyle")) {
            fills.push_back(readBitmapFill(c));
        } else if (namesEqual(c.name(), "GradientFillStyle")) {
            fills.push_back(readGradientFill(c));
        }
    }
}

// The fill of an extended line style: the first child element, used only when it carries an
// attribute; a solid fill needs its colour and a bitmap fill its matrix.
std::shared_ptr<SwfFillStyle> readLineFill(const SwfXmlIn& element) {
    const SwfXmlIn fill = element.nextChild();
    if (!fill || !fill.firstAttribute())
        return nullptr;
    if (namesEqual(fill.name(), "SolidFillStyle")) {
        auto solid = std::make_shared<SwfSolidFillStyle>();
        if (!readColor(fill, "Color", solid->color))
            return nullptr;
        return solid;
    }
    if (namesEqual(fill.name(), "BitmapFillStyle"))
        return readBitmapFill(fill, true);
    if (namesEqual(fill.name(), "GradientFillStyle"))
        return readGradientFill(fill);
    return nullptr;
}

// ---- line styles ------------------------------------------------------------------------

void appendLineStyles(SwfXmlOut& parent, const SwfLineStyles& lines, bool lineStyles2) {
    SwfXmlOut element = parent.child(lineStyles2 ? "LineStyles2" : "LineStyles");
    for (const auto& generic : lines) {
        SwfXmlOut style = element.child("LineStyle");
        if (const auto* plain = dynamic_cast<const SwfLineStyle*>(generic.get())) {
            setNumber(style, "Width", plain->width);
            setColor(style, "Color", plain->color);
        } else if (const auto* line = dynamic_cast<const SwfLineStyle2*>(generic.get())) {
            if (line->hasMiterLimit())
                setNumber(style, "MitterLimitFactor", line->miterLimitFactor);
            if (!line->hasFill())
                setColor(style, "Color", line->color);
            setNumber(style, "Width", line->width);
            appendLineFlags(style, *line, "EndCapStyle");
            if (line->hasFill() && line->fill) {
                SwfXmlOut fill = style.child("FillStyle");
                appendFillStyle(fill, *line->fill);
            }
        }
    }
}

// Every child element is one style, whatever its name.
void readLineStyles(const SwfXmlIn& element, SwfLineStyles& lines, bool lineStyles2) {
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        if (!lineStyles2) {
            auto line = std::make_unique<SwfLineStyle>();
            readNumber(c, "Width", line->width);
            readColor(c, "Color", line->color);
            lines.push_back(std::move(line));
            continue;
        }
        auto line = std::make_unique<SwfLineStyle2>();
        readNumber(c, "MitterLimitFactor", line->miterLimitFactor);
        readColor(c, "Color", line->color);
        readNumber(c, "Width", line->width);
        for (SwfXmlIn part = c.nextChild(); part; part = c.nextChild()) {
            if (namesEqual(part.name(), "BitsField"))
                readLineFlags(part, *line);
            else if (namesEqual(part.name(), "FillStyle"))
                line->fill = readLineFill(part);
        }
        lines.push_back(std::move(line));
    }
}

void appendIndex(SwfXmlOut& parent, const char* name, std::uint16_t index) {
    SwfXmlOut element = parent.child(name);
    setNumber(element, "Index", index);
}

// The index is the first attribute's value, whatever its name.
std::uint16_t readIndex(const SwfXmlIn& element) {
    const SwfXmlAttribute* a = element.firstAttribute();
    return a ? parseNumber<std::uint16_t>(a->value) : 0;
}

// Index widths the file gave, as FillBits and LineBits attributes, only where they differ
// from the widths the style arrays call for.
void appendGivenWidths(SwfXmlOut& element, const SwfIndexWidths& widths) {
    setGivenBits(element, "FillBits", widths.fill);
    setGivenBits(element, "LineBits", widths.line);
}

// Widths beyond the 4 bits of their field are not taken.
void readGivenWidths(const SwfXmlIn& element, SwfIndexWidths& widths) {
    readGivenBits(element, "FillBits", 15, widths.fill);
    readGivenBits(element, "LineBits", 15, widths.line);
}

std::unique_ptr<SwfStyleChange> readStyleChange(const SwfXmlIn& element, bool lineStyles2) {
    auto change = std::make_unique<SwfStyleChange>();
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        const std::string_view name = c.name();
        if (namesEqual(name, "Move")) {
            change->move = true;
            readNumber(c, "DX", change->moveDX);
            readNumber(c, "DY", change->moveDY);
            readGivenBits(c, "MoveBits", 31, change->givenMoveBits);
        } else if (namesEqual(name, "SetFill0")) {
            change->setFill0 = true;
            change->fill0 = readIndex(c);
        } else if (namesEqual(name, "SetFill1")) {
            change->setFill1 = true;
            change->fill1 = readIndex(c);
        } else if (namesEqual(name, "SetLine")) {
            change->setLine = true;
            change->line = readIndex(c);
        } else if (namesEqual(name, "NewStyles")) {
            change->newStyles = true;
            readGivenWidths(c, change->givenWidths);
            if (const SwfXmlIn fills = c.nextChild()) {
                readFillStyles(fills, change->fillStyles);
                if (const SwfXmlIn lines = c.nextChild())
                    readLineStyles(lines, change->lineStyles, lineStyles2);
            }
        }
    }
    return change;
}

// ---- tags -------------------------------------------------------------------------------

void writeDefineShape(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& shape = static_cast<const SwfTagDefineShapeBase&>(tag);
    setNumber(element, "ShapeId", shape.id);
    appendRect(element, "Bounds", shape.bounds);
    appendFillStyles(element, shape.fillStyles);
    appendLineStyles(element, shape.lineStyles, false);
    SwfXmlOut edges = element.child("Edges");
    appendShapeRecords(edges, shape.records, false);
}

// Goes by position: the first attribute is the id, and the first four child elements are
// the bounds, the fill styles, the line styles and the edges, whatever their names.
template <class T>
std::unique_ptr<SwfTag> readDefineShape(const SwfXmlIn& element, SwfXmlReader&) {
    auto shape = std::make_unique<T>();
    const SwfXmlAttribute* id = element.firstAttribute();
    shape->id = id ? parseNumber<std::uint16_t>(id->value) : 0;
    SwfXmlIn child = element.nextChild();
    if (!child)
        return shape;
    shape->bounds = readRect(child);
    if (!(child = element.nextChild()))
        return shape;
    readFillStyles(child, shape->fillStyles);
    if (!(child = element.nextChild()))
        return shape;
    readLineStyles(child, shape->lineStyles, false);
    if (!(child = element.nextChild()))
        return shape;
    readShapeRecords(child, shape->records, false);
    return shape;
}

void writeDefineShape4(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& shape = static_cast<const SwfTagDefineShape4&>(tag);
    setNumber(element, "ShapeId", shape.id);
    setNumber(element, "UseScalingStrokes", shape.get(SwfTagDefineShape4::UseScalingStrokes));
    setNumber(element, "UseNonScalingStrokes", shape.get(SwfTagDefineShape4::UseNonScalingStrokes));
    // The other bits (the fill winding rule of later movies among them) as they were.
    if (const unsigned reserved = shape.get(SwfTagDefineShape4::Reserved))
        setNumber(element, "Reserved", reserved);
    appendRect(element, "ShapeBounds", shape.shapeBounds);
    appendRect(element, "EdgeBounds", shape.edgeBounds);
    appendFillStyles(element, shape.fillStyles);
    appendLineStyles(element, shape.lineStyles, true);
    SwfXmlOut edges = element.child("Shapes");
    appendShapeRecords(edges, shape.records, true);
}

std::unique_ptr<SwfTag> readDefineShape4(const SwfXmlIn& element, SwfXmlReader&) {
    auto shape = std::make_unique<SwfTagDefineShape4>();
    readNumber(element, "ShapeId", shape->id);
    shape->set(SwfTagDefineShape4::UseScalingStrokes, readLowBits(element, "UseScalingStrokes", 1));
    shape->set(SwfTagDefineShape4::UseNonScalingStrokes,
               readLowBits(element, "UseNonScalingStrokes", 1));
    shape->set(SwfTagDefineShape4::Reserved, readLowBits(element, "Reserved", 6));
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        const std::string_view name = c.name();
        if (namesEqual(name, "ShapeBounds")) {
            shape->shapeBounds = readRect(c);
        } else if (namesEqual(name, "EdgeBounds")) {
            shape->edgeBounds = readRect(c);
        } else if (namesEqual(name, "FillStyles")) {
            shape->fillStyles.clear();
            readFillStyles(c, shape->fillStyles);
        } else if (namesEqual(name, "LineStyles2")) {
            shape->lineStyles.clear();
            readLineStyles(c, shape->lineStyles, true);
        } else if (namesEqual(name, "Shapes")) {
            shape->records.clear();
            readShapeRecords(c, shape->records, true);
        }
    }
    return shape;
}

constexpr SwfXmlTagCodec kShapeCodecs[] = {
    {2, &writeDefineShape, &readDefineShape<SwfTagDefineShape>},
    {22, &writeDefineShape, &readDefineShape<SwfTagDefineShape2>},
    {32, &writeDefineShape, &readDefineShape<SwfTagDefineShape3>},
    {83, &writeDefineShape4, &readDefineShape4},
};

} // namespace

// ---- shared pieces ----------------------------------------------------------------------

unsigned readLowBits(const SwfXmlIn& node, std::string_view name, unsigned width) {
    const SwfXmlAttribute* a = findAttribute(node, name);
    if (!a)
        return 0;
    const auto value = static_cast<std::uint64_t>(parseNumber<std::int64_t>(a->value));
    return static_cast<unsigned>(value & ((std::uint64_t{1} << width) - 1));
}

const char* bitmapFillTypeName(std::uint8_t type) {
    for (const auto& kind : kBitmapTypes)
        if (kind.type == type)
            return kind.name;
    return nullptr;
}

const char* gradientFillTypeName(std::uint8_t type) {
    for (const auto& kind : kGradientTypes)
        if (kind.type == type)
            return kind.name;
    return nullptr;
}

bool parseGradientFillType(std::string_view text, std::uint8_t& type) {
    for (const auto& kind : kGradientTypes)
        if (namesEqual(text, kind.name)) {
            type = kind.type;
            return true;
        }
    return false;
}

bool parseBitmapFillType(std::string_view text, std::uint8_t& type) {
    for (const auto& kind : kBitmapTypes)
        if (namesEqual(text, kind.name)) {
            type = kind.type;
            return true;
        }
    return false;
}

namespace {

constexpr struct {
    const char* name;
    SwfBitField field;
} kLineFlags[] = {
    {"EndCapStyle", SwfLineFlags::EndCapStyle},   {"NoClose", SwfLineFlags::NoClose},
    {"PixelHinting", SwfLineFlags::PixelHinting}, {"NoVScale", SwfLineFlags::NoVScale},
    {"NoHScale", SwfLineFlags::NoHScale},         {"HasFill", SwfLineFlags::HasFill},
    {"JoinStyle", SwfLineFlags::JoinStyle},       {"StartCapStyle", SwfLineFlags::StartCapStyle},
    {"Reserved", SwfLineFlags::Reserved}, // shown only when a movie sets them
};

} // namespace

void appendLineFlags(SwfXmlOut& parent, const SwfLineFlags& flags, const char* endCapName) {
    SwfXmlOut element = parent.child("BitsField");
    setNumber(element, endCapName, flags.get(SwfLineFlags::EndCapStyle));
    for (std::size_t i = 1; i + 1 < std::size(kLineFlags); ++i)
        setNumber(element, kLineFlags[i].name, flags.get(kLineFlags[i].field));
    if (const unsigned reserved = flags.get(SwfLineFlags::Reserved))
        setNumber(element, "Reserved", reserved);
}

void readLineFlags(const SwfXmlIn& bitsField, SwfLineFlags& flags) {
    // The morph spelling "EndCapstyle" differs only in case, which names never depend on.
    for (const auto& flag : kLineFlags)
        if (findAttribute(bitsField, flag.name))
            flags.set(flag.field, readLowBits(bitsField, flag.name, flag.field.width));
}

void appendShapeRecords(SwfXmlOut& element, const SwfShapeRecords& records, bool lineStyles2) {
    appendGivenWidths(element, records.givenWidths);
    for (const auto& record : records) {
        switch (record->kind()) {
        case SwfShapeRecord::Kind::Line: {
            const auto& line = static_cast<const SwfLine&>(*record);
            SwfXmlOut e = element.child("Line");
            setNumber(e, "DX", line.dx);
            setNumber(e, "DY", line.dy);
            setGivenBits(e, "NumBits", line.givenBits);
            break;
        }
        case SwfShapeRecord::Kind::Curve: {
            const auto& curve = static_cast<const SwfCurve&>(*record);
            SwfXmlOut e = element.child("Curve");
            setNumber(e, "CDX", curve.cdx);
            setNumber(e, "CDY", curve.cdy);
            setNumber(e, "ADX", curve.adx);
            setNumber(e, "ADY", curve.ady);
            setGivenBits(e, "NumBits", curve.givenBits);
            break;
        }
        case SwfShapeRecord::Kind::StyleChange: {
            const auto& change = static_cast<const SwfStyleChange&>(*record);
            SwfXmlOut e = element.child("StyleChange");
            if (change.move) {
                SwfXmlOut move = e.child("Move");
                setNumber(move, "DX", change.moveDX);
                setNumber(move, "DY", change.moveDY);
                setGivenBits(move, "MoveBits", change.givenMoveBits);
            }
            if (change.setFill0)
                appendIndex(e, "SetFill0", change.fill0);
            if (change.setFill1)
                appendIndex(e, "SetFill1", change.fill1);
            if (change.setLine)
                appendIndex(e, "SetLine", change.line);
            if (change.newStyles) {
                SwfXmlOut styles = e.child("NewStyles");
                appendGivenWidths(styles, change.givenWidths);
                appendFillStyles(styles, change.fillStyles);
                appendLineStyles(styles, change.lineStyles, lineStyles2);
            }
            break;
        }
        }
    }
}

void readShapeRecords(const SwfXmlIn& element, SwfShapeRecords& records, bool lineStyles2) {
    readGivenWidths(element, records.givenWidths);
    for (SwfXmlIn c = element.nextChild(); c; c = element.nextChild()) {
        const std::string_view name = c.name();
        if (namesEqual(name, "Line")) {
            auto line = std::make_unique<SwfLine>();
            readNumber(c, "DX", line->dx);
            readNumber(c, "DY", line->dy);
            readGivenBits(c, "NumBits", 17, line->givenBits);
            records.push_back(std::move(line));
        } else if (namesEqual(name, "Curve")) {
            auto curve = std::make_unique<SwfCurve>();
            readNumber(c, "CDX", curve->cdx);
            readNumber(c, "CDY", curve->cdy);
            readNumber(c, "ADX", curve->adx);
            readNumber(c, "ADY", curve->ady);
            readGivenBits(c, "NumBits", 17, curve->givenBits);
            records.push_back(std::move(curve));
        } else if (namesEqual(name, "StyleChange")) {
            records.push_back(readStyleChange(c, lineStyles2));
        }
    }
}

std::span<const SwfXmlTagCodec> shapeCodecs() {
    return kShapeCodecs;
}

} // namespace swfxml
