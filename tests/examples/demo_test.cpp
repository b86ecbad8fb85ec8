// The demo movie as a user meets it: examples/demo.xml is edited by hand, and the dialect
// skips names it does not know without a word, so a misspelt element or attribute would
// quietly drop out of the movie; its scripts branch by byte counts that a text edit shifts.
#include "libswf/actions.h"
#include "libswf/buttons.h"
#include "libswf/movie.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

using namespace libswf;
using namespace vorn::test;

namespace {

std::string demoSource() {
    std::ifstream in(VORN_DEMO_XML, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << VORN_DEMO_XML;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Bytes compileDemo() {
    swfxml::SwfXmlReader ctx;
    SwfBuffer swf;
    EXPECT_TRUE(swfxml::convertXmlToSwfBytes(ctx, demoSource(), swf, true))
        << VORN_DEMO_XML << ": " << ctx.failure.describe();
    return toBytes(swf);
}

// Where each action of the list starts, then where the list ends, in bytes.
std::vector<std::int64_t> actionStarts(SwfActions& actions, std::uint8_t version) {
    SwfSizeContext ctx(version);
    std::vector<std::int64_t> starts{0};
    for (auto& action : actions)
        starts.push_back(starts.back() + action->computeSize(ctx));
    return starts;
}

} // namespace

// Comments aside, the movie converts back to exactly the text it was written as: every name
// was understood and every value kept.
TEST(Demo, ComesBackAsWritten) {
    pugi::xml_document source;
    ASSERT_TRUE(source.load_string(demoSource().c_str()));
    const std::string written = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n" +
                                swfxml::printNode(source.document_element());

    swfxml::SwfXmlWriter ctx;
    std::string back;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(ctx, compileDemo(), back)) << ctx.failure.describe();
    EXPECT_EQ(back, written);
}

// Every If and Jump of the button's script lands on the start of an action of its own list
// (or right after its last one).
TEST(Demo, BranchesLandOnActions) {
    SwfMovie movie;
    movie.read(compileDemo());
    int branches = 0;
    for (const auto& tag : movie.tags) {
        auto* button = dynamic_cast<SwfTagDefineButton2*>(tag.get());
        if (!button)
            continue;
        for (auto& condition : button->conditionActions) {
            SwfActions& actions = condition->actions;
            const std::vector<std::int64_t> starts = actionStarts(actions, movie.version);
            for (std::size_t i = 0; i < actions.size(); ++i) {
                const auto* branch = dynamic_cast<const SwfActionBranch*>(actions[i].get());
                if (!branch)
                    continue;
                ++branches;
                const std::int64_t target = starts[i + 1] + branch->offset;
                const bool onAction =
                    std::find(starts.begin(), starts.end(), target) != starts.end();
                EXPECT_TRUE(onAction) << "button " << button->id << ": action " << i
                                      << " branches by " << branch->offset << " bytes to byte "
                                      << target << ", which is not the start of an action";
            }
        }
    }
    EXPECT_EQ(branches, 2) << "the play and pause script has one If and one Jump";
}
