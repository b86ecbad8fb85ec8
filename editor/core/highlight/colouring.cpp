// The colour table and the tokeniser.
#include "highlight/colouring.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vorn {

namespace {

// The colouring's own word lists. They are deliberately not the registries: they keep the
// names users have seen coloured (Movie and Unknown among the tags, the action spellings
// ACTION_NEXTFRAME and GotoLabel, UnknownAction), and a name may stand in two lists, where
// the earlier list's colour wins (JPEGTables is a tag and a record).

constexpr std::string_view kTagWords =
    "Movie End ShowFrame DefineShape PlaceObject RemoveObject DefineBits DefineButton JPEGTables "
    "SetBackgroundColor DefineFont DefineFont4 DefineText DoAction DefineFontInfo DefineSound "
    "StartSound DefineButtonSound SoundStreamHead SoundStreamBlock DefineBitsLossless "
    "DefineBitsJPEG2 DefineShape2 DefineButtonCxform Protect PlaceObject2 RemoveObject2 "
    "DefineShape3 DefineText2 DefineButton2 DefineBitsJPEG3 DefineBitsJPEG4 DefineBitsLossless2 "
    "DefineEditText DefineSprite FrameLabel SoundStreamHead2 DefineMorphShape DefineFont2 "
    "ExportAssets ImportAssets EnableDebugger DoInitAction DefineVideoStream VideoFrame "
    "DefineFontInfo2 EnableDebugger2 ScriptLimits SetTabIndex FileAttributes PlaceObject3 "
    "ImportAssets2 DefineFontAlignZones CSMTextSettings DefineFont3 SymbolClass Metadata "
    "DefineScalingGrid DoABC DefineShape4 DefineMorphShape2 DefineSceneAndFrameLabelData "
    "DefineBinaryData DefineFontName StartSound2 Unknown";

constexpr std::string_view kActionWords =
    "NextFrame DefineFunction ACTION_NEXTFRAME PreviousFrame Play Stop ToggleQuality StopSounds "
    "Add Subtract Multiply Divide Equals Less And Or Not StringEquals StringLength StringExtract "
    "Pop Push ToInteger GetVariable SetVariable SetTarget2 StringAdd GetProperty SetProperty "
    "CloneSprite Trace StartDrag EndDrag StringLess Throw CastOp ImplementsOp RandomNumber "
    "MBStringLength CharToAscii AsciiToChar GetTime MBStringExtract MBCharToAscii MBAsciiToChar "
    "Delete Delete2 DefineLocal CallFunction Return Modulo NewObject DefineLocal2 InitArray "
    "InitObject TypeOf TargetPath Enumerate Add2 Less2 Equals2 ConvertToNumber ConvertToString "
    "PushDuplicate StackSwap GetMember SetMember Increment Decrement CallMethod NewMethod "
    "InstanceOf Enumerate2 BitAnd BitOr BitXor BitLShift BitRShift BitURShift StrictEquals Greater "
    "StringGreater Extends Call StoreRegister GoToFrame GetURL WaitForFrame SetTarget GotoLabel "
    "Jump If GetURL2 GoToFrame2 WaitForFrame2 ConstantPool DefineFunction2 With UnknownAction "
    "RemoveSprite";

constexpr std::string_view kRecordWords =
    "Actions Matrix Bounds FillStyles SolidFillStyle LineStyles Edges StyleChange Curve Line "
    "NewStyles TextRecords TextRecord GlyphEntries GlyphEntry LineStyle CodesTable ButtonRecords "
    "ButtonRecord ButtonCondactions ColorTransform Data FontData JPEGData JPEGTables "
    "BitmapAlphaData PngData SoundData StreamSoundData DoABCData ZoneRecords BitsField ZoneRecord "
    "PlaybackInfo StreamInfo GradientRecords GradientRecord GradientFillStyle GlyphShapeTable "
    "Glyphs ButtonCondaction Asset Params SoundInfo InitialText RegisterParams RegisterParam "
    "SoundInfoRollOver SoundInfoPress BitmapFillStyle Float Null Undefined Register Boolean Double "
    "Integer Constant8 Constant16 String ZoneData ClipActions ClipAction AdvanceTable BoundsTable "
    "Bound KerningTable KerningRecord ShapeBounds EdgeBounds LineStyles2 Shapes FilterList "
    "DropShadowFilter BlurFilter StartBounds EndBounds MorphFillStyles MorphLineStyles StartEdges "
    "EndEdges MorphLineStyles2 SoundEnvelope StartEdgeBounds EndEdgeBounds MorphLineStyle "
    "MorphSolidFillStyle Rect MorphGradientRecord ConvolutionFilter GradientColors GradientRation "
    "GradientGlow GlowFilter ColorMatrixFilter BevelFilter GradientBevelFilter TryActions "
    "CatchActions FinallyActions Try MorphGradientFillStyle StartMatrix EndMatrix "
    "MorphGradientRecords";

constexpr std::string_view kOtherWords =
    "Move SetFill0 SetFill1 SetLine Scale Translate Constant Id FontId FontHeight TextColor Align "
    "LeftMargin RightMargin Indent Leading VarName LanguageCode FontName Scene Symbol Rotate Code "
    "Param Ascent BlurX BlurY BitVal Angle Distance Strength ClassName Descent";

// Byte classes of the tokeniser.
enum : std::uint8_t { kOther = 0, kWord = 1, kEquals = 2, kQuote = 3 };

constexpr std::array<std::uint8_t, 256> kClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '_' || c >= 0x80)
            classes[c] = kWord;
    }
    classes['='] = kEquals;
    classes['"'] = kQuote;
    return classes;
}();

constexpr std::array<char, 256> kLower = [] {
    std::array<char, 256> lower{};
    for (int c = 0; c < 256; ++c)
        lower[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower;
}();

// The longest word of the lists; longer words are never looked up.
constexpr std::size_t kMaxWord = 31;

// The table as an open-addressed hash of the words in lower case. Words are short and the
// table is small, so a lookup is a hash, usually one probe, and one compare.
class ColourTable {
public:
    ColourTable() {
        insert(kTagWords, TextColour::TagName);
        insert(kActionWords, TextColour::ActionName);
        insert(kRecordWords, TextColour::RecordName);
        insert(kOtherWords, TextColour::OtherName);
    }

    // word is already in lower case.
    TextColour find(const char* word, std::size_t size, std::uint32_t hash) const {
        for (std::uint32_t slot = hash & kMask;; slot = (slot + 1) & kMask) {
            const Entry& entry = m_entries[slot];
            if (entry.size == 0)
                return TextColour::Black;
            if (entry.size == size && std::memcmp(entry.word, word, size) == 0)
                return entry.colour;
        }
    }

    static std::uint32_t step(std::uint32_t hash, char lower) {
        return (hash ^ static_cast<unsigned char>(lower)) * 16777619u;
    }
    static constexpr std::uint32_t kSeed = 2166136261u;

private:
    static constexpr std::uint32_t kSlots = 1024; // a third full
    static constexpr std::uint32_t kMask = kSlots - 1;

    struct Entry {
        char word[kMaxWord + 1];
        std::uint8_t size = 0;
        TextColour colour = TextColour::Black;
    };

    // Adds the blank-separated words of a list.
    void insert(std::string_view words, TextColour colour) {
        for (std::size_t at = 0; at < words.size();) {
            const std::size_t end = std::min(words.find(' ', at), words.size());
            const std::string_view word = words.substr(at, end - at);
            at = end + 1;
            char lower[kMaxWord + 1];
            std::uint32_t hash = kSeed;
            for (std::size_t i = 0; i < word.size(); ++i) {
                lower[i] = kLower[static_cast<unsigned char>(word[i])];
                hash = step(hash, lower[i]);
            }
            if (find(lower, word.size(), hash) != TextColour::Black)
                continue; // the earlier list keeps the word
            std::uint32_t slot = hash & kMask;
            while (m_entries[slot].size != 0)
                slot = (slot + 1) & kMask;
            Entry& entry = m_entries[slot];
            std::memcpy(entry.word, lower, word.size());
            entry.size = static_cast<std::uint8_t>(word.size());
            entry.colour = colour;
        }
    }

    std::array<Entry, kSlots> m_entries{};
};

const ColourTable& colourTable() {
    static const ColourTable table;
    return table;
}

} // namespace

std::uint32_t colourRgb(TextColour colour) {
    switch (colour) {
    case TextColour::Black:
        return 0x000000;
    case TextColour::TagName:
        return 0x0000CD;
    case TextColour::String:
        return 0xB22222;
    case TextColour::ActionName:
        return 0x836FFF;
    case TextColour::RecordName:
        return 0x4876FF;
    case TextColour::OtherName:
        return 0x2E8B57;
    }
    return 0x000000;
}

TextColour wordColour(std::string_view word) {
    if (word.empty() || word.size() > kMaxWord)
        return TextColour::Black;
    char lower[kMaxWord];
    std::uint32_t hash = ColourTable::kSeed;
    for (std::size_t i = 0; i < word.size(); ++i) {
        lower[i] = kLower[static_cast<unsigned char>(word[i])];
        hash = ColourTable::step(hash, lower[i]);
    }
    return colourTable().find(lower, word.size(), hash);
}

void colourText(std::string_view text, std::size_t begin, std::size_t end,
                std::vector<ColourSpan>& spans) {
    end = std::min(end, text.size());
    const ColourTable& table = colourTable();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = begin;
    while (i < end) {
        const std::uint8_t cls = kClasses[bytes[i]];
        if (cls == kWord) {
            const std::size_t start = i;
            char lower[kMaxWord];
            std::uint32_t hash = ColourTable::kSeed;
            bool equals = false;
            for (; i < end; ++i) {
                const std::uint8_t c = kClasses[bytes[i]];
                if (c == kWord) {
                    if (i - start < kMaxWord) {
                        lower[i - start] = kLower[bytes[i]];
                        hash = ColourTable::step(hash, lower[i - start]);
                    }
                } else if (c == kEquals) {
                    equals = true;
                } else {
                    break;
                }
            }
            const std::size_t size = i - start;
            if (equals || size > kMaxWord)
                continue;
            const TextColour colour = table.find(lower, size, hash);
            if (colour != TextColour::Black)
                spans.push_back({start, size, colour});
        } else if (cls == kQuote) {
            const std::size_t start = i++;
            while (i < end && bytes[i] != '"' && bytes[i] != '\n' && bytes[i] != '\r')
                ++i;
            if (i < end && bytes[i] == '"')
                ++i;
            spans.push_back({start, i - start, TextColour::String});
        } else {
            ++i;
        }
    }
}

} // namespace vorn
