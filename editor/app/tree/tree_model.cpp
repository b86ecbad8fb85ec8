#include "tree/tree_model.h"

namespace vorn {

CTagTreeModel::CTagTreeModel(QObject* parent)
    : QAbstractItemModel(parent), m_tree(std::make_shared<const ItemTree>()) {}

void CTagTreeModel::setTree(std::shared_ptr<const ItemTree> tree) {
    beginResetModel();
    m_tree = tree ? std::move(tree) : std::make_shared<const ItemTree>();
    endResetModel();
}

QModelIndex CTagTreeModel::indexOf(ItemTree::Index item) const {
    if (item == ItemTree::kRoot || item >= m_tree->size())
        return {};
    return createIndex(static_cast<int>(m_tree->row(item)), 0, quintptr{item});
}

ItemTree::Index CTagTreeModel::itemOf(const QModelIndex& index) const {
    // Indexes of this model carry their item; one of another model stands for nothing here.
    if (!index.isValid() || index.model() != this)
        return ItemTree::kRoot;
    return static_cast<ItemTree::Index>(index.internalId());
}

QModelIndex CTagTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const ItemTree::Index item = itemOf(parent);
    if (row < 0 || column != 0 || static_cast<ItemTree::Index>(row) >= m_tree->childCount(item))
        return {};
    return createIndex(row, 0, quintptr{m_tree->child(item, static_cast<ItemTree::Index>(row))});
}

QModelIndex CTagTreeModel::parent(const QModelIndex& child) const {
    const ItemTree::Index item = itemOf(child);
    if (item == ItemTree::kRoot)
        return {};
    return indexOf(m_tree->parent(item));
}

int CTagTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(m_tree->childCount(itemOf(parent)));
}

int CTagTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool CTagTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant CTagTreeModel::data(const QModelIndex& index, int role) const {
    const ItemTree::Index item = itemOf(index);
    if (item == ItemTree::kRoot)
        return {};
    if (role == Qt::DisplayRole) {
        const std::string_view name = m_tree->name(item);
        return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    if (role == kLineRole)
        return static_cast<uint>(m_tree->line(item));
    return {};
}

Qt::ItemFlags CTagTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace vorn
