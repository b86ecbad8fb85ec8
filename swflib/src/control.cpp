#include "libswf/control.h"

#include "libswf/exception.h"
#include "structs/tag_state.h"

#include <limits>
#include <string>

namespace libswf {

namespace {

void checkCount(std::size_t count, const char* what) {
    if (count > 0xFFFF)
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(what) + " has " + std::to_string(count) +
                               " entries, more than the 65535 its count can hold");
}

std::vector<std::uint8_t> readRest(SwfIStream& is) {
    const std::span<const std::uint8_t> bytes = is.readSpan(is.remaining());
    return {bytes.begin(), bytes.end()};
}

unsigned encodedSize(std::uint32_t value) {
    unsigned n = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++n;
    }
    return n;
}

} // namespace

// ---- assets ---------------------------------------------------------------------------------

void SwfAsset::read(SwfIStream& is) {
    id = is.readU16();
    name.read(is);
}

std::uint32_t SwfAsset::computeSize(const SwfStream& ctx) const {
    return checkedLength(2 + std::uint64_t{name.computeSize(ctx)}, "an asset entry");
}

void SwfAsset::write(SwfOStream& os) const {
    os.writeU16(id);
    name.write(os);
}

void SwfAssets::read(SwfIStream& is) {
    // Every entry takes at least three bytes, so a lying count ends at the body's end.
    const std::uint16_t count = is.readU16();
    for (std::uint16_t i = 0; i < count; ++i) {
        auto asset = std::make_unique<SwfAsset>();
        asset->read(is);
        push_back(std::move(asset));
    }
}

std::uint32_t SwfAssets::computeSize(const SwfStream& ctx) const {
    checkCount(size(), "an asset table");
    std::uint64_t total = 2;
    for (const auto& asset : *this)
        total += asset->computeSize(ctx);
    return checkedLength(total, "an asset table");
}

void SwfAssets::write(SwfOStream& os) const {
    os.writeU16(static_cast<std::uint16_t>(size()));
    for (const auto& asset : *this)
        asset->write(os);
}

// ---- movie-wide settings --------------------------------------------------------------------

SwfTagSetBackgroundColor::SwfTagSetBackgroundColor(SwfIStream& is) : SwfTag(9) {
    SwfAlphaScope rgb(is, false);
    color.read(is);
}

std::uint32_t SwfTagSetBackgroundColor::bodySize(SwfSizeContext& ctx) {
    SwfAlphaScope rgb(ctx, false);
    return color.computeSize(ctx);
}

void SwfTagSetBackgroundColor::writeBody(SwfOStream& os) const {
    SwfAlphaScope rgb(os, false);
    color.write(os);
}

SwfTagFrameLabel::SwfTagFrameLabel(SwfIStream& is) : SwfTag(43) {
    name.read(is);
    // Any byte after the name marks a named anchor, whatever it holds.
    if (is.remaining() > 0) {
        is.readU8();
        isAnchor = true;
    }
}

std::uint32_t SwfTagFrameLabel::bodySize(SwfSizeContext& ctx) {
    return checkedLength(std::uint64_t{name.computeSize(ctx)} + (isAnchor ? 1 : 0),
                         "a FrameLabel body");
}

void SwfTagFrameLabel::writeBody(SwfOStream& os) const {
    name.write(os);
    if (isAnchor)
        os.writeU8(1);
}

SwfTagProtect::SwfTagProtect(SwfIStream& is) : SwfTag(24) {
    if (is.version > 5 && is.tagLength != 0) {
        is.readU16(); // reserved
        password.read(is);
    }
}

std::uint32_t SwfTagProtect::bodySize(SwfSizeContext& ctx) {
    // An empty password protects without one: the body is left out.
    const std::uint32_t size = password.computeSize(ctx);
    return ctx.version >= 6 && size >= 2 ? checkedLength(std::uint64_t{size} + 2, "a Protect body")
                                         : 0;
}

void SwfTagProtect::writeBody(SwfOStream& os) const {
    if (os.version >= 6 && !password.text.empty()) {
        os.writeU16(0);
        password.write(os);
    }
}

SwfTagEnableDebugger::SwfTagEnableDebugger(SwfIStream& is) : SwfTag(58) {
    password.read(is);
}

std::uint32_t SwfTagEnableDebugger::bodySize(SwfSizeContext& ctx) {
    return password.computeSize(ctx);
}

void SwfTagEnableDebugger::writeBody(SwfOStream& os) const {
    password.write(os);
}

SwfTagEnableDebugger2::SwfTagEnableDebugger2(SwfIStream& is) : SwfTag(64) {
    reserved = is.readU16();
    password.read(is);
}

std::uint32_t SwfTagEnableDebugger2::bodySize(SwfSizeContext& ctx) {
    return checkedLength(2 + std::uint64_t{password.computeSize(ctx)}, "an EnableDebugger2 body");
}

void SwfTagEnableDebugger2::writeBody(SwfOStream& os) const {
    os.writeU16(reserved);
    password.write(os);
}

SwfTagScriptLimits::SwfTagScriptLimits(SwfIStream& is) : SwfTag(65) {
    maxRecursionDepth = is.readU16();
    scriptTimeoutSeconds = is.readU16();
}

std::uint32_t SwfTagScriptLimits::bodySize(SwfSizeContext&) {
    return 4;
}

void SwfTagScriptLimits::writeBody(SwfOStream& os) const {
    os.writeU16(maxRecursionDepth);
    os.writeU16(scriptTimeoutSeconds);
}

SwfTagSetTabIndex::SwfTagSetTabIndex(SwfIStream& is) : SwfTag(66) {
    depth = is.readU16();
    tabIndex = is.readU16();
}

std::uint32_t SwfTagSetTabIndex::bodySize(SwfSizeContext&) {
    return 4;
}

void SwfTagSetTabIndex::writeBody(SwfOStream& os) const {
    os.writeU16(depth);
    os.writeU16(tabIndex);
}

SwfTagFileAttributes::SwfTagFileAttributes(SwfIStream& is) : SwfTag(69) {
    flags = is.readU32();
}

std::uint32_t SwfTagFileAttributes::bodySize(SwfSizeContext&) {
    return 4;
}

void SwfTagFileAttributes::writeBody(SwfOStream& os) const {
    os.writeU32(flags);
}

SwfTagMetadata::SwfTagMetadata(SwfIStream& is) : SwfTag(77) {
    text.read(is);
}

std::uint32_t SwfTagMetadata::bodySize(SwfSizeContext& ctx) {
    return text.computeSize(ctx);
}

void SwfTagMetadata::writeBody(SwfOStream& os) const {
    text.write(os);
}

// ---- symbol tables --------------------------------------------------------------------------

SwfTagExportAssets::SwfTagExportAssets(SwfIStream& is) : SwfTag(56) {
    assets.read(is);
}

std::uint32_t SwfTagExportAssets::bodySize(SwfSizeContext& ctx) {
    return assets.computeSize(ctx);
}

void SwfTagExportAssets::writeBody(SwfOStream& os) const {
    assets.write(os);
}

SwfTagImportAssets::SwfTagImportAssets(SwfIStream& is) : SwfTag(57) {
    url.read(is);
    assets.read(is);
}

std::uint32_t SwfTagImportAssets::bodySize(SwfSizeContext& ctx) {
    return checkedLength(std::uint64_t{url.computeSize(ctx)} + assets.computeSize(ctx),
                         "an ImportAssets body");
}

void SwfTagImportAssets::writeBody(SwfOStream& os) const {
    url.write(os);
    assets.write(os);
}

SwfTagImportAssets2::SwfTagImportAssets2(SwfIStream& is) : SwfTag(71) {
    url.read(is);
    reserved1 = is.readU8();
    reserved0 = is.readU8();
    assets.read(is);
}

std::uint32_t SwfTagImportAssets2::bodySize(SwfSizeContext& ctx) {
    return checkedLength(std::uint64_t{url.computeSize(ctx)} + 2 + assets.computeSize(ctx),
                         "an ImportAssets2 body");
}

void SwfTagImportAssets2::writeBody(SwfOStream& os) const {
    url.write(os);
    os.writeU8(reserved1);
    os.writeU8(reserved0);
    assets.write(os);
}

SwfTagSymbolClass::SwfTagSymbolClass(SwfIStream& is) : SwfTag(76) {
    const std::uint16_t count = is.readU16();
    for (std::uint16_t i = 0; i < count; ++i) {
        tags.push_back(is.readU16());
        auto name = std::make_unique<SwfString>();
        name->read(is);
        names.push_back(std::move(name));
    }
}

std::uint32_t SwfTagSymbolClass::bodySize(SwfSizeContext& ctx) {
    // Refused here, before anything is written, rather than pairing ids with the wrong names.
    if (tags.size() != names.size())
        throw SwfException(SwfException::ValueOutOfRange,
                           "SymbolClass has " + std::to_string(tags.size()) + " tag ids but " +
                               std::to_string(names.size()) +
                               " class names; every symbol needs both");
    checkCount(tags.size(), "SymbolClass");
    std::uint64_t total = 2;
    for (const auto& name : names)
        total += 2 + std::uint64_t{name->computeSize(ctx)};
    return checkedLength(total, "a SymbolClass body");
}

void SwfTagSymbolClass::writeBody(SwfOStream& os) const {
    os.writeU16(static_cast<std::uint16_t>(tags.size()));
    for (std::size_t i = 0; i < tags.size(); ++i) {
        os.writeU16(tags[i]);
        names[i]->write(os);
    }
}

SwfTagDefineSceneAndFrameLabelData::SwfTagDefineSceneAndFrameLabelData(SwfIStream& is)
    : SwfDefinitionTag(86, 0) {
    // Counts are not trusted for allocation: every entry takes at least two bytes, so a lying
    // count ends at the body's end.
    const std::uint32_t sceneCount = is.readEncodedU32();
    for (std::uint32_t i = 0; i < sceneCount; ++i) {
        Scene& scene = scenes.emplace_back();
        scene.offset = is.readEncodedU32();
        scene.name.read(is);
    }
    const std::uint32_t labelCount = is.readEncodedU32();
    for (std::uint32_t i = 0; i < labelCount; ++i) {
        FrameLabel& label = frameLabels.emplace_back();
        label.frameNum = is.readEncodedU32();
        label.label.read(is);
    }
}

std::uint32_t SwfTagDefineSceneAndFrameLabelData::bodySize(SwfSizeContext& ctx) {
    std::uint64_t total = encodedSize(checkedLength(scenes.size(), "a scene count")) +
                          encodedSize(checkedLength(frameLabels.size(), "a frame label count"));
    for (const Scene& scene : scenes)
        total += encodedSize(scene.offset) + std::uint64_t{scene.name.computeSize(ctx)};
    for (const FrameLabel& label : frameLabels)
        total += encodedSize(label.frameNum) + std::uint64_t{label.label.computeSize(ctx)};
    return checkedLength(total, "a DefineSceneAndFrameLabelData body");
}

void SwfTagDefineSceneAndFrameLabelData::writeBody(SwfOStream& os) const {
    os.writeEncodedU32(static_cast<std::uint32_t>(scenes.size()));
    for (const Scene& scene : scenes) {
        os.writeEncodedU32(scene.offset);
        scene.name.write(os);
    }
    os.writeEncodedU32(static_cast<std::uint32_t>(frameLabels.size()));
    for (const FrameLabel& label : frameLabels) {
        os.writeEncodedU32(label.frameNum);
        label.label.write(os);
    }
}

// ---- code and data --------------------------------------------------------------------------

SwfTagDoABC::SwfTagDoABC(SwfIStream& is) : SwfTag(82) {
    flags = is.readU32();
    name.read(is);
    byteCode = readRest(is);
}

std::uint32_t SwfTagDoABC::bodySize(SwfSizeContext& ctx) {
    return checkedLength(std::uint64_t{4} + name.computeSize(ctx) + byteCode.size(),
                         "a DoABC body");
}

void SwfTagDoABC::writeBody(SwfOStream& os) const {
    os.writeU32(flags);
    name.write(os);
    os.writeBytes(byteCode.data(), byteCode.size());
}

SwfTagDefineBinaryData::SwfTagDefineBinaryData(SwfIStream& is) : SwfDefinitionTag(87, 0) {
    id = is.readU16();
    reserved = is.readU32();
    data = readRest(is);
}

std::uint32_t SwfTagDefineBinaryData::bodySize(SwfSizeContext&) {
    return checkedLength(std::uint64_t{6} + data.size(), "a DefineBinaryData body");
}

void SwfTagDefineBinaryData::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU32(reserved);
    os.writeBytes(data.data(), data.size());
}

SwfTagDefineScalingGrid::SwfTagDefineScalingGrid(SwfIStream& is) : SwfDefinitionTag(78, 0) {
    id = is.readU16();
    splitter.read(is);
}

std::uint32_t SwfTagDefineScalingGrid::bodySize(SwfSizeContext& ctx) {
    return 2 + splitter.computeSize(ctx);
}

void SwfTagDefineScalingGrid::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    splitter.write(os);
}

// ---- display list ---------------------------------------------------------------------------

SwfTagRemoveObject::SwfTagRemoveObject(SwfIStream& is) : SwfTag(5) {
    characterId = is.readU16();
    depth = is.readU16();
}

std::uint32_t SwfTagRemoveObject::bodySize(SwfSizeContext&) {
    return 4;
}

void SwfTagRemoveObject::writeBody(SwfOStream& os) const {
    os.writeU16(characterId);
    os.writeU16(depth);
}

SwfTagRemoveObject2::SwfTagRemoveObject2(SwfIStream& is) : SwfTag(28) {
    depth = is.readU16();
}

std::uint32_t SwfTagRemoveObject2::bodySize(SwfSizeContext&) {
    return 2;
}

void SwfTagRemoveObject2::writeBody(SwfOStream& os) const {
    os.writeU16(depth);
}

SwfTagPlaceObject::SwfTagPlaceObject(SwfIStream& is) : SwfTag(4) {
    characterId = is.readU16();
    depth = is.readU16();
    matrix.read(is);
    // The colour transform is optional and has no flag: bytes left after the matrix hold it.
    if (is.remaining() > 0) {
        SwfAlphaScope rgb(is, false);
        colorTransform.read(is);
        hasColorTransform = true;
    }
}

std::uint32_t SwfTagPlaceObject::bodySize(SwfSizeContext& ctx) {
    std::uint32_t size = 4 + matrix.computeSize(ctx);
    if (hasColorTransform) {
        SwfAlphaScope rgb(ctx, false);
        size += colorTransform.computeSize(ctx);
    }
    return size;
}

void SwfTagPlaceObject::writeBody(SwfOStream& os) const {
    os.writeU16(characterId);
    os.writeU16(depth);
    matrix.write(os);
    if (hasColorTransform) {
        SwfAlphaScope rgb(os, false);
        colorTransform.write(os);
    }
}

} // namespace libswf
