#include "documents/side_panel.h"

#include "documents/document_boxes.h"
#include "documents/document_rules.h"
#include "tree/document_trees.h"
#include "tree/left_tree_control.h"
#include "tree/tree_model.h"
#include "view/view.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace vorn {

namespace {

// Trees that say why there are none.
std::shared_ptr<DocumentTrees> failure(const std::exception& reason) {
    auto trees = std::make_shared<DocumentTrees>();
    trees->error.description = dynamic_cast<const std::bad_alloc*>(&reason)
                                   ? "not enough memory to build the trees"
                                   : reason.what();
    return trees;
}

std::shared_ptr<DocumentTrees> buildTrees(std::string_view text) {
    try {
        return std::make_shared<DocumentTrees>(buildDocumentTrees(text));
    } catch (const std::exception& e) {
        return failure(e);
    }
}

} // namespace

CSidePanel::CSidePanel(QWidget* parent)
    : QTabWidget(parent), m_tags(new CLeftTreeControl(this)),
      m_resources(new CLeftTreeControl(this)) {
    setTabPosition(QTabWidget::South);
    addTab(m_tags, QStringLiteral("Tags"));
    addTab(m_resources, QStringLiteral("Resources"));
    setCurrentIndex(0);
    // Focus given to the panel (Next Pane) goes to the tree of its page, where the keys move
    // through the items, rather than to the page tabs.
    setFocusProxy(m_tags);
    connect(this, &QTabWidget::currentChanged, this, [this](int page) {
        if (QWidget* tree = widget(page))
            setFocusProxy(tree);
    });
    for (CLeftTreeControl* tree : {m_tags, m_resources}) {
        connect(tree, &CLeftTreeControl::refreshRequested, this, &CSidePanel::refreshRequested);
        connect(tree, &CLeftTreeControl::lineSelected, this, [this](int line) {
            if (m_view)
                m_view->scrollToLine(line);
        });
    }
}

CSidePanel::~CSidePanel() {
    // The threads post to the application, not to the panel, so they only need to end; one
    // still waiting for its text stops waiting when its promise breaks.
    for (const std::unique_ptr<Build>& build : m_builds) {
        build->filled = std::promise<void>();
        build->thread.join();
    }
}

void CSidePanel::rebuild(CView& view) {
    m_view = &view;
    const std::uint64_t generation = ++m_generation;
    const auto length = static_cast<std::size_t>(view.SendScintilla(QsciScintilla::SCI_GETLENGTH));
    if (length >= m_buildAsideFrom) {
        auto build = std::make_unique<Build>();
        build->generation = generation;
        QPointer<CSidePanel> self(this);
        const auto post = [](auto work) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work),
                                      Qt::QueuedConnection);
        };
        try {
            build->thread = std::thread(
                [self, generation, length, post, filled = build->filled.get_future()]() mutable {
                    std::shared_ptr<DocumentTrees> trees;
                    try {
                        // The fresh pages of a large text take longer to come by than the copy
                        // into them: they are taken here, so that the window's thread only copies.
                        std::string text(length, '\0');
                        post([self, generation, &text] {
                            if (self)
                                self->fill(generation, text);
                        });
                        filled.get();
                        trees = buildTrees(text);
                    } catch (const std::future_error&) {
                        // Superseded, or the panel is going: nothing to show.
                    } catch (const std::exception& e) {
                        trees = failure(e);
                    }
                    post([self, generation, trees] {
                        if (self)
                            self->finish(generation, trees);
                    });
                });
            m_builds.push_back(std::move(build));
            return;
        } catch (const std::system_error&) {
            // No thread to be had: the text is read here, without painting meanwhile.
        }
    }
    finish(generation, buildTrees(view.documentText()));
}

CSidePanel::Build* CSidePanel::findBuild(std::uint64_t generation) {
    for (const std::unique_ptr<Build>& build : m_builds)
        if (build->generation == generation)
            return build.get();
    return nullptr;
}

void CSidePanel::fill(std::uint64_t generation, std::string& room) {
    Build* build = findBuild(generation);
    if (!build)
        return;
    if (generation != m_generation || !m_view) {
        build->filled = std::promise<void>();
        return;
    }
    // The text may have changed since the room was made.
    const auto length =
        static_cast<std::size_t>(m_view->SendScintilla(QsciScintilla::SCI_GETLENGTH));
    try {
        room.resize(length);
    } catch (const std::bad_alloc&) {
        // The thread gives up; the trees shown stay.
        build->filled = std::promise<void>();
        return;
    }
    // The text in one piece, where the view keeps it: copied from there at memory speed,
    // many times faster than the view's own copy, which goes a character at a time.
    const auto* text = reinterpret_cast<const char*>(
        m_view->SendScintilla(QsciScintilla::SCI_GETCHARACTERPOINTER));
    if (length > 0)
        std::memcpy(room.data(), text, length);
    build->filled.set_value();
}

void CSidePanel::finish(std::uint64_t generation, const std::shared_ptr<DocumentTrees>& trees) {
    const auto build = std::find_if(m_builds.begin(), m_builds.end(),
                                    [&](const auto& b) { return b->generation == generation; });
    const bool aside = build != m_builds.end();
    if (aside) {
        // Its last act was to post this, so the wait is short.
        (*build)->thread.join();
        m_builds.erase(build);
    }
    // A newer rebuild has been asked for: its trees are the ones to show.
    if (generation != m_generation || !trees)
        return;
    if (!trees->parsed) {
        if (m_view) {
            const XmlParseError& error = trees->error;
            if (error.row > 0)
                m_view->scrollToLine(static_cast<int>(error.row));
            showBox(m_view->prompts(), m_view,
                    xmlErrorBox(error.description, error.row, error.column));
        }
        emit rebuilt(false);
        return;
    }
    showTrees(trees);
#ifdef __GLIBC__
    // Trees read aside live in the thread's own memory pools, where what the old trees held
    // would otherwise stay after they are gone.
    if (aside)
        malloc_trim(0);
#endif
    emit rebuilt(true);
}

void CSidePanel::showTrees(const std::shared_ptr<DocumentTrees>& trees) {
    m_tags->treeModel()->setTree(std::shared_ptr<const ItemTree>(trees, &trees->tags));
    m_resources->treeModel()->setTree(std::shared_ptr<const ItemTree>(trees, &trees->resources));
    m_tags->expand(m_tags->treeModel()->index(0, 0));
}

} // namespace vorn
