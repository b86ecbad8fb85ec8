// The template chooser: completion on '<' and the three Insert Template commands, worked
// through scripted keys on the chooser.
#include "view/chooser.h"
#include "view_fixture.h"

#include <QListWidget>

namespace vorn::test {
namespace {

// A script that types keys into the chooser's list and notes what the list showed.
struct ChooserScript {
    const char* keys; // letters, '\b' Backspace, '\n' Enter, '\x1b' Esc, '~' Down
    QString* firstName = nullptr;
    QString* current = nullptr;
    QRect* geometry = nullptr;
    QPoint* caret = nullptr; // the caret's top left on the screen while the list is open

    void operator()(QDialog& dialog) const {
        auto* list = static_cast<CHelpSwfListBox&>(dialog).list();
        if (firstName)
            *firstName = list->item(0)->text();
        if (geometry)
            *geometry = dialog.geometry();
        if (caret) {
            const auto& view = *static_cast<CView*>(dialog.parentWidget());
            const long at = view.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
            *caret = view.viewport()->mapToGlobal(
                QPoint(static_cast<int>(
                           view.SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, at)),
                       static_cast<int>(
                           view.SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0UL, at))));
        }
        bool closed = false;
        QObject::connect(&dialog, &QDialog::finished, [&closed] { closed = true; });
        for (const char* key = keys; *key && !closed; ++key) {
            switch (*key) {
            case '\b':
                QTest::keyClick(list, Qt::Key_Backspace);
                break;
            case '\n':
                if (current)
                    *current = list->currentItem()->text();
                QTest::keyClick(list, Qt::Key_Return);
                break;
            case '\x1b':
                QTest::keyClick(list, Qt::Key_Escape);
                break;
            case '~':
                QTest::keyClick(list, Qt::Key_Down);
                break;
            default:
                QTest::keyClicks(list, QString(QChar(*key)));
            }
        }
    }
};

// The movie's head, then a closed DefineShape line: '<' typed below it offers tags.
const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                          "<Movie SwfVersion=\"7\" Width=\"550\" Height=\"400\">\n"
                          "    <DefineShape ShapeId=\"1\" />\n";

// The id the template took from the library's counter, put back as N so texts compare.
std::string withoutId(std::string text) {
    const std::string key = "ShapeId=\"";
    for (std::size_t at = text.find(key, kHead.size()); at != std::string::npos;
         at = text.find(key, at + 1)) {
        const std::size_t value = at + key.size();
        text.replace(value, text.find('"', value) - value, "N");
    }
    return text;
}

TEST_F(ViewTest, CompletionEndToEnd) {
    setText(kHead + "    |\n</Movie>\n");
    QString first;
    QString current;
    prompts.dialogs.push_back(ChooserScript{"DefineSh\n", &first, &current});
    QTest::keyClicks(view.get(), "<");
    EXPECT_EQ(prompts.unscripted, 0);
    EXPECT_EQ(first.toStdString(), "CSMTextSettings"); // tag names, sorted without case
    EXPECT_EQ(current.toStdString(), "DefineShape");
    EXPECT_EQ(withoutId(textWithCaret()), kHead +
                                              "    <DefineShape ShapeId=\"N\">\n"
                                              "        <Bounds MaxX=\"0\" MaxY=\"0\" MinX=\"0\" "
                                              "MinY=\"0\" />\n"
                                              "        <FillStyles />\n"
                                              "        <LineStyles />\n"
                                              "        <Edges />\n"
                                              "    </DefineShape>|\n"
                                              "</Movie>\n");
    // One undo takes the template back to what was typed.
    view->undo();
    EXPECT_EQ(textWithCaret(), kHead + "    <DefineSh|\n</Movie>\n");
}

TEST_F(ViewTest, CompletionKeys) {
    const struct {
        const char* above; // the line above, where Enter was pressed
        const char* keys;
        const char* line; // the caret's line afterwards, with the caret
        const char* first;
    } rows[] = {
        // Nothing chosen: what was typed stays.
        {"    <End />", "Def\x1b", "    <Def|", "CSMTextSettings"},
        {"    <End />", "Def\b\b\x1b", "    <D|", "CSMTextSettings"},
        {"    <End />", "\b", "    <|", "CSMTextSettings"},
        // Anything but a letter goes into the text and ends the choosing.
        {"    <End />", "Pl2x", "    <Pl2|", "CSMTextSettings"},
        {"    <End />", "a ", "    <a |", "CSMTextSettings"},
        // Inside actions, actions are offered; Down moves in the list. At the line start
        // the template comes at the depth of a movie's tags.
        {"<Actions>", "pl~\n", "    <Pop />|", "Add"},
        {"<Push>", "\n", "    <Add />|", "Add"},
        {"        <Actions>", "Pla\n", "        <Play />|", "Add"},
        // After a closed container of actions, records; the first name decides, so a
        // DoAction line offers records too.
        {"</Actions>", "Mat\n",
         "    <Matrix>\n        <Translate TranslateX=\"0\" TranslateY=\"0\" />\n    </Matrix>|",
         "Asset"},
        {"<DoAction><Actions>", "\x1b", "<|", "Asset"},
    };
    for (const auto& row : rows) {
        setText(kHead.substr(0, kHead.find('\n') + 1) + "<Movie>\n" + row.above + "|\n");
        QString first;
        prompts.dialogs.push_back(ChooserScript{row.keys, &first});
        QTest::keyClick(view.get(), Qt::Key_Return);
        QTest::keyClicks(view.get(), "<");
        const std::string text = textWithCaret();
        const std::size_t lineStart = text.find('\n', text.find(row.above)) + 1;
        EXPECT_EQ(text.substr(lineStart, text.size() - 1 - lineStart), row.line) << row.keys;
        EXPECT_EQ(first.toStdString(), row.first) << row.keys;
    }
    EXPECT_EQ(prompts.unscripted, 0);
}

// The first two lines never complete: the declaration and the root are not typed there.
TEST_F(ViewTest, NoCompletionOnTheFirstTwoLines) {
    setText("<?xml ?>\n|");
    QTest::keyClicks(view.get(), "<");
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(textWithCaret(), "<?xml ?>\n<|");
}

TEST_F(ViewTest, ChooserOpensBelowTheCaretWithinTheView) {
    setText(kHead + "    |\n");
    QRect completion;
    QPoint caret;
    prompts.dialogs.push_back(ChooserScript{"\x1b", nullptr, nullptr, &completion, &caret});
    QTest::keyClicks(view.get(), "<");
    EXPECT_EQ(completion.topLeft(), caret + QPoint(0, 15));

    QRect menu;
    prompts.dialogs.push_back(ChooserScript{"\x1b", nullptr, nullptr, &menu, &caret});
    view->insertTemplate(0);
    EXPECT_EQ(menu.topLeft(), caret + QPoint(0, 10));

    // Near the right and bottom edges the list moves inside the view.
    setText(kHead + std::string(300, ' ') + "|");
    QRect clamped;
    prompts.dialogs.push_back(ChooserScript{"\x1b", nullptr, nullptr, &clamped});
    view->insertTemplate(0);
    const QRect bounds(view->mapToGlobal(QPoint(0, 0)), view->size());
    EXPECT_TRUE(bounds.contains(clamped)) << clamped.x() << " " << bounds.right();
}

TEST_F(ViewTest, InsertTemplateCommands) {
    const struct {
        int kind;
        const char* before;
        const char* keys;
        const char* after;
    } rows[] = {
        {1, "x\n|", "Play\n", "x\n     <Play />|"},
        {1, "x\n     |", "Play\n", "x\n     <Play />|"},
        {1, "x\n     |", "Pl\x1b", "x\n     Pl|"},
        {2, "x\n     |", "Sol\n", "x\n     <SolidFillStyle Color=\"0\" />|"},
        {0, "x\n     [sel]", "ShowF\n", "x\n     <ShowFrame />|sel"},
    };
    for (const auto& row : rows) {
        std::string text = row.before;
        long start = 0;
        long end = 0;
        if (const std::size_t open = text.find('['); open != std::string::npos) {
            const std::size_t close = text.find(']');
            text.erase(close, 1);
            text.erase(open, 1);
            start = static_cast<long>(open);
            end = static_cast<long>(close - 1);
        } else {
            start = end = static_cast<long>(text.find('|'));
            text.erase(static_cast<std::size_t>(start), 1);
        }
        view->setDocumentText(text);
        view->SendScintilla(QsciScintilla::SCI_SETSEL, static_cast<unsigned long>(start), end);
        prompts.dialogs.push_back(ChooserScript{row.keys});
        view->insertTemplate(row.kind);
        EXPECT_EQ(textWithCaret(), row.after) << row.keys;
    }
    EXPECT_EQ(prompts.unscripted, 0);
}

TEST_F(ViewTest, UnknownTemplateKind) {
    setText("|");
    view->insertTemplate(3);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], (ScriptedPrompts::Shown{"warning", "Unexpected Error", "Message"}));
    EXPECT_EQ(view->documentText(), "");
}

// A document with CR LF line breaks gets its templates with CR LF too.
TEST_F(ViewTest, TemplatesTakeTheDocumentsLineBreaks) {
    setText("a\r\nb\r\n|");
    prompts.dialogs.push_back(ChooserScript{"PlaceObject\n"});
    view->insertTemplate(0);
    const std::string text = view->documentText();
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_NE(text.find("<Matrix>\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        EXPECT_EQ(text[at - 1], '\r') << at;
}

} // namespace
} // namespace vorn::test
