#include "frame/main_window.h"

#include "commands/commands.h"
#include "documents/document.h"
#include "documents/document_commands.h"
#include "documents/documents_owner.h"
#include "documents/side_panel.h"
#include "resources/menu_table.h"
#include "view/find_replace.h"
#include "view/printing.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>

#include <algorithm>

namespace vorn {

namespace {

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString fromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The commands that work on the active document, greyed while none is open.
constexpr int kDocumentCommands[] = {
    kIdSave,
    kIdSaveAs,
    kIdPlay,
    kIdPrint,
    kIdUndo,
    kIdRedo,
    kIdCut,
    kIdCopy,
    kIdPaste,
    kIdFind,
    kIdFindNext,
    kIdReplace,
    kIdGoToLine,
    kIdFont,
    kIdCheckXml,
    kIdViewTags,
    kIdInsertColorAsHex,
    kIdShowColor,
    kIdInsertTagTemplate,
    kIdInsertActionTemplate,
    kIdInsertStructTemplate,
    kIdClose,
    kIdCloseAll,
};

// The paths of the local files among dropped data, in order.
std::vector<std::string> droppedPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return paths;
}

} // namespace

CNewMainWindow::CNewMainWindow(IPrompts& prompts, RecentStorage& recentStorage, CommandHooks hooks,
                               QWidget* parent)
    : QMainWindow(parent), m_prompts(prompts), m_recentStorage(recentStorage),
      m_hooks(std::move(hooks)), m_owner(new TabViewDocumentsOwner(prompts, this)) {
    setWindowTitle(qText(promptText(kIdCaption)));

    // The side panel of the active document on the left, the tabs on the right.
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_sidePanels = new QStackedWidget(m_splitter);
    m_owner->setSidePanelArea(m_sidePanels);
    QTabWidget* tabs = m_owner->createTabWindow(m_splitter);
    m_splitter->addWidget(m_sidePanels);
    m_splitter->addWidget(tabs);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setChildrenCollapsible(false);
    m_sidePanels->hide();
    setCentralWidget(m_splitter);
    connect(m_splitter, &QSplitter::splitterMoved, this,
            [this](int position, int) { m_sidePanelWidth = position; });

    buildStatusBar();
    m_findReplace = std::make_unique<CFindReplace>(
        this, [this]() -> CView* { return activeDocument() ? activeDocument()->view() : nullptr; },
        prompts);
    m_printing = std::make_unique<CPrinting>(prompts);
    m_context.reset(new CommandContext{this, prompts, *m_owner, m_recent, m_titles, *m_busy,
                                       m_hooks, [this] { writeRecentList(); },
                                       [this] { refresh(); }});
    buildMenus();

    connect(m_owner, &TabViewDocumentsOwner::documentCreated, this,
            [this](CExtendedXmlDocument* document) {
                watchView(document->view());
                // "Refresh Tree" on the document's side panel.
                if (CSidePanel* panel = document->sidePanel())
                    connect(panel, &CSidePanel::refreshRequested, this,
                            [this, document] { execute<RebuildExtendedInfoCommand>(*document); });
            });
    connect(m_owner, &TabViewDocumentsOwner::activated, this, &CNewMainWindow::activated);
    connect(m_owner, &TabViewDocumentsOwner::modifiedChanged, this, [this] { refresh(); });
    connect(m_owner, &TabViewDocumentsOwner::tabContextMenuRequested, this,
            [this](int index, const QPoint& at) {
                std::unique_ptr<QMenu> menu(createTabContextMenu(index));
                if (const QAction* chosen = menu->exec(at))
                    runTabCommand(index, chosen->data().toInt());
            });

    setAcceptDrops(true);
    m_recent.read(m_recentStorage);
    showRecentList();

    resize(900, 600);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    refresh();
}

CNewMainWindow::~CNewMainWindow() {
    // The documents go before the dialogs and the context they were made with.
    disconnect(m_owner, nullptr, this, nullptr);
    m_owner->closeAllDocuments();
}

QAction* CNewMainWindow::addCommand(QWidget* menuOrWindow, int id, std::string_view text,
                                    std::span<const std::string_view> shortcuts) {
    auto* action = new QAction(qText(text), menuOrWindow);
    action->setData(id);
    QList<QKeySequence> keys;
    for (const std::string_view key : shortcuts)
        keys << QKeySequence(qText(key));
    action->setShortcuts(keys);
    // Before a line break the status bar's prompt, after it the tooltip.
    const QString prompt = qText(promptText(id));
    const qsizetype lineBreak = prompt.indexOf(QLatin1Char('\n'));
    action->setStatusTip(lineBreak < 0 ? prompt : prompt.left(lineBreak));
    if (lineBreak >= 0)
        action->setToolTip(prompt.mid(lineBreak + 1));
    menuOrWindow->addAction(action);
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    m_actions[id] = action;
    return action;
}

void CNewMainWindow::buildMenus() {
    for (const MenuPopup& popup : mainMenu()) {
        QMenu* menu = menuBar()->addMenu(qText(popup.title));
        menu->setToolTipsVisible(true);
        for (const MenuEntry& entry : popup.entries) {
            if (entry.id == 0)
                menu->addSeparator();
            else if (entry.id == kIdRecentFirst)
                m_recentMenu = menu->addMenu(qText(entry.text));
            else
                addCommand(menu, entry.id, entry.text, entry.shortcuts);
        }
    }
    for (const MenuEntry& entry : hiddenCommands())
        addCommand(this, entry.id, entry.text, entry.shortcuts);
}

void CNewMainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->addWidget(new QLabel(qText(promptText(kIdReady)), bar), 1);
    // The busy indication stands left of the panes.
    m_busy = std::make_unique<CBusyWork>(bar);
    for (const int id : {kPaneLine, kPaneColumn, kPaneLines, kPaneInsert, kPanePath}) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QStringLiteral("pane%1").arg(id));
        bar->addPermanentWidget(pane);
        m_panes[id] = pane;
    }
}

QAction* CNewMainWindow::commandAction(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

QLabel* CNewMainWindow::statusPane(int id) const {
    const auto found = m_panes.find(id);
    return found == m_panes.end() ? nullptr : found->second;
}

IDocument* CNewMainWindow::activeDocument() const {
    return m_owner->activeDocument();
}

template <class C, class... Arguments>
std::shared_ptr<C> CNewMainWindow::execute(Arguments&&... arguments) {
    auto command = std::make_shared<C>(std::forward<Arguments>(arguments)...);
    // The previous command goes now; this one stays the current one until the next.
    m_current = command;
    command->Execute();
    return command;
}

void CNewMainWindow::runCommand(int id) {
    if (m_busy->isBusy())
        return;
    CommandContext& context = *m_context;
    IDocument* active = activeDocument();
    IDocument* document = active && !active->isSkipped() ? active : nullptr;
    const auto onDocument = [&](TxtDocCommand::Kind kind) {
        if (document)
            execute<TxtDocCommand>(context, *document, kind);
    };
    const auto onText = [&](TxtBufferCommand::Kind kind) {
        if (document)
            execute<TxtBufferCommand>(*document, kind);
    };
    switch (id) {
    case kIdNew:
        newDocument(context);
        break;
    case kIdOpen:
        execute<TxtContainerCommand>(context, TxtContainerCommand::Open);
        break;
    case kIdSave:
        if (document && document->isModified())
            onDocument(TxtDocCommand::Save);
        break;
    case kIdSaveAs:
        onDocument(TxtDocCommand::SaveAs);
        break;
    case kIdPlay:
        onDocument(TxtDocCommand::Play);
        break;
    case kIdPageSetup:
        m_printing->pageSetup(this);
        break;
    case kIdPrint:
        if (document)
            m_printing->print(this, *document->view());
        break;
    case kIdExit:
        close();
        break;
    case kIdUndo:
        onText(TxtBufferCommand::Undo);
        break;
    case kIdRedo:
        onText(TxtBufferCommand::Redo);
        break;
    case kIdCut:
        onText(TxtBufferCommand::Cut);
        break;
    case kIdCopy:
        onText(TxtBufferCommand::Copy);
        break;
    case kIdPaste:
        onText(TxtBufferCommand::Paste);
        break;
    case kIdFind:
        if (document)
            m_findReplace->showFind();
        break;
    case kIdFindNext:
        if (document)
            m_findReplace->findNext();
        break;
    case kIdReplace:
        if (document)
            m_findReplace->showReplace();
        break;
    case kIdGoToLine:
        onDocument(TxtDocCommand::GoToLine);
        break;
    case kIdFont:
        onDocument(TxtDocCommand::Font);
        break;
    case kIdCheckXml:
        onDocument(TxtDocCommand::CheckXml);
        break;
    case kIdViewTags:
        onDocument(TxtDocCommand::ViewTags);
        break;
    case kIdBase64Encoder:
        execute<CBase64EncoderCommand>(context);
        break;
    case kIdInsertColorAsHex:
        if (document)
            execute<ViewHexColorDialogCommand>(context, *document);
        break;
    case kIdShowColor:
        if (document)
            execute<WhatColorCommand>(context, *document);
        break;
    case kIdInsertTagTemplate:
    case kIdInsertActionTemplate:
    case kIdInsertStructTemplate:
        if (document)
            execute<InserTemplateTagCommand>(*document, id == kIdInsertTagTemplate      ? 0
                                                        : id == kIdInsertActionTemplate ? 1
                                                                                        : 2);
        break;
    case kIdClose:
        execute<TxtContainerCommand>(context, TxtContainerCommand::Close);
        break;
    case kIdCloseAll:
    case kIdTabCloseAll:
        execute<TxtContainerCommand>(context, TxtContainerCommand::CloseAll);
        break;
    case kIdCloseAllButThis:
        execute<TxtContainerCommand>(context, TxtContainerCommand::CloseAllButThis);
        break;
    case kIdCopyFullPath:
        onDocument(TxtDocCommand::CopyFullPath);
        break;
    case kIdCopyFileName:
        onDocument(TxtDocCommand::CopyFileName);
        break;
    case kIdOpenContainingFolder:
        onDocument(TxtDocCommand::OpenContainingFolder);
        break;
    case kIdWindows:
        execute<ViewtabsControlCommand>(context);
        break;
    case kIdUpdates:
        execute<GotoUpdateCommand>();
        break;
    case kIdHomePage:
        execute<GotoHomePageCommand>();
        break;
    case kIdAbout:
        execute<AboutCommand>(context);
        break;
    case kIdNextPane:
    case kIdPreviousPane:
        moveFocusBetweenPanes();
        break;
    default:
        break;
    }
    refresh();
}

QMenu* CNewMainWindow::createTabContextMenu(int index) {
    auto* menu = new QMenu(this);
    for (const MenuEntry& entry : tabContextMenu()) {
        if (entry.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(qText(entry.text));
        action->setData(entry.id);
        const QString prompt = qText(promptText(entry.id));
        action->setStatusTip(prompt.left(prompt.indexOf(QLatin1Char('\n'))));
    }
    // The entries for the tab's file need a document that is not passed over.
    const IDocument* document = m_owner->documentAt(index);
    for (QAction* action : menu->actions()) {
        const int id = action->data().toInt();
        if (id == kIdCopyFullPath || id == kIdCopyFileName || id == kIdOpenContainingFolder)
            action->setEnabled(document && !document->isSkipped());
    }
    return menu;
}

void CNewMainWindow::runTabCommand(int index, int id) {
    if (m_busy->isBusy() || index < 0 || index >= m_owner->count())
        return;
    // Every entry acts on the tab that was clicked, which becomes the active one first, so
    // that Close never closes another document than the one the user pointed at.
    m_owner->setActiveIndex(index);
    runCommand(id);
}

bool CNewMainWindow::openAsDropped(const std::string& given) {
    const std::string path = absoluteDocumentPath(given);
    const int before = m_owner->count();
    execute<DropCommand>(*m_context, path);
    const bool opened = m_owner->count() > before;
    if (opened)
        m_recent.add(path);
    writeRecentList();
    m_owner->setActiveIndex(m_owner->count() - 1);
    refresh();
    return opened;
}

void CNewMainWindow::dropPaths(const std::vector<std::string>& paths) {
    // Only the first path is taken: each open may ask questions of its own, and a drop of a
    // whole folder's selection should not bury the user in tabs and boxes.
    if (m_busy->isBusy() || paths.empty() || paths.front().empty())
        return;
    openAsDropped(paths.front());
}

void CNewMainWindow::openRecent(const std::string& path) {
    if (m_busy->isBusy())
        return;
    const int before = m_owner->count();
    execute<DropCommand>(*m_context, path);
    // An entry that no longer opens leaves the list.
    if (m_owner->count() > before)
        m_recent.add(path);
    else
        m_recent.remove(path);
    writeRecentList();
    m_owner->setActiveIndex(m_owner->count() - 1);
    refresh();
}

bool CNewMainWindow::runStartup() {
    for (const std::string& file : m_startFiles)
        openAsDropped(file);
    switch (m_commandLine.option) {
    case 'e':
        if (!m_commandLine.path.empty())
            openAsDropped(m_commandLine.path);
        break;
    case 'p':
        execute<PlayAfterStartCommand>(*m_context, absoluteDocumentPath(m_commandLine.path));
        return false;
    default:
        break;
    }
    return true;
}

void CNewMainWindow::writeRecentList() {
    m_recent.write(m_recentStorage);
    showRecentList();
}

void CNewMainWindow::showRecentList() {
    m_recentMenu->clear();
    const std::vector<std::string> texts = m_recent.menuTexts();
    const std::vector<std::string>& paths = m_recent.paths();
    if (paths.empty()) {
        m_recentMenu->addAction(qText(texts.front()))->setEnabled(false);
        return;
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        QAction* action = m_recentMenu->addAction(fromPath(texts[i]));
        action->setData(kIdRecentFirst + static_cast<int>(i));
        action->setStatusTip(qText(promptText(kIdRecentEntryPrompt)));
        connect(action, &QAction::triggered, this, [this, path = paths[i]] { openRecent(path); });
    }
}

void CNewMainWindow::activated(int index) {
    const CExtendedXmlDocument* document = m_owner->extendedAt(index);
    if (document && document->sidePanel()) {
        m_sidePanels->setCurrentWidget(document->sidePanel());
        if (m_sidePanels->isHidden()) {
            m_sidePanels->show();
            const int total = std::max(m_splitter->width(), m_sidePanelWidth + 1);
            m_splitter->setSizes({m_sidePanelWidth, total - m_sidePanelWidth});
        }
    } else if (m_owner->count() == 0) {
        m_sidePanels->hide();
    }
    refresh();
}

void CNewMainWindow::refresh() {
    const CExtendedXmlDocument* document = m_owner->activeDocument();
    if (document) {
        const QString title = fromPath(document->title());
        setWindowTitle(QStringLiteral("%1%2 - %3")
                           .arg(document->isModified() ? QStringLiteral("*") : QString(), title,
                                qText(promptText(kIdCaption))));
    } else {
        setWindowTitle(qText(promptText(kIdCaption)));
    }
    refreshStatus();
    updateEnabled();
}

void CNewMainWindow::refreshStatus() {
    const IDocument* document = activeDocument();
    const CView* view = document ? document->view() : nullptr;
    const QFontMetrics metrics(statusBar()->font());
    // Each pane is as wide as the table gives for its text, and never narrower than the text.
    const auto show = [&](int id, const QString& text, int width) {
        QLabel* pane = m_panes.at(id);
        pane->setText(text);
        pane->setFixedWidth(text.isEmpty() ? 0
                                           : std::max(width, metrics.horizontalAdvance(text) + 8));
    };
    const auto counted = [&](int id, const char* label, int value) {
        const QString text = QString::fromLatin1(label) + QString::number(value);
        show(id, text, 7 * static_cast<int>(text.size()));
    };
    counted(kPaneLine, "Line: ", view ? view->caretLine() : 0);
    counted(kPaneColumn, "Column: ", view ? view->caretColumn() : 0);
    counted(kPaneLines, "Lines: ", view ? view->lineCount() : 0);
    show(kPaneInsert, view && view->insertMode() ? QStringLiteral("Insert") : QString(), 42);
    // A long path is shortened in its middle rather than widening the window; the tooltip
    // holds all of it.
    const QString path = document ? fromPath(document->path()) : QString();
    QLabel* pathPane = m_panes.at(kPanePath);
    const int pathWidth = std::min(9 * static_cast<int>(path.size()), 360);
    pathPane->setFixedWidth(path.isEmpty() ? 0 : pathWidth);
    pathPane->setText(metrics.elidedText(path, Qt::ElideMiddle, pathWidth));
    pathPane->setToolTip(path);
}

void CNewMainWindow::updateEnabled() {
    const bool hasDocument = activeDocument() != nullptr;
    for (const int id : kDocumentCommands)
        if (QAction* action = commandAction(id))
            action->setEnabled(hasDocument);
    // The entries whose work another part of the editor brings stay greyed until it does.
    const std::pair<int, bool> hooked[] = {
        {kIdPlay, hasDocument && bool(m_hooks.play)},
        {kIdViewTags, hasDocument && bool(m_hooks.viewTags)},
        {kIdInsertColorAsHex, hasDocument && bool(m_hooks.insertColorAsHex)},
        {kIdShowColor, hasDocument && bool(m_hooks.showColor)},
        {kIdBase64Encoder, bool(m_hooks.base64Encoder)},
        {kIdWindows, bool(m_hooks.windowsList)},
        {kIdAbout, bool(m_hooks.about)},
    };
    for (const auto& [id, enabled] : hooked)
        commandAction(id)->setEnabled(enabled);
}

void CNewMainWindow::watchView(CView* view) {
    connect(view, &QsciScintilla::cursorPositionChanged, this, [this] { refreshStatus(); });
    connect(view, &QsciScintilla::linesChanged, this, [this] { refreshStatus(); });
    connect(view, &QsciScintilla::selectionChanged, this, [this] { refreshStatus(); });
    connect(view, &CView::insertModeChanged, this, [this] { refreshStatus(); });
    // The view's context menu: tools that work on the document under it.
    connect(view, &CView::saveBase64Requested, this, [this, view] {
        IDocument* document = activeDocument();
        if (document && document->view() == view && !document->isSkipped())
            execute<TxtDocCommand>(*m_context, *document, TxtDocCommand::SaveBase64AsBinary);
    });
    connect(view, &CView::insertColorRequested, this, [this] { runCommand(kIdInsertColorAsHex); });
    connect(view, &CView::showColorRequested, this, [this] { runCommand(kIdShowColor); });
    // Files dropped on the text open as documents rather than going into the text as names.
    view->viewport()->installEventFilter(this);
}

void CNewMainWindow::moveFocusBetweenPanes() {
    const CExtendedXmlDocument* document = m_owner->activeDocument();
    if (!document)
        return;
    if (document->view()->hasFocus() && document->sidePanel())
        document->sidePanel()->setFocus();
    else
        document->view()->setFocus();
}

void CNewMainWindow::closeEvent(QCloseEvent* event) {
    // Every document is closed first; one the user keeps keeps the window.
    if (m_busy->isBusy()) {
        event->ignore();
        return;
    }
    if (m_owner->count() > 0) {
        execute<TxtContainerCommand>(*m_context, TxtContainerCommand::CloseAll);
        if (m_owner->count() > 0) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

void CNewMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void CNewMainWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    dropPaths(paths);
}

bool CNewMainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedPaths(drag->mimeData()).empty())
            break;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::vector<std::string> paths = droppedPaths(drop->mimeData());
        if (paths.empty())
            break;
        drop->acceptProposedAction();
        dropPaths(paths);
        return true;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace vorn
