// The document commands in the window: New, Open, Check XML, Save, Save As, Close, Close All
// and Close All But This, with every box they show answered by the script.
#include "frame_fixture.h"
#include "resources/menu_table.h"
#include "templates/templates.h"

#include <QFontDatabase>
#include <QFontDialog>

#include <filesystem>

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

const std::string kClosePrompt = "The file has been changed.\n"
                                 "To save the changes and close, click \"Yes\".\n"
                                 "To close without saving, click \"No\".";

TEST_F(FrameTest, NewDocumentsAreTitledDocumentThenDocument1) {
    frame().runCommand(kIdNew);
    frame().runCommand(kIdNew);
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"Document", "Document1"}));
    EXPECT_EQ(activeIndex(), 1);
    EXPECT_EQ(document(0)->path(), "Document");
    EXPECT_EQ(textOf(1), NewDocumentXml());
    EXPECT_FALSE(document(1)->isModified());
    EXPECT_EQ(frame().windowTitle(), "Document1 - Vorn");
    // Closing them does not hand a title out again.
    frame().runCommand(kIdCloseAll);
    frame().runCommand(kIdNew);
    EXPECT_EQ(tabTexts(), std::vector<std::string>{"Document2"});

    const QFont font = active()->font();
    const bool courier = QFontDatabase::families().contains("Courier New");
    EXPECT_EQ(font.family(), courier
                                 ? QString("Courier New")
                                 : QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(FrameTest, OpenTakesEveryChosenFileAndReportsThoseThatDoNotOpen) {
    write("a.xml", movieText(6, "    <ShowFrame />\n"));
    write("b.xml", movieText(8));
    write("c.swf", "not a movie");
    const std::string folderPath = path("");
    QStringList filters;
    prompts.dialogs.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        filters = files.nameFilters();
        files.setDirectory(QString::fromStdString(folderPath));
        files.selectFile("\"a.xml\" \"c.swf\" \"b.xml\"");
        dialog.accept();
    });
    frame().runCommand(kIdOpen);

    // Qt's dialog shows each label with single blanks.
    EXPECT_EQ(filters, (QStringList{"Compatible Files (*.swf *.vorn *.xml)", "Swf File (*.swf)",
                                    "Vorn File (*.vorn)", "Xml File (*.xml)"}));
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"a.xml", "b.xml"}));
    EXPECT_EQ(activeIndex(), 1);
    EXPECT_EQ(textOf(1), movieText(8));
    EXPECT_EQ(active()->path(), path("b.xml"));
    EXPECT_EQ(frame().recentDocuments().paths(),
              (std::vector<std::string>{path("b.xml"), path("a.xml")}));
    const std::vector<Shown> shown = takeShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], dialog("Open"));
    EXPECT_EQ(shown[1].kind, "warning");
    EXPECT_EQ(shown[1].caption, "Message");
    EXPECT_TRUE(shown[1].text.startsWith(
        QString::fromStdString("Unable to open " + path("c.swf") + ".\n" + path("c.swf") + ": ")))
        << shown[1].text.toStdString();

    // A cancelled dialog opens nothing.
    cancelDialog();
    frame().runCommand(kIdOpen);
    EXPECT_EQ(count(), 2);
}

TEST_F(FrameTest, CheckXmlSaysWhatIsWrongAndPutsTheCaretOnItsLine) {
    const struct {
        std::string text;
        Shown box;
        int caretLine;
    } rows[] = {
        {movieText(), information("The XML is correct.", "The XML is correct."), 1},
        {"<Movie>\n  <End>\n</Movie>\n",
         warning("Error description: Start-end tags mismatch\nRow: 3\nCol: 3",
                 "The XML has incorrect format."),
         3},
        // The text of a version 5 movie must fit its code page.
        {"<Movie SwfVersion=\"5\">\n<X A=\"\xE4\xB8\x80\"/>\n</Movie>",
         warning("Error description: the character U+4E00 has no byte in the code page "
                 "windows-1252, which holds the text of movies before SwfVersion 6\nRow: 2\nCol: 7",
                 "The XML has incorrect format."),
         2},
    };
    open(write("a.xml", movieText()));
    for (const auto& row : rows) {
        active()->view()->setDocumentText(row.text);
        frame().runCommand(kIdCheckXml);
        EXPECT_EQ(takeShown(), std::vector<Shown>{row.box}) << row.text;
        EXPECT_EQ(active()->view()->caretLine(), row.caretLine) << row.text;
        EXPECT_EQ(active()->view()->caretColumn(), 1) << row.text;
    }
}

TEST_F(FrameTest, SaveWritesOnlyAModifiedDocumentToItsOwnFile) {
    const std::string file = write("a.xml", movieText());
    open(file);
    writeFile(file, "changed on disk");
    // Unmodified: nothing is checked, asked or written.
    frame().runCommand(kIdSave);
    EXPECT_EQ(readFile(file), "changed on disk");
    EXPECT_TRUE(takeShown().empty());

    active()->view()->SendScintilla(QsciScintilla::SCI_GOTOLINE, 2);
    cancelDialog(); // the list of tags that '<' offers
    type("<ShowFrame/>");
    EXPECT_EQ(takeShown().size(), 1u);
    EXPECT_EQ(tabText(0), "*a.xml");
    frame().runCommand(kIdSave);
    EXPECT_TRUE(takeShown().empty());
    EXPECT_EQ(readFile(file),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Movie SwfVersion=\"6\" "
              "Width=\"550\" Height=\"400\" FrameRate=\"12\" IsCompressed=\"false\">\r\n"
              "    <ShowFrame />\r\n    <ShowFrame />\r\n    <End />\r\n</Movie>\r\n");
    EXPECT_FALSE(active()->isModified());
    EXPECT_EQ(tabText(0), "a.xml");
    EXPECT_EQ(frame().windowTitle(), "a.xml - Vorn");
}

TEST_F(FrameTest, SaveRefusesHeadersWithoutVersionWidthOrHeight) {
    const struct {
        std::string start;
        Shown box;
    } rows[] = {
        {"<Movie Width=\"550\" Height=\"400\">",
         warning("Incorrect value of attribute SwfVersion", "Warning")},
        {"<Movie SwfVersion=\"0\" Width=\"550\" Height=\"400\">",
         warning("Incorrect value of attribute SwfVersion", "Warning")},
        {"<Movie SwfVersion=\"6\" Width=\"0\" Height=\"400\">",
         warning("Incorrect value of attribute Width", "Warning")},
        {"<Movie SwfVersion=\"6\" Width=\"550\" Height=\"-1\">",
         warning("Incorrect value of attribute Height", "Warning")},
        {"<Movie SwfVersion=\"6\" Width=\"550\" Height=\"4x\">",
         warning("Incorrect value of attribute Height", "Warning")},
    };
    const std::string file = write("a.swf", "previous");
    frame().runCommand(kIdNew);
    active()->setPath(file);
    for (const auto& row : rows) {
        active()->view()->setDocumentText(row.start + "<End/></Movie>");
        typeAtEnd(" ");
        frame().runCommand(kIdSave);
        EXPECT_EQ(takeShown(), std::vector<Shown>{row.box}) << row.start;
        EXPECT_TRUE(active()->isModified());
        EXPECT_EQ(readFile(file), "previous");
    }
}

// The header is read however far into the text the Movie start tag ends, so a document with a
// long comment or many attributes before the values still saves.
TEST_F(FrameTest, SaveFindsTheHeaderBehindALongStart) {
    const std::string comment = "<!-- " + std::string(200, 'c') + " -->\n";
    const std::string attributes = "<Movie FrameRate=\"12\" IsCompressed=\"false\" " +
                                   std::string(150, ' ') +
                                   "SwfVersion=\"6\" Width=\"550\" Height=\"400\">";
    const std::string rows[] = {
        comment + "<Movie SwfVersion=\"6\" Width=\"550\" Height=\"400\">",
        attributes,
    };
    for (const std::string& start : rows) {
        const std::string file = write("long.xml", "previous");
        frame().runCommand(kIdNew);
        active()->setPath(file);
        active()->view()->setDocumentText(start + "<End/></Movie>");
        typeAtEnd(" ");
        frame().runCommand(kIdSave);
        EXPECT_TRUE(takeShown().empty()) << start;
        EXPECT_FALSE(active()->isModified()) << start;
        EXPECT_NE(readFile(file).find("SwfVersion=\"6\" Width=\"550\" Height=\"400\""),
                  std::string::npos)
            << start;
    }
}

TEST_F(FrameTest, SaveOfANewDocumentGoesThroughSaveAs) {
    frame().runCommand(kIdNew);
    typeAtEnd(" ");
    cancelDialog();
    frame().runCommand(kIdSave);
    EXPECT_EQ(takeShown(), std::vector<Shown>{dialog("Save As")});
    EXPECT_TRUE(active()->isModified());
}

TEST_F(FrameTest, SaveAsWritesTheChosenKindAndTheFileBecomesTheDocuments) {
    const struct {
        int filter;
        std::string typed;
        std::string written;
        std::string start; // of the file's bytes
    } rows[] = {
        {1, "m.swf", "m.swf", "FWS"},
        {1, "plain", "plain.swf", "FWS"},
        {2, "p.vorn", "p.vorn", "PK\x03\x04"},
        {2, "q", "q.vorn", "PK\x03\x04"},
        {3, "x.xml", "x.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Movie"},
        // The chosen kind decides: a name with another extension gets the kind's.
        {3, "y.swf", "y.swf.xml", "<?xml"},
    };
    for (const auto& row : rows) {
        frame().runCommand(kIdNew);
        answerSaveAs(path(row.typed), row.filter);
        frame().runCommand(kIdSaveAs);
        EXPECT_EQ(takeShown(), std::vector<Shown>{dialog("Save As")}) << row.typed;
        const std::string written = path(row.written);
        EXPECT_EQ(readFile(written).substr(0, row.start.size()), row.start) << row.typed;
        EXPECT_EQ(active()->path(), written);
        EXPECT_EQ(tabText(activeIndex()), row.written);
        EXPECT_EQ(frame().recentDocuments().paths().front(), written);
        EXPECT_FALSE(active()->isModified());
    }
    // A later Save writes to the new file, not to the one saved away from.
    fs::remove(path("y.swf.xml"));
    fs::remove(path("Document5.swf"));
    typeAtEnd(" ");
    frame().runCommand(kIdSave);
    EXPECT_TRUE(takeShown().empty());
    EXPECT_TRUE(fs::exists(path("y.swf.xml")));
    EXPECT_FALSE(fs::exists(path("Document5.swf")));
}

TEST_F(FrameTest, SaveAsStartsAtTheDocumentsNameWithoutItsExtension) {
    open(write("movie.xml", movieText()));
    QString directory;
    QStringList selected;
    prompts.dialogs.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        directory = files.directory().absolutePath();
        selected = files.selectedFiles();
        dialog.reject();
    });
    frame().runCommand(kIdSaveAs);
    EXPECT_EQ(directory.toStdString(), path(""));
    EXPECT_EQ(selected, QStringList{QString::fromStdString(path("movie"))});
}

TEST_F(FrameTest, SaveAsAsksBeforeReplacingAFile) {
    const std::string existing = write("m.swf", "previous");
    frame().runCommand(kIdNew);
    for (const IPrompts::Answer answer : {IPrompts::Answer::No, IPrompts::Answer::Yes}) {
        answerSaveAs(path("m"), 1);
        prompts.answers.push_back(answer);
        frame().runCommand(kIdSaveAs);
        EXPECT_EQ(
            takeShown(),
            (std::vector<Shown>{
                dialog("Save As"),
                question(existing + " already exists.\nDo you want to replace it?", "Save As")}));
    }
    EXPECT_EQ(readFile(existing).substr(0, 3), "FWS");
}

TEST_F(FrameTest, AFailedCompileSaysWhyAndPutsTheCaretOnTheElement) {
    const std::string file = write("m.swf", "previous");
    frame().runCommand(kIdNew);
    active()->view()->setDocumentText(
        movieText(6, "    <ShowFrame />\n    <CSMTextSettings Reserved=\"999\" />\n"));
    typeAtEnd(" ");
    answerSaveAs(file, 1);
    prompts.answers.push_back(IPrompts::Answer::Yes); // replace the previous file
    frame().runCommand(kIdSaveAs);
    const std::vector<Shown> shown = takeShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2], warning("Unable to save this file.\n" + file +
                                    ": line 4, column 6: CSMTextSettings: ValueOutOfRange: "
                                    "Reserved 999 does not fit its 8 bits",
                                "Message"));
    EXPECT_EQ(active()->view()->caretLine(), 4);
    EXPECT_EQ(readFile(file), "previous");
    EXPECT_TRUE(active()->isModified());
    EXPECT_EQ(active()->path(), "Document");
}

TEST_F(FrameTest, ClosingAModifiedDocumentAsksAndKeepsItUnlessSavedOrDiscarded) {
    const struct {
        const char* name;
        IPrompts::Answer answer;
        int saveAs; // 0 no dialog, 1 cancelled, 2 a file the save cannot write, 3 saved
        bool closed;
    } rows[] = {
        {"cancel", IPrompts::Answer::Cancel, 0, false},
        {"no", IPrompts::Answer::No, 0, true},
        {"yes, dialog cancelled", IPrompts::Answer::Yes, 1, false},
        {"yes, save failed", IPrompts::Answer::Yes, 2, false},
        {"yes, saved", IPrompts::Answer::Yes, 3, true},
    };
    for (const auto& row : rows) {
        open(write("a.xml", movieText()));
        typeAtEnd("  ");
        const std::string text = active()->view()->documentText();
        prompts.answers.push_back(row.answer);
        if (row.saveAs == 1)
            cancelDialog();
        else if (row.saveAs == 2)
            answerSaveAs(path("no/such/folder/a.xml"), 3);
        else if (row.saveAs == 3)
            answerSaveAs(path("saved.xml"), 3);
        frame().runCommand(kIdClose);
        const std::vector<Shown> shown = takeShown();
        ASSERT_GE(shown.size(), 1u) << row.name;
        EXPECT_EQ(shown[0], question(kClosePrompt, "Message")) << row.name;
        EXPECT_EQ(shown.size(), row.saveAs == 0 ? 1u : row.saveAs == 2 ? 3u : 2u) << row.name;
        EXPECT_EQ(count(), row.closed ? 0 : 1) << row.name;
        if (!row.closed) {
            EXPECT_EQ(active()->view()->documentText(), text) << row.name;
            EXPECT_TRUE(active()->isModified()) << row.name;
            frame().documents().closeAllDocuments();
        }
    }
    EXPECT_EQ(readFile(path("saved.xml")).substr(0, 5), "<?xml");

    // A document without changes closes without a question.
    open(write("b.xml", movieText()));
    frame().runCommand(kIdClose);
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(takeShown().empty());
}

TEST_F(FrameTest, ExitAsksAboutTheLastTabFirstAndCancelKeepsEveryDocument) {
    open(write("a.xml", movieText()));
    type("a");
    open(write("b.xml", movieText()));
    type("b");
    // The question about b.xml is cancelled: both modified documents stay, and the window.
    prompts.answers = {IPrompts::Answer::Cancel};
    EXPECT_FALSE(frame().close());
    EXPECT_TRUE(frame().isVisible());
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"*a.xml", "*b.xml"}));
    EXPECT_EQ(takeShown(), std::vector<Shown>{question(kClosePrompt, "Message")});

    // Asked again: b.xml first, then a.xml.
    prompts.answers = {IPrompts::Answer::No, IPrompts::Answer::Cancel};
    EXPECT_FALSE(frame().close());
    EXPECT_EQ(tabTexts(), std::vector<std::string>{"*a.xml"});
    EXPECT_EQ(takeShown().size(), 2u);

    prompts.answers = {IPrompts::Answer::No};
    EXPECT_TRUE(frame().close());
    EXPECT_EQ(count(), 0);
    EXPECT_FALSE(frame().isVisible());
}

TEST_F(FrameTest, CloseAllButThisKeepsTheActiveDocumentFirst) {
    for (const char* name : {"a.xml", "b.xml", "c.xml", "d.xml"})
        open(write(name, movieText()));
    frame().documents().setActiveIndex(2);
    type("c");
    frame().documents().setActiveIndex(1);
    type("b");
    // b.xml moves to the front; c.xml, asked about second, is kept by Cancel.
    prompts.answers = {IPrompts::Answer::Cancel};
    frame().runTabCommand(1, kIdCloseAllButThis);
    EXPECT_EQ(tabTexts(), (std::vector<std::string>{"*b.xml", "*c.xml", "d.xml"}));
    EXPECT_EQ(takeShown(), std::vector<Shown>{question(kClosePrompt, "Message")});

    prompts.answers = {IPrompts::Answer::No};
    frame().runTabCommand(0, kIdCloseAllButThis);
    EXPECT_EQ(tabTexts(), std::vector<std::string>{"*b.xml"});
}

TEST_F(FrameTest, TheTabMenuActsOnTheClickedTab) {
    open(write("a.xml", movieText()));
    open(write("b.xml", movieText()));
    frame().documents().setActiveIndex(1);
    frame().runTabCommand(0, kIdClose);
    EXPECT_EQ(tabTexts(), std::vector<std::string>{"b.xml"});

    open(write("c.xml", movieText()));
    frame().runTabCommand(0, kIdTabCloseAll);
    EXPECT_EQ(count(), 0);
}

TEST_F(FrameTest, TheModifiedMarkFollowsTheTextAtOnce) {
    open(write("a.xml", movieText()));
    EXPECT_EQ(tabText(0), "a.xml");
    type("x");
    EXPECT_EQ(tabText(0), "*a.xml");
    EXPECT_EQ(frame().windowTitle(), "*a.xml - Vorn");
    frame().runCommand(kIdUndo);
    EXPECT_EQ(tabText(0), "a.xml");
    EXPECT_EQ(frame().windowTitle(), "a.xml - Vorn");

    // A '&' in a file name shows as it is.
    open(write("a&b.xml", movieText()));
    EXPECT_EQ(tabText(1), "a&&b.xml");
}

TEST_F(FrameTest, FontChangesTheDocumentsFont) {
    open(write("a.xml", movieText()));
    QFont chosen("DejaVu Sans Mono");
    chosen.setPointSize(20);
    prompts.dialogs.push_back([&](QDialog& dialog) {
        dynamic_cast<QFontDialog&>(dialog).setCurrentFont(chosen);
        dialog.accept();
    });
    frame().runCommand(kIdFont);
    EXPECT_EQ(takeShown(), std::vector<Shown>{dialog("Font")});
    EXPECT_EQ(active()->font().pointSize(), 20);
    EXPECT_EQ(active()->view()->textFont().pointSize(), 20);

    cancelDialog();
    frame().runCommand(kIdFont);
    EXPECT_EQ(active()->font().pointSize(), 20);
}

} // namespace
} // namespace vorn::test

namespace vorn::test {
namespace {

TEST_F(FrameTest, ALargeTextGoesIntoTheViewWholeAndUnmodified) {
    // Large enough to go in piece by piece, with line breaks of the saved-file kind.
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Movie SwfVersion=\"6\">\r\n";
    for (int i = 0; text.size() < (std::size_t{40} << 20); ++i)
        text += "    <FrameLabel Name=\"\xC3\xA9t\xC3\xA9 " + std::to_string(i) + "\" />\r\n";
    text += "</Movie>\r\n";
    frame().runCommand(kIdNew);
    const std::string expected = text;
    active()->takeText(std::move(text));
    CView* view = active()->view();
    EXPECT_TRUE(view->documentText() == expected);
    EXPECT_FALSE(active()->isModified());
    EXPECT_EQ(tabText(0), "Document");
    EXPECT_EQ(view->SendScintilla(QsciScintilla::SCI_CANUNDO), 0);
    EXPECT_EQ(view->SendScintilla(QsciScintilla::SCI_GETEOLMODE), QsciScintilla::SC_EOL_CRLF);
    EXPECT_TRUE(view->isLineColoured(0));
    // Typing and undoing it leaves the text as it came.
    typeAtEnd("x");
    EXPECT_EQ(tabText(0), "*Document");
    frame().runCommand(kIdUndo);
    EXPECT_TRUE(view->documentText() == expected);
    EXPECT_FALSE(active()->isModified());
}

} // namespace
} // namespace vorn::test
