// A side-panel tree as a Qt item model that reads an ItemTree in place: no object is made per
// element, so a document of millions of elements costs the view only what it lays out.
#pragma once

#include "tree/item_tree.h"

#include <QAbstractItemModel>

#include <memory>

namespace vorn {

class CTagTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // The role holding an item's 1-based line, 0 for an item that stands for no element.
    static constexpr int kLineRole = Qt::UserRole + 1;

    explicit CTagTreeModel(QObject* parent = nullptr);

    // Shows another tree; the views' items and selections start over.
    void setTree(std::shared_ptr<const ItemTree> tree);
    const ItemTree& tree() const { return *m_tree; }

    // The model index of a tree item (invalid for the root).
    QModelIndex indexOf(ItemTree::Index item) const;
    // The tree item of a model index (the root for an invalid one).
    ItemTree::Index itemOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::shared_ptr<const ItemTree> m_tree;
};

} // namespace vorn
