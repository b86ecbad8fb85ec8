// Writes the starting corpus of the fuzz targets: small valid movies that between them show
// the shapes the reader and writer tell apart, so that the fuzzer mutates from there instead
// of having to discover the file format by chance.
//   make_seeds FOLDER
// Movies are made with the library wherever it can express them; a few shapes it never
// writes (a missing End, an End with a body, LZMA bodies, more frames than a header holds)
// are assembled from bytes. Every seed is read back before it is kept, so a broken generator
// fails the build instead of quietly starving the fuzzer.
#include "libswf/actions.h"
#include "libswf/bitmaps.h"
#include "libswf/buttons.h"
#include "libswf/compress.h"
#include "libswf/control.h"
#include "libswf/display.h"
#include "libswf/exception.h"
#include "libswf/fonts.h"
#include "libswf/morph.h"
#include "libswf/movie.h"
#include "libswf/shapes.h"
#include "libswf/sound.h"
#include "libswf/text.h"
#include "libswf/utils.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <lzma.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace libswf;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::filesystem::path g_folder;
int g_written = 0;

void save(const std::string& name, const Bytes& file) {
    SwfMovie check;
    check.read(file); // throws for a seed the reader refuses
    SwfUtils::WriteWholeFile((g_folder / name).string(), file.size(), file.data());
    ++g_written;
}

Bytes written(SwfMovie& movie) {
    return movie.write().toVector();
}

std::unique_ptr<SwfTag> raw(std::uint16_t code, Bytes body, bool longHeader = false) {
    auto tag = std::make_unique<SwfTagUnknown>(code, false);
    tag->body = std::move(body);
    tag->setLongHeader(longHeader);
    return tag;
}

std::unique_ptr<SwfTag> rawWithId(std::uint16_t code, std::uint16_t id, Bytes body) {
    auto tag = std::make_unique<SwfTagUnknown>(code, true, id);
    tag->body = std::move(body);
    return tag;
}

std::unique_ptr<SwfTag> empty(std::uint16_t code, bool longHeader = false) {
    auto tag = std::make_unique<SwfTag>(code);
    tag->setLongHeader(longHeader);
    return tag;
}

std::unique_ptr<SwfTag> showFrame() {
    return std::make_unique<SwfTagShowFrame>();
}

std::unique_ptr<SwfTagDefineSprite> sprite(std::uint16_t id) {
    auto tag = std::make_unique<SwfTagDefineSprite>();
    tag->id = id;
    return tag;
}

void append(Bytes& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}

void putU32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A code that the reader still keeps as raw bytes, with or without a leading character id,
// or 0 once every such code has its class. Chosen from the registry so that the seeds stay
// readable while tag families gain their classes.
std::uint16_t stillRawCode(bool withId) {
    for (const SwfTagInfo& info : swfTagTable())
        if (!info.create && info.startsWithId == withId)
            return info.code;
    return 0;
}

void appendRawDefinition(SwfTags& tags, std::uint16_t id, Bytes body) {
    if (const std::uint16_t code = stillRawCode(true))
        tags.append(rawWithId(code, id, std::move(body)));
}

std::unique_ptr<SwfTag> background(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    auto tag = std::make_unique<SwfTagSetBackgroundColor>();
    tag->color = SwfColor(r, g, b);
    return tag;
}

std::unique_ptr<SwfTag> frameLabel(const char* name, bool anchor = false) {
    auto tag = std::make_unique<SwfTagFrameLabel>();
    tag->name.text = name;
    tag->isAnchor = anchor;
    return tag;
}

// A background, a raw definition with its id, a placement and one frame.
void fillSimple(SwfTags& tags) {
    tags.append(background(0x33, 0x66, 0x99));
    appendRawDefinition(tags, 1, {0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00});
    tags.append(raw(26, {0x06, 0x01, 0x00, 0x01, 0x00, 0x00})); // PlaceObject2 of 1 at depth 1
    tags.append(showFrame());
}

SwfAssets assets(std::initializer_list<std::pair<std::uint16_t, const char*>> entries) {
    SwfAssets out;
    for (const auto& [id, name] : entries)
        out.push_back(std::make_unique<SwfAsset>(id, name));
    return out;
}

// One tag of every class of the control family, with values that fill their fields.
void fillControl(SwfTags& tags) {
    auto attributes = std::make_unique<SwfTagFileAttributes>();
    attributes->flags = SwfTagFileAttributes::UseNetwork | SwfTagFileAttributes::ActionScript3 |
                        SwfTagFileAttributes::HasMetadata | 0x80000000u;
    tags.append(std::move(attributes));
    auto metadata = std::make_unique<SwfTagMetadata>();
    metadata->text.text = "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'/>";
    tags.append(std::move(metadata));
    auto limits = std::make_unique<SwfTagScriptLimits>();
    limits->maxRecursionDepth = 1000;
    limits->scriptTimeoutSeconds = 60;
    tags.append(std::move(limits));
    tags.append(background(0xff, 0x80, 0x00));
    auto protect = std::make_unique<SwfTagProtect>();
    protect->password.text = "$1$ab$0123456789abcdefghijkl";
    tags.append(std::move(protect));
    auto debugger = std::make_unique<SwfTagEnableDebugger>();
    debugger->password.text = "debug";
    tags.append(std::move(debugger));
    auto debugger2 = std::make_unique<SwfTagEnableDebugger2>();
    tags.append(std::move(debugger2)); // empty password
    auto exports = std::make_unique<SwfTagExportAssets>();
    exports->assets = assets({{1, "Shape1"}, {3, "Blob"}});
    tags.append(std::move(exports));
    auto imports = std::make_unique<SwfTagImportAssets>();
    imports->url.text = "library.swf";
    imports->assets = assets({{10, "Imported"}});
    tags.append(std::move(imports));
    auto imports2 = std::make_unique<SwfTagImportAssets2>();
    imports2->url.text = "library2.swf";
    imports2->assets = assets({{11, "Other"}, {12, ""}});
    tags.append(std::move(imports2));
    auto scenes = std::make_unique<SwfTagDefineSceneAndFrameLabelData>();
    scenes->scenes.push_back({0, SwfString("Scene 1")});
    scenes->scenes.push_back({200, SwfString("Scene 2")}); // an offset of two encoded bytes
    scenes->frameLabels.push_back({0, SwfString("start")});
    scenes->frameLabels.push_back({70000, SwfString("far")});
    tags.append(std::move(scenes));
    auto abc = std::make_unique<SwfTagDoABC>();
    abc->flags = 1;
    abc->name.text = "frame1";
    abc->byteCode = {0x10, 0x00, 0x2e, 0x00, 0x00, 0x00, 0x00};
    tags.append(std::move(abc));
    auto binary = std::make_unique<SwfTagDefineBinaryData>();
    binary->id = 3;
    binary->data = {'p', 'a', 'y', 'l', 'o', 'a', 'd'};
    tags.append(std::move(binary));
    auto symbols = std::make_unique<SwfTagSymbolClass>();
    symbols->tags = {0, 3};
    symbols->names.push_back(std::make_unique<SwfString>("Main"));
    symbols->names.push_back(std::make_unique<SwfString>("Blob"));
    tags.append(std::move(symbols));
    appendRawDefinition(tags, 1, {0x00, 0x00});
    auto grid = std::make_unique<SwfTagDefineScalingGrid>();
    grid->id = 1;
    grid->splitter = SwfRect(100, 100, 900, 900);
    tags.append(std::move(grid));

    auto place = std::make_unique<SwfTagPlaceObject>();
    place->characterId = 1;
    place->depth = 1;
    place->matrix.hasScale = true;
    place->matrix.scaleX = 1.5f;
    place->matrix.scaleY = -0.25f;
    place->matrix.hasRotate = true;
    place->matrix.rotateSkew0 = 0.5f;
    place->matrix.rotateSkew1 = -0.5f;
    place->matrix.translateX = 2000;
    place->matrix.translateY = -20;
    place->hasColorTransform = true;
    place->colorTransform.hasMult = true;
    place->colorTransform.mulR = 256;
    place->colorTransform.mulG = 128;
    place->colorTransform.mulB = -256;
    place->colorTransform.hasAdd = true;
    place->colorTransform.addR = 255;
    place->colorTransform.addB = -255;
    tags.append(std::move(place));
    auto plain = std::make_unique<SwfTagPlaceObject>(); // identity matrix, no transform
    plain->characterId = 1;
    plain->depth = 2;
    tags.append(std::move(plain));
    auto tab = std::make_unique<SwfTagSetTabIndex>();
    tab->depth = 1;
    tab->tabIndex = 3;
    tags.append(std::move(tab));
    tags.append(frameLabel("start", true));
    tags.append(showFrame());
    auto remove = std::make_unique<SwfTagRemoveObject>();
    remove->characterId = 1;
    remove->depth = 1;
    tags.append(std::move(remove));
    auto remove2 = std::make_unique<SwfTagRemoveObject2>();
    remove2->depth = 2;
    tags.append(std::move(remove2));
    tags.append(frameLabel("end"));
    tags.append(showFrame());
}

// The "ZWS" form of an uncompressed movie: its 8 header bytes with the signature changed, then
// the compressed length, five property bytes and the raw LZMA data of everything after them.
Bytes lzmaFile(const Bytes& plain) {
    lzma_options_lzma options{};
    if (lzma_lzma_preset(&options, 6))
        throw std::runtime_error("no LZMA preset 6");
    options.dict_size = 1u << 16; // the seeds are tiny; a huge dictionary only costs memory
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};

    std::uint8_t props[5];
    if (lzma_properties_encode(&filters[0], props) != LZMA_OK)
        throw std::runtime_error("cannot encode the LZMA properties");

    lzma_stream z = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&z, filters) != LZMA_OK)
        throw std::runtime_error("cannot start the LZMA encoder");
    Bytes packed(plain.size() + plain.size() / 2 + 1024);
    z.next_in = plain.data() + 8;
    z.avail_in = plain.size() - 8;
    z.next_out = packed.data();
    z.avail_out = packed.size();
    const lzma_ret result = lzma_code(&z, LZMA_FINISH);
    const std::size_t produced = packed.size() - z.avail_out;
    lzma_end(&z);
    if (result != LZMA_STREAM_END)
        throw std::runtime_error("the LZMA encoder did not finish");
    packed.resize(produced);

    Bytes file(plain.begin(), plain.begin() + 8);
    file[0] = 'Z';
    append(file, {0, 0, 0, 0});
    putU32(file, 8, static_cast<std::uint32_t>(packed.size()));
    file.insert(file.end(), props, props + 5);
    file.insert(file.end(), packed.begin(), packed.end());
    return file;
}

// Script: every action with fields, each push value type and bodies nested three deep in a
// DoAction, a DoInitAction and a sprite's DoAction; then forms only other tools write.
void makeActionSeeds() {
    const auto fill = [](SwfActions& list) {
        auto pool = std::make_unique<SwfActionConstantPool>();
        pool->constants.push_back(std::make_unique<SwfString>("a"));
        list.push_back(std::move(pool));
        auto push = std::make_unique<SwfActionPush>();
        push->values.push_back(std::make_unique<SwfValueString>("s"));
        push->values.push_back(std::make_unique<SwfValueFloat>());
        push->values.push_back(std::make_unique<SwfValue>(SwfValue::Null));
        push->values.push_back(std::make_unique<SwfValue>(SwfValue::Undefined));
        push->values.push_back(std::make_unique<SwfValueRegister>());
        push->values.push_back(std::make_unique<SwfValueBoolean>());
        push->values.push_back(std::make_unique<SwfValueDouble>());
        push->values.push_back(std::make_unique<SwfValueInteger>());
        push->values.push_back(std::make_unique<SwfValueConstant8>());
        push->values.push_back(std::make_unique<SwfValueConstant16>());
        list.push_back(std::move(push));
        auto function = std::make_unique<SwfActionDefineFunction2>();
        function->parameters.push_back({1, SwfString("p")});
        auto with = std::make_unique<SwfActionWith>();
        auto block = std::make_unique<SwfActionTry>();
        block->flags = SwfActionTry::HasCatchBlock | SwfActionTry::HasFinallyBlock;
        auto inner = std::make_unique<SwfActionDefineFunction>();
        inner->parameters.push_back(std::make_unique<SwfString>("q"));
        inner->body.push_back(std::make_unique<SwfActionGetURL>());
        inner->body.push_back(std::make_unique<SwfActionIf>());
        block->tryBody.push_back(std::move(inner));
        block->catchBody.push_back(std::make_unique<SwfActionSetTarget>());
        block->finallyBody.push_back(std::make_unique<SwfActionGoToLabel>());
        with->body.push_back(std::move(block));
        function->body.push_back(std::move(with));
        list.push_back(std::move(function));
        list.push_back(std::make_unique<SwfActionGotoFrame>());
        list.push_back(std::make_unique<SwfActionStoreRegister>());
        list.push_back(std::make_unique<SwfActionWaitForFrame>());
        list.push_back(std::make_unique<SwfActionWaitForFrame2>());
        list.push_back(std::make_unique<SwfActionJump>());
        auto getUrl2 = std::make_unique<SwfActionGetURL2>();
        getUrl2->flags = 0xc3;
        list.push_back(std::move(getUrl2));
        auto goto2 = std::make_unique<SwfActionGotoFrame2>();
        goto2->sceneBias = 2;
        list.push_back(std::move(goto2));
        auto unknown = std::make_unique<SwfActionUnknown>(0xa0);
        unknown->payload = {1, 2};
        list.push_back(std::move(unknown));
        list.push_back(std::make_unique<SwfAction>(0x47));
        list.push_back(std::make_unique<SwfAction>(0x00));
    };
    SwfMovie movie(false, 8, 5500, 4000, 12.0f);
    auto script = std::make_unique<SwfTagDoAction>();
    fill(script->actions);
    movie.tags.append(std::move(script));
    auto init = std::make_unique<SwfTagDoInitAction>();
    init->spriteId = 1;
    fill(init->actions);
    movie.tags.append(std::move(init));
    auto clip = sprite(1);
    auto nested = std::make_unique<SwfTagDoAction>();
    fill(nested->actions);
    clip->tags.append(std::move(nested));
    movie.tags.append(std::move(clip));
    movie.tags.append(showFrame());
    save("actions.swf", written(movie));

    // A GoToFrame declaring more than its frame, a With whose body crosses its size, a Try
    // with a catch size but no catch block, a Call with a payload, and a list without End.
    SwfMovie other(false, 8, 5500, 4000, 12.0f);
    other.tags.append(
        raw(12, {0x81, 0x04, 0x00, 0x05, 0x00, 0x07, 0x07, 0x94, 0x02, 0x00, 0x01, 0x00,
                 0x81, 0x02, 0x00, 0x01, 0x00, 0x8f, 0x08, 0x00, 0x04, 0x01, 0x00, 0x05,
                 0x00, 0x00, 0x00, 0x02, 0x07, 0x9e, 0x01, 0x00, 0xff, 0x00}));
    other.tags.append(raw(59, {0x01, 0x00, 0x96, 0x05, 0x00, 0x00, 0x61, 0x00, 0x02, 0x03}));
    other.tags.append(raw(12, {}));
    other.tags.append(showFrame());
    save("actions-other-forms.swf", written(other));
}

// Bitmaps: every tag with data, the empty forms, each lossless format, and alpha offsets at
// both ends of the body (no JPEG data, no alpha data).
void makeBitmapSeeds() {
    SwfMovie movie(false, 10, 5500, 4000, 12.0f);
    auto tables = std::make_unique<SwfTagJPEGTables>();
    tables->jpegData = {0xff, 0xd8, 0xff, 0xd9};
    movie.tags.append(std::move(tables));
    auto bits = std::make_unique<SwfTagDefineBits>();
    bits->id = 1;
    bits->jpegData = {0xff, 0xd8, 0xff, 0xe0};
    movie.tags.append(std::move(bits));
    auto jpeg2 = std::make_unique<SwfTagDefineBitsJPEG2>();
    jpeg2->id = 2;
    movie.tags.append(std::move(jpeg2));
    auto jpeg3 = std::make_unique<SwfTagDefineBitsJPEG3>();
    jpeg3->id = 3;
    jpeg3->jpegData = {0xff, 0xd8, 0xff, 0xd9};
    jpeg3->alphaData = {0x78, 0xda, 0x63, 0x00, 0x00};
    movie.tags.append(std::move(jpeg3));
    auto alphaOnly = std::make_unique<SwfTagDefineBitsJPEG3>();
    alphaOnly->id = 4;
    alphaOnly->alphaData = {0x01};
    movie.tags.append(std::move(alphaOnly));
    auto jpeg4 = std::make_unique<SwfTagDefineBitsJPEG4>();
    jpeg4->id = 5;
    jpeg4->deblockParam = 0x0100;
    jpeg4->jpegData = {0xff, 0xd8, 0xff, 0xd9};
    movie.tags.append(std::move(jpeg4));
    std::uint16_t id = 6;
    for (const std::uint8_t format :
         {SwfTagDefineBitsLossless::Map8, SwfTagDefineBitsLossless::RGB15,
          SwfTagDefineBitsLossless::RGB24}) {
        auto lossless = std::make_unique<SwfTagDefineBitsLossless>();
        auto lossless2 = std::make_unique<SwfTagDefineBitsLossless2>();
        SwfTagDefineBitsLossless* const both[] = {lossless.get(), lossless2.get()};
        for (SwfTagDefineBitsLossless* tag : both) {
            tag->id = id++;
            tag->format = format;
            tag->width = 2;
            tag->height = 1;
            tag->colorTableSize = 1;
            tag->pixelData = {0x78, 0x9c, 0x63, 0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01};
        }
        movie.tags.append(std::move(lossless));
        movie.tags.append(std::move(lossless2));
    }
    movie.tags.append(showFrame());
    save("bitmaps.swf", written(movie));
}

// Sound and video: every tag, sound infos with and without each field and an envelope,
// stream heads with and without the MP3 latency seek, and values without names.
// Shapes and morph shapes: every fill kind, both line style kinds, every edge record kind
// with new styles, the DefineShape4 flags, and both morph tags with focal gradients,
// gradient modes and extended line styles.
void makeShapeSeeds() {
    SwfMovie movie(false, 8, 5500, 4000, 12.0f);
    auto records = [](SwfShapeRecords& list, bool lineStyles2) {
        auto start = std::make_unique<SwfStyleChange>();
        start->move = start->setFill0 = start->setLine = true;
        start->moveDX = 100, start->moveDY = -50, start->fill0 = 1, start->line = 1;
        list.push_back(std::move(start));
        list.push_back(std::make_unique<SwfLine>(300, 0));
        list.push_back(std::make_unique<SwfLine>(0, -200));
        list.push_back(std::make_unique<SwfLine>(-5, 7));
        list.push_back(std::make_unique<SwfCurve>(10, 10, -10, -9));
        auto fresh = std::make_unique<SwfStyleChange>();
        fresh->newStyles = fresh->setFill1 = true, fresh->fill1 = 1;
        fresh->fillStyles.push_back(std::make_unique<SwfSolidFillStyle>(SwfColor(1, 2, 3, 4)));
        fresh->fillStyles.push_back(std::make_unique<SwfSolidFillStyle>(SwfColor(5, 6, 7, 8)));
        if (lineStyles2)
            fresh->lineStyles.push_back(std::make_unique<SwfLineStyle2>());
        else
            fresh->lineStyles.push_back(std::make_unique<SwfLineStyle>(20, SwfColor(9, 9, 9)));
        list.push_back(std::move(fresh));
        list.push_back(std::make_unique<SwfLine>(65535, -65536));
    };
    auto fills = [](SwfFillStyles& list) {
        list.push_back(std::make_unique<SwfSolidFillStyle>(SwfColor(0xff, 0, 0, 0x80)));
        auto linear = std::make_unique<SwfGradientFillStyle>();
        linear->matrix.hasScale = true, linear->matrix.scaleX = linear->matrix.scaleY = 0.5f;
        linear->gradient.push_back(std::make_unique<SwfGradientRecord>(0, SwfColor(0, 0, 0, 255)));
        linear->gradient.push_back(std::make_unique<SwfGradientRecord>(255, SwfColor(9, 9, 9, 9)));
        list.push_back(std::move(linear));
        auto focal = std::make_unique<SwfGradientFillStyle>();
        focal->type = SwfFillStyle::FocalRadialGradient;
        focal->focalGradient.set(SwfGradientBits::NumGradients, 1);
        focal->focalGradient.set(SwfGradientBits::SpreadMode, 2);
        focal->focalGradient.records.push_back(std::make_shared<SwfGradientRecord>());
        focal->focalGradient.focalPoint = {0x80, 0xff};
        list.push_back(std::move(focal));
        for (std::uint8_t type = 0x40; type <= 0x43; ++type) {
            auto bitmap = std::make_unique<SwfBitmapFillStyle>();
            bitmap->type = type, bitmap->bitmapId = 1;
            list.push_back(std::move(bitmap));
        }
    };
    auto shape1 = std::make_unique<SwfTagDefineShape>();
    shape1->id = 1, shape1->bounds = SwfRect(-20, -20, 400, 300);
    shape1->fillStyles.push_back(std::make_unique<SwfSolidFillStyle>(SwfColor(1, 2, 3)));
    shape1->lineStyles.push_back(std::make_unique<SwfLineStyle>(20, SwfColor(0, 0, 0)));
    shape1->records.push_back(std::make_unique<SwfLine>(0, 0));
    movie.tags.append(std::move(shape1));
    auto shape3 = std::make_unique<SwfTagDefineShape3>();
    shape3->id = 2;
    fills(shape3->fillStyles);
    shape3->lineStyles.push_back(std::make_unique<SwfLineStyle>(40, SwfColor(1, 1, 1, 1)));
    records(shape3->records, false);
    movie.tags.append(std::move(shape3));
    auto shape4 = std::make_unique<SwfTagDefineShape4>();
    shape4->id = 3, shape4->flags[0] = 0x06;
    fills(shape4->fillStyles);
    auto miter = std::make_unique<SwfLineStyle2>();
    miter->width = 20, miter->flags = {0x65, 0x0e}, miter->miterLimitFactor = 0x0300;
    shape4->lineStyles.push_back(std::move(miter));
    auto filled = std::make_unique<SwfLineStyle2>();
    filled->width = 40, filled->flags = {0x08, 0x00};
    filled->fill = std::make_shared<SwfSolidFillStyle>(SwfColor(0xff, 0xff, 0, 0xff));
    shape4->lineStyles.push_back(std::move(filled));
    records(shape4->records, true);
    movie.tags.append(std::move(shape4));

    auto morph = std::make_unique<SwfTagDefineMorphShape>();
    morph->id = 4;
    auto solid = std::make_unique<SwfMorphSolidFillStyle>();
    solid->startColor = SwfColor(0xff, 0, 0, 0xff), solid->endColor = SwfColor(0, 0, 0xff, 0x80);
    morph->fillStyles.push_back(std::move(solid));
    auto radial = std::make_unique<SwfMorphGradientFillStyle>();
    radial->type = SwfFillStyle::RadialGradient;
    radial->gradient.set(SwfGradientBits::SpreadMode, 1);
    radial->gradient.push_back(std::make_unique<SwfMorphGradientRecord>());
    morph->fillStyles.push_back(std::move(radial));
    auto morphLine = std::make_unique<SwfMorphLineStyle>();
    morphLine->startWidth = 20, morphLine->endWidth = 40;
    morph->lineStyles.push_back(std::move(morphLine));
    records(morph->startEdges, false);
    morph->endEdges.push_back(std::make_unique<SwfCurve>(1, 2, 3, 4));
    movie.tags.append(std::move(morph));
    auto morph2 = std::make_unique<SwfTagDefineMorphShape2>();
    morph2->id = 5, morph2->flags[0] = 0x05;
    auto focal = std::make_unique<SwfMorphGradientFillStyle>();
    focal->type = SwfFillStyle::FocalRadialGradient;
    focal->gradient.push_back(std::make_unique<SwfMorphGradientRecord>());
    focal->startFocalPoint = {0x80, 0x00}, focal->endFocalPoint = {0x40, 0x00};
    morph2->fillStyles.push_back(std::move(focal));
    auto bitmap = std::make_unique<SwfMorphBitmapFillStyle>();
    bitmap->bitmapId = 1;
    morph2->fillStyles.push_back(std::move(bitmap));
    auto line2 = std::make_unique<SwfMorphLineStyle2>();
    line2->flags = {0xa8, 0x05}, line2->miterLimitFactor = {0x00, 0x02};
    line2->fill = std::make_shared<SwfMorphSolidFillStyle>();
    morph2->lineStyles.push_back(std::move(line2));
    morph2->lineStyles.push_back(std::make_unique<SwfMorphLineStyle2>());
    records(morph2->startEdges, false);
    movie.tags.append(std::move(morph2));
    movie.tags.append(showFrame());
    save("shapes.swf", written(movie));
    movie.compressed = true;
    save("shapes-compressed.swf", written(movie));
}

void makeSoundSeeds() {
    SwfMovie movie(false, 9, 5500, 4000, 12.0f);
    auto sound = std::make_unique<SwfTagDefineSound>();
    sound->id = 1;
    sound->format.format = SwfSoundFormat::MP3;
    sound->format.rate = 3;
    sound->sampleCount = 1152;
    sound->data = {0xff, 0xfb, 0x90, 0x00};
    movie.tags.append(std::move(sound));
    auto start = std::make_unique<SwfTagStartSound>();
    start->soundId = 1;
    start->info.flags = 0x3f;
    start->info.envelopes = {{0, 32768, 0}, {44100, 0, 32768}};
    movie.tags.append(std::move(start));
    auto stop = std::make_unique<SwfTagStartSound>();
    stop->soundId = 1;
    stop->info.flags = SwfSoundInfo::SyncStop;
    movie.tags.append(std::move(stop));
    auto named = std::make_unique<SwfTagStartSound2>();
    named->soundClassName.text = "Beep";
    named->info.flags = SwfSoundInfo::HasLoops;
    named->info.loopCount = 2;
    movie.tags.append(std::move(named));
    auto head = std::make_unique<SwfTagSoundStreamHead>();
    head->stream.format = SwfSoundFormat::MP3;
    head->latencySeek = -1;
    movie.tags.append(std::move(head));
    auto head2 = std::make_unique<SwfTagSoundStreamHead2>();
    head2->playback.format = 5;
    head2->stream.format = 4;
    movie.tags.append(std::move(head2));
    auto block = std::make_unique<SwfTagSoundStreamBlock>();
    block->data = {0x01, 0x02, 0x03};
    block->setLongHeader(true);
    movie.tags.append(std::move(block));
    auto video = std::make_unique<SwfTagDefineVideoStream>();
    video->id = 2;
    video->numFrames = 1;
    video->deblocking = 7;
    video->smoothing = true;
    video->codecId = 9;
    movie.tags.append(std::move(video));
    auto frame = std::make_unique<SwfTagVideoFrame>();
    frame->streamId = 2;
    frame->data = {0x00, 0x00, 0x84};
    movie.tags.append(std::move(frame));
    movie.tags.append(showFrame());
    save("sound.swf", written(movie));
}

void makeTextSeeds() {
    SwfMovie movie(false, 10, 5500, 4000, 12.0f);
    for (bool alpha : {false, true}) {
        std::unique_ptr<SwfTagDefineTextBase> text;
        if (alpha)
            text = std::make_unique<SwfTagDefineText2>();
        else
            text = std::make_unique<SwfTagDefineText>();
        text->id = alpha ? 2 : 1;
        text->bounds = SwfRect(0, -200, 1000, 40);
        text->matrix.translateX = 20;
        auto styled = std::make_unique<SwfTextRecord>();
        styled->flags = 0x8f;
        styled->fontId = 9;
        styled->color = SwfColor(1, 2, 3, 4);
        styled->xOffset = -20;
        styled->yOffset = 200;
        styled->textHeight = 240;
        styled->glyphs = {{0, 100}, {70000, -8}};
        text->records.push_back(std::move(styled));
        auto reserved = std::make_unique<SwfTextRecord>();
        reserved->flags = 0xf0;
        text->records.push_back(std::move(reserved));
        movie.tags.append(std::move(text));
    }
    auto full = std::make_unique<SwfTagDefineEditText>();
    full->id = 3;
    full->bounds = SwfRect(0, 0, 2000, 400);
    full->hasText = full->wordWrap = full->multiline = full->password = full->readOnly = true;
    full->hasTextColor = full->hasMaxLength = full->hasFont = full->hasFontClass = true;
    full->autoSize = full->hasLayout = full->noSelect = full->border = full->wasStatic = true;
    full->html = full->useOutlines = true;
    full->fontId = 9;
    full->fontHeight = 240;
    full->fontClass.text = "Font";
    full->textColor = SwfColor(0, 0, 0xff, 0x80);
    full->maxLength = 10;
    full->align = 5;
    full->leading = -2;
    full->variableName.text = "v";
    full->initialText.text = "<p>hi</p>";
    movie.tags.append(std::move(full));
    auto bare = std::make_unique<SwfTagDefineEditText>();
    bare->id = 4;
    movie.tags.append(std::move(bare));
    auto settings = std::make_unique<SwfTagCSMTextSettings>();
    settings->textId = 1;
    settings->flags = 0x57;
    settings->thickness = 0x3f800000;
    settings->sharpness = 0x7fc00000;
    settings->reserved = 1;
    movie.tags.append(std::move(settings));
    movie.tags.append(showFrame());
    save("text.swf", written(movie));
}

void makeButtonSeeds() {
    SwfMovie movie(false, 9, 5500, 4000, 12.0f);
    auto first = std::make_unique<SwfTagDefineButton>();
    first->id = 1;
    for (std::uint8_t flags : {0x00, 0xff}) {
        auto record = std::make_unique<SwfButtonRecord>();
        record->stateUp = record->hitTest = flags != 0;
        record->hasFilterList = record->hasBlendMode = flags != 0;
        record->reserved = flags & SwfButtonRecord::ReservedBits;
        record->characterId = 2;
        record->matrix.hasScale = flags != 0;
        first->records.push_back(std::move(record));
    }
    first->actions.push_back(std::make_unique<SwfAction>(0x06));
    first->actions.push_back(std::make_unique<SwfAction>(0x00));
    movie.tags.append(std::move(first));
    auto bare = std::make_unique<SwfTagDefineButton>();
    bare->id = 3;
    movie.tags.append(std::move(bare));
    auto cxform = std::make_unique<SwfTagDefineButtonCxform>();
    cxform->buttonId = 1;
    cxform->colorTransform.hasMult = cxform->colorTransform.hasAdd = true;
    cxform->colorTransform.mulR = 128;
    cxform->colorTransform.addB = -5;
    movie.tags.append(std::move(cxform));
    auto sound = std::make_unique<SwfTagDefineButtonSound>();
    sound->buttonId = 1;
    sound->soundIds = {0, 4, 5, 0};
    sound->soundInfos[1].flags = 0x3f;
    sound->soundInfos[1].envelopes = {{0, 32768, 0}};
    movie.tags.append(std::move(sound));
    auto second = std::make_unique<SwfTagDefineButton2>();
    second->id = 6;
    second->trackAsMenu = true;
    second->reserved = 0x80;
    auto record = std::make_unique<SwfButtonRecord>();
    record->stateDown = record->hasFilterList = record->hasBlendMode = true;
    record->blendMode = 3;
    record->colorTransform.hasAdd = true;
    record->colorTransform.addA = -1;
    auto blur = std::make_shared<SwfBlurFilter>();
    blur->blurX = 0x50000;
    blur->flags = 0x08;
    record->filters.filters.push_back(std::make_shared<SwfFilter>(SwfFilter::Blur, blur));
    second->records.push_back(std::move(record));
    for (std::uint16_t key : {0, 13, 65}) {
        auto action = std::make_unique<SwfButtonAction>();
        action->conditions = key == 0 ? SwfButtonAction::Press : 0x1ff;
        action->keyCode = key;
        action->actions.push_back(std::make_unique<SwfAction>(0x07));
        action->actions.push_back(std::make_unique<SwfAction>(0x00));
        second->conditionActions.push_back(std::move(action));
    }
    movie.tags.append(std::move(second));
    auto plain = std::make_unique<SwfTagDefineButton2>();
    plain->id = 7;
    plain->records.push_back(std::make_unique<SwfButtonRecord>());
    movie.tags.append(std::move(plain));
    movie.tags.append(showFrame());
    save("buttons.swf", written(movie));
}

void makeDisplaySeeds() {
    // PlaceObject2 with every field and clip actions in each event-word width: version 4 keeps
    // only the flag, version 5 has 16-bit words, version 6 and later 32-bit words and key codes.
    for (std::uint8_t version : {4, 5, 6}) {
        SwfMovie movie(false, version, 5500, 4000, 12.0f);
        auto place = std::make_unique<SwfTagPlaceObject2>();
        place->move = place->hasCharacter = place->hasMatrix = place->hasColorTransform = true;
        place->hasRatio = place->hasName = place->hasClipDepth = place->hasClipActions = true;
        place->depth = 1, place->characterId = 1, place->ratio = 2, place->clipDepth = 3;
        place->name.text = "mc";
        place->matrix.hasScale = true, place->matrix.scaleX = 2.0;
        place->colorTransform.hasAdd = true, place->colorTransform.addA = -1;
        for (std::uint32_t events : {0x0001u, 0x8400u, 0x7ffffu}) {
            if ((version < 6 && events > 0xffff) || version < 5)
                continue;
            auto action = std::make_unique<SwfClipAction>();
            action->events = events;
            action->keyCode = 13;
            action->actions.push_back(std::make_unique<SwfAction>(0x07));
            action->actions.push_back(std::make_unique<SwfAction>(0x00));
            place->clipActions.push_back(std::move(action));
        }
        movie.tags.append(std::move(place));
        movie.tags.append(showFrame());
        save("display-v" + std::to_string(version) + ".swf", written(movie));
    }
    // PlaceObject3 with every flag, every filter and the late fields.
    SwfMovie movie(false, 10, 5500, 4000, 12.0f);
    for (std::uint8_t extended : {0x00, 0x04, 0x7f}) {
        auto place = std::make_unique<SwfTagPlaceObject3>();
        place->flags = extended ? 0xff : 0x02;
        place->extendedFlags = extended;
        place->depth = extended, place->characterId = 1, place->className.text = "a.B";
        place->blendMode = 14;
        place->hasBitmapCache = place->hasVisible = place->hasBackgroundColor = extended == 0x7f;
        place->bitmapCache = 1, place->backgroundColor = 0x80ff0000;
        for (std::uint8_t id = 0; id < 8; ++id) {
            auto filter = SwfFilter::create(id);
            if (auto* gradient = dynamic_cast<SwfGradientFilter*>(filter.get()))
                gradient->colors = {0xff0000ff, 0xffffffff}, gradient->ratios = {0, 255};
            if (auto* convolution = dynamic_cast<SwfConvolutionFilter*>(filter.get()))
                convolution->matrixX = convolution->matrixY = 3,
                convolution->matrix.assign(9, 1.0f), convolution->flags = 0x03;
            place->filters.filters.push_back(std::make_shared<SwfFilter>(id, filter));
        }
        auto action = std::make_unique<SwfClipAction>();
        action->events = SwfClipAction::KeyPress | SwfClipAction::Construct;
        action->keyCode = 65;
        action->actions.push_back(std::make_unique<SwfAction>(0x00));
        place->clipActions.push_back(std::move(action));
        movie.tags.append(std::move(place));
    }
    movie.tags.append(showFrame());
    save("display-place3.swf", written(movie));
}

// Fonts: every font tag, in a version 5 movie (narrow codes) and a version 8 movie (wide
// codes, layout with kerning, wide offsets, a font without offset table, alignment zones).
std::unique_ptr<SwfShapeRecords> fontGlyph(std::int32_t dx) {
    auto glyph = std::make_unique<SwfShapeRecords>();
    auto change = std::make_unique<SwfStyleChange>();
    change->move = true, change->moveDX = 20, change->moveDY = -20;
    change->setFill1 = true, change->fill1 = 1;
    glyph->push_back(std::move(change));
    glyph->push_back(std::make_unique<SwfLine>(dx, 0));
    glyph->push_back(std::make_unique<SwfCurve>(10, 10, -10, 10));
    return glyph;
}

void makeFontSeeds() {
    {
        SwfMovie movie(false, 5, 5500, 4000, 12.0f);
        auto font = std::make_unique<SwfTagDefineFont>();
        font->id = 1;
        font->glyphs.push_back(fontGlyph(100));
        font->glyphs.push_back(std::make_unique<SwfShapeRecords>());
        movie.tags.append(std::move(font));
        auto info = std::make_unique<SwfTagDefineFontInfo>();
        info->fontId = 1, info->fontName.name.text = "Arial";
        info->ansi = info->bold = info->smallText = true, info->reserved = 0x40;
        info->codeTable = {65, 66};
        movie.tags.append(std::move(info));
        auto font2 = std::make_unique<SwfTagDefineFont2>();
        font2->id = 2, font2->bold = font2->italic = true, font2->languageCode = 1;
        font2->fontName.name.text = "Ab";
        font2->glyphs.push_back(fontGlyph(-300));
        font2->codeTable = {65};
        font2->ascent = 800, font2->advanceTable = {512};
        font2->boundsTable.push_back(std::make_unique<SwfRect>(0, -700, 500, 0));
        font2->kerningTable.push_back(std::make_unique<SwfKerningRecord>(65, 66, -5));
        movie.tags.append(std::move(font2));
        movie.tags.append(showFrame());
        save("fonts5.swf", written(movie));
    }
    SwfMovie movie(false, 8, 5500, 4000, 12.0f);
    auto font3 = std::make_unique<SwfTagDefineFont3>();
    font3->id = 1, font3->wideCodes = font3->wideOffsets = font3->shiftJIS = true;
    font3->fontName.name.text = "F", font3->fontName.terminated = true;
    font3->glyphs.push_back(fontGlyph(40));
    font3->glyphs.push_back(std::make_unique<SwfShapeRecords>());
    font3->codeTable = {65, 9786};
    font3->ascent = 800, font3->descent = 200, font3->leading = 10;
    font3->advanceTable = {512, -1};
    font3->boundsTable.push_back(std::make_unique<SwfRect>(0, -700, 500, 0));
    font3->boundsTable.push_back(std::make_unique<SwfRect>());
    font3->kerningTable.push_back(std::make_unique<SwfKerningRecord>(65, 9786, -30));
    movie.tags.append(std::move(font3));
    auto zones = std::make_unique<SwfTagDefineFontAlignZones>();
    zones->fontId = 1, zones->csm = 0x41;
    SwfZoneRecord& first = zones->zoneTable.emplace_back();
    first.mask = SwfZoneRecord::MaskX | SwfZoneRecord::MaskY;
    first.zoneData.push_back({0x3c00, 0x4800});
    first.zoneData.push_back({0x1234, 0x7fff});
    zones->zoneTable.emplace_back().mask = 0x80;
    movie.tags.append(std::move(zones));
    auto name = std::make_unique<SwfTagDefineFontName>();
    name->id = 1, name->name.text = "Vera", name->copyright.text = "(c) x";
    movie.tags.append(std::move(name));
    auto info2 = std::make_unique<SwfTagDefineFontInfo2>();
    info2->fontId = 1, info2->fontName.name.text = "Ming", info2->languageCode = 2;
    info2->italic = info2->bold = true, info2->reserved = 0x10, info2->codeTable = {0x4e00};
    movie.tags.append(std::move(info2));
    auto bare = std::make_unique<SwfTagDefineFont2>();
    bare->id = 2, bare->noOffsetTable = true;
    movie.tags.append(std::move(bare));
    auto font4 = std::make_unique<SwfTagDefineFont4>();
    font4->id = 3, font4->bold = font4->hasFontData = true, font4->reserved = 0x80;
    font4->fontName.text = "Sans", font4->fontData = {0x00, 0x01, 0x00, 0x00};
    movie.tags.append(std::move(font4));
    movie.tags.append(showFrame());
    save("fonts8.swf", written(movie));
}

void makeSeeds() {
    {
        SwfMovie movie(false, 10, 5500, 4000, 24.0f);
        fillSimple(movie.tags);
        save("simple.swf", written(movie));
        movie.compressed = true;
        save("simple-compressed.swf", written(movie));
        movie.compressed = false;
        save("simple-lzma.swf", lzmaFile(written(movie)));
    }
    {
        // Old version, negative origin and a fractional frame rate in the header.
        SwfMovie movie(false, 1, 2000, 1000, 12.5f);
        movie.frameSize = SwfRect(-400, -300, 2000, 1000);
        movie.tags.append(showFrame());
        save("header.swf", written(movie));
    }
    {
        SwfMovie movie(false, 10, 5500, 4000, 24.0f);
        fillControl(movie.tags);
        save("control.swf", written(movie));
        movie.compressed = true;
        save("control-compressed.swf", written(movie));
    }
    {
        // Sprites three deep, with frames and other tags at every level.
        SwfMovie movie(true, 8, 8000, 6000, 30.0f);
        auto inner = sprite(3);
        inner->tags.append(raw(12, {0x07, 0x00})); // DoAction: Stop
        inner->tags.append(showFrame());
        auto middle = sprite(2);
        middle->tags.append(showFrame());
        middle->tags.append(std::move(inner));
        middle->tags.append(frameLabel("mid"));
        middle->tags.append(showFrame());
        auto outer = sprite(1);
        outer->tags.append(std::move(middle));
        outer->tags.append(empty(1, true));
        outer->tags.append(sprite(4)); // empty sprite
        movie.tags.append(std::move(outer));
        movie.tags.append(raw(26, {0x06, 0x01, 0x00, 0x01, 0x00, 0x00}));
        movie.tags.append(showFrame());
        movie.compressed = false;
        save("sprites.swf", written(movie));
        movie.compressed = true;
        save("sprites-compressed.swf", written(movie));
    }
    {
        // Raw codes with and without a character id, with and without a row in the registry.
        SwfMovie movie(false, 9, 5500, 4000, 12.0f);
        appendRawDefinition(movie.tags, 7, {0x00, 0x00});
        appendRawDefinition(movie.tags, 8, {});
        if (const std::uint16_t code = stillRawCode(true))
            movie.tags.append(raw(code, {0x09})); // too short for its id
        if (const std::uint16_t code = stillRawCode(false))
            movie.tags.append(raw(code, {0x0a, 0x00, 0x00, 0x00}));
        movie.tags.append(raw(255, {0xde, 0xad, 0xbe, 0xef}));
        movie.tags.append(raw(1023, {0x01}));
        movie.tags.append(showFrame());
        save("unknown-tags.swf", written(movie));
    }
    {
        // The 6-byte header on bodies that would fit the short one, and the border around
        // the 62 bytes a short header holds.
        SwfMovie movie(false, 6, 5500, 4000, 12.0f);
        auto color = background(0xff, 0xff, 0xff);
        color->setLongHeader(true);
        movie.tags.append(std::move(color));
        movie.tags.append(empty(24, true)); // Protect
        movie.tags.append(raw(255, Bytes(62, 'a')));
        movie.tags.append(raw(255, Bytes(63, 'b')));
        movie.tags.append(raw(255, Bytes(300, 0x5a), true));
        auto clip = sprite(5);
        clip->setLongHeader(true);
        clip->tags.append(showFrame());
        movie.tags.append(std::move(clip));
        auto label = frameLabel("long");
        label->setLongHeader(true);
        movie.tags.append(std::move(label));
        movie.tags.append(empty(1, true));
        save("long-headers.swf", written(movie));
    }
    {
        // Tags without a body, of codes with and without a class.
        SwfMovie movie(false, 7, 5500, 4000, 12.0f);
        if (const std::uint16_t code = stillRawCode(true))
            movie.tags.append(empty(code)); // expects an id but has none
        if (const std::uint16_t code = stillRawCode(false))
            movie.tags.append(empty(code));
        movie.tags.append(empty(24));  // Protect without a password
        movie.tags.append(empty(255)); // no row at all
        movie.tags.append(showFrame());
        movie.tags.append(showFrame());
        save("empty-tags.swf", written(movie));
    }
    {
        SwfMovie movie(false, 10, 5500, 4000, 12.0f);
        fillSimple(movie.tags);
        Bytes file = written(movie);

        // No End tag at all: the list simply runs to the end of the file.
        Bytes noEnd(file.begin(), file.end() - 2);
        save("no-end.swf", noEnd);

        // An End tag with a body, followed by bytes the reader never looks at.
        Bytes endWithBody(file.begin(), file.end() - 2);
        append(endWithBody, {0x02, 0x00, 0xaa, 0xbb, 0x40, 0x00});
        putU32(endWithBody, 4, static_cast<std::uint32_t>(endWithBody.size()));
        save("end-with-body.swf", endWithBody);
    }
    {
        // A sprite whose list ends without an End and with a stray byte, and a sprite whose
        // End uses the long header.
        SwfMovie movie(false, 10, 5500, 4000, 12.0f);
        Bytes file = written(movie);
        Bytes out(file.begin(), file.end() - 2);
        append(out, {0xc7, 0x09, 0x01, 0x00, 0x01, 0x00, 0x40, 0x00, 0x40}); // 7 bytes
        append(out, {0xcc, 0x09, 0x02, 0x00, 0x01, 0x00, 0x40, 0x00,         // 12 bytes
                     0x3f, 0x00, 0x00, 0x00, 0x00, 0x00});
        append(out, {0x40, 0x00, 0x00, 0x00});
        putU32(out, 4, static_cast<std::uint32_t>(out.size()));
        save("sprite-ends.swf", out);
    }
    {
        // Before version 6 a Protect body is ignored; from version 6 an empty password.
        for (const std::uint8_t version : {5, 6}) {
            SwfMovie movie(false, version, 5500, 4000, 12.0f);
            Bytes file = written(movie);
            Bytes out(file.begin(), file.end() - 2);
            append(out, {0x05, 0x06, 0x00, 0x00, 'p', 'w', 0x00}); // reserved, "pw"
            append(out, {0x03, 0x06, 0x00, 0x00, 0x00});           // reserved, ""
            append(out, {0x40, 0x00, 0x00, 0x00});
            putU32(out, 4, static_cast<std::uint32_t>(out.size()));
            save("protect-v" + std::to_string(version) + ".swf", out);
        }
    }
    {
        // More frames than the header's 16-bit count holds; deflated it stays small. The
        // writer has to refuse it.
        SwfMovie movie(false, 10, 5500, 4000, 12.0f);
        Bytes file = written(movie);
        Bytes out(file.begin(), file.end() - 2);
        for (int i = 0; i < 0x10000 + 10; ++i)
            append(out, {0x40, 0x00});
        append(out, {0x00, 0x00});
        out[0] = 'C';
        putU32(out, 4, static_cast<std::uint32_t>(out.size()));
        SwfBuffer plain(out.size());
        std::copy(out.begin(), out.end(), plain.data());
        save("many-frames-compressed.swf", compressBody(plain).toVector());
    }
    makeActionSeeds();
    makeBitmapSeeds();
    makeSoundSeeds();
    makeFontSeeds();
    makeDisplaySeeds();
    makeButtonSeeds();
    makeTextSeeds();
    makeShapeSeeds();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    try {
        g_folder = argv[1];
        std::filesystem::create_directories(g_folder);
        makeSeeds();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_seeds: %s\n", e.what());
        return 1;
    }
    std::printf("make_seeds: %d movies in %s\n", g_written, argv[1]);
    return 0;
}
