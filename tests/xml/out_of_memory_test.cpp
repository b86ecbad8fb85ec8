// Conversions that run out of memory part way: every allocation in turn is made to fail
// once, and the conversion must report it, leave its context whole and convert again.
#include "libswf/movie.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

using namespace libswf;
using namespace vorn::test;

namespace {

// Allocations to let through before one fails; negative lets every one through.
std::atomic<long> g_allocationsBeforeFailure{-1};

} // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
    long left = g_allocationsBeforeFailure.load(std::memory_order_relaxed);
    while (left >= 0 && !g_allocationsBeforeFailure.compare_exchange_weak(
                            left, left - 1, std::memory_order_relaxed)) {
    }
    if (left == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

// Kept out of line: inlined into callers, g++ takes the free() for a mismatch with their new.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}

[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

// The array forms too: the standard library's own ones need not call the single form.
void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void operator delete[](void* p) noexcept {
    ::operator delete(p);
}

void operator delete[](void* p, std::size_t) noexcept {
    ::operator delete(p);
}

namespace {

// Converts with the allocation after `allowed` ones failing, or with none failing for -1.
// Sets `reached` to whether the conversion came to the allocation that fails.
bool convertFailing(swfxml::SwfXmlWriter& ctx, const Bytes& swf, std::string& text, long allowed,
                    bool& reached) {
    g_allocationsBeforeFailure = allowed;
    const bool ok = swfxml::convertSwfBytesToXml(ctx, swf, text);
    reached = g_allocationsBeforeFailure.exchange(-1) < 0;
    return ok;
}

} // namespace

TEST(XmlOutOfMemory, AFailedConversionLeavesItsContextWholeAndConvertsAgain) {
    // Definitions at both levels (so that the movie has a dictionary) and raw tags, with
    // payloads long enough that every tag's text takes memory of its own.
    const Bytes sprite = tag(
        39, concat({u16(3), u16(1), tag(87, concat({hex("04 00 00 00 00 00"), Bytes(40, 0xaa)})),
                    tag(1, {}), u16(0)}));
    const Bytes swf = movie(
        10, 1,
        concat({tag(87, concat({hex("05 00 00 00 00 00"), Bytes(300, 7)})), sprite,
                tag(250, Bytes(40, 1)), tag(87, concat({hex("06 00 00 00 00 00"), Bytes(40, 2)})),
                tag(1, {}), u16(0)}));
    std::string expected;
    bool reached = false;
    {
        swfxml::SwfXmlWriter fresh;
        ASSERT_TRUE(convertFailing(fresh, swf, expected, -1, reached)) << fresh.failure.describe();
    }
    long failures = 0;
    for (long allowed = 0;; ++allowed) {
        swfxml::SwfXmlWriter ctx;
        std::string text;
        const bool ok = convertFailing(ctx, swf, text, allowed, reached);
        if (!reached)
            break; // every allocation of the conversion has failed once
        if (ok) {
            // A failure the conversion could do without (room reserved ahead, say).
            EXPECT_EQ(text, expected) << "after allocation " << allowed;
            continue;
        }
        ++failures;
        EXPECT_EQ(ctx.failure.describe(), "not enough memory") << allowed;
        // No place of the tag list is empty and the dictionary names only tags of the list.
        const auto& list = ctx.movie.tags.list;
        for (const auto& tag : list)
            ASSERT_NE(tag, nullptr) << "after allocation " << allowed;
        for (const auto& [id, tag] : ctx.movie.tags.dictionary)
            ASSERT_TRUE(std::any_of(list.begin(), list.end(),
                                    [tag = tag](const auto& t) { return t.get() == tag; }))
                << "after allocation " << allowed << ": id " << id << " names a freed tag";
        // The same context converts again, to exactly the text a fresh one gives.
        std::string again;
        ASSERT_TRUE(convertFailing(ctx, swf, again, -1, reached)) << allowed;
        ASSERT_EQ(again, expected) << "after allocation " << allowed;
    }
    EXPECT_GT(failures, 20); // the failures do reach the conversion
}
