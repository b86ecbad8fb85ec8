// The editor as a user meets it, in a real window under an X server: a corpus movie given on
// the command line opens, a value is edited with the keyboard, Save As writes a .swf through
// the real file dialog, and that movie converts back with the edit in it.
#include "documents/document.h"
#include "documents/documents_owner.h"
#include "files/document_files.h"
#include "frame/editor_program.h"
#include "frame/main_window.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

// A movie of many tags, shapes, sounds and scripts, made by a common authoring tool.
const fs::path kMovie = fs::path(VORN_CORPUS_DIR) / "jpexs/libsrc/ffdec_lib/testdata/as2/as2.swf";

// Calls `act` with the modal dialog once one shows, checking every 50 ms for up to 20 s.
void whenModal(std::function<void(QWidget&)> act, int tries = 400) {
    QTimer::singleShot(50, [act = std::move(act), tries] {
        if (QWidget* modal = QApplication::activeModalWidget())
            act(*modal);
        else if (tries > 0)
            whenModal(act, tries - 1);
    });
}

TEST(EditorWindow, EditsACorpusMovieAndSavesItAsSwf) {
    if (!fs::exists(kMovie))
        GTEST_SKIP() << "no corpus movie at " << kMovie.string();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QSettings settings(folder.filePath("settings.conf"), QSettings::IniFormat);
    const std::string saved = folder.filePath("edited.swf").toStdString();
    QtPrompts prompts;

    // A box nobody answers would wait for ever: after two minutes the test fails and ends.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        std::fputs("the editor did not finish within two minutes\n", stderr);
        std::fflush(stderr);
        std::_Exit(1);
    });
    watchdog.start(120000);

    bool finished = false;
    std::string before;
    std::string edited;
    const std::string arguments[] = {kMovie.string()};
    const int status = runEditor(arguments, prompts, settings, [&](CNewMainWindow& window) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // Shortcuts reach only the active window.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        IDocument* document = window.activeDocument();
        ASSERT_NE(document, nullptr);
        EXPECT_EQ(window.documents().tabWindow()->tabText(0), "as2.swf");
        EXPECT_EQ(window.windowTitle(), "as2.swf - Vorn");
        CView* view = document->view();
        view->setFocus();

        // To the frame rate on the Movie line, all with keys.
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Down);
        const std::string text = view->documentText();
        const std::size_t lineStart = text.find('\n') + 1;
        const std::size_t line = text.find("<Movie ", lineStart);
        ASSERT_EQ(line, lineStart);
        const std::size_t value = text.find("FrameRate=\"", line) + 11;
        const std::size_t length = text.find('"', value) - value;
        before = "FrameRate=\"" + text.substr(value, length) + "\"";
        for (std::size_t i = line; i < value; ++i)
            QTest::keyClick(view, Qt::Key_Right);
        for (std::size_t i = 0; i < length; ++i)
            QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClicks(view, "31");
        EXPECT_EQ(window.documents().tabWindow()->tabText(0), "*as2.swf");
        const std::string after = view->documentText();
        edited = after.substr(line, after.find('>', line) - line);

        // Save As, answered in the real dialog by typing the name.
        whenModal([&](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            ASSERT_NE(dialog, nullptr)
                << "instead of the Save As dialog: " << modal.metaObject()->className() << " "
                << modal.windowTitle().toStdString();
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            // In the scratch folder, where no name completes what is typed.
            dialog->setDirectory(folder.path());
            QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(name, "edited");
            QTest::keyClick(name, Qt::Key_Return);
        });
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(window.documents().tabWindow()->tabText(0), "edited.swf");
        EXPECT_EQ(document->path(), saved);
        finished = true;
        window.close();
    });
    watchdog.stop();
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(finished);
    EXPECT_NE(edited.find("FrameRate=\"31\""), std::string::npos) << edited;

    // The saved movie, converted back, holds the edit and the rest of the Movie line.
    const DecodedText back = LoadDocumentText(saved);
    ASSERT_TRUE(back.ok) << back.reason;
    const std::size_t line = back.text.find("<Movie ");
    ASSERT_NE(line, std::string::npos);
    EXPECT_EQ(back.text.substr(line, back.text.find('>', line) - line), edited);
    EXPECT_NE(before, "FrameRate=\"31\"");
}

} // namespace
} // namespace vorn::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
