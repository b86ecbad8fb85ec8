// The main menu as the user sees it: every entry's text, shortcuts, prompts and place, the tab
// strip's context menu, which entries are greyed, and the shortcuts reaching their commands.
#include "frame_fixture.h"
#include "resources/menu_table.h"
#include "view/find_replace.h"

#include <QMenu>
#include <QMenuBar>

namespace vorn::test {
namespace {

std::vector<std::string> shortcutTexts(const QAction* action) {
    std::vector<std::string> texts;
    for (const QKeySequence& key : action->shortcuts())
        texts.push_back(key.toString(QKeySequence::PortableText).toStdString());
    return texts;
}

// The title of the menu bar's popup that holds an action.
std::string popupOf(const QMenuBar* bar, const QAction* action) {
    for (QAction* popup : bar->actions())
        if (popup->menu() && popup->menu()->actions().contains(const_cast<QAction*>(action)))
            return popup->text().toStdString();
    return "";
}

TEST_F(FrameTest, EveryMenuEntryHasItsTextShortcutsAndPopup) {
    const struct {
        int id;
        const char* popup;
        const char* text;
        std::vector<std::string> shortcuts;
    } rows[] = {
        {32988, "&File", "&New", {"Ctrl+N"}},
        {57601, "&File", "&Open...", {"Ctrl+O"}},
        {57603, "&File", "&Save", {"Ctrl+S"}},
        {57604, "&File", "&Save As...", {"Ctrl+Alt+S"}},
        {32900, "&File", "P&lay", {"Ctrl+Return", "Ctrl+Enter"}},
        {57605, "&File", "Pa&ge Setup...", {}},
        {57607, "&File", "&Print...", {"Ctrl+P"}},
        {57665, "&File", "E&xit", {"Ctrl+Q"}},
        {57643, "&Edit", "&Undo", {"Ctrl+Z", "Alt+Backspace"}},
        {57644, "&Edit", "&Redo", {"Ctrl+Shift+Z"}},
        {57635, "&Edit", "&Cut", {"Ctrl+X", "Shift+Del"}},
        {57634, "&Edit", "C&opy", {"Ctrl+C", "Ctrl+Ins"}},
        {57637, "&Edit", "&Paste", {"Ctrl+V", "Shift+Ins"}},
        {57636, "&Edit", "&Find...", {"Ctrl+F"}},
        {57640, "&Edit", "Find &Next", {"F3"}},
        {57641, "&Edit", "R&eplace...", {"Ctrl+R"}},
        {860, "&Edit", "Go &To Line...", {}},
        {800, "&View", "&Font...", {}},
        {31900, "&View", "&Check XML", {}},
        {32965, "&View", "&View Tags...", {}},
        {32999, "&Tools", "&Base64 Encoder...", {}},
        {744, "&Tools", "&Insert Color As Hex...", {"Ctrl+Shift+C", "Ctrl+G"}},
        {131, "&Tools", "&Show Color", {}},
        {883, "&Tools", "Insert Tag T&emplate...", {"Ctrl+H"}},
        {700, "&Tools", "Insert Action Te&mplate...", {}},
        {686, "&Tools", "Insert Struct Tem&plate...", {}},
        {881, "&Window", "&Close", {"Ctrl+F4"}},
        {688, "&Window", "Close &All", {}},
        {65534, "&Window", "Windows...", {}},
        {32994, "&Help", "Upda&tes...", {}},
        {32995, "&Help", "Vo&rn Homepage", {}},
        {57664, "&Help", "&About...", {}},
        // Not in a menu: moving between the side panel and the text.
        {57680, "", "Next Pane", {"F6"}},
        {57681, "", "Previous Pane", {"Shift+F6"}},
    };
    const QMenuBar* bar = frame().menuBar();
    for (const auto& row : rows) {
        const QAction* action = frame().commandAction(row.id);
        ASSERT_NE(action, nullptr) << row.id;
        EXPECT_EQ(action->text().toStdString(), row.text) << row.id;
        EXPECT_EQ(shortcutTexts(action), row.shortcuts) << row.id;
        EXPECT_EQ(popupOf(bar, action), row.popup) << row.id;
    }

    std::vector<std::string> popups;
    for (const QAction* popup : bar->actions())
        popups.push_back(popup->text().toStdString());
    EXPECT_EQ(popups,
              (std::vector<std::string>{"&File", "&Edit", "&View", "&Tools", "&Window", "&Help"}));
    // "Recent &Files" is the File menu's item at position 10, separators counted.
    const QList<QAction*> file = bar->actions().at(0)->menu()->actions();
    ASSERT_GT(file.size(), 10);
    EXPECT_EQ(file.at(10)->text(), "Recent &Files");
    EXPECT_EQ(file.at(10)->menu(), frame().recentFilesMenu());
}

TEST_F(FrameTest, TheStatusBarPromptsAndTooltipsComeFromTheStringTable) {
    const struct {
        int id;
        const char* prompt;
        const char* tooltip; // the text Qt makes up when the table gives none
    } rows[] = {
        {31900, "Check xml for correct", "Check Xml"},
        {32900, "Playing swf file in new window", "Play"},
        {32965, "View all tags in swf file", "View tags"},
        {32988, "Create a new Xml", "New"},
        {32999, "Encode file as base64", "Base64 Encoder"},
        {57601, "Open an existing file", "Open"},
        {57603, "Save the active Xml", "Save"},
        {57604, "Save As", "Save Xml"},
        {57607, "Print current Xml", "Print"},
        {57634, "Copy text", "Copy"},
        {57635, "Cut text", "Cut"},
        {57636, "Find in document", "Find"},
        {57637, "Paste text", "Paste"},
        {57643, "Undo text", "Undo"},
        {57644, "Redo text", "Redo"},
        {57665, "Quit the application; prompts to save Xml", "Exit"},
        {744, "Insert selected color by hex string", "Insert Color As Hex"},
        {800, "Change Font", "Font"},
        {881, "Close current document", "Close"},
        {688, "", "Close All"},
    };
    for (const auto& row : rows) {
        const QAction* action = frame().commandAction(row.id);
        ASSERT_NE(action, nullptr) << row.id;
        EXPECT_EQ(action->statusTip().toStdString(), row.prompt) << row.id;
        EXPECT_EQ(action->toolTip().toStdString(), row.tooltip) << row.id;
    }
    EXPECT_EQ(frame().windowTitle(), "Vorn");
}

TEST_F(FrameTest, TheTabMenuListsItsEntriesInOrder) {
    open(write("a.xml", movieText()));
    std::unique_ptr<QMenu> menu(frame().createTabContextMenu(0));
    std::vector<std::pair<int, std::string>> entries;
    for (const QAction* action : menu->actions())
        entries.emplace_back(action->data().toInt(), action->text().toStdString());
    EXPECT_EQ(entries, (std::vector<std::pair<int, std::string>>{
                           {881, "Close"},
                           {880, "Close All"},
                           {692, "Close All But This"},
                           {0, ""},
                           {57603, "&Save"},
                           {57604, "&Save As..."},
                           {691, "Copy Full Path"},
                           {690, "Copy File Name"},
                           {689, "Open Containing Folder"},
                       }));
    EXPECT_EQ(menu->actions().at(1)->statusTip(), "Close all documents");
}

TEST_F(FrameTest, EntriesAreGreyedWithoutADocumentAndWithoutTheirHooks) {
    hooks.viewTags = [](CommandContext&, IDocument&) {};
    const auto enabled = [this](int id) { return frame().commandAction(id)->isEnabled(); };
    // Without a document only what needs none is offered.
    for (const int id : {32988, 57601, 57605, 57665, 57664, 32994, 32995})
        EXPECT_TRUE(enabled(id)) << id;
    for (const int id : {57603, 57604, 32900, 57607, 57643, 57636, 860, 800, 31900, 32965, 744, 131,
                         883, 881, 688})
        EXPECT_FALSE(enabled(id)) << id;
    frame().runCommand(kIdNew);
    for (const int id :
         {57603, 57604, 32900, 57607, 57643, 57636, 860, 800, 31900, 32965, 883, 881, 688})
        EXPECT_TRUE(enabled(id)) << id;
    for (const int id : {32999, 744, 65534})
        EXPECT_TRUE(enabled(id)) << id;
    // Show Color needs the player, which is not here yet.
    EXPECT_FALSE(enabled(131));
}

TEST_F(FrameTest, ShortcutsReachTheirCommands) {
    std::vector<std::string> ran;
    hooks.play = [&](CommandContext&, IDocument&) { ran.push_back("play"); };
    hooks.insertColorAsHex = [&](CommandContext&, IDocument&) { ran.push_back("color"); };
    hooks.showColor = [&](CommandContext&, IDocument&) { ran.push_back("show color"); };
    hooks.viewTags = [&](CommandContext&, IDocument&) { ran.push_back("tags"); };
    hooks.base64Encoder = [&](CommandContext&) { ran.push_back("base64"); };
    hooks.windowsList = [&](CommandContext&) { ran.push_back("windows"); };
    hooks.about = [&](CommandContext&) { ran.push_back("about"); };
    frame().runCommand(kIdNew);
    ASSERT_EQ(count(), 1);

    // Pressed with the text focused, as the user does.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* command;
    } keys[] = {
        {Qt::Key_Return, Qt::ControlModifier, "play"},
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, "play"},
        {Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, "color"},
        {Qt::Key_G, Qt::ControlModifier, "color"},
    };
    for (const auto& row : keys) {
        ran.clear();
        active()->view()->setFocus();
        QTest::keyClick(active()->view(), row.key, row.modifiers);
        EXPECT_EQ(ran, std::vector<std::string>{row.command}) << row.command;
    }
    // The menu entries of the hooks.
    const std::pair<int, const char*> entries[] = {
        {kIdShowColor, "show color"}, {kIdViewTags, "tags"}, {kIdBase64Encoder, "base64"},
        {kIdWindows, "windows"},      {kIdAbout, "about"},   {kIdInsertColorAsHex, "color"},
    };
    for (const auto& [id, command] : entries) {
        ran.clear();
        frame().commandAction(id)->trigger();
        EXPECT_EQ(ran, std::vector<std::string>{command}) << command;
    }

    // Shortcuts of the frame's own commands.
    CView* view = active()->view();
    QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(count(), 2);
    QTest::keyClick(active()->view(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(frame().findReplace().findDialog(), nullptr);
    EXPECT_TRUE(frame().findReplace().findDialog()->isVisible());
    QTest::keyClick(active()->view(), Qt::Key_R, Qt::ControlModifier);
    ASSERT_NE(frame().findReplace().replaceDialog(), nullptr);
    EXPECT_TRUE(frame().findReplace().replaceDialog()->isVisible());
    frame().findReplace().replaceDialog()->close();
    // The template chooser runs as a dialog of the prompts; unanswered, it is rejected.
    prompts.dialogs.push_back([](QDialog& dialog) { dialog.reject(); });
    QTest::keyClick(active()->view(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(takeShown().size(), 1u);
    QTest::keyClick(active()->view(), Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(count(), 1);
    QTest::keyClick(active()->view(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(count(), 0);
    EXPECT_FALSE(frame().isVisible());
}

} // namespace
} // namespace vorn::test
