// Tags that control the movie as a whole or carry metadata and symbol tables, and the two
// simple display-list tags of the first SWF versions (PlaceObject, RemoveObject).
#pragma once

#include "libswf/movie.h"
#include "libswf/records.h"

#include <cstdint>
#include <vector>

namespace libswf {

// One entry of an export or import table: a character id (ExportAssets, ImportAssets) or a
// tag id (ImportAssets2), and the name it is known by.
class SwfAsset : public SwfStruct {
public:
    SwfAsset() = default;
    SwfAsset(std::uint16_t id, std::string name) : id(id), name(std::move(name)) {}

    std::uint16_t id = 0;
    SwfString name;

    void read(SwfIStream& is);
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

// An asset table with its u16 count in front.
class SwfAssets : public SwfStruct, public SwfPtrVector<SwfAsset> {
public:
    void read(SwfIStream& is);
    // Throws ValueOutOfRange beyond the 65535 entries the count can hold.
    std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;
};

class SwfTagSetBackgroundColor : public SwfTag {
public:
    SwfTagSetBackgroundColor() : SwfTag(9) {}
    explicit SwfTagSetBackgroundColor(SwfIStream& is);

    SwfColor color; // always RGB in the file; alpha is not stored

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagFrameLabel : public SwfTag {
public:
    SwfTagFrameLabel() : SwfTag(43) {}
    explicit SwfTagFrameLabel(SwfIStream& is);

    SwfString name;
    bool isAnchor = false;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// Marks the movie as not importable; from version 6 on it may carry an MD5-crypt password
// hash, which is copied unchanged. Earlier versions keep no body.
class SwfTagProtect : public SwfTag {
public:
    SwfTagProtect() : SwfTag(24) {}
    explicit SwfTagProtect(SwfIStream& is);

    SwfString password;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagEnableDebugger : public SwfTag {
public:
    SwfTagEnableDebugger() : SwfTag(58) {}
    explicit SwfTagEnableDebugger(SwfIStream& is);

    SwfString password;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// EnableDebugger with a reserved u16 in front of the password, written as 0.
class SwfTagEnableDebugger2 : public SwfTag {
public:
    SwfTagEnableDebugger2() : SwfTag(64) {}
    explicit SwfTagEnableDebugger2(SwfIStream& is);

    std::uint16_t reserved = 0; // kept as read, so that movies come back unchanged
    SwfString password;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagScriptLimits : public SwfTag {
public:
    SwfTagScriptLimits() : SwfTag(65) {}
    explicit SwfTagScriptLimits(SwfIStream& is);

    std::uint16_t maxRecursionDepth = 0;
    std::uint16_t scriptTimeoutSeconds = 0;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagSetTabIndex : public SwfTag {
public:
    SwfTagSetTabIndex() : SwfTag(66) {}
    explicit SwfTagSetTabIndex(SwfIStream& is);

    std::uint16_t depth = 0;
    std::uint16_t tabIndex = 0;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The four body bytes as one little-endian number; bits without a name are kept as read.
class SwfTagFileAttributes : public SwfTag {
public:
    static constexpr std::uint32_t UseNetwork = 0x01;
    static constexpr std::uint32_t ActionScript3 = 0x08;
    static constexpr std::uint32_t HasMetadata = 0x10;
    static constexpr std::uint32_t UseGPU = 0x20;
    static constexpr std::uint32_t UseDirectBlit = 0x40;

    SwfTagFileAttributes() : SwfTag(69) {}
    explicit SwfTagFileAttributes(SwfIStream& is);

    std::uint32_t flags = 0;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagMetadata : public SwfTag {
public:
    SwfTagMetadata() : SwfTag(77) {}
    explicit SwfTagMetadata(SwfIStream& is);

    SwfString text;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagExportAssets : public SwfTag {
public:
    SwfTagExportAssets() : SwfTag(56) {}
    explicit SwfTagExportAssets(SwfIStream& is);

    SwfAssets assets;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagImportAssets : public SwfTag {
public:
    SwfTagImportAssets() : SwfTag(57) {}
    explicit SwfTagImportAssets(SwfIStream& is);

    SwfString url;
    SwfAssets assets;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagImportAssets2 : public SwfTag {
public:
    SwfTagImportAssets2() : SwfTag(71) {}
    explicit SwfTagImportAssets2(SwfIStream& is);

    SwfString url;
    std::uint8_t reserved1 = 1; // the first reserved byte, 1 in the movies authoring tools write
    std::uint8_t reserved0 = 0; // the second
    SwfAssets assets;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// Links character ids to ActionScript 3 class names. The two lists are parallel; the XML
// reader fills them independently, so the size pass refuses lists of unequal length.
class SwfTagSymbolClass : public SwfTag {
public:
    SwfTagSymbolClass() : SwfTag(76) {}
    explicit SwfTagSymbolClass(SwfIStream& is);

    SwfStrings names;
    SwfVector<std::uint16_t> tags;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// Scene and frame label tables of ActionScript 3 movies. The body holds no character id; the
// id of the base class only tells tags apart and never enters the dictionary.
class SwfTagDefineSceneAndFrameLabelData : public SwfDefinitionTag {
public:
    struct Scene {
        std::uint32_t offset = 0;
        SwfString name;
    };
    struct FrameLabel {
        std::uint32_t frameNum = 0;
        SwfString label;
    };

    SwfTagDefineSceneAndFrameLabelData() : SwfDefinitionTag(86) {}
    explicit SwfTagDefineSceneAndFrameLabelData(SwfIStream& is);

    bool isDefinition() const override { return false; }

    std::vector<Scene> scenes;
    std::vector<FrameLabel> frameLabels;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagDoABC : public SwfTag {
public:
    SwfTagDoABC() : SwfTag(82) {}
    explicit SwfTagDoABC(SwfIStream& is);

    std::uint32_t flags = 0;
    SwfString name;
    SwfVector<std::uint8_t> byteCode;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagDefineBinaryData : public SwfDefinitionTag {
public:
    SwfTagDefineBinaryData() : SwfDefinitionTag(87) {}
    explicit SwfTagDefineBinaryData(SwfIStream& is);

    std::uint32_t reserved = 0;
    SwfVector<std::uint8_t> data;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The 9-slice grid of a sprite or button. Its id names that character, which keeps its own
// dictionary entry: the grid defines nothing.
class SwfTagDefineScalingGrid : public SwfDefinitionTag {
public:
    SwfTagDefineScalingGrid() : SwfDefinitionTag(78) {}
    explicit SwfTagDefineScalingGrid(SwfIStream& is);

    bool isDefinition() const override { return false; }

    SwfRect splitter;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagRemoveObject : public SwfTag {
public:
    SwfTagRemoveObject() : SwfTag(5) {}
    explicit SwfTagRemoveObject(SwfIStream& is);

    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagRemoveObject2 : public SwfTag {
public:
    SwfTagRemoveObject2() : SwfTag(28) {}
    explicit SwfTagRemoveObject2(SwfIStream& is);

    std::uint16_t depth = 0;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The first placement tag: its colour transform never has alpha terms, whatever the tags
// around it have set.
class SwfTagPlaceObject : public SwfTag {
public:
    SwfTagPlaceObject() : SwfTag(4) {}
    explicit SwfTagPlaceObject(SwfIStream& is);

    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    SwfMatrix matrix;
    bool hasColorTransform = false;
    SwfColorTransform colorTransform;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
