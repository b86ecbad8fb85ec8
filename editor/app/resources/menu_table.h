// The editor's resources as data: the main menu's entries with their texts and shortcuts, the
// tab strip's context menu, the status-bar prompts and the addresses Help opens. The window
// is built from these tables, so that a text is changed in one place.
#pragma once

#include <span>
#include <string_view>

namespace vorn {

// Command ids of the main menu, the tab context menu and the accelerators.
enum CommandId : int {
    kIdNew = 32988,
    kIdOpen = 57601,
    kIdSave = 57603,
    kIdSaveAs = 57604,
    kIdPlay = 32900,
    kIdPageSetup = 57605,
    kIdPrint = 57607,
    kIdRecentFirst = 57616, // up to 57631, one per recent document
    kIdRecentLast = 57631,
    kIdExit = 57665,
    kIdUndo = 57643,
    kIdRedo = 57644,
    kIdCut = 57635,
    kIdCopy = 57634,
    kIdPaste = 57637,
    kIdFind = 57636,
    kIdFindNext = 57640,
    kIdReplace = 57641,
    kIdGoToLine = 860,
    kIdFont = 800,
    kIdCheckXml = 31900,
    kIdViewTags = 32965,
    kIdBase64Encoder = 32999,
    kIdInsertColorAsHex = 744,
    kIdShowColor = 131,
    kIdInsertTagTemplate = 883,
    kIdInsertActionTemplate = 700,
    kIdInsertStructTemplate = 686,
    kIdClose = 881,
    kIdCloseAll = 688,
    kIdWindows = 65534,
    kIdUpdates = 32994,
    kIdHomePage = 32995,
    kIdAbout = 57664,
    kIdNextPane = 57680,
    kIdPreviousPane = 57681,
    // The tab strip's context menu.
    kIdTabCloseAll = 880,
    kIdCloseAllButThis = 692,
    kIdCopyFullPath = 691,
    kIdCopyFileName = 690,
    kIdOpenContainingFolder = 689,
    // Texts without a menu entry.
    kIdRecentEntryPrompt = 61402,
    kIdReady = 57345,
    kIdCaption = 747,
    kIdUpdateAddress = 32996,
    kIdHomePageAddress = 32997,
};

// One entry of a menu: a command with its text and shortcuts ("Ctrl+S", ...; the first is the
// one the menu shows), or a separator (id 0), or the recent-files popup (kIdRecentFirst).
struct MenuEntry {
    int id;
    std::string_view text;
    std::span<const std::string_view> shortcuts;
};

struct MenuPopup {
    std::string_view title;
    std::span<const MenuEntry> entries;
};

// "&File", "&Edit", "&View", "&Tools", "&Window", "&Help", in menu-bar order.
std::span<const MenuPopup> mainMenu();

// Commands with shortcuts but no menu entry (moving the focus between the panes).
std::span<const MenuEntry> hiddenCommands();

// The tab strip's context menu.
std::span<const MenuEntry> tabContextMenu();

// "Recent &Files".
inline constexpr std::string_view kRecentFilesTitle = "Recent &Files";

// The status-bar prompt of a command id: the text before a line break is shown in the status
// bar while the entry is highlighted, the text after it is the entry's tooltip. Empty for an
// id without one. Also holds "Ready" (kIdReady) and the caption "Vorn" (kIdCaption).
std::string_view promptText(int id);

// The addresses Updates and Vorn Homepage open.
std::string_view updateAddress();
std::string_view homePageAddress();

// The program's version, as --version and the update address give it.
std::string_view programVersion();

} // namespace vorn
