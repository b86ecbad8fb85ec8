// One page of the side panel: a tree view over a CTagTreeModel with the "Refresh Tree" context
// menu.
#pragma once

#include <QTreeView>

class QMenu;

namespace vorn {

class CTagTreeModel;

class CLeftTreeControl : public QTreeView {
    Q_OBJECT

public:
    explicit CLeftTreeControl(QWidget* parent = nullptr);

    CTagTreeModel* treeModel() const { return m_model; }
    // The tree's context menu ("Refresh Tree"), owned by the caller.
    QMenu* createContextMenu(QWidget* parent);

signals:
    void refreshRequested();
    // An element's item was selected: its 1-based line.
    void lineSelected(int line);

protected:
    // A right click over an item selects it first, so that the menu is about what it shows.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CTagTreeModel* m_model;
};

} // namespace vorn
