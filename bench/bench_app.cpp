// Times the editor itself on a large movie, in a fresh process, the way a user meets it:
// - start: from the program's start to the first screen of the movie's text coloured in the
//   window, the movie's conversion to XML included (target < 2 s);
// - a keystroke at the end of the text: the key event, the edit, its colouring and the
//   repaint (target < 16 ms, the slowest of 20 keys); for reference also without the view's
//   notifications of inserted text, which the text widget (QScintilla 2.13) pays for by
//   counting the characters from the start of the text on each insertion;
// - Go To Line to the last line through the command, its dialog answered at once (target
//   < 100 ms);
// - peak memory of the whole process as a multiple of the XML text (target < 4).
//
//   bench_app MOVIE
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise; bench/run_editor
// makes the movie and runs this a few times.
#include "bench_util.h"

#include "documents/document.h"
#include "documents/documents_owner.h"
#include "frame/main_window.h"
#include "frame/recent_settings.h"
#include "resources/menu_table.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The resident set now, in bytes.
std::uint64_t residentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoull(line.substr(6)) * 1024;
    return 0;
}

// True when every line on the view's screen carries its colours.
bool firstScreenColoured(const vorn::CView& view) {
    const long first = view.SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE);
    const long shown = view.SendScintilla(QsciScintilla::SCI_LINESONSCREEN);
    const long last = std::min<long>(first + shown, view.lineCount()) - 1;
    for (long line = first; line <= last; ++line)
        if (!view.isLineColoured(static_cast<int>(line)))
            return false;
    return last >= first;
}

} // namespace

int main(int argc, char** argv) {
    const bench::Clock::time_point start = bench::Clock::now();
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_app MOVIE\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir settingsFolder;
    QSettings settings(settingsFolder.filePath("settings.conf"), QSettings::IniFormat);
    vorn::QSettingsRecentStorage storage(settings);
    vorn::ScriptedPrompts prompts;

    vorn::CNewMainWindow window(prompts, storage);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "bench_app: the window did not show\n");
        return 1;
    }
    const std::uint64_t baseline = residentBytes();
    const double windowSeconds = bench::secondsSince(start);

    window.setStartFiles({argv[1]});
    window.runStartup();
    vorn::IDocument* document = window.activeDocument();
    if (!document || !prompts.shown.empty()) {
        std::fprintf(stderr, "bench_app: %s did not open\n", argv[1]);
        return 1;
    }
    vorn::CView& view = *document->view();
    view.repaint();
    QApplication::processEvents();
    if (!firstScreenColoured(view)) {
        std::fprintf(stderr, "bench_app: the first screen is not coloured\n");
        return 1;
    }
    const double startSeconds = bench::secondsSince(start);
    const auto textBytes =
        static_cast<std::uint64_t>(view.SendScintilla(QsciScintilla::SCI_GETLENGTH));
    const int colouredAfterOpen = view.colouredLineCount();
    const std::uint64_t afterOpen = residentBytes();
    const std::uint64_t peakAfterOpen = bench::peakRssBytes();

    // Keys typed at the very end of the text.
    view.setFocus();
    view.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    view.repaint();
    std::vector<double> keys;
    for (int i = 0; i < 20; ++i) {
        keys.push_back(bench::timeOnce([&] {
            QTest::keyClick(&view, Qt::Key_X);
            view.repaint();
        }));
    }
    std::sort(keys.begin(), keys.end());
    // For reference: the same keys while the view does not ask to hear of inserted text, which
    // the text widget answers by counting the characters from the start of the text.
    const long events = view.SendScintilla(QsciScintilla::SCI_GETMODEVENTMASK);
    view.SendScintilla(QsciScintilla::SCI_SETMODEVENTMASK, 0UL);
    std::vector<double> quietKeys;
    for (int i = 0; i < 20; ++i) {
        quietKeys.push_back(bench::timeOnce([&] {
            QTest::keyClick(&view, Qt::Key_X);
            view.repaint();
        }));
    }
    view.SendScintilla(QsciScintilla::SCI_SETMODEVENTMASK, static_cast<unsigned long>(events));
    std::sort(quietKeys.begin(), quietKeys.end());

    // Go To Line to the last line, as the menu runs it.
    const int lastLine = view.lineCount();
    prompts.dialogs.push_back([lastLine](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("line")->setText(QString::number(lastLine));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const double goToLine = bench::timeOnce([&] {
        window.runCommand(vorn::kIdGoToLine);
        view.repaint();
    });
    const bool atLastLine = view.caretLine() == lastLine && firstScreenColoured(view);

    const std::uint64_t peak = bench::peakRssBytes();
    std::printf("document        %.1f MB of XML text, %d lines (%s)\n", bench::mb(textBytes),
                lastLine, argv[1]);
    std::printf("window shown    %.3f s after the start, %.0f MB resident\n", windowSeconds,
                bench::mb(baseline));
    std::printf("start           %.3f s to the first screen coloured (target < 2 s); %d of %d "
                "lines coloured\n",
                startSeconds, colouredAfterOpen, lastLine);
    std::printf("keystroke       %.2f ms median, %.2f ms slowest of %zu at the end (target < "
                "16 ms)\n",
                keys[keys.size() / 2] * 1e3, keys.back() * 1e3, keys.size());
    std::printf("  (reference)   %.2f ms median, %.2f ms slowest without the view's insert "
                "notifications\n",
                quietKeys[quietKeys.size() / 2] * 1e3, quietKeys.back() * 1e3);
    std::printf("go to line      %.2f ms to line %d%s (target < 100 ms)\n", goToLine * 1e3,
                lastLine, atLastLine ? "" : " -- the caret is not there");
    std::printf("opened          %.0f MB resident, %.0f MB at the most while opening\n",
                bench::mb(afterOpen), bench::mb(peakAfterOpen));
    std::printf("peak memory     %.0f MB, %.2f x the text (target < 4); %.2f x beyond the "
                "empty window\n",
                bench::mb(peak), static_cast<double>(peak) / static_cast<double>(textBytes),
                static_cast<double>(peak - baseline) / static_cast<double>(textBytes));
    const bool met = startSeconds < 2 && keys.back() < 0.016 && goToLine < 0.1 && atLastLine &&
                     peak < 4 * textBytes;
    window.documents().closeAllDocuments();
    return met ? 0 : 3;
}
