#include "documents/side_panel.h"

#include "documents/document_boxes.h"
#include "documents/document_rules.h"
#include "tree/document_trees.h"
#include "tree/left_tree_control.h"
#include "tree/tree_model.h"
#include "view/view.h"

#include <QCoreApplication>

#include <algorithm>
#include <new>
#include <system_error>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace vorn {

namespace {

std::shared_ptr<DocumentTrees> buildTrees(const std::string& text) {
    auto trees = std::make_shared<DocumentTrees>();
    try {
        *trees = buildDocumentTrees(text);
    } catch (const std::bad_alloc&) {
        trees = std::make_shared<DocumentTrees>();
        trees->error.description = "not enough memory to build the trees";
    }
    return trees;
}

} // namespace

CSidePanel::CSidePanel(QWidget* parent)
    : QTabWidget(parent), m_tags(new CLeftTreeControl(this)),
      m_resources(new CLeftTreeControl(this)) {
    setTabPosition(QTabWidget::South);
    addTab(m_tags, QStringLiteral("Tags"));
    addTab(m_resources, QStringLiteral("Resources"));
    setCurrentIndex(0);
    for (CLeftTreeControl* tree : {m_tags, m_resources}) {
        connect(tree, &CLeftTreeControl::refreshRequested, this, &CSidePanel::refreshRequested);
        connect(tree, &CLeftTreeControl::lineSelected, this, [this](int line) {
            if (m_view)
                m_view->scrollToLine(line);
        });
    }
}

CSidePanel::~CSidePanel() {
    // The threads post to the application, not to the panel, so they only need to end.
    for (Build& build : m_builds)
        build.thread.join();
}

void CSidePanel::rebuild(CView& view) {
    m_view = &view;
    const std::uint64_t generation = ++m_generation;
    auto text = std::make_shared<std::string>(view.documentText());
    if (text->size() >= m_buildAsideFrom) {
        QPointer<CSidePanel> self(this);
        try {
            std::thread thread([self, generation, text]() mutable {
                std::shared_ptr<DocumentTrees> trees = buildTrees(*text);
                text.reset();
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [self, generation, trees] {
                        if (self)
                            self->finish(generation, trees);
                    },
                    Qt::QueuedConnection);
            });
            m_builds.push_back({generation, std::move(thread)});
            return;
        } catch (const std::system_error&) {
            // No thread to be had: the text is read here, without painting meanwhile.
        }
    }
    finish(generation, buildTrees(*text));
}

void CSidePanel::finish(std::uint64_t generation, const std::shared_ptr<DocumentTrees>& trees) {
    const auto build = std::find_if(m_builds.begin(), m_builds.end(),
                                    [&](const Build& b) { return b.generation == generation; });
    const bool aside = build != m_builds.end();
    if (aside) {
        // Its last act was to post this, so the wait is short.
        build->thread.join();
        m_builds.erase(build);
    }
    // A newer rebuild has been asked for: its trees are the ones to show.
    if (generation != m_generation)
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
