// A shown main window with scripted prompts and settings in a scratch folder, and helpers
// that write documents and answer the file dialogs.
#pragma once

#include "commands/command_context.h"
#include "documents/document.h"
#include "documents/documents_owner.h"
#include "frame/main_window.h"
#include "frame/recent_settings.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QFileDialog>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace vorn::test {

// A small movie of the dialect with the given version.
inline std::string movieText(int version = 6, const std::string& tags = "    <ShowFrame />\n") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Movie SwfVersion=\"" +
           std::to_string(version) +
           "\" Width=\"550\" Height=\"400\" FrameRate=\"12\" IsCompressed=\"false\">\n" + tags +
           "    <End />\n</Movie>\n";
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class FrameTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        settings =
            std::make_unique<QSettings>(folder.filePath("settings.conf"), QSettings::IniFormat);
        storage = std::make_unique<QSettingsRecentStorage>(*settings);
    }

    void TearDown() override {
        if (window)
            window->documents().closeAllDocuments();
        window.reset();
        EXPECT_EQ(prompts.unscripted, 0) << "a box or dialog came that the test did not expect";
    }

    // The window, made on first use with the hooks set so far.
    CNewMainWindow& frame() {
        if (!window) {
            window = std::make_unique<CNewMainWindow>(prompts, *storage, hooks);
            window->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        }
        return *window;
    }

    std::string path(const std::string& name) const {
        return folder.filePath(QString::fromStdString(name)).toStdString();
    }
    // Writes a file into the scratch folder and gives its path.
    std::string write(const std::string& name, const std::string& bytes) {
        writeFile(path(name), bytes);
        return path(name);
    }

    int count() { return frame().documents().count(); }
    IDocument* document(int index) { return frame().documents().documentAt(index); }
    IDocument* active() { return frame().activeDocument(); }
    int activeIndex() { return frame().documents().activeIndex(); }
    std::string tabText(int index) {
        return frame().documents().tabWindow()->tabText(index).toStdString();
    }
    std::vector<std::string> tabTexts() {
        std::vector<std::string> texts;
        for (int i = 0; i < count(); ++i)
            texts.push_back(tabText(i));
        return texts;
    }
    std::string textOf(int index) { return document(index)->view()->documentText(); }

    // Opens a file as a drop does.
    IDocument* open(const std::string& file) {
        frame().dropPaths({file});
        return active();
    }

    // Types text into the active document's view through key events.
    void type(const QString& text) {
        CView* view = active()->view();
        view->setFocus();
        QTest::keyClicks(view, text);
    }

    // Types text at the end of the active document, where anything after the root element
    // keeps the document well formed.
    void typeAtEnd(const QString& text) {
        active()->view()->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
        type(text);
    }

    // Answers the next Save As dialog with a file and the filter of that index (from 1).
    void answerSaveAs(const std::string& file, int filterIndex = 1) {
        prompts.dialogs.push_back([file, filterIndex](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            files.selectNameFilter(files.nameFilters().at(filterIndex - 1));
            files.selectFile(QString::fromStdString(file));
            dialog.accept();
        });
    }
    void cancelDialog() {
        prompts.dialogs.push_back([](QDialog& dialog) { dialog.reject(); });
    }

    // The boxes shown so far, and forgetting them.
    std::vector<ScriptedPrompts::Shown> takeShown() {
        std::vector<ScriptedPrompts::Shown> shown;
        shown.swap(prompts.shown);
        return shown;
    }

    QTemporaryDir folder;
    ScriptedPrompts prompts;
    CommandHooks hooks = defaultCommandHooks();
    std::unique_ptr<QSettings> settings;
    std::unique_ptr<QSettingsRecentStorage> storage;
    std::unique_ptr<CNewMainWindow> window;
};

using Shown = ScriptedPrompts::Shown;

inline Shown warning(const std::string& text, const std::string& caption) {
    return {"warning", QString::fromStdString(text), QString::fromStdString(caption)};
}
inline Shown information(const std::string& text, const std::string& caption) {
    return {"information", QString::fromStdString(text), QString::fromStdString(caption)};
}
inline Shown question(const std::string& text, const std::string& caption) {
    return {"question", QString::fromStdString(text), QString::fromStdString(caption)};
}
inline Shown dialog(const std::string& caption) {
    return {"dialog", QString(), QString::fromStdString(caption)};
}

} // namespace vorn::test

namespace vorn {

// How a failed comparison shows a box: found by argument-dependent lookup, so in the box's
// own namespace.
inline void PrintTo(const ScriptedPrompts::Shown& shown, std::ostream* out) {
    *out << shown.kind.toStdString() << " \"" << shown.caption.toStdString() << "\": \""
         << shown.text.toStdString() << "\"";
}

} // namespace vorn
