// The edge-record list: straight and curved edges and style changes, bit-packed with the
// fewest bits each record's values need.
#include "libswf/exception.h"
#include "libswf/shapes.h"
#include "shape_state.h"

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <string>
#include <vector>

namespace libswf {

namespace {

// An edge's width field holds NumBits - 2 in 4 bits; a move's MoveBits is 5 bits.
constexpr unsigned kMaxEdgeBits = 17;
constexpr unsigned kMaxMoveBits = 31;

// Bits of a signed field that holds v: its significant bits (a negative counts as its one's
// complement), at least one, plus the sign.
unsigned signedBits(std::int32_t v) {
    const std::uint32_t magnitude =
        v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    return std::max(1u, static_cast<unsigned>(std::bit_width(magnitude))) + 1;
}

// "(a, b, ...)"; appended piece by piece, which g++ 12 at -O3 does not misjudge.
std::string values(std::initializer_list<std::int32_t> list) {
    std::string out(1, '(');
    for (const std::int32_t v : list) {
        if (out.size() > 1)
            out.append(", ");
        out.append(std::to_string(v));
    }
    out.push_back(')');
    return out;
}

// A straight edge stores only the deltas that are not 0 (a zero edge stores its DY).
unsigned lineBits(std::int32_t dx, std::int32_t dy) {
    if (dx != 0 && dy != 0)
        return std::max(signedBits(dx), signedBits(dy));
    return signedBits(dx != 0 ? dx : dy);
}

unsigned curveBits(const SwfCurve& c) {
    return std::max(std::max(signedBits(c.cdx), signedBits(c.cdy)),
                    std::max(signedBits(c.adx), signedBits(c.ady)));
}

unsigned moveBits(std::int32_t dx, std::int32_t dy) {
    return dx == 0 && dy == 0 ? 0 : std::max(signedBits(dx), signedBits(dy));
}

// The widths a file gave while they still hold the values, else the fewest bits.
unsigned lineWidth(const SwfLine& line) {
    const std::int32_t values[] = {line.dx, line.dy};
    return givenOrRuleBits(line.givenBits, 2, 17, values, lineBits(line.dx, line.dy));
}

unsigned curveWidth(const SwfCurve& c) {
    const std::int32_t values[] = {c.cdx, c.cdy, c.adx, c.ady};
    return givenOrRuleBits(c.givenBits, 2, 17, values, curveBits(c));
}

unsigned moveWidth(const SwfStyleChange& c) {
    const std::int32_t values[] = {c.moveDX, c.moveDY};
    return givenOrRuleBits(c.givenMoveBits, 0, 31, values, moveBits(c.moveDX, c.moveDY));
}

[[noreturn]] void edgeTooWide(unsigned bits, const char* what, const std::string& values) {
    throwOutOfRange(std::string(what) + " " + values + " needs " + std::to_string(bits) +
                    " bits per value, more than the 17 an edge record holds (deltas from "
                    "-65536 to 65535 twips)");
}

// A style index must name an entry of the array in force and fit the width it is written in.
void checkIndex(const char* flag, std::uint16_t index, const char* array, std::size_t count,
                unsigned bits) {
    if (index > count)
        throwOutOfRange(std::string(flag) + " index " + std::to_string(index) +
                        " names no style: the " + array + " style array in force has " +
                        std::to_string(count) + (count == 1 ? " entry" : " entries"));
    if (bits < 16 && (index >> bits) != 0)
        throwOutOfRange(std::string(flag) + " index " + std::to_string(index) +
                        " needs more than the " + std::to_string(bits) +
                        " bits indices take at this point of the edges");
}

// The bits of the largest style index each stretch of the list writes: the first stretch runs
// to the first record with new styles (whose own indices still use the widths before it),
// each later one from there to the next.
struct IndexNeeds {
    unsigned fill = 0;
    unsigned line = 0;
};

std::vector<IndexNeeds> indexNeeds(const SwfShapeRecords& records) {
    std::vector<IndexNeeds> needs(1);
    for (const auto& record : records) {
        if (!record || record->kind() != SwfShapeRecord::Kind::StyleChange)
            continue;
        const auto& change = static_cast<const SwfStyleChange&>(*record);
        IndexNeeds& need = needs.back();
        if (change.setFill0)
            need.fill = std::max(need.fill, static_cast<unsigned>(std::bit_width(change.fill0)));
        if (change.setFill1)
            need.fill = std::max(need.fill, static_cast<unsigned>(std::bit_width(change.fill1)));
        if (change.setLine)
            need.line = std::max(need.line, static_cast<unsigned>(std::bit_width(change.line)));
        if (change.newStyles)
            needs.emplace_back();
    }
    return needs;
}

// The given width where the file gave one that still holds every index it covers, else the
// width the arrays call for.
std::uint8_t pickWidth(std::uint8_t given, unsigned rule, unsigned need) {
    return static_cast<std::uint8_t>(
        given != SwfIndexWidths::NotGiven && given <= 15 && given >= need ? given : rule);
}

} // namespace

// ---- records --------------------------------------------------------------------------------

std::uint64_t SwfLine::sizeInBits(SwfStream&, SwfStyleCounts&, std::uint64_t bits) const {
    const unsigned n = lineWidth(*this);
    if (n > kMaxEdgeBits)
        edgeTooWide(n, "a straight edge", values({dx, dy}));
    return bits + (dx != 0 && dy != 0 ? 7 + 2 * n : 8 + n);
}

void SwfLine::write(SwfOStream& os) const {
    const unsigned n = lineWidth(*this);
    // Edge flag, straight flag, NumBits - 2, then the general-line flag.
    const std::uint32_t head = 0x3u << 5 | (n - 2) << 1;
    if (dx != 0 && dy != 0) {
        os.writeBits(7, head | 1);
        os.writeBits(n, static_cast<std::uint32_t>(dx));
        os.writeBits(n, static_cast<std::uint32_t>(dy));
    } else if (dx == 0) {
        os.writeBits(8, head << 1 | 1); // vertical
        os.writeBits(n, static_cast<std::uint32_t>(dy));
    } else {
        os.writeBits(8, head << 1); // horizontal
        os.writeBits(n, static_cast<std::uint32_t>(dx));
    }
}

std::uint64_t SwfCurve::sizeInBits(SwfStream&, SwfStyleCounts&, std::uint64_t bits) const {
    const unsigned n = curveWidth(*this);
    if (n > kMaxEdgeBits)
        edgeTooWide(n, "a curved edge", values({cdx, cdy, adx, ady}));
    return bits + 6 + 4 * n;
}

void SwfCurve::write(SwfOStream& os) const {
    const unsigned n = curveWidth(*this);
    os.writeBits(6, 0x2u << 4 | (n - 2));
    os.writeBits(n, static_cast<std::uint32_t>(cdx));
    os.writeBits(n, static_cast<std::uint32_t>(cdy));
    os.writeBits(n, static_cast<std::uint32_t>(adx));
    os.writeBits(n, static_cast<std::uint32_t>(ady));
}

void SwfStyleChange::prepare() {
    if (newStyles) {
        fillStyles.prepare();
        lineStyles.prepare();
    }
}

std::uint64_t SwfStyleChange::sizeInBits(SwfStream& ctx, SwfStyleCounts& inForce,
                                         std::uint64_t bits) const {
    if (isEmpty())
        return bits;
    if (newStyles && !ctx.shapeNewStyles)
        throwOutOfRange("a style change with NewStyles, which only DefineShape2 and later can "
                        "hold");
    std::uint64_t total = bits + 6;
    if (move) {
        const unsigned n = moveWidth(*this);
        if (n > kMaxMoveBits)
            throwOutOfRange("a move to " + values({moveDX, moveDY}) +
                            " needs 32 bits per coordinate, more than the 31 a move holds");
        total += 5 + 2 * n;
    }
    // Indices in the record that brings new styles are written in the widths before them but
    // may name the new entries.
    const std::size_t fills =
        newStyles ? std::max(inForce.fills, fillStyles.size()) : inForce.fills;
    const std::size_t lines =
        newStyles ? std::max(inForce.lines, lineStyles.size()) : inForce.lines;
    if (setFill0) {
        checkIndex("SetFill0", fill0, "fill", fills, ctx.numFillBits);
        total += ctx.numFillBits;
    }
    if (setFill1) {
        checkIndex("SetFill1", fill1, "fill", fills, ctx.numFillBits);
        total += ctx.numFillBits;
    }
    if (setLine) {
        checkIndex("SetLine", line, "line", lines, ctx.numLineBits);
        total += ctx.numLineBits;
    }
    if (newStyles) {
        total = (total + 7) & ~std::uint64_t{7};
        total += 8 * (std::uint64_t{fillStyles.computeSize(ctx)} + lineStyles.computeSize(ctx)) + 8;
        setStyleIndexBits(ctx, fillStyles.size(), lineStyles.size());
        inForce = {fillStyles.size(), lineStyles.size()};
    }
    return total;
}

void SwfStyleChange::write(SwfOStream& os) const {
    write(os, styleIndexBits(fillStyles.size()), styleIndexBits(lineStyles.size()));
}

void SwfStyleChange::write(SwfOStream& os, unsigned fillBits, unsigned lineBits) const {
    if (isEmpty())
        return;
    os.writeBits(
        6, static_cast<std::uint32_t>(newStyles) << 4 | static_cast<std::uint32_t>(setLine) << 3 |
               static_cast<std::uint32_t>(setFill1) << 2 |
               static_cast<std::uint32_t>(setFill0) << 1 | static_cast<std::uint32_t>(move));
    if (move) {
        const unsigned n = moveWidth(*this);
        os.writeBits(5, n);
        os.writeBits(n, static_cast<std::uint32_t>(moveDX));
        os.writeBits(n, static_cast<std::uint32_t>(moveDY));
    }
    if (setFill0)
        os.writeBits(os.numFillBits, fill0);
    if (setFill1)
        os.writeBits(os.numFillBits, fill1);
    if (setLine)
        os.writeBits(os.numLineBits, line);
    if (newStyles) {
        os.flushBits();
        fillStyles.write(os);
        lineStyles.write(os);
        os.numFillBits = static_cast<std::uint8_t>(fillBits);
        os.numLineBits = static_cast<std::uint8_t>(lineBits);
        os.writeBits(4, os.numFillBits);
        os.writeBits(4, os.numLineBits);
    }
}

// ---- the list -------------------------------------------------------------------------------

void SwfShapeRecords::prepare() {
    for (const auto& record : *this)
        if (record && record->kind() == SwfShapeRecord::Kind::StyleChange)
            record->prepare();
}

void SwfShapeRecords::read(SwfIStream& is) {
    // The caller set the widths its arrays call for; the list's own are kept where they
    // differ, and those the arrays call for are in force again after the list.
    unsigned ruleFill = is.numFillBits;
    unsigned ruleLine = is.numLineBits;
    is.numFillBits = static_cast<std::uint8_t>(is.readBits(4));
    is.numLineBits = static_cast<std::uint8_t>(is.readBits(4));
    givenWidths = {keptBits(is.numFillBits, ruleFill), keptBits(is.numLineBits, ruleLine)};
    // Every record takes at least six bits, so the loop ends at the body's end at the latest.
    for (;;) {
        if (is.readBits(1) == 0) {
            const std::uint32_t flags = is.readBits(5);
            if (flags == 0)
                break; // the end record
            auto change = std::make_unique<SwfStyleChange>();
            change->newStyles = (flags & 0x10) != 0;
            change->setLine = (flags & 0x08) != 0;
            change->setFill1 = (flags & 0x04) != 0;
            change->setFill0 = (flags & 0x02) != 0;
            change->move = (flags & 0x01) != 0;
            if (change->move) {
                const unsigned n = is.readBits(5);
                change->moveDX = is.readSignedBits(n);
                change->moveDY = is.readSignedBits(n);
                change->givenMoveBits = keptBits(n, moveBits(change->moveDX, change->moveDY));
            }
            if (change->setFill0)
                change->fill0 = static_cast<std::uint16_t>(is.readBits(is.numFillBits));
            if (change->setFill1)
                change->fill1 = static_cast<std::uint16_t>(is.readBits(is.numFillBits));
            if (change->setLine)
                change->line = static_cast<std::uint16_t>(is.readBits(is.numLineBits));
            if (change->newStyles) {
                is.alignBits();
                change->fillStyles.read(is);
                change->lineStyles.read(is);
                is.numFillBits = static_cast<std::uint8_t>(is.readBits(4));
                is.numLineBits = static_cast<std::uint8_t>(is.readBits(4));
                ruleFill = styleIndexBits(change->fillStyles.size());
                ruleLine = styleIndexBits(change->lineStyles.size());
                change->givenWidths = {keptBits(is.numFillBits, ruleFill),
                                       keptBits(is.numLineBits, ruleLine)};
            }
            push_back(std::move(change));
        } else if (is.readBits(1) == 1) {
            const unsigned n = is.readBits(4) + 2;
            auto line = std::make_unique<SwfLine>();
            if (is.readBits(1) == 1) {
                line->dx = is.readSignedBits(n);
                line->dy = is.readSignedBits(n);
            } else if (is.readBits(1) == 1) {
                line->dy = is.readSignedBits(n);
            } else {
                line->dx = is.readSignedBits(n);
            }
            line->givenBits = keptBits(n, lineBits(line->dx, line->dy));
            push_back(std::move(line));
        } else {
            const unsigned n = is.readBits(4) + 2;
            auto curve = std::make_unique<SwfCurve>();
            curve->cdx = is.readSignedBits(n);
            curve->cdy = is.readSignedBits(n);
            curve->adx = is.readSignedBits(n);
            curve->ady = is.readSignedBits(n);
            curve->givenBits = keptBits(n, curveBits(*curve));
            push_back(std::move(curve));
        }
    }
    is.alignBits();
    is.numFillBits = static_cast<std::uint8_t>(std::min(ruleFill, 255u));
    is.numLineBits = static_cast<std::uint8_t>(std::min(ruleLine, 255u));
}

std::uint32_t SwfShapeRecords::computeSize(SwfStream& ctx, SwfStyleCounts& inForce) const {
    if (ctx.numFillBits > 15 || ctx.numLineBits > 15)
        throwOutOfRange("an edge list cannot start with style indices of more than 15 bits");
    for (std::size_t i = 0; i < size(); ++i)
        if (!(*this)[i])
            throwOutOfRange("edge record " + std::to_string(i + 1) + " is missing");
    const std::vector<IndexNeeds> needs = indexNeeds(*this);
    std::size_t stretch = 0;
    std::uint8_t ruleFill = ctx.numFillBits;
    std::uint8_t ruleLine = ctx.numLineBits;
    ctx.numFillBits = pickWidth(givenWidths.fill, ruleFill, needs[0].fill);
    ctx.numLineBits = pickWidth(givenWidths.line, ruleLine, needs[0].line);
    std::uint64_t bits = 8;
    for (std::size_t i = 0; i < size(); ++i) {
        const SwfShapeRecord* record = (*this)[i].get();
        try {
            bits = record->sizeInBits(ctx, inForce, bits);
        } catch (const SwfException& e) {
            throw SwfException(e.code(),
                               "edge record " + std::to_string(i + 1) + ": " + e.reason());
        }
        if (record->kind() == SwfShapeRecord::Kind::StyleChange &&
            static_cast<const SwfStyleChange*>(record)->newStyles) {
            // The record set the widths its new arrays call for.
            const SwfIndexWidths& given = static_cast<const SwfStyleChange*>(record)->givenWidths;
            ruleFill = ctx.numFillBits;
            ruleLine = ctx.numLineBits;
            ++stretch;
            ctx.numFillBits = pickWidth(given.fill, ruleFill, needs[stretch].fill);
            ctx.numLineBits = pickWidth(given.line, ruleLine, needs[stretch].line);
        }
    }
    ctx.numFillBits = ruleFill;
    ctx.numLineBits = ruleLine;
    return checkedShapeLength((bits + 6 + 7) / 8, "an edge list");
}

std::uint32_t SwfShapeRecords::computeSize(SwfStream& ctx) const {
    const auto addressable = [](unsigned bits) -> std::size_t {
        return bits >= 16 ? 0xFFFF : (std::size_t{1} << bits) - 1;
    };
    SwfStyleCounts inForce{addressable(ctx.numFillBits), addressable(ctx.numLineBits)};
    return computeSize(ctx, inForce);
}

void SwfShapeRecords::write(SwfOStream& os) const {
    const std::vector<IndexNeeds> needs = indexNeeds(*this);
    std::size_t stretch = 0;
    unsigned ruleFill = os.numFillBits;
    unsigned ruleLine = os.numLineBits;
    os.numFillBits = pickWidth(givenWidths.fill, ruleFill, needs[0].fill);
    os.numLineBits = pickWidth(givenWidths.line, ruleLine, needs[0].line);
    os.writeBits(4, os.numFillBits);
    os.writeBits(4, os.numLineBits);
    for (const auto& record : *this) {
        if (record->kind() == SwfShapeRecord::Kind::StyleChange &&
            static_cast<const SwfStyleChange&>(*record).newStyles) {
            const auto& change = static_cast<const SwfStyleChange&>(*record);
            ruleFill = styleIndexBits(change.fillStyles.size());
            ruleLine = styleIndexBits(change.lineStyles.size());
            ++stretch;
            change.write(os, pickWidth(change.givenWidths.fill, ruleFill, needs[stretch].fill),
                         pickWidth(change.givenWidths.line, ruleLine, needs[stretch].line));
        } else {
            record->write(os);
        }
    }
    os.writeBits(6, 0);
    os.flushBits();
    os.numFillBits = static_cast<std::uint8_t>(ruleFill);
    os.numLineBits = static_cast<std::uint8_t>(ruleLine);
}

} // namespace libswf
