// Times the player the way a user meets it, in a fresh process on Qt's offscreen platform:
// - Play: from Ctrl+Enter in the editor's window to the movie's first frame on the screen,
//   the first time (the web engine starts) and then with the engine warm; "painted" is when
//   the page has painted a frame after the movie loaded, "on screen" when a grab of the
//   player's view first differs from the empty (black) page;
// - Show Color with the engine warm: from the command to the colour in a grab of the popup
//   (target < 300 ms).
//
//   bench_player MOVIE [RUNS]
//
// bench/run_player runs this on the demo movie and on the largest corpus movie.
#include "bench_util.h"

#include "commands/command_context.h"
#include "documents/document.h"
#include "frame/main_window.h"
#include "frame/recent_settings.h"
#include "player/color_viewer.h"
#include "player/player_commands.h"
#include "player/player_engine.h"
#include "player/player_window.h"
#include "resources/menu_table.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct PlayTimes {
    double painted = -1;
    double onScreen = -1;
};

bool allBlack(const QImage& image) {
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if ((image.pixel(x, y) & 0xffffff) != 0)
                return false;
    return true;
}

// Presses Ctrl+Enter in the window and times the player's first frame; closes the player.
PlayTimes timePlay(vorn::CNewMainWindow& window) {
    PlayTimes times;
    bench::Clock::time_point start;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* player = qobject_cast<vorn::CSwfPlayerWindow*>(QApplication::activeModalWidget());
        if (!player || seen)
            return;
        seen = true;
        poll.stop();
        QObject::connect(player, &vorn::CSwfPlayerWindow::firstFramePainted,
                         [&] { times.painted = bench::secondsSince(start); });
        bool loaded = false;
        const QMetaObject::Connection loading =
            QObject::connect(&vorn::PlayerEngine::shared(), &vorn::PlayerEngine::loaded,
                             [&](int movie) { loaded = loaded || movie == player->movie(); });
        (void)QTest::qWaitFor(
            [&] {
                if (loaded && times.onScreen < 0 && !allBlack(player->view()->grab().toImage()))
                    times.onScreen = bench::secondsSince(start);
                return times.onScreen >= 0 && times.painted >= 0;
            },
            30000);
        QObject::disconnect(loading);
        player->reject();
    });
    poll.start(1);
    // The key goes where a user's would: to the editor's window once it is active again.
    QApplication::setActiveWindow(&window);
    (void)QTest::qWaitForWindowActive(&window);
    start = bench::Clock::now();
    QTest::keyClick(&window, Qt::Key_Return, Qt::ControlModifier);
    if (!seen)
        std::fprintf(stderr, "bench_player: Ctrl+Enter opened no player\n");
    return times;
}

// Selects a colour text at the end of the view, runs Show Color on it and times the colour's
// arrival in the popup.
double timeShowColor(vorn::CNewMainWindow& window, vorn::CView& view, const std::string& base,
                     const std::string& selection, const QColor& colour) {
    view.setDocumentText(base + selection);
    view.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    view.SendScintilla(QsciScintilla::SCI_SETANCHOR,
                       view.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS) -
                           static_cast<long>(selection.size()));
    QTest::qWait(20);
    const bench::Clock::time_point start = bench::Clock::now();
    window.runCommand(vorn::kIdShowColor);
    auto* viewer = view.findChild<vorn::CColorViewer*>();
    if (!viewer)
        return -1;
    double seconds = -1;
    (void)QTest::qWaitFor(
        [&] {
            const QImage shot = viewer->view()->grab().toImage();
            if (!shot.isNull() && shot.pixelColor(shot.width() / 2, shot.height() / 2) == colour)
                seconds = bench::secondsSince(start);
            return seconds >= 0;
        },
        10000);
    viewer->close();
    QTest::qWait(50);
    return seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: bench_player MOVIE [RUNS]\n");
        return 2;
    }
    const int runs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    QTemporaryDir settingsFolder;
    QSettings settings(settingsFolder.filePath("settings.conf"), QSettings::IniFormat);
    vorn::QSettingsRecentStorage storage(settings);
    vorn::ScriptedPrompts prompts;
    vorn::CommandHooks hooks = vorn::defaultCommandHooks();
    vorn::addPlayerHooks(hooks);
    vorn::CNewMainWindow window(prompts, storage, hooks);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "bench_player: the window did not show\n");
        return 1;
    }
    window.setStartFiles({argv[1]});
    window.runStartup();
    vorn::IDocument* document = window.activeDocument();
    if (!document || !prompts.shown.empty()) {
        std::fprintf(stderr, "bench_player: %s did not open\n", argv[1]);
        return 1;
    }
    const std::string text = document->view()->documentText();

    const PlayTimes cold = timePlay(window);
    std::vector<double> painted;
    std::vector<double> onScreen;
    for (int run = 0; run < runs; ++run) {
        const PlayTimes warm = timePlay(window);
        painted.push_back(warm.painted);
        onScreen.push_back(warm.onScreen);
    }
    if (!prompts.shown.empty()) {
        std::fprintf(stderr, "bench_player: Play showed \"%s\"\n",
                     prompts.shown.front().text.toUtf8().constData());
        return 1;
    }
    std::printf("movie           %s, %.0f KB of XML text\n", argv[1],
                static_cast<double>(text.size()) / 1024);
    std::printf("play, cold      %.0f ms to painted, %.0f ms to on screen (web engine starting)\n",
                cold.painted * 1e3, cold.onScreen * 1e3);
    std::printf("play, warm      %.0f ms to painted, %.0f ms to on screen (median of %d; "
                "slowest %.0f ms)\n",
                median(painted) * 1e3, median(onScreen) * 1e3, runs,
                *std::max_element(onScreen.begin(), onScreen.end()) * 1e3);

    // Show Color, the engine warm: red and blue by turns, so that each run waits for its own
    // colour rather than finding the last one still on the page.
    vorn::CView& view = *document->view();
    std::vector<double> colours;
    for (int run = 0; run < runs; ++run)
        colours.push_back(run % 2 == 0
                              ? timeShowColor(window, view, text, "ff0000ff", QColor(255, 0, 0))
                              : timeShowColor(window, view, text, "ff00", QColor(0, 0, 255)));
    const bool allShown = std::find(colours.begin(), colours.end(), -1.0) == colours.end();
    const double slowest = *std::max_element(colours.begin(), colours.end());
    std::printf("show color      %.0f ms median, %.0f ms slowest of %d, warm (target < 300 ms)\n",
                median(colours) * 1e3, slowest * 1e3, runs);
    std::printf("peak memory     %.0f MB (this process; the web engine's are apart)\n",
                bench::mb(bench::peakRssBytes()));
    return allShown ? 0 : 1;
}
