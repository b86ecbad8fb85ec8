#include "tree/left_tree_control.h"

#include "tree/tree_model.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace vorn {

CLeftTreeControl::CLeftTreeControl(QWidget* parent)
    : QTreeView(parent), m_model(new CTagTreeModel(this)) {
    setHeaderHidden(true);
    // Every row is one line of text: the view then lays out a node of a million children
    // without asking each for its size.
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setModel(m_model);
    // The selection, not the current item: the view makes its first item current when it
    // gets the focus, and that must not move the text.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (selected.indexes().isEmpty())
                    return;
                const uint line =
                    selected.indexes().first().data(CTagTreeModel::kLineRole).toUInt();
                if (line > 0)
                    emit lineSelected(static_cast<int>(line));
            });
}

QMenu* CLeftTreeControl::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->addAction(QStringLiteral("Refresh Tree"), this, &CLeftTreeControl::refreshRequested);
    return menu;
}

void CLeftTreeControl::contextMenuEvent(QContextMenuEvent* event) {
    // The event comes from the viewport, in its coordinates.
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace vorn
