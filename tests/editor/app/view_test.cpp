// The text view: bytes in and out, the editing keys, the caret figures, scrolling to a line,
// colouring and the editing commands.
#include "view_fixture.h"

#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>
#include <QWheelEvent>

namespace vorn::test {
namespace {

TEST_F(ViewTest, BytesSurviveSetAndGet) {
    const std::string rows[] = {
        std::string("<Movie>\xFF\xFE\x80 \xC3(\xE2\x82</Movie>"), // not UTF-8
        std::string("a\0b", 3),                                   // a zero byte
        std::string("line\r\nline\rline\n"),
        std::string("\xEF\xBB\xBF<?xml version=\"1.0\" ?>"),
        std::string(),
    };
    for (const std::string& bytes : rows) {
        view->setDocumentText(bytes);
        EXPECT_EQ(view->documentText(), bytes);
        view->SendScintilla(QsciScintilla::SCI_SELECTALL);
        EXPECT_EQ(view->selectedBytes(), bytes);
        EXPECT_FALSE(view->isModified());
    }
}

TEST_F(ViewTest, EditingKeys) {
    const struct {
        const char* before; // '|' is the caret
        Qt::Key key;
        const char* after;
    } rows[] = {
        // Tab gives four blanks, also in place of a selection.
        {"ab|c", Qt::Key_Tab, "ab    |c"},
        {"\t|", Qt::Key_Tab, "\t    |"},
        // Enter indents to the first '<' of the line above, from the third line on.
        {"0\n1\n\t\t<DefineSprite SpriteId=\"1\">|", Qt::Key_Return,
         "0\n1\n\t\t<DefineSprite SpriteId=\"1\">\n                |"},
        {"0\n1\n    <A>|</A>", Qt::Key_Return, "0\n1\n    <A>\n    |</A>"},
        {"0\n1\nno markup|", Qt::Key_Return, "0\n1\nno markup\n|"},
        {"    <Movie>|", Qt::Key_Return, "    <Movie>\n|"},
        {"0\r\n1\r\n  <End />|", Qt::Key_Enter, "0\r\n1\r\n  <End />\r\n  |"},
        // Home goes before the line's last '<'.
        {"x\n    <Name>text</Name>|\n", Qt::Key_Home, "x\n    <Name>text|</Name>\n"},
        {"x\n    <End />|", Qt::Key_Home, "x\n    |<End />"},
        {"x\n    plain text|", Qt::Key_Home, "x\n|    plain text"},
    };
    for (const auto& row : rows) {
        setText(row.before);
        QTest::keyClick(view.get(), row.key);
        EXPECT_EQ(textWithCaret(), row.after) << row.before;
    }
}

TEST_F(ViewTest, EnterAndItsIndentationAreOneUndo) {
    setText("0\n1\n    <A>|");
    QTest::keyClick(view.get(), Qt::Key_Return);
    view->undo();
    EXPECT_EQ(textWithCaret(), "0\n1\n    <A>|");
}

TEST_F(ViewTest, InsertTogglesOvertypeAndSaysSo) {
    setText("|abc");
    QSignalSpy spy(view.get(), &CView::insertModeChanged);
    EXPECT_FALSE(view->insertMode());
    QTest::keyClick(view.get(), Qt::Key_Insert);
    EXPECT_TRUE(view->insertMode());
    QTest::keyClicks(view.get(), "X");
    EXPECT_EQ(textWithCaret(), "X|bc");
    QTest::keyClick(view.get(), Qt::Key_Insert);
    EXPECT_FALSE(view->insertMode());
    QTest::keyClicks(view.get(), "Y");
    EXPECT_EQ(textWithCaret(), "XY|bc");
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toBool(), true);
    EXPECT_EQ(spy[1][0].toBool(), false);
}

// The modified mark follows the text at once, and an undo back to the loaded text clears it.
TEST_F(ViewTest, ModifiedMarkFollowsTheText) {
    setText("<End />|");
    QSignalSpy spy(view.get(), &QsciScintilla::modificationChanged);
    QTest::keyClicks(view.get(), "x");
    EXPECT_TRUE(view->isModified());
    ASSERT_EQ(spy.count(), 1);
    view->undo();
    EXPECT_FALSE(view->isModified());
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[1][0].toBool(), false);
    // Loading a text is no edit, and undo cannot bring the old one back.
    QTest::keyClicks(view.get(), "y");
    view->setDocumentText("new");
    EXPECT_FALSE(view->isModified());
    view->undo();
    EXPECT_EQ(view->documentText(), "new");
}

TEST_F(ViewTest, CaretFiguresForTheStatusBar) {
    setText("a\n\tb|c\n");
    EXPECT_EQ(view->caretLine(), 2);
    EXPECT_EQ(view->caretColumn(), 10);
    EXPECT_EQ(view->lineCount(), 3);
    // A selection keeps the column last shown.
    view->SendScintilla(QsciScintilla::SCI_SETSEL, 0UL, 1L);
    EXPECT_EQ(view->caretColumn(), 10);
    view->SendScintilla(QsciScintilla::SCI_GOTOPOS, 1UL);
    EXPECT_EQ(view->caretColumn(), 2);
}

std::string numberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "    <ShowFrame /> <!-- " + std::to_string(i) + " -->\n";
    return text;
}

TEST_F(ViewTest, ScrollToLinePutsTheLineThirdFromTheTop) {
    const int lines = 1000; // and one empty line after the last line break
    view->setDocumentText(numberedLines(lines));
    const int onScreen = static_cast<int>(view->SendScintilla(QsciScintilla::SCI_LINESONSCREEN));
    ASSERT_GT(onScreen, 5);
    const struct {
        int line;
        int caretLine;
        int firstVisible;
    } rows[] = {
        {1, 1, 0},
        {2, 2, 0},
        {3, 3, 0},
        {4, 4, 1},
        {500, 500, 497},
        {0, 1, 0},
        {-7, 1, 0},
        {lines + 1, lines + 1, lines + 1 - onScreen},
        {99999, lines + 1, lines + 1 - onScreen},
    };
    for (const auto& row : rows) {
        view->scrollToLine(500);
        view->scrollToLine(row.line);
        EXPECT_EQ(view->caretLine(), row.caretLine) << row.line;
        EXPECT_EQ(view->caretColumn(), 1) << row.line;
        EXPECT_EQ(firstVisibleLine(), row.firstVisible) << row.line;
    }
}

TEST_F(ViewTest, WheelScrollsTwoLinesANotch) {
    view->setDocumentText(numberedLines(200));
    const struct {
        int angle; // eighths of a degree; a notch is 120
        int firstVisible;
    } rows[] = {{-120, 2}, {-360, 8}, {-60, 8}, {-60, 10}, {240, 6}, {120, 4}};
    for (const auto& row : rows) {
        QWheelEvent wheel(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, row.angle), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(view->viewport(), &wheel);
        EXPECT_EQ(firstVisibleLine(), row.firstVisible) << row.angle;
    }
}

TEST_F(ViewTest, ColoursTheDialect) {
    // One digit per byte: the style (TextColour) the byte is drawn in.
    const struct {
        const char* text;
        const char* styles;
    } rows[] = {
        {"<Movie Width=\"550\">", "0111110000000222220"},
        {"    <PlaceObject2 Depth=\"1\" />", "000001111111111110000000222000"},
        {"</Push><push/>", "00333300333300"},
        {"<JPEGTables>", "011111111110"},
        {"<Matrix><Move /><Add/>", "0444444005555000033300"},
        {"<T V=\"open\r\n<End/>", "000002222200011100"},
        {"<Id>\xC3\xA9 \"\xC3\xA9\"</Id>", "0550000222200550"},
    };
    for (const auto& row : rows) {
        view->setDocumentText(row.text);
        std::string styles;
        for (long at = 0; at < static_cast<long>(std::strlen(row.text)); ++at)
            styles += static_cast<char>('0' + style(at));
        EXPECT_EQ(styles, row.styles) << row.text;
    }
}

// A large document is coloured only where it has been on screen: opening colours the first
// screen, scrolling colours what comes into view, and edits move the marks with the lines.
TEST_F(ViewTest, ColoursOnlyTheLinesOnScreen) {
    std::string text;
    const std::string line = "    <PlaceObject2 Depth=\"1\" CharacterId=\"7\" />\n"; // 48 bytes
    const int lines = 30 * 1024 * 1024 / static_cast<int>(line.size());
    text.reserve(line.size() * lines);
    for (int i = 0; i < lines; ++i)
        text += line;
    view->setDocumentText(text);
    QApplication::processEvents();
    const int onScreen =
        static_cast<int>(view->SendScintilla(QsciScintilla::SCI_LINESONSCREEN)) + 1;
    const auto tagOf = [&](int lineIndex) {
        return static_cast<long>(line.size()) * lineIndex + 5;
    };
    EXPECT_LE(view->colouredLineCount(), onScreen);
    EXPECT_GT(view->colouredLineCount(), 5);
    EXPECT_EQ(style(tagOf(0)), 1);
    EXPECT_EQ(style(tagOf(onScreen - 1)), 1);
    EXPECT_EQ(style(tagOf(onScreen + 1)), 0);
    EXPECT_EQ(style(tagOf(lines - 1)), 0);

    // The end of the text: only its screen is coloured, nothing on the way there.
    view->scrollToLine(lines);
    EXPECT_LE(view->colouredLineCount(), 2 * onScreen);
    EXPECT_EQ(style(tagOf(lines - 1)), 1);
    EXPECT_EQ(style(tagOf(lines / 2)), 0);

    // Scrolling a few lines up colours just the lines that came into view, when painted.
    const int first = firstVisibleLine();
    const int before = view->colouredLineCount();
    view->SendScintilla(QsciScintilla::SCI_LINESCROLL, 0UL, -3L);
    view->repaint();
    EXPECT_EQ(view->colouredLineCount(), before + 3);
    EXPECT_EQ(style(tagOf(first - 3)), 1);
    EXPECT_FALSE(view->isLineColoured(first - 4));

    // A line break typed at the top moves every mark one line down.
    view->scrollToLine(1);
    view->SendScintilla(QsciScintilla::SCI_GOTOPOS, 0UL);
    QTest::keyClick(view.get(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(view->isLineColoured(lines - 1 + 1));
    EXPECT_TRUE(view->isLineColoured(first - 3 + 1));
    EXPECT_FALSE(view->isLineColoured(first - 4 + 1));
    EXPECT_EQ(style(static_cast<long>(line.size()) * (first - 3) + 1 + 5), 1);
    EXPECT_LE(view->colouredLineCount(), 3 * onScreen + 3);
}

// An edit away from the screen (Replace All) takes the colours' mark from the lines it
// touched, so they are coloured afresh when they come into view.
TEST_F(ViewTest, EditedLinesAreColouredAgain) {
    view->setDocumentText(numberedLines(2000));
    view->scrollToLine(1500);
    EXPECT_EQ(style(view->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, 1499UL) + 5), 1);
    view->scrollToLine(1);
    EXPECT_EQ(view->replaceAll("ShowFrame", "Oops", SearchDown), 2000);
    view->scrollToLine(1500);
    const long at = view->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, 1499UL) + 5;
    EXPECT_EQ(style(at), 0); // "Oops" is no name of the dialect
}

TEST_F(ViewTest, EditingCommands) {
    const struct {
        const char* before;
        void (CView::*command)();
        const char* after;
        const char* clipboard;
    } rows[] = {
        {"ab[cd]ef", &CView::cut, "ab|ef", "cd"},
        {"ab[cd]ef", &CView::copy, "ab[cd]ef", "cd"},
        {"ab[cd]ef", &CView::clear, "ab|ef", nullptr},
        {"ab|cdef", &CView::clear, "ab|cdef", nullptr},
        {"ab|cdef", &CView::cutAll, "|", "abcdef"},
        {"ab|cdef", &CView::copyAll, "|abcdef", "abcdef"},
    };
    for (const auto& row : rows) {
        std::string text = row.before;
        const std::size_t open = text.find('[');
        std::size_t close = text.find(']');
        long start = 0;
        long end = 0;
        if (open != std::string::npos) {
            text.erase(close, 1);
            text.erase(open, 1);
            start = static_cast<long>(open);
            end = static_cast<long>(close - 1);
        } else {
            start = end = static_cast<long>(text.find('|'));
            text.erase(static_cast<std::size_t>(start), 1);
        }
        QApplication::clipboard()->setText("untouched");
        view->setDocumentText(text);
        view->SendScintilla(QsciScintilla::SCI_SETSEL, static_cast<unsigned long>(start), end);
        (view.get()->*row.command)();
        EXPECT_EQ(textWithCaret(), row.after) << row.before;
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
                  row.clipboard ? row.clipboard : "untouched")
            << row.before;
    }
}

TEST_F(ViewTest, ContextMenu) {
    std::unique_ptr<QMenu> menu(view->createContextMenu(nullptr));
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QString("-") : action->text());
    EXPECT_EQ(texts.join('|').toStdString(),
              "&Undo|&Redo|-|Cut|Cut All|Copy|Copy All|Paste|Delete|Select All|-|"
              "Save Base64 As Binary...|-|Insert Color As Hex...|Show Color|-|"
              "Insert Tag Template...|Insert Action Template...|Insert Struct Template...");

    // The tool entries are carried out elsewhere: the view only asks for them.
    QSignalSpy base64(view.get(), &CView::saveBase64Requested);
    QSignalSpy insertColor(view.get(), &CView::insertColorRequested);
    QSignalSpy showColor(view.get(), &CView::showColorRequested);
    for (QAction* action : menu->actions()) {
        if (action->text().contains("Base64") || action->text().contains("Color"))
            action->trigger();
    }
    EXPECT_EQ(base64.count(), 1);
    EXPECT_EQ(insertColor.count(), 1);
    EXPECT_EQ(showColor.count(), 1);
}

} // namespace
} // namespace vorn::test
