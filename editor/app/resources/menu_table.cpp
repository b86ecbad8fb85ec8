#include "resources/menu_table.h"

#include <array>
#include <utility>

#ifndef VORN_VERSION
#error "VORN_VERSION must name the program's version"
#endif

namespace vorn {

namespace {

using Keys = std::array<std::string_view, 2>;
constexpr std::array<std::string_view, 0> kNone{};
// Ctrl+Enter is the main Enter key (Return) and the keypad's.
constexpr Keys kPlayKeys = {"Ctrl+Return", "Ctrl+Enter"};
// Alt+F4 belongs to the window manager, which sends the close request itself.
constexpr std::array<std::string_view, 1> kExitKeys = {"Ctrl+Q"};
constexpr Keys kUndoKeys = {"Ctrl+Z", "Alt+Backspace"};
constexpr Keys kCutKeys = {"Ctrl+X", "Shift+Del"};
constexpr Keys kCopyKeys = {"Ctrl+C", "Ctrl+Ins"};
constexpr Keys kPasteKeys = {"Ctrl+V", "Shift+Ins"};
constexpr Keys kColorKeys = {"Ctrl+Shift+C", "Ctrl+G"};

template <std::size_t N>
constexpr std::span<const std::string_view> keys(const std::array<std::string_view, N>& list) {
    return list;
}

constexpr std::array<std::string_view, 1> kNewKeys = {"Ctrl+N"};
constexpr std::array<std::string_view, 1> kOpenKeys = {"Ctrl+O"};
constexpr std::array<std::string_view, 1> kSaveKeys = {"Ctrl+S"};
constexpr std::array<std::string_view, 1> kSaveAsKeys = {"Ctrl+Alt+S"};
constexpr std::array<std::string_view, 1> kPrintKeys = {"Ctrl+P"};
constexpr std::array<std::string_view, 1> kRedoKeys = {"Ctrl+Shift+Z"};
constexpr std::array<std::string_view, 1> kFindKeys = {"Ctrl+F"};
constexpr std::array<std::string_view, 1> kFindNextKeys = {"F3"};
constexpr std::array<std::string_view, 1> kReplaceKeys = {"Ctrl+R"};
constexpr std::array<std::string_view, 1> kTagTemplateKeys = {"Ctrl+H"};
constexpr std::array<std::string_view, 1> kCloseKeys = {"Ctrl+F4"};
constexpr std::array<std::string_view, 1> kNextPaneKeys = {"F6"};
constexpr std::array<std::string_view, 1> kPreviousPaneKeys = {"Shift+F6"};

constexpr MenuEntry kSeparator{0, {}, kNone};

// "Recent &Files" is the eleventh item of the File menu (position 10, separators counted).
constexpr std::array<MenuEntry, 13> kFileMenu = {{
    {kIdNew, "&New", keys(kNewKeys)},
    {kIdOpen, "&Open...", keys(kOpenKeys)},
    {kIdSave, "&Save", keys(kSaveKeys)},
    {kIdSaveAs, "&Save As...", keys(kSaveAsKeys)},
    kSeparator,
    {kIdPlay, "P&lay", keys(kPlayKeys)},
    kSeparator,
    {kIdPageSetup, "Pa&ge Setup...", kNone},
    {kIdPrint, "&Print...", keys(kPrintKeys)},
    kSeparator,
    {kIdRecentFirst, kRecentFilesTitle, kNone},
    kSeparator,
    {kIdExit, "E&xit", keys(kExitKeys)},
}};

constexpr std::array<MenuEntry, 12> kEditMenu = {{
    {kIdUndo, "&Undo", keys(kUndoKeys)},
    {kIdRedo, "&Redo", keys(kRedoKeys)},
    kSeparator,
    {kIdCut, "&Cut", keys(kCutKeys)},
    {kIdCopy, "C&opy", keys(kCopyKeys)},
    {kIdPaste, "&Paste", keys(kPasteKeys)},
    kSeparator,
    {kIdFind, "&Find...", keys(kFindKeys)},
    {kIdFindNext, "Find &Next", keys(kFindNextKeys)},
    {kIdReplace, "R&eplace...", keys(kReplaceKeys)},
    kSeparator,
    {kIdGoToLine, "Go &To Line...", kNone},
}};

constexpr std::array<MenuEntry, 3> kViewMenu = {{
    {kIdFont, "&Font...", kNone},
    {kIdCheckXml, "&Check XML", kNone},
    {kIdViewTags, "&View Tags...", kNone},
}};

constexpr std::array<MenuEntry, 7> kToolsMenu = {{
    {kIdBase64Encoder, "&Base64 Encoder...", kNone},
    {kIdInsertColorAsHex, "&Insert Color As Hex...", keys(kColorKeys)},
    {kIdShowColor, "&Show Color", kNone},
    kSeparator,
    {kIdInsertTagTemplate, "Insert Tag T&emplate...", keys(kTagTemplateKeys)},
    {kIdInsertActionTemplate, "Insert Action Te&mplate...", kNone},
    {kIdInsertStructTemplate, "Insert Struct Tem&plate...", kNone},
}};

constexpr std::array<MenuEntry, 4> kWindowMenu = {{
    {kIdClose, "&Close", keys(kCloseKeys)},
    {kIdCloseAll, "Close &All", kNone},
    kSeparator,
    {kIdWindows, "Windows...", kNone},
}};

constexpr std::array<MenuEntry, 4> kHelpMenu = {{
    {kIdUpdates, "Upda&tes...", kNone},
    {kIdHomePage, "Vo&rn Homepage", kNone},
    kSeparator,
    {kIdAbout, "&About...", kNone},
}};

constexpr std::array<MenuPopup, 6> kMainMenu = {{
    {"&File", kFileMenu},
    {"&Edit", kEditMenu},
    {"&View", kViewMenu},
    {"&Tools", kToolsMenu},
    {"&Window", kWindowMenu},
    {"&Help", kHelpMenu},
}};

constexpr std::array<MenuEntry, 2> kHiddenCommands = {{
    {kIdNextPane, "Next Pane", keys(kNextPaneKeys)},
    {kIdPreviousPane, "Previous Pane", keys(kPreviousPaneKeys)},
}};

constexpr std::array<MenuEntry, 9> kTabContextMenu = {{
    {kIdClose, "Close", kNone},
    {kIdTabCloseAll, "Close All", kNone},
    {kIdCloseAllButThis, "Close All But This", kNone},
    kSeparator,
    {kIdSave, "&Save", kNone},
    {kIdSaveAs, "&Save As...", kNone},
    {kIdCopyFullPath, "Copy Full Path", kNone},
    {kIdCopyFileName, "Copy File Name", kNone},
    {kIdOpenContainingFolder, "Open Containing Folder", kNone},
}};

constexpr std::array<std::pair<int, std::string_view>, 25> kPrompts = {{
    {31900, "Check xml for correct\nCheck Xml"},
    {32900, "Playing swf file in new window\nPlay"},
    {32965, "View all tags in swf file\nView tags"},
    {32988, "Create a new Xml\nNew"},
    {32999, "Encode file as base64"},
    {57601, "Open an existing file\nOpen"},
    {57602, "Close the active document\nClose"},
    {57603, "Save the active Xml\nSave"},
    {57604, "Save As\nSave Xml"},
    {57607, "Print current Xml\nPrint"},
    {57634, "Copy text\nCopy"},
    {57635, "Cut text\nCut"},
    {57636, "Find in document\nFind"},
    {57637, "Paste text\nPaste"},
    {57643, "Undo text\nUndo"},
    {57644, "Redo text\nRedo"},
    {57665, "Quit the application; prompts to save Xml\nExit"},
    {61402, "Open this document"},
    {744, "Insert selected color by hex string"},
    {800, "Change Font"},
    {880, "Close all documents"},
    {881, "Close current document"},
    {208, "Find and Replace the specified text\nFind"},
    {57345, "Ready"},
    {747, "Vorn"},
}};

} // namespace

std::span<const MenuPopup> mainMenu() {
    return kMainMenu;
}

std::span<const MenuEntry> hiddenCommands() {
    return kHiddenCommands;
}

std::span<const MenuEntry> tabContextMenu() {
    return kTabContextMenu;
}

std::string_view promptText(int id) {
    for (const auto& [key, text] : kPrompts)
        if (key == id)
            return text;
    return {};
}

std::string_view updateAddress() {
    // p names the edition, v the version, so that the page can say what is newer.
    return "https://vorn.halvenor.org/updates?p=linux&v=" VORN_VERSION;
}

std::string_view homePageAddress() {
    return "https://vorn.halvenor.org/";
}

std::string_view programVersion() {
    return VORN_VERSION;
}

} // namespace vorn
