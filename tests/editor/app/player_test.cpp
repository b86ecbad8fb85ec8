// Movies built by the tests, played in the real player through the editor's commands.
#include "frame_fixture.h"

#include "files/document_files.h"
#include "player/color_viewer.h"
#include "player/player_commands.h"
#include "player/player_engine.h"
#include "player/player_window.h"
#include "resources/menu_table.h"

#include <QDesktopServices>
#include <QWebEngineView>

#include <QDir>
#include <QPointer>

#include <algorithm>
#include <filesystem>
#include <functional>

#include <signal.h>

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

// A 550 x 400 movie on a red stage whose frames run the given actions, one frame each, and then
// stop on a last frame.
std::string movieOfFrames(const std::vector<std::string>& frameActions) {
    std::string tags = "    <SetBackgroundColor Color=\"ff0000ff\" />\n";
    for (const std::string& actions : frameActions)
        tags += "    <DoAction><Actions>" + actions + "</Actions></DoAction>\n    <ShowFrame />\n";
    tags += "    <DoAction><Actions><Stop /></Actions></DoAction>\n    <ShowFrame />\n";
    return movieText(6, tags);
}

std::string fsCommand(const std::string& command, const std::string& args) {
    return "<GetURL URL=\"FSCommand:" + command + "\" Target=\"" + args + "\" />";
}

// The temporary movies left in a folder.
std::vector<std::string> tempMoviesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().filename().string().rfind("~!", 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

// Takes the addresses the program would open in the user's browser.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

class StateWatch : public QObject {
public:
    explicit StateWatch(std::vector<Qt::WindowStates>& states) : m_states(states) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange)
            m_states.push_back(static_cast<QWidget*>(watched)->windowState());
        return false;
    }

private:
    std::vector<Qt::WindowStates>& m_states;
};

// The boxes of Play without a player: the problem, then the offer of the player's site.
Shown noPlayer() {
    return warning("Please install a Flash Player.", "Flash Player is not installed.");
}
Shown goToSite() {
    return question("Please install a new version of Flash Player.\nhttps://ruffle.rs/\n"
                    "Do you want to visit this site now?",
                    "Go To Site");
}

// The editor's window with the program's hooks, the player's included.
class PlayerTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        addPlayerHooks(hooks);
        ASSERT_TRUE(playerFilesPresent(playerDirectory()))
            << "the player is missing from " << playerDirectory().toStdString()
            << ": scripts/fetch-player installs it";
        // The web engine keeps its own files in the temporary folder, so the folder stays
        // the process's; what the test looks for there is what it added.
        tempBefore = tempMoviesIn(temporaryFolder());
    }

    static std::string temporaryFolder() { return QDir::tempPath().toStdString(); }
    std::vector<std::string> newTempMovies() const {
        std::vector<std::string> added;
        for (const std::string& name : tempMoviesIn(temporaryFolder()))
            if (std::find(tempBefore.begin(), tempBefore.end(), name) == tempBefore.end())
                added.push_back(name);
        return added;
    }

    // Runs Play; `whilePlaying` gets the dialog once it runs and its first frame is painted,
    // and may close it. Returns whether the dialog came up.
    bool play(const std::function<void(CSwfPlayerWindow&)>& whilePlaying) {
        return play([this] { frame().runCommand(kIdPlay); }, whilePlaying);
    }
    // The same for the command that starts the player.
    bool play(const std::function<void()>& command,
              const std::function<void(CSwfPlayerWindow&)>& whilePlaying) {
        bool came = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* player = qobject_cast<CSwfPlayerWindow*>(QApplication::activeModalWidget());
            if (!player || came)
                return;
            came = true;
            poll.stop();
            states.clear();
            player->installEventFilter(&stateWatch);
            bool painted = false;
            QObject::connect(player, &CSwfPlayerWindow::firstFramePainted,
                             [&painted] { painted = true; });
            EXPECT_TRUE(QTest::qWaitFor([&] { return painted || !player->isVisible(); }, 20000))
                << "the movie's first frame never came";
            whilePlaying(*player);
        });
        poll.start(5);
        command();
        return came;
    }

    std::vector<std::string> tempBefore;
    // The player's window states, one per change, from the moment it appears.
    std::vector<Qt::WindowStates> states;
    StateWatch stateWatch{states};
};

TEST_F(PlayerTest, PlaysTheMovieAtItsSizeAndLeavesNoFileBehind) {
    open(write("red.xml", movieOfFrames({})));
    const bool came = play([&](CSwfPlayerWindow& player) {
        EXPECT_EQ(player.windowTitle(), "Player");
        EXPECT_EQ(player.size(), QSize(550, 400));
        EXPECT_EQ(player.view()->size(), QSize(550, 400));
        EXPECT_TRUE(tempMoviesIn(path("")).empty());
        EXPECT_TRUE(newTempMovies().empty());
        // The stage is red wherever one looks.
        const QImage shot = player.view()->grab().toImage();
        EXPECT_EQ(shot.pixelColor(275, 200), QColor(255, 0, 0));
        EXPECT_EQ(shot.pixelColor(5, 395), QColor(255, 0, 0));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &player,
                        Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !player.isVisible(); }, 2000));
    });
    EXPECT_TRUE(came);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(takeShown().empty());
}

TEST(PlayerWindow, AStageLargerThanTheScreenIsScaledDownToFitInItsShape) {
    struct Row {
        QSize movie;
        QSize client;
    };
    const QSize screen(1280, 760);
    const Row rows[] = {
        {{550, 400}, {550, 400}},   {{1280, 760}, {1280, 760}}, {{1, 1}, {1, 1}},
        {{2560, 760}, {1280, 380}}, {{5000, 4000}, {950, 760}}, {{100000, 1}, {1280, 1}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(clientSizeFor(row.movie, screen), row.client) << row.movie.width();
}

TEST_F(PlayerTest, TheMovieQuitsAndResizesThePlayerThroughFsCommand) {
    struct Row {
        std::vector<std::string> frames;
        std::vector<Qt::WindowStates> states; // the player's states, one per change
    };
    const Row rows[] = {
        {{fsCommand("QUIT", "")}, {}},
        {{fsCommand("fullscreen", "TRUE"), fsCommand("fullscreen", "false"),
          fsCommand("FullScreen", "True"), fsCommand("fullscreen", "yes"),
          fsCommand("beep", "true"), fsCommand("Quit", "")},
         {Qt::WindowMaximized, Qt::WindowNoState, Qt::WindowMaximized, Qt::WindowNoState}},
    };
    for (const Row& row : rows) {
        open(write("commands.xml", movieOfFrames(row.frames)));
        bool closedItself = false;
        const bool came = play([&](CSwfPlayerWindow& player) {
            closedItself = QTest::qWaitFor([&] { return !player.isVisible(); }, 10000);
            if (!closedItself)
                player.reject();
        });
        EXPECT_TRUE(came);
        EXPECT_TRUE(closedItself) << "the movie did not close the player";
        EXPECT_EQ(states, row.states);
        frame().documents().closeAllDocuments();
    }
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(PlayerTest, APlayerWhoseProcessDiesClosesAndTheNextPlayStartsAfresh) {
    open(write("red.xml", movieOfFrames({})));
    bool closed = false;
    EXPECT_TRUE(play([&](CSwfPlayerWindow& player) {
        const qint64 process = player.view()->page()->renderProcessPid();
        ASSERT_GT(process, 0);
        ::kill(static_cast<pid_t>(process), SIGKILL);
        closed = QTest::qWaitFor([&] { return !player.isVisible(); }, 10000);
    }));
    EXPECT_TRUE(closed);
    EXPECT_EQ(takeShown(), std::vector<Shown>{warning("Unable to play .swf file.", "Message")});
    // The next Play gets a new page and plays.
    EXPECT_TRUE(play([&](CSwfPlayerWindow& player) {
        EXPECT_EQ(player.view()->grab().toImage().pixelColor(275, 200), QColor(255, 0, 0));
        player.reject();
    }));
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(PlayerTest, PlaysADocumentWhoseFolderCannotTakeTheTemporaryMovie) {
    // No one may create a file in /proc, not even root, for whom permissions do not count.
    open(write("red.xml", movieOfFrames({fsCommand("quit", "")})));
    active()->setPath("/proc/red.xml");
    bool closedItself = false;
    EXPECT_TRUE(play([&](CSwfPlayerWindow& player) {
        closedItself = QTest::qWaitFor([&] { return !player.isVisible(); }, 10000);
    }));
    EXPECT_TRUE(closedItself);
    EXPECT_TRUE(newTempMovies().empty());
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(PlayerTest, ShowColorPaintsTheSelectedColourAtTheCaret) {
    struct Row {
        std::string selection;
        QColor shown; // invalid when nothing is to be shown
    };
    const Row rows[] = {
        {"ff0000ff", QColor(255, 0, 0)},
        {"ff00", QColor(0, 0, 255)},
        {"ff0000ff001", QColor()},
    };
    open(write("colours.xml", movieText()));
    CView* view = active()->view();
    for (const Row& row : rows) {
        view->setDocumentText(movieText() + row.selection);
        view->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
        view->SendScintilla(QsciScintilla::SCI_SETANCHOR,
                            view->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS) -
                                static_cast<long>(row.selection.size()));
        ASSERT_EQ(view->selectedBytes(), row.selection);
        // The view settles its margins first, so that the caret is where it will stay.
        QTest::qWait(50);
        const long caret = view->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
        const QPoint at(static_cast<int>(
                            view->SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, caret)),
                        static_cast<int>(view->SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION,
                                                             0UL, caret)));
        frame().runCommand(kIdShowColor);
        auto* viewer = view->findChild<CColorViewer*>();
        if (!row.shown.isValid()) {
            EXPECT_EQ(viewer, nullptr) << row.selection;
            continue;
        }
        ASSERT_NE(viewer, nullptr) << row.selection;
        bool painted = false;
        QObject::connect(viewer, &CColorViewer::colorPainted, [&painted] { painted = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return painted; }, 10000)) << row.selection;
        EXPECT_EQ(viewer->pos(), view->viewport()->mapToGlobal(at + QPoint(1, 12)));
        EXPECT_TRUE(viewer->windowFlags().testFlag(Qt::FramelessWindowHint));
        const QImage shot = viewer->view()->grab().toImage();
        EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2), row.shown) << row.selection;
        EXPECT_EQ(shot.pixelColor(1, 1), row.shown) << row.selection;
        // Any key closes it.
        QPointer<CColorViewer> alive(viewer);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : viewer,
                        Qt::Key_A);
        EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 2000)) << row.selection;
    }
    EXPECT_EQ(view->documentText(), movieText() + "ff0000ff001");
    EXPECT_TRUE(newTempMovies().empty());
}

TEST_F(PlayerTest, PlaysAFileGivenOnTheCommandLineUntilThePlayerCloses) {
    const vorn::CompiledMovie movie = compileMovie(movieOfFrames({fsCommand("quit", "")}));
    ASSERT_TRUE(movie.ok);
    const std::string file =
        write("quits.swf",
              std::string(reinterpret_cast<const char*>(movie.swf.data()), movie.swf.size()));
    bool closedItself = false;
    bool ended = false;
    EXPECT_TRUE(play(
        [&] {
            frame().setCommandLine({'p', file});
            ended = !frame().runStartup();
        },
        [&](CSwfPlayerWindow& player) {
            EXPECT_EQ(player.parentWidget(), nullptr);
            closedItself = QTest::qWaitFor([&] { return !player.isVisible(); }, 10000);
        }));
    EXPECT_TRUE(closedItself);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(tempMoviesIn(path("")).empty());
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(PlayerTest, TheEngineTellsAMovieItCannotReadFromOneItPlays) {
    ASSERT_TRUE(IsFlashPlayerAvailable());
    PlayerEngine& engine = PlayerEngine::shared();
    const vorn::CompiledMovie good = compileMovie(movieOfFrames({}));
    ASSERT_TRUE(good.ok);
    struct Row {
        QByteArray swf;
        bool plays;
    };
    const Row rows[] = {
        {QByteArray("FWS\x06\xff\xff\x00\x00garbage", 15), false},
        {QByteArray(reinterpret_cast<const char*>(good.swf.data()),
                    static_cast<qsizetype>(good.swf.size())),
         true},
        {QByteArray("not a movie at all"), false},
        // A movie larger than one piece of the hand-over, its tail after End unused.
        {QByteArray(reinterpret_cast<const char*>(good.swf.data()),
                    static_cast<qsizetype>(good.swf.size())) +
             QByteArray(5 << 20, '\0'),
         true},
    };
    for (const Row& row : rows) {
        std::vector<std::string> heard;
        const QMetaObject::Connection loaded = QObject::connect(
            &engine, &PlayerEngine::loaded, [&](int) { heard.push_back("loaded"); });
        const QMetaObject::Connection failed =
            QObject::connect(&engine, &PlayerEngine::failed,
                             [&](int, const QString&) { heard.push_back("failed"); });
        engine.load(row.swf, QUrl(), MovieFit::Whole);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !heard.empty(); }, 10000));
        EXPECT_EQ(heard, std::vector<std::string>{row.plays ? "loaded" : "failed"});
        QObject::disconnect(loaded);
        QObject::disconnect(failed);
    }
    engine.unload();
}

TEST_F(PlayerTest, ThePageReadsOnlyThePlayersFilesAndThoseOfTheMoviesFolder) {
    write("beside.txt", "next to the movie");
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    writeFile(elsewhere.filePath("private.txt").toStdString(), "not the movie's");
    // What a script in the page gets when it reads a file: its text, or "blocked".
    const auto read = [](const QString& file) {
        QString answer;
        PlayerEngine::shared().page()->runJavaScript(
            QStringLiteral("(function () { try { const request = new XMLHttpRequest();"
                           " request.open('GET', '%1', false); request.send();"
                           " return request.responseText; } catch (e) { return 'blocked'; } })()")
                .arg(QUrl::fromLocalFile(file).toString()),
            [&answer](const QVariant& result) { answer = result.toString(); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return !answer.isEmpty(); }, 5000));
        return answer.toStdString();
    };
    open(write("red.xml", movieOfFrames({})));
    EXPECT_TRUE(play([&](CSwfPlayerWindow& player) {
        EXPECT_EQ(read(QString::fromStdString(path("beside.txt"))), "next to the movie");
        EXPECT_EQ(read(elsewhere.filePath("private.txt")), "blocked");
        // Through the movie's folder by name, but out of it.
        EXPECT_EQ(read(QString::fromStdString(path("../")) + QDir(elsewhere.path()).dirName() +
                       QStringLiteral("/private.txt")),
                  "blocked");
        EXPECT_EQ(read(playerDirectory() + QStringLiteral("/package.json")).substr(0, 1), "{");
        player.reject();
    }));
}

TEST_F(PlayerTest, AMissingPlayerOffersItsSite) {
    qputenv("VORN_PLAYER_DIR", path("no-player").c_str());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    // Only Yes visits the site.
    for (const IPrompts::Answer answer :
         {IPrompts::Answer::No, IPrompts::Answer::Cancel, IPrompts::Answer::Yes}) {
        open(write("a.xml", movieText()));
        prompts.answers.push_back(answer);
        frame().runCommand(kIdPlay);
        EXPECT_EQ(takeShown(), (std::vector<Shown>{noPlayer(), goToSite()}));
    }
    // "/p" the same; a file that does not load is not played, player or not.
    prompts.answers.push_back(IPrompts::Answer::No);
    frame().setCommandLine({'p', path("a.xml")});
    EXPECT_FALSE(frame().runStartup());
    EXPECT_EQ(takeShown(), (std::vector<Shown>{noPlayer(), goToSite()}));
    frame().setCommandLine({'p', path("missing.swf")});
    EXPECT_FALSE(frame().runStartup());
    EXPECT_EQ(takeShown(), std::vector<Shown>{warning("Unable to play .swf file.", "Message")});
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    qunsetenv("VORN_PLAYER_DIR");
    EXPECT_EQ(catcher.urls, std::vector<QUrl>{QUrl(QStringLiteral("https://ruffle.rs/"))});
}

} // namespace
} // namespace vorn::test

#include "player_test.moc"
