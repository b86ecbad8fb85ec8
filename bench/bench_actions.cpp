// Times both XML conversions on a generated script-heavy movie: DoAction and DoInitAction
// tags of about a thousand actions each, a quarter of them Push with two to five values,
// with functions, With and Try blocks nested up to three deep. Prints actions per second and
// MB per second of each conversion, checks that the movie comes back byte for byte, and ends
// with a line starting with "#actions". Target: at least 2,000,000 actions per second each way,
// judged on processor time (wall-clock rates are printed beside it).
//
//   bench_actions [--runs N] [--actions N] [--write FILE]
#include "bench_util.h"

#include "libswf/actions.h"
#include "libswf/exception.h"
#include "libswf/utils.h"
#include "swfxml/convert.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <utility>

using namespace libswf;

namespace {

// Seconds of processor time this thread has used: unlike the wall clock, it does not count
// the time other processes on a busy machine take the processor away.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The best wall-clock and processor times of `runs` calls.
template <class F>
std::pair<double, double> timeBoth(int runs, F&& f) {
    double wall = 1e300, cpu = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double startCpu = threadSeconds();
        wall = std::min(wall, bench::timeOnce(f));
        cpu = std::min(cpu, threadSeconds() - startCpu);
    }
    return {wall, cpu};
}

// A fixed-seed generator, so that every run times the same movie.
class Random {
public:
    std::uint32_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint32_t>(m_state >> 16);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }

private:
    std::uint64_t m_state = 0x9e3779b97f4a7c15ull;
};

class ScriptMaker {
public:
    std::uint64_t actions = 0;

    // Appends about n actions (nested ones included) to the list.
    void fill(SwfActions& list, std::uint64_t n, int depth) {
        const std::uint64_t stop = actions + n;
        while (actions < stop)
            list.push_back(next(depth, stop - actions));
    }

    SwfActionPtr pool() {
        auto action = std::make_unique<SwfActionConstantPool>();
        for (int i = 0; i < 32; ++i)
            action->constants.push_back(std::make_unique<SwfString>("name" + std::to_string(i)));
        ++actions;
        return action;
    }

private:
    std::unique_ptr<SwfValue> value() {
        switch (m_random.below(6)) {
        case 0:
            return std::make_unique<SwfValueString>("item" + std::to_string(m_random.below(5000)));
        case 1: {
            auto v = std::make_unique<SwfValueInteger>();
            v->value = static_cast<std::int32_t>(m_random.next()) >> m_random.below(24);
            return v;
        }
        case 2: {
            auto v = std::make_unique<SwfValueDouble>();
            v->value = m_random.next() / 1024.0;
            return v;
        }
        case 3: {
            auto v = std::make_unique<SwfValueConstant8>();
            v->index = static_cast<std::uint8_t>(m_random.below(32));
            return v;
        }
        case 4: {
            auto v = std::make_unique<SwfValueRegister>();
            v->number = static_cast<std::uint8_t>(m_random.below(4));
            return v;
        }
        default:
            return std::make_unique<SwfValue>(m_random.below(2) ? SwfValue::Null
                                                                : SwfValue::Undefined);
        }
    }

    SwfActionPtr next(int depth, std::uint64_t left) {
        ++actions;
        const std::uint32_t pick = m_random.below(100);
        if (pick < 25) {
            auto push = std::make_unique<SwfActionPush>();
            for (std::uint32_t i = 2 + m_random.below(4); i > 0; --i)
                push->values.push_back(value());
            return push;
        }
        if (pick < 27 && depth < 3 && left > 40) {
            auto function = std::make_unique<SwfActionDefineFunction2>();
            function->name.text = "f" + std::to_string(m_random.below(1000));
            function->registerCount = 4;
            function->flags = SwfActionDefineFunction2::PreloadThis;
            function->parameters.push_back({1, SwfString("a")});
            function->parameters.push_back({2, SwfString("b")});
            fill(function->body, 10 + m_random.below(30), depth + 1);
            return function;
        }
        if (pick < 28 && depth < 3 && left > 20) {
            auto with = std::make_unique<SwfActionWith>();
            fill(with->body, 5 + m_random.below(10), depth + 1);
            return with;
        }
        if (pick < 29 && depth < 3 && left > 20) {
            auto block = std::make_unique<SwfActionTry>();
            block->flags = SwfActionTry::HasCatchBlock;
            block->catchName.text = "e";
            fill(block->tryBody, 5 + m_random.below(10), depth + 1);
            fill(block->catchBody, 2, depth + 1);
            return block;
        }
        if (pick < 34) {
            SwfActionPtr branch;
            if (m_random.below(2))
                branch = std::make_unique<SwfActionIf>();
            else
                branch = std::make_unique<SwfActionJump>();
            static_cast<SwfActionBranch&>(*branch).offset =
                static_cast<std::int16_t>(m_random.below(200)) - 100;
            return branch;
        }
        if (pick < 36) {
            auto store = std::make_unique<SwfActionStoreRegister>();
            store->number = static_cast<std::uint8_t>(m_random.below(4));
            return store;
        }
        if (pick < 37) {
            auto go = std::make_unique<SwfActionGotoFrame>();
            go->frame = static_cast<std::uint16_t>(m_random.below(100));
            return go;
        }
        static constexpr std::uint8_t kPlain[] = {0x1c, 0x1d, 0x47, 0x3d, 0x52, 0x4e, 0x4f,
                                                  0x17, 0x12, 0x49, 0x50, 0x4c, 0x3e, 0x07};
        return std::make_unique<SwfAction>(kPlain[m_random.below(sizeof kPlain)]);
    }

    Random m_random;
};

SwfMovie makeMovie(std::uint64_t target, std::uint64_t& actions) {
    SwfMovie movie(false, 8, 11000, 8000, 24.0f);
    ScriptMaker maker;
    std::uint16_t sprite = 1;
    while (maker.actions < target) {
        SwfActions* list;
        if (sprite % 8 == 0) {
            auto tag = std::make_unique<SwfTagDoInitAction>();
            tag->spriteId = sprite;
            list = &tag->actions;
            movie.tags.append(std::move(tag));
        } else {
            auto tag = std::make_unique<SwfTagDoAction>();
            list = &tag->actions;
            movie.tags.append(std::move(tag));
        }
        ++sprite;
        list->push_back(maker.pool());
        maker.fill(*list, 1000, 0);
        list->push_back(std::make_unique<SwfAction>(0));
        ++maker.actions;
        movie.tags.append(std::make_unique<SwfTagShowFrame>());
    }
    actions = maker.actions;
    return movie;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    std::uint64_t target = 1000000;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--actions" && i + 1 < argc)
            target = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--write" && i + 1 < argc)
            output = argv[++i];
        else {
            std::cerr << "usage: bench_actions [--runs N] [--actions N] [--write FILE]\n";
            return 2;
        }
    }
    try {
        std::uint64_t actions = 0;
        SwfMovie movie = makeMovie(target, actions);
        const SwfBuffer swf = movie.write();
        if (!output.empty())
            SwfUtils::WriteWholeFile(output, swf.size(), swf.data());

        std::string text;
        const auto [toXml, toXmlCpu] = timeBoth(runs, [&] {
            swfxml::SwfXmlWriter writer;
            if (!swfxml::convertSwfBytesToXml(writer, swf.span(), text))
                throw std::runtime_error("SWF to XML: " + writer.failure.describe());
        });
        SwfBuffer back;
        const auto [toSwf, toSwfCpu] = timeBoth(runs, [&] {
            swfxml::SwfXmlReader reader;
            if (!swfxml::convertXmlToSwfBytes(reader, text, back, true))
                throw std::runtime_error("XML to SWF: " + reader.failure.describe());
        });
        const bool same = bench::sameBytes(back.span(), swf.span());

        const double n = static_cast<double>(actions);
        std::printf("script movie: %llu actions, SWF %.2f MB, XML %.2f MB, best of %d runs\n",
                    static_cast<unsigned long long>(actions), bench::mb(swf.size()),
                    bench::mb(text.size()), runs);
        std::printf("  %-10s %8s %14s %14s %12s\n", "", "wall s", "actions/s", "cpu actions/s",
                    "MB/s (in)");
        std::printf("  %-10s %8.3f %14.0f %14.0f %12.1f\n", "SWF -> XML", toXml, n / toXml,
                    n / toXmlCpu, bench::mbPerSecond(swf.size(), toXml));
        std::printf("  %-10s %8.3f %14.0f %14.0f %12.1f\n", "XML -> SWF", toSwf, n / toSwf,
                    n / toSwfCpu, bench::mbPerSecond(text.size(), toSwf));
        std::printf("  peak memory %.1f MB; the movie comes back byte for byte: %s\n",
                    bench::mb(bench::peakRssBytes()), same ? "yes" : "NO");
        // Judged on processor time, which a busy machine does not distort.
        const bool met = n / toXmlCpu >= 2e6 && n / toSwfCpu >= 2e6;
        std::printf("#actions actions=%llu swf_bytes=%zu xml_bytes=%zu to_xml_aps=%.0f "
                    "to_xml_cpu_aps=%.0f to_swf_aps=%.0f to_swf_cpu_aps=%.0f same=%s target=%s\n",
                    static_cast<unsigned long long>(actions), swf.size(), text.size(), n / toXml,
                    n / toXmlCpu, n / toSwf, n / toSwfCpu, same ? "yes" : "no",
                    met ? "met" : "missed");
        return same ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "bench_actions: " << e.what() << '\n';
        return 1;
    }
}
