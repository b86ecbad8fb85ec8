// Searching in the view, the Find and Replace dialogs with their histories and enabling
// rules, Find Next, and Go To Line.
#include "view/find_replace.h"
#include "view/go_to_line.h"
#include "view_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vorn::test {
namespace {

// Sets a text whose '|' is the caret or whose '[' and ']' enclose the selection.
void setMarkedText(CView& view, std::string text) {
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
    view.setDocumentText(text);
    view.SendScintilla(QsciScintilla::SCI_SETSEL, static_cast<unsigned long>(start), end);
}

constexpr int kDown = SearchDown;
constexpr int kWhole = SearchWholeWord;
constexpr int kCase = SearchMatchCase;

TEST_F(ViewTest, FindNext) {
    const struct {
        const char* before;
        const char* text;
        int flags;
        const char* after;
        bool found;
    } rows[] = {
        {"|one two One two", "One", kDown | kCase, "one two [One] two", true},
        {"|one two One two", "One", kDown, "[one] two One two", true},
        {"[one] two One two", "one", kDown, "one two [One] two", true},
        {"one two [One] two", "one", kDown | kCase, "one two [One] two", false},
        // Upwards from the selection's start, towards the beginning.
        {"one two One two|", "two", 0, "one two One [two]", true},
        {"one two One [two]", "TWO", 0, "one [two] One two", true},
        {"one [two] One two", "two", 0, "one [two] One two", false},
        // Whole words only.
        {"|twothree two", "two", kDown | kWhole, "twothree [two]", true},
        {"twothree two|", "two", kWhole, "twothree [two]", true},
        {"|twothree", "two", kDown | kWhole, "|twothree", false},
        // Text that is not ASCII, without regard to case (more in the byte search's table).
        {"|x \xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", kDown, "x [\xC3\x89T\xC3\x89]", true},
    };
    for (const auto& row : rows) {
        setMarkedText(*view, row.before);
        EXPECT_EQ(view->findNextMatch(row.text, row.flags), row.found) << row.before;
        EXPECT_EQ(textWithCaret(), row.after) << row.before;
    }
}

TEST_F(ViewTest, Replace) {
    const struct {
        const char* before;
        const char* text;
        int flags;
        const char* after;
        bool found;
    } rows[] = {
        // The selection is the search text: it is replaced, and the next match selected.
        {"[one] two one", "one", kDown, "1 two [one]", true},
        {"[ONE] two one", "one", kDown, "1 two [one]", true},
        {"x [one]", "one", kDown, "x 1|", false},
        // Anything else is only searched past.
        {"[ONE] two one", "one", kDown | kCase, "ONE two [one]", true},
        {"[on]e two one", "one", kDown, "one two [one]", true},
        {"|one two one", "one", kDown, "[one] two one", true},
    };
    for (const auto& row : rows) {
        setMarkedText(*view, row.before);
        EXPECT_EQ(view->replaceMatch(row.text, "1", row.flags), row.found) << row.before;
        EXPECT_EQ(textWithCaret(), row.after) << row.before;
    }
}

TEST_F(ViewTest, ReplaceAllFromTheCaretOn) {
    const struct {
        const char* before;
        const char* text;
        const char* with;
        int flags;
        const char* after;
        int count;
    } rows[] = {
        // Matches before the caret stay.
        {"a x a x| a x a", "a", "b", kDown, "a x a x b x b|", 2},
        {"a x [a x a] x a", "a", "b", kDown, "a x b x b x b|", 3},
        // A replacement holding the search text is not searched again.
        {"|a a", "a", "aa", kDown, "aa aa|", 2},
        {"|Push push PUSH", "push", "Pop", kDown | kCase, "Push Pop| PUSH", 1},
        {"|PushDuplicate Push", "Push", "Pop", kDown | kWhole, "PushDuplicate Pop|", 1},
        {"a b|", "a", "b", kDown, "a b|", 0},
    };
    for (const auto& row : rows) {
        setMarkedText(*view, row.before);
        EXPECT_EQ(view->replaceAll(row.text, row.with, row.flags), row.count) << row.before;
        EXPECT_EQ(textWithCaret(), row.after) << row.before;
    }
    // All the replacements are one step to undo.
    setMarkedText(*view, "|a a a");
    EXPECT_EQ(view->replaceAll("a", "b", kDown), 3);
    view->undo();
    EXPECT_EQ(view->documentText(), "a a a");
}

class FindReplaceTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        frame = std::make_unique<QWidget>();
        search = std::make_unique<CFindReplace>(
            frame.get(), [this] { return view.get(); }, prompts);
    }
    void TearDown() override {
        search.reset();
        frame.reset();
    }

    std::unique_ptr<QWidget> frame;
    std::unique_ptr<CFindReplace> search;
};

QStringList items(const QComboBox* combo) {
    QStringList result;
    for (int i = 0; i < combo->count(); ++i)
        result << combo->itemText(i);
    return result;
}

TEST_F(FindReplaceTest, FindDialog) {
    setMarkedText(*view, "|Push Pop push Pop");
    search->showFind();
    FindDlg* dialog = search->findDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Find");
    EXPECT_EQ(dialog->wholeWord()->text(), "Match &whole word only");
    EXPECT_EQ(dialog->matchCase()->text(), "Match &case");
    EXPECT_EQ(dialog->up()->text(), "&Up");
    EXPECT_EQ(dialog->down()->text(), "&Down");
    EXPECT_TRUE(dialog->down()->isChecked());
    EXPECT_EQ(dialog->findNextButton()->text(), "&Find Next");
    EXPECT_FALSE(dialog->findNextButton()->isEnabled());

    dialog->findWhat()->setEditText("push");
    EXPECT_TRUE(dialog->findNextButton()->isEnabled());
    dialog->findNextButton()->click();
    EXPECT_EQ(textWithCaret(), "[Push] Pop push Pop");
    dialog->matchCase()->setChecked(true);
    dialog->findNextButton()->click();
    EXPECT_EQ(textWithCaret(), "Push Pop [push] Pop");
    dialog->findNextButton()->click(); // no further match: a beep, the selection stays
    EXPECT_EQ(textWithCaret(), "Push Pop [push] Pop");
    EXPECT_EQ(prompts.beeps, 1);
    dialog->up()->setChecked(true);
    dialog->matchCase()->setChecked(false);
    dialog->findNextButton()->click();
    EXPECT_EQ(textWithCaret(), "[Push] Pop push Pop");
    EXPECT_EQ(search->state().flags, SearchFindNext);

    // Each text moves to the newest place of the history; the list shows newest first.
    for (const char* text : {"Pop", "push", "PUSH"}) {
        dialog->findWhat()->setEditText(text);
        dialog->findNextButton()->click();
    }
    EXPECT_EQ(search->state().findHistory, (QStringList{"Pop", "push", "PUSH"}));
    EXPECT_EQ(items(dialog->findWhat()), (QStringList{"PUSH", "push", "Pop"}));
    EXPECT_EQ(dialog->findWhat()->currentText(), "PUSH");
    EXPECT_EQ(dialog->findWhat()->lineEdit()->maxLength(), 255);

    // The dialog stays open; opening it again keeps it.
    search->showFind();
    EXPECT_EQ(search->findDialog(), dialog);
}

TEST_F(FindReplaceTest, ReplaceDialog) {
    setMarkedText(*view, "a x a x| a x a");
    search->showReplace();
    ReplaceDlg* dialog = search->replaceDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Replace");
    EXPECT_EQ(dialog->findNextButton()->text(), "&Find Next");
    EXPECT_EQ(dialog->replaceButton()->text(), "&Replace");
    EXPECT_EQ(dialog->replaceAllButton()->text(), "Replace &All");

    const struct {
        const char* find;
        const char* with;
        bool findNext;
        bool replace;
    } enabling[] = {
        {"", "", false, false},
        {"a", "", true, false},
        {"", "b", false, false},
        {"a", "b", true, true},
    };
    for (const auto& row : enabling) {
        dialog->findWhat()->setEditText(row.find);
        dialog->replaceWith()->setEditText(row.with);
        EXPECT_EQ(dialog->findNextButton()->isEnabled(), row.findNext) << row.find << row.with;
        EXPECT_EQ(dialog->replaceButton()->isEnabled(), row.replace) << row.find << row.with;
        EXPECT_EQ(dialog->replaceAllButton()->isEnabled(), row.replace) << row.find << row.with;
    }

    dialog->replaceAllButton()->click();
    EXPECT_EQ(textWithCaret(), "a x a x b x b|");
    EXPECT_EQ(search->state().flags, SearchReplaceAll | SearchDown);
    EXPECT_EQ(search->state().findHistory, QStringList{"a"});
    EXPECT_EQ(search->state().replaceHistory, QStringList{"b"});
    dialog->replaceAllButton()->click();
    EXPECT_EQ(prompts.beeps, 1);

    // Replace takes the selection only when it is the search text, and always goes down.
    setMarkedText(*view, "x| a x a");
    dialog->findWhat()->setEditText("x");
    dialog->replaceWith()->setEditText("y");
    dialog->replaceButton()->click();
    EXPECT_EQ(textWithCaret(), "x a [x] a");
    dialog->replaceButton()->click();
    EXPECT_EQ(textWithCaret(), "x a y| a");
    EXPECT_EQ(prompts.beeps, 2);
}

TEST_F(FindReplaceTest, OneDialogAtATimeAndFindNextRepeats) {
    setMarkedText(*view, "|ab ab ab");
    // With nothing searched yet, Find Next opens Find.
    search->findNext();
    ASSERT_NE(search->findDialog(), nullptr);
    EXPECT_EQ(prompts.beeps, 0);
    search->showReplace();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(search->findDialog(), nullptr);
    ASSERT_NE(search->replaceDialog(), nullptr);
    search->replaceDialog()->findWhat()->setEditText("ab");
    search->replaceDialog()->findNextButton()->click();
    EXPECT_EQ(textWithCaret(), "[ab] ab ab");
    search->showFind();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(search->replaceDialog(), nullptr);
    // The new dialog starts from the state: text and options.
    EXPECT_EQ(search->findDialog()->findWhat()->currentText(), "ab");
    EXPECT_TRUE(search->findDialog()->down()->isChecked());
    search->findDialog()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(search->findDialog(), nullptr);

    search->findNext();
    EXPECT_EQ(textWithCaret(), "ab [ab] ab");
    search->findNext();
    search->findNext();
    EXPECT_EQ(textWithCaret(), "ab ab [ab]");
    EXPECT_EQ(prompts.beeps, 1);
}

// Go To Line, answered by a script that fills the field and presses OK or Cancel.
struct GoToLineScript {
    QStringList entries; // each entered and confirmed with OK in turn; "" presses Cancel

    void operator()(QDialog& dialog) const {
        auto* field = dialog.findChild<QLineEdit*>("line");
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        for (const QString& entry : entries) {
            if (entry.isEmpty()) {
                buttons->button(QDialogButtonBox::Cancel)->click();
                return;
            }
            field->setText(entry);
            buttons->button(QDialogButtonBox::Ok)->click();
        }
    }
};

TEST_F(ViewTest, GoToLine) {
    const struct {
        QStringList entries;
        int caretLine; // 0: the caret stays where it was
        int beeps;
    } rows[] = {
        {{"1"}, 1, 0},           {{"3"}, 3, 0},     {{" 4 "}, 4, 0}, {{"+2"}, 2, 0},
        {{"0"}, 1, 0},           {{"-3"}, 1, 0},    {{"99"}, 6, 0},  {{"abc", "2"}, 2, 1},
        {{"4x", "", "5"}, 0, 1}, {{"", "2"}, 0, 0},
    };
    for (const auto& row : rows) {
        setText("a\nb\nc\nd|\ne\nf");
        prompts.beeps = 0;
        prompts.dialogs.push_back(GoToLineScript{row.entries});
        goToLineDialog(*view);
        EXPECT_EQ(prompts.shown.back().caption, "Go To Line");
        EXPECT_EQ(view->caretLine(), row.caretLine ? row.caretLine : 4)
            << row.entries.join(',').toStdString();
        if (row.caretLine) {
            EXPECT_EQ(view->caretColumn(), 1);
        }
        EXPECT_EQ(prompts.beeps, row.beeps) << row.entries.join(',').toStdString();
    }
    EXPECT_EQ(prompts.unscripted, 0);
}

} // namespace
} // namespace vorn::test
