// The editor's main window: the menus, the tabs of open documents beside the active one's
// side panel, the status bar and the recent-documents list. Every action is a command object
// (commands/commands.h) made and executed here.
#pragma once

#include "commandline/command_line.h"
#include "commands/busy_work.h"
#include "commands/command_context.h"
#include "documents/document_rules.h"
#include "recent/recent_documents.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;

namespace vorn {

class CFindReplace;
class CPrinting;
class CView;
class Command;
class IDocument;
class IPrompts;
class TabViewDocumentsOwner;

// The status bar's panes.
enum StatusPane : int {
    kPaneLine = 750,
    kPaneColumn = 749,
    kPaneLines = 748,
    kPaneInsert = 693,
    kPanePath = 718,
};

class CNewMainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Boxes and dialogs go through `prompts`; the recent list is read from `recentStorage`
    // now and written there after every change. Both must outlive the window.
    CNewMainWindow(IPrompts& prompts, RecentStorage& recentStorage,
                   CommandHooks hooks = defaultCommandHooks(), QWidget* parent = nullptr);
    ~CNewMainWindow() override;

    // What the command line asked for, run by runStartup().
    void setCommandLine(const CommandLine& commandLine) { m_commandLine = commandLine; }
    void setStartFiles(std::vector<std::string> files) { m_startFiles = std::move(files); }
    // Opens the files of the command line, or runs its option. False when the program ends
    // here ("/p": the movie played).
    bool runStartup();

    // Runs the command of a menu id as the menu does.
    void runCommand(int id);
    // Runs an entry of a tab's context menu on that tab.
    void runTabCommand(int index, int id);
    // Opens the first of the dropped paths, as a drop on the window does.
    void dropPaths(const std::vector<std::string>& paths);

    // The parts tests and later commands look at.
    QAction* commandAction(int id) const;
    QMenu* recentFilesMenu() const { return m_recentMenu; }
    // The tab context menu of a tab, owned by the caller.
    QMenu* createTabContextMenu(int index);
    QLabel* statusPane(int id) const;
    QSplitter* splitter() const { return m_splitter; }
    QStackedWidget* sidePanelArea() const { return m_sidePanels; }
    TabViewDocumentsOwner& documents() const { return *m_owner; }
    IDocument* activeDocument() const;
    const RecentDocuments& recentDocuments() const { return m_recent; }
    CommandContext& commandContext() { return *m_context; }
    CFindReplace& findReplace() const { return *m_findReplace; }
    CPrinting& printing() const { return *m_printing; }
    // The last command made.
    const Command* currentCommand() const { return m_current.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildStatusBar();
    QAction* addCommand(QWidget* menuOrWindow, int id, std::string_view text,
                        std::span<const std::string_view> shortcuts);
    void showRecentList();
    void writeRecentList();
    void openRecent(const std::string& path);
    // Opens one file as a drop does: true when it opened; it then joins the recent list.
    bool openAsDropped(const std::string& path);
    void activated(int index);
    void refresh();
    void refreshStatus();
    void updateEnabled();
    void watchView(CView* view);
    void moveFocusBetweenPanes();
    // Executes a command as the current one.
    template <class C, class... Arguments>
    std::shared_ptr<C> execute(Arguments&&... arguments);

    IPrompts& m_prompts;
    RecentStorage& m_recentStorage;
    CommandHooks m_hooks;
    RecentDocuments m_recent;
    NewDocumentTitles m_titles;
    CommandLine m_commandLine;
    std::vector<std::string> m_startFiles;

    TabViewDocumentsOwner* m_owner;
    QSplitter* m_splitter = nullptr;
    QStackedWidget* m_sidePanels = nullptr;
    int m_sidePanelWidth = 220;
    QMenu* m_recentMenu = nullptr;
    std::map<int, QAction*> m_actions;
    std::map<int, QLabel*> m_panes;
    std::unique_ptr<CBusyWork> m_busy;
    std::unique_ptr<CFindReplace> m_findReplace;
    std::unique_ptr<CPrinting> m_printing;
    std::unique_ptr<CommandContext> m_context;
    std::shared_ptr<Command> m_current;
};

} // namespace vorn
