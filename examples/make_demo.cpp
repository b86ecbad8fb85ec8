// Writes the demo movie: a blue background, a sprite with a few frames of its own, frame
// labels and three frames on the main timeline. Tags whose families are kept raw are built
// from their bytes.
#include "libswf/exception.h"
#include "libswf/movie.h"
#include "libswf/utils.h"

#include <iostream>
#include <string_view>

using namespace libswf;

namespace {

std::unique_ptr<SwfTag> raw(std::uint16_t code, std::vector<std::uint8_t> body) {
    auto tag = std::make_unique<SwfTagUnknown>(code, false);
    tag->body = std::move(body);
    return tag;
}

std::unique_ptr<SwfTag> label(std::string_view text) {
    std::vector<std::uint8_t> body(text.begin(), text.end());
    body.push_back(0);
    return raw(43, std::move(body));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-demo OUT.swf\n";
        return 2;
    }
    SwfMovie movie(true, 10, 11000, 8000, 24.0f);
    movie.tags.append(raw(9, {0x20, 0x40, 0x80})); // SetBackgroundColor

    auto sprite = std::make_unique<SwfTagDefineSprite>();
    sprite->id = 1;
    for (int frame = 0; frame < 4; ++frame)
        sprite->tags.append(std::make_unique<SwfTagShowFrame>());
    movie.tags.append(std::move(sprite));

    movie.tags.append(label("intro"));
    // PlaceObject2: place character 1 at depth 1.
    movie.tags.append(raw(26, {0x02, 0x01, 0x00, 0x01, 0x00}));
    movie.tags.append(std::make_unique<SwfTagShowFrame>());
    movie.tags.append(label("middle"));
    movie.tags.append(std::make_unique<SwfTagShowFrame>());
    movie.tags.append(label("end"));
    movie.tags.append(std::make_unique<SwfTagShowFrame>());
    try {
        const SwfBuffer bytes = movie.write();
        SwfUtils::WriteWholeFile(argv[1], bytes.size(), bytes.data());
    } catch (const std::exception& e) {
        std::cerr << "make-demo: " << argv[1] << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
