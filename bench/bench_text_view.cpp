// Times the text view on a large document: setting the text with its first screen coloured,
// Go To Line to the last line and back, keystrokes at the end and in the middle, a search
// that finds nothing, and the process's peak memory as a multiple of the text. The view is
// shown on the offscreen platform unless QT_QPA_PLATFORM says otherwise, and every step ends
// with a synchronous repaint, so the figures include drawing.
//
//   bench_text_view [--keys N] DOCUMENT
//
// DOCUMENT is any dialect text, for example the one bench_editor writes:
//   build/bench/bench_editor --mb 100 build/bench-data
//   build/bench/bench_text_view build/bench-data/editor-100mb.xml
// Targets: a keystroke at the end < 16 ms, Go To Line to the last line < 100 ms, peak
// memory < 4 times the text.
#include "bench_util.h"

#include "view/prompts.h"
#include "view/view.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void type(QWidget& view, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&view, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&view, &release);
}

// Milliseconds of one step followed by a repaint of the view.
template <class F>
double stepMs(QWidget& view, F&& step) {
    return 1000 * bench::timeOnce([&] {
               step();
               view.repaint();
           });
}

// Milliseconds of `count` keystrokes, each with its repaint: the first and the slowest of
// the rest (the first may move Scintilla's gap to the caret).
std::pair<double, double> keystrokes(QWidget& view, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i)
        times.push_back(stepMs(view, [&] { type(view, Qt::Key_A, "a"); }));
    const double first = times.front();
    const double slowest =
        times.size() > 1 ? *std::max_element(times.begin() + 1, times.end()) : first;
    return {first, slowest};
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int keys = 20;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keys" && i + 1 < argc)
            keys = std::max(1, std::stoi(argv[++i]));
        else
            path = arg;
    }
    if (path.empty()) {
        std::cerr << "usage: bench_text_view [--keys N] DOCUMENT\n";
        return 2;
    }
    QApplication app(argc, argv);
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << path << "\n";
            return 1;
        }
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t size = text.size();
    std::printf("== %s: %.1f MB of dialect text\n", path.c_str(), bench::mb(size));

    vorn::QtPrompts prompts;
    vorn::CView view(prompts);
    view.resize(900, 600);
    view.show();
    QApplication::processEvents();

    const double load = stepMs(view, [&] { view.setDocumentText(text); });
    // The caller's copy of the text is gone once a document is open.
    text.clear();
    text.shrink_to_fit();
    std::printf("set text, first screen coloured %8.1f ms  (%d of %d lines coloured)\n", load,
                view.colouredLineCount(), view.lineCount());

    const double toLast = stepMs(view, [&] { view.scrollToLine(view.lineCount()); });
    std::printf("go to the last line             %8.1f ms   target < 100 ms: %s\n", toLast,
                verdict(toLast < 100));
    const auto [endFirst, endSlowest] = keystrokes(view, keys);
    const double endWorst = std::max(endFirst, endSlowest);
    std::printf("keystroke at the end            %8.1f ms   first %.1f ms, slowest of %d   "
                "target < 16 ms: %s\n",
                endWorst, endFirst, keys, verdict(endWorst < 16));
    const double enter = stepMs(view, [&] { type(view, Qt::Key_Return, "\r"); });
    std::printf("Enter at the end                %8.1f ms\n", enter);

    const double toMiddle = stepMs(view, [&] { view.scrollToLine(view.lineCount() / 2); });
    const auto [middleFirst, middleSlowest] = keystrokes(view, keys);
    std::printf("go to the middle                %8.1f ms\n", toMiddle);
    std::printf("keystroke in the middle         %8.1f ms   first %.1f ms (moves the gap)\n",
                middleSlowest, middleFirst);
    const double toFirst = stepMs(view, [&] { view.scrollToLine(1); });
    std::printf("go to the first line            %8.1f ms\n", toFirst);
    const double search =
        stepMs(view, [&] { view.findNextMatch("NoSuchNameAnywhere", vorn::SearchDown); });
    std::printf("a search that finds nothing     %8.1f ms  %8.1f MB/s\n", search,
                bench::mbPerSecond(size, search / 1000));

    const double peak = static_cast<double>(bench::peakRssBytes());
    std::printf("peak memory                     %8.1f MB = %.2f x the text   target < 4: %s\n",
                peak / 1e6, peak / static_cast<double>(size), verdict(peak < 4.0 * size));
    std::printf("lines coloured in the end       %8d of %d\n", view.colouredLineCount(),
                view.lineCount());
    return 0;
}
