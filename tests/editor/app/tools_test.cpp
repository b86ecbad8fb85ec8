// The dialogs of the Tools, Window, View and Help menus in the window, every dialog worked by
// the test's script: the Base64 encoder, Save Base64 As Binary, Insert Color As Hex, View
// Tags, the Tabs control and the About box.
#include "frame_fixture.h"
#include "resources/menu_table.h"
#include "tools/about_dialog.h"
#include "tools/base64_tools.h"
#include "tree/tabs_control.h"
#include "tree/view_tags.h"

#include <QColorDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vorn::test {
namespace {

// Answers the next file dialog with a path, noting the dialog's filters, suffix and name.
struct FileAnswer {
    QStringList filters;
    QString suffix;
    QStringList initial;
};

class ToolsTest : public FrameTest {
protected:
    void answerFile(const std::string& file, FileAnswer* seen = nullptr) {
        prompts.dialogs.push_back([file, seen](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            if (seen)
                *seen = {files.nameFilters(), files.defaultSuffix(), files.selectedFiles()};
            files.selectFile(QString::fromStdString(file));
            dialog.accept();
        });
    }
    // Runs a menu command whose dialog the script works, with the dialog as its type.
    template <class Dialog>
    void withDialog(int id, std::function<void(Dialog&)> script) {
        prompts.dialogs.push_back([script](QDialog& dialog) {
            auto* typed = dynamic_cast<Dialog*>(&dialog);
            ASSERT_TRUE(typed);
            script(*typed);
        });
        frame().runCommand(id);
    }
    void select(long from, long to) {
        active()->view()->SendScintilla(QsciScintilla::SCI_SETSEL, static_cast<unsigned long>(from),
                                        to);
    }
};

TEST_F(ToolsTest, TheEncoderShowsAFileAsIndentedLinesOf80) {
    const struct {
        std::string bytes;
        QString text;
    } rows[] = {
        {"\x01\x02\x03", "\n    AQID\n    "},
        {std::string(61, '\xFF'), "\n    " + QString(80, '/') + "\n    /w==\n    "},
    };
    for (const auto& row : rows) {
        const std::string file = write("payload", row.bytes);
        QString text;
        bool allSelected = false;
        withDialog<CBase64Encoder>(kIdBase64Encoder, [&](CBase64Encoder& encoder) {
            EXPECT_EQ(encoder.windowTitle(), "Base64 Encoder");
            FileAnswer seen;
            answerFile(file, &seen);
            encoder.menu()->actions()[0]->menu()->actions()[0]->trigger();
            EXPECT_EQ(seen.filters, QStringList{"All(*.*)"});
            text = encoder.field()->toPlainText();
            allSelected = encoder.field()->textCursor().selectedText().size() == text.size();
            encoder.accept();
        });
        EXPECT_EQ(text, row.text);
        EXPECT_TRUE(allSelected);
    }
    EXPECT_EQ(takeShown(), (std::vector<Shown>{dialog("Base64 Encoder"), dialog("Open"),
                                               dialog("Base64 Encoder"), dialog("Open")}));
}

TEST_F(ToolsTest, TheEncodersMenuAndItsFailures) {
    CBase64Encoder encoder(prompts);
    QMenu* file = encoder.menu()->actions()[0]->menu();
    EXPECT_EQ(encoder.menu()->actions()[0]->text(), "&File");
    ASSERT_EQ(file->actions().size(), 2);
    EXPECT_EQ(file->actions()[0]->text(), "&Open...");
    EXPECT_EQ(file->actions()[1]->text(), "&Save As...");

    const std::string missing = path("missing.bin");
    EXPECT_FALSE(encoder.loadFile(missing));
    encoder.field()->clear();
    encoder.saveAs();
    encoder.field()->setPlainText("\n    not base64!\n");
    encoder.saveAs();
    EXPECT_EQ(takeShown(),
              (std::vector<Shown>{warning("Unable to open " + missing + ".", "Message"),
                                  warning("Incorrect Base64 data", "Warning"),
                                  warning("Incorrect Base64 data", "Warning")}));
}

TEST_F(ToolsTest, TheEncoderSavesItsTextDecoded) {
    CBase64Encoder encoder(prompts);
    encoder.field()->setPlainText("\n    AQID\n    BA==\n    ");
    FileAnswer seen;
    answerFile(path("out"), &seen);
    encoder.saveAs();
    EXPECT_EQ(seen.filters, QStringList{"Binary File (*.bin)"});
    EXPECT_EQ(seen.suffix, "bin");
    ASSERT_EQ(seen.initial.size(), 1);
    // The default suffix completes the name.
    EXPECT_TRUE(seen.initial[0].endsWith("/DecodedBase64.bin")) << seen.initial[0].toStdString();
    EXPECT_EQ(readFile(path("out.bin")), std::string("\x01\x02\x03\x04", 4));

    // Replacing a file asks first; No leaves it.
    encoder.field()->setPlainText("BQ==");
    answerFile(path("out.bin"));
    prompts.answers.push_back(IPrompts::Answer::No);
    encoder.saveAs();
    EXPECT_EQ(readFile(path("out.bin")), std::string("\x01\x02\x03\x04", 4));
    answerFile(path("out.bin"));
    prompts.answers.push_back(IPrompts::Answer::Yes);
    encoder.saveAs();
    EXPECT_EQ(readFile(path("out.bin")), "\x05");
    // A file that cannot be written says so, and why.
    answerFile(path("no/such/folder/out.bin"));
    encoder.saveAs();
    const std::vector<Shown> shown = takeShown();
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[2], question(path("out.bin") + " already exists.\nDo you want to replace it?",
                                 "Save As"));
    EXPECT_EQ(shown[6].caption, "Message");
    EXPECT_TRUE(shown[6].text.startsWith("Unable to save this file.\n"))
        << shown[6].text.toStdString();
    EXPECT_TRUE(shown[6].text.contains(QString::fromStdString(path("no/such/folder/out.bin"))))
        << shown[6].text.toStdString();
}

TEST_F(ToolsTest, SaveBase64AsBinaryWritesTheSelectionDecoded) {
    open(write("a.xml", movieText(6, "    <X><![CDATA[\n    AQID\n    BA==\n    ]]></X>\n")));
    const std::string text = active()->view()->documentText();
    const long data = static_cast<long>(text.find("AQID"));
    // The view's context menu asks for it.
    const auto runSave = [this] { emit active()->view()->saveBase64Requested(); };

    // Nothing selected: nothing happens.
    runSave();
    EXPECT_TRUE(takeShown().empty());
    // Blanks and line breaks only: no Base64 at all, said before any file is asked for.
    select(data - 5, data);
    runSave();
    EXPECT_EQ(takeShown(), std::vector<Shown>{warning("Incorrect Base64 data", "Warning")});

    select(data - 5, data + 17);
    answerFile(path("bytes.bin"));
    runSave();
    EXPECT_EQ(readFile(path("bytes.bin")), std::string("\x01\x02\x03\x04", 4));
    // A cancelled dialog writes nothing.
    cancelDialog();
    runSave();
    EXPECT_EQ(takeShown(), (std::vector<Shown>{dialog("Save As"), dialog("Save As")}));
    EXPECT_EQ(readFile(path("bytes.bin")), std::string("\x01\x02\x03\x04", 4));
}

TEST_F(ToolsTest, InsertColorAsHexWritesTheColourWithoutAlpha) {
    const struct {
        QColor color;
        const char* text;
    } rows[] = {
        {Qt::green, "ff0000"}, {Qt::white, "ffffff00"}, {Qt::red, "ff000000"},
        {Qt::blue, "ff00"},    {Qt::black, "0"},
    };
    open(write("a.xml", movieText()));
    CView* view = active()->view();
    const std::string original = view->documentText();
    const long at = static_cast<long>(original.find("550"));
    for (const auto& row : rows) {
        view->setDocumentText(original);
        select(at, at + 3); // the selection is replaced
        prompts.dialogs.push_back([&](QDialog& dialog) {
            dynamic_cast<QColorDialog&>(dialog).setCurrentColor(row.color);
            dialog.accept();
        });
        frame().runCommand(kIdInsertColorAsHex);
        std::string expected = original;
        expected.replace(static_cast<std::size_t>(at), 3, row.text);
        EXPECT_EQ(view->documentText(), expected) << row.text;
        // One step back gives the text as it was.
        view->undo();
        EXPECT_EQ(view->documentText(), original) << row.text;
    }
    // Cancel inserts nothing.
    cancelDialog();
    frame().runCommand(kIdInsertColorAsHex);
    EXPECT_EQ(view->documentText(), original);
}

TEST_F(ToolsTest, ViewTagsListsEachTagOnceWithoutMovieAndRecords) {
    const std::string tags = "    <PlaceObject2 Depth=\"1\"><Matrix /></PlaceObject2>\n"
                             "    <placeobject2 Depth=\"2\" />\n"
                             "    <DefineShape ShapeId=\"1\"><Bounds /></DefineShape>\n"
                             "    <PlaceObject2 Depth=\"3\" />\n"
                             "    <ShowFrame />\n";
    open(write("a*b.xml", movieText(6, tags)));
    QString title, text;
    withDialog<CTagsDialog>(kIdViewTags, [&](CTagsDialog& tagsDialog) {
        title = tagsDialog.windowTitle();
        text = tagsDialog.field()->toPlainText();
        EXPECT_TRUE(tagsDialog.field()->isReadOnly());
        tagsDialog.accept();
    });
    EXPECT_EQ(title, "ab.xml tags");
    EXPECT_EQ(text, "DefineShape\nEnd\nPlaceObject2\nShowFrame\n");

    // What Save refuses, View Tags refuses the same way, and shows nothing.
    active()->view()->setDocumentText("<Movie Width=\"1\" Height=\"1\">\n<End/>\n</Movie>\n");
    frame().runCommand(kIdViewTags);
    active()->view()->setDocumentText("<Movie>\n<End>\n</Movie>\n");
    frame().runCommand(kIdViewTags);
    EXPECT_EQ(takeShown(), (std::vector<Shown>{
                               dialog("ab.xml tags"),
                               warning("Incorrect value of attribute SwfVersion", "Warning"),
                               warning("Error description: Start-end tags mismatch\nRow: 3\nCol: 3",
                                       "The XML has incorrect format."),
                           }));
    EXPECT_EQ(active()->view()->caretLine(), 3);
}

class TabsControlTest : public ToolsTest {
protected:
    // Opens documents a.xml, b.xml, ... and leaves the given one active.
    void openDocuments(int documents, int activeOne) {
        for (int i = 0; i < documents; ++i)
            open(write(std::string(1, static_cast<char>('a' + i)) + ".xml", movieText()));
        frame().documents().setActiveIndex(activeOne);
    }
    static QStringList lines(const CTabsControl& tabs) {
        QStringList texts;
        for (int i = 0; i < tabs.list()->count(); ++i)
            texts << tabs.list()->item(i)->text();
        return texts;
    }
    static QList<int> selectedRows(const CTabsControl& tabs) {
        QList<int> rows;
        for (int i = 0; i < tabs.list()->count(); ++i)
            if (tabs.list()->item(i)->isSelected())
                rows << i;
        return rows;
    }
    static void selectRows(CTabsControl& tabs, QList<int> rows) {
        tabs.list()->clearSelection();
        for (const int row : rows)
            tabs.list()->item(row)->setSelected(true);
    }
};

TEST_F(TabsControlTest, TheListAndWhenItsButtonsAreOffered) {
    openDocuments(3, 1);
    type("x"); // b.xml is modified
    withDialog<CTabsControl>(kIdWindows, [](CTabsControl& tabs) {
        EXPECT_EQ(tabs.windowTitle(), "Tabs control");
        EXPECT_EQ(lines(tabs), (QStringList{"a.xml", "*b.xml", "c.xml"}));
        EXPECT_EQ(selectedRows(tabs), QList<int>{1});
        EXPECT_EQ(tabs.activateButton()->text(), "&Activate");
        EXPECT_EQ(tabs.closeButton()->text(), "&Close Window(s)");
        EXPECT_EQ(tabs.minimumSize(), tabs.size() / 2);
        const struct {
            QList<int> rows;
            bool activate, close;
        } rows[] = {
            {{1}, true, true}, {{0, 2}, false, true}, {{}, false, false}, {{2}, true, true}};
        for (const auto& row : rows) {
            selectRows(tabs, row.rows);
            EXPECT_EQ(tabs.activateButton()->isEnabled(), row.activate) << row.rows.size();
            EXPECT_EQ(tabs.closeButton()->isEnabled(), row.close) << row.rows.size();
        }
        tabs.activateButton()->click();
        EXPECT_EQ(tabs.result(), QDialog::Accepted);
    });
    EXPECT_EQ(activeIndex(), 2);
    EXPECT_EQ(frame().windowTitle(), "c.xml - Vorn");

    // A double click activates its line.
    withDialog<CTabsControl>(kIdWindows, [](CTabsControl& tabs) {
        tabs.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&tabs));
        const QRect line = tabs.list()->visualItemRect(tabs.list()->item(0));
        QTest::mouseClick(tabs.list()->viewport(), Qt::LeftButton, {}, line.center());
        QTest::mouseDClick(tabs.list()->viewport(), Qt::LeftButton, {}, line.center());
        EXPECT_EQ(tabs.result(), QDialog::Accepted);
    });
    EXPECT_EQ(activeIndex(), 0);
    takeShown();
    frame().documents().closeAllDocuments();
}

TEST_F(TabsControlTest, ClosingKeepsTheLineOfADocumentTheUserKeeps) {
    openDocuments(4, 1);
    type("x"); // b.xml is modified; its close is cancelled
    withDialog<CTabsControl>(kIdWindows, [this](CTabsControl& tabs) {
        selectRows(tabs, {1, 2});
        prompts.answers.push_back(IPrompts::Answer::Cancel);
        tabs.closeButton()->click();
        EXPECT_EQ(lines(tabs), (QStringList{"a.xml", "*b.xml", "d.xml"}));
        // The line where the lowest closed one was is selected.
        EXPECT_EQ(selectedRows(tabs), QList<int>{2});
        EXPECT_EQ(tabs.result(), QDialog::Rejected);

        selectRows(tabs, {0, 2});
        tabs.closeButton()->click();
        EXPECT_EQ(lines(tabs), QStringList{"*b.xml"});
        EXPECT_EQ(selectedRows(tabs), QList<int>{0});
        tabs.reject();
    });
    EXPECT_EQ(tabTexts(), std::vector<std::string>{"*b.xml"});
    EXPECT_EQ(takeShown().size(), 2u); // the dialog and the question about b.xml

    // The last one closed leaves an empty list and nothing to do.
    withDialog<CTabsControl>(kIdWindows, [this](CTabsControl& tabs) {
        prompts.answers.push_back(IPrompts::Answer::No);
        tabs.closeButton()->click();
        EXPECT_EQ(tabs.list()->count(), 0);
        EXPECT_FALSE(tabs.closeButton()->isEnabled());
        tabs.accept();
    });
    EXPECT_EQ(count(), 0);
    takeShown();
}

TEST_F(ToolsTest, TheAboutBox) {
    withDialog<CAboutDlg>(kIdAbout, [](CAboutDlg& about) {
        EXPECT_EQ(about.windowTitle(), "About");
        EXPECT_EQ(about.versionLabel()->text(), "Version 1.1.1.0");
        const QString links = about.linksLabel()->text();
        EXPECT_TRUE(links.contains(QString::fromLatin1(
            homePageAddress().data(), static_cast<qsizetype>(homePageAddress().size()))));
        EXPECT_TRUE(about.linksLabel()->openExternalLinks());
        EXPECT_FALSE(about.pictureLabel()->pixmap().isNull());
        about.accept();
    });
    EXPECT_EQ(takeShown(), std::vector<Shown>{dialog("About")});
}

} // namespace
} // namespace vorn::test
