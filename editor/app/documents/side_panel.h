// The panel beside a document's text: the pages "Tags" (the whole element hierarchy) and
// "Resources" (the movie's definition tags by category), built from the text on open, on New
// and on "Refresh Tree". A large text is read on a thread of its own while the window goes on
// painting; the trees shown stay until the new ones are ready.
#pragma once

#include <QPointer>
#include <QTabWidget>

#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vorn {

class CLeftTreeControl;
class CView;
struct DocumentTrees;

class CSidePanel : public QTabWidget {
    Q_OBJECT

public:
    // Texts from this size on are read aside.
    static constexpr std::size_t kBuildAsideFrom = std::size_t{1} << 20;

    explicit CSidePanel(QWidget* parent = nullptr);
    ~CSidePanel() override;

    // Builds the trees from the view's text again; selecting an item afterwards moves that
    // view. A text that is not well formed keeps the trees as they are, puts the view's caret
    // on the line at fault and says why in the Check XML box. A rebuild started while another
    // is still reading supersedes it.
    virtual void rebuild(CView& view);

    CLeftTreeControl* tagsTree() const { return m_tags; }
    CLeftTreeControl* resourcesTree() const { return m_resources; }
    // True while a text is being read aside.
    bool isBuilding() const { return !m_builds.empty(); }
    // The size from which texts are read aside (kBuildAsideFrom unless a test says otherwise).
    void setBuildAsideFrom(std::size_t bytes) { m_buildAsideFrom = bytes; }

signals:
    // "Refresh Tree" on either page's context menu.
    void refreshRequested();
    // A rebuild ended: with new trees, or (false) with the old ones kept.
    void rebuilt(bool parsed);

private:
    // A text read aside. Its thread first makes room for the text, then waits until the
    // panel has put the text there (or broken the promise: the rebuild was superseded, or the
    // panel goes), reads it and posts the trees.
    struct Build {
        std::uint64_t generation = 0;
        std::thread thread;
        std::promise<void> filled;
    };

    Build* findBuild(std::uint64_t generation);
    // Puts the view's text into the room a build's thread made for it.
    void fill(std::uint64_t generation, std::string& room);
    // Shows the trees of a rebuild (null: the build gave up) unless a newer one was asked for.
    void finish(std::uint64_t generation, const std::shared_ptr<DocumentTrees>& trees);
    void showTrees(const std::shared_ptr<DocumentTrees>& trees);

    CLeftTreeControl* m_tags;
    CLeftTreeControl* m_resources;
    QPointer<CView> m_view;
    std::size_t m_buildAsideFrom = kBuildAsideFrom;
    std::uint64_t m_generation = 0;
    std::vector<std::unique_ptr<Build>> m_builds;
};

} // namespace vorn
