// The main window around the documents: drops, the recent list in the settings, the command
// line, the status bar, the side-panel slot, the path commands, the addresses of Help and
// long work that keeps the window painting.
#include "commands/busy_work.h"
#include "frame_fixture.h"
#include "resources/menu_table.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

// Receives what the frame asks the desktop to open.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler("file", this, "open");
        QDesktopServices::setUrlHandler("https", this, "open");
    }
    ~UrlRecorder() override {
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
    }
    std::vector<std::string> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }
};

std::vector<std::string> menuTexts(const QMenu* menu) {
    std::vector<std::string> texts;
    for (const QAction* action : menu->actions())
        texts.push_back(action->text().toStdString());
    return texts;
}

TEST_F(FrameTest, TheWindowIsVornOf900By600WithTheSidePanelSlotHidden) {
    EXPECT_EQ(frame().windowTitle(), "Vorn");
    EXPECT_EQ(frame().size(), QSize(900, 600));
    EXPECT_TRUE(frame().sidePanelArea()->isHidden());
    open(write("a.xml", movieText()));
    ASSERT_FALSE(frame().sidePanelArea()->isHidden());
    EXPECT_EQ(frame().splitter()->sizes().at(0), 220);
    // Each document shows its own panel while it is active.
    auto* first = static_cast<CExtendedXmlDocument*>(active());
    open(write("b.xml", movieText()));
    auto* second = static_cast<CExtendedXmlDocument*>(active());
    EXPECT_NE(first->sidePanel(), second->sidePanel());
    EXPECT_EQ(frame().sidePanelArea()->currentWidget(), second->sidePanel());
    frame().documents().setActiveIndex(0);
    EXPECT_EQ(frame().sidePanelArea()->currentWidget(), first->sidePanel());
    EXPECT_EQ(first->sidePanel()->tabText(0), "Tags");
    EXPECT_EQ(first->sidePanel()->tabText(1), "Resources");
    frame().documents().closeAllDocuments();
    EXPECT_TRUE(frame().sidePanelArea()->isHidden());
}

TEST_F(FrameTest, ADropOpensOnlyTheFirstFile) {
    const std::string a = write("a.xml", movieText());
    const std::string b = write("b.xml", movieText());
    const std::string c = write("c.xml", movieText());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)),
                  QUrl::fromLocalFile(QString::fromStdString(b)),
                  QUrl::fromLocalFile(QString::fromStdString(c))});
    // Dropped on the text, as users do; it must not go into the text as names.
    frame().runCommand(kIdNew);
    QWidget* target = active()->view()->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"Document", "a.xml"}));
    EXPECT_EQ(activeIndex(), 1);
    EXPECT_EQ(textOf(0), NewDocumentXml());
    EXPECT_EQ(frame().recentDocuments().paths(), std::vector<std::string>{a});
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(FrameTest, TheRecentListIsKeptInTheSettings) {
    EXPECT_EQ(menuTexts(frame().recentFilesMenu()), std::vector<std::string>{"(empty)"});
    const std::string a = write("a.xml", movieText());
    const std::string b = write("b&c.xml", movieText());
    open(a);
    open(b);
    EXPECT_EQ(menuTexts(frame().recentFilesMenu()),
              (std::vector<std::string>{"&1 " + path("b&&c.xml"), "&2 " + a}));
    const QString group = "RecentList/Recent Document List/";
    EXPECT_EQ(settings->value(group + "DocumentCount").toInt(), 4);
    EXPECT_EQ(settings->value(group + "Document1").toString().toStdString(), b);
    EXPECT_EQ(settings->value(group + "Document2").toString().toStdString(), a);
    EXPECT_FALSE(settings->contains(group + "Document3"));

    // A new window reads the list; an entry that opens moves to the top.
    window.reset();
    EXPECT_EQ(frame().recentDocuments().paths(), (std::vector<std::string>{b, a}));
    frame().recentFilesMenu()->actions().at(1)->trigger();
    EXPECT_EQ(tabTexts(), std::vector<std::string>{"a.xml"});
    EXPECT_EQ(frame().recentDocuments().paths(), (std::vector<std::string>{a, b}));

    // A deleted file says so (problem code 8) and leaves the menu and the settings.
    fs::remove(b);
    frame().recentFilesMenu()->actions().at(1)->trigger();
    const std::vector<Shown> shown = takeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Message");
    EXPECT_EQ(shown[0].text.toStdString(),
              "Unable to open " + b + ".\n" + b + ": cannot be opened: No such file or directory");
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(menuTexts(frame().recentFilesMenu()), std::vector<std::string>{"&1 " + a});
    EXPECT_EQ(settings->value(group + "Document1").toString().toStdString(), a);
    EXPECT_FALSE(settings->contains(group + "Document2"));
    EXPECT_EQ(frame().recentFilesMenu()->actions().at(0)->statusTip(), "Open this document");
}

TEST_F(FrameTest, TheCommandLineOpensOrPlaysItsFiles) {
    std::vector<std::string> played;
    hooks.playAfterStart = [&](CommandContext&, const std::string& file) {
        played.push_back(file);
    };
    const std::string a = write("a.xml", movieText());
    const std::string b = write("b.xml", movieText());

    frame().setStartFiles({a, path("missing.xml"), b});
    EXPECT_TRUE(frame().runStartup());
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"a.xml", "b.xml"}));
    EXPECT_EQ(activeIndex(), 1);
    EXPECT_EQ(frame().recentDocuments().paths(), (std::vector<std::string>{b, a}));
    EXPECT_EQ(takeShown().size(), 1u); // missing.xml

    window.reset();
    // A relative path is taken from the current folder.
    const fs::path previous = fs::current_path();
    fs::current_path(path(""));
    frame().setCommandLine({'e', "a.xml"});
    EXPECT_TRUE(frame().runStartup());
    EXPECT_EQ(active()->path(), a);
    window.reset();
    frame().setCommandLine({'p', "b.xml"});
    EXPECT_FALSE(frame().runStartup());
    EXPECT_EQ(played, std::vector<std::string>{b});
    window.reset();
    fs::current_path(previous);

    // Until the player is there, "/p" says it is missing.
    hooks = defaultCommandHooks();
    frame().setCommandLine({'p', b});
    EXPECT_FALSE(frame().runStartup());
    EXPECT_EQ(takeShown(), std::vector<Shown>{warning("Please install a Flash Player.",
                                                      "Flash Player is not installed.")});
    // Any other option does nothing.
    window.reset();
    frame().setCommandLine({'x', b});
    EXPECT_TRUE(frame().runStartup());
    EXPECT_EQ(count(), 0);
}

TEST_F(FrameTest, TheStatusBarShowsTheCaretTheLinesTheModeAndThePath) {
    const auto panes = [this] {
        std::vector<std::string> texts;
        for (const int id : {kPaneLine, kPaneColumn, kPaneLines, kPaneInsert})
            texts.push_back(frame().statusPane(id)->text().toStdString());
        texts.push_back(frame().statusPane(kPanePath)->toolTip().toStdString());
        return texts;
    };
    EXPECT_EQ(panes(), (std::vector<std::string>{"Line: 0", "Column: 0", "Lines: 0", "", ""}));
    EXPECT_EQ(frame().statusPane(kPaneInsert)->width(), 0);

    const std::string a = write("a.xml", "<Movie>\n\t<End/>\n</Movie>");
    open(a);
    EXPECT_EQ(panes(), (std::vector<std::string>{"Line: 1", "Column: 1", "Lines: 3", "", a}));
    CView* view = active()->view();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(panes(), (std::vector<std::string>{"Line: 2", "Column: 15", "Lines: 3", "", a}));
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(panes()[2], "Lines: 4");
    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(panes()[3], "Insert");
    EXPECT_EQ(frame().statusPane(kPaneInsert)->width(), 42);
    // The line pane is 7 pixels for each character of its text, at least.
    EXPECT_GE(frame().statusPane(kPaneLine)->width(), 7 * 7);

    frame().runCommand(kIdNew);
    EXPECT_EQ(panes(),
              (std::vector<std::string>{"Line: 1", "Column: 1",
                                        "Lines: " + std::to_string(active()->view()->lineCount()),
                                        "", "Document"}));
}

TEST_F(FrameTest, ThePathCommandsGiveTheDocumentsFile) {
    UrlRecorder recorder;
    const std::string a = write("a.xml", movieText());
    open(a);
    frame().runCommand(kIdNew);
    QGuiApplication::clipboard()->setText("before");
    // Each acts on the clicked tab, whichever is active.
    frame().runTabCommand(0, kIdCopyFullPath);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), a);
    frame().runTabCommand(0, kIdCopyFileName);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a.xml");
    frame().runTabCommand(0, kIdOpenContainingFolder);
    EXPECT_EQ(recorder.urls, std::vector<std::string>{"file://" + path("") + "/"});
    EXPECT_EQ(activeIndex(), 0);

    // A new document has no file: its path is its title, and it has no file name or folder.
    frame().runTabCommand(1, kIdCopyFullPath);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Document");
    frame().runTabCommand(1, kIdCopyFileName);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Document");
    frame().runTabCommand(1, kIdOpenContainingFolder);
    EXPECT_EQ(recorder.urls.size(), 1u);
}

TEST_F(FrameTest, HelpOpensTheProjectsPages) {
    UrlRecorder recorder;
    frame().runCommand(kIdUpdates);
    frame().runCommand(kIdHomePage);
    EXPECT_EQ(recorder.urls,
              (std::vector<std::string>{"https://vorn.halvenor.org/updates?p=linux&v=" +
                                            std::string(programVersion()),
                                        "https://vorn.halvenor.org/"}));
    prompts.dialogs.push_back([](QDialog& dialog) { dialog.accept(); });
    frame().runCommand(kIdAbout);
    EXPECT_EQ(takeShown(), std::vector<Shown>{dialog("About")});
}

TEST_F(FrameTest, PlayChecksTheDocumentAndSaysThatNoPlayerIsThere) {
    open(write("a.xml", "<Movie>\n<End/>\n</Movie>"));
    frame().runCommand(kIdPlay);
    EXPECT_EQ(takeShown(),
              std::vector<Shown>{warning("Incorrect value of attribute SwfVersion", "Warning")});
    active()->view()->setDocumentText(movieText());
    frame().runCommand(kIdPlay);
    EXPECT_EQ(takeShown(), std::vector<Shown>{warning("Please install a Flash Player.",
                                                      "Flash Player is not installed.")});
}

TEST_F(FrameTest, LongWorkRunsAsideWhileTheWindowKeepsPainting) {
    CBusyWork& busy = frame().commandContext().busy;
    QProgressBar* progress = frame().statusBar()->findChild<QProgressBar*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->isVisible());

    // The work waits for the window's own timer: it finishes only if the window's events go
    // on meanwhile.
    std::atomic<bool> released = false;
    bool busyCursor = false;
    bool progressShown = false;
    QString message;
    QTimer::singleShot(20, &frame(), [&] {
        busyCursor = QApplication::overrideCursor() != nullptr &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        progressShown = progress->isVisible();
        message = frame().statusBar()->currentMessage();
        released = true;
    });
    const int result = busy.run<int>("Saving big.swf...", [&] {
        while (!released)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 42;
    });
    EXPECT_EQ(result, 42);
    EXPECT_TRUE(busyCursor);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(message, "Saving big.swf...");
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(busy.isBusy());
}

} // namespace
} // namespace vorn::test

#include "frame_test.moc"
