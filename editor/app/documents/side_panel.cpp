#include "documents/side_panel.h"

#include <QTreeWidget>

namespace vorn {

CSidePanel::CSidePanel(QWidget* parent) : QTabWidget(parent) {
    setTabPosition(QTabWidget::South);
    for (const char* page : {"Tags", "Resources"}) {
        auto* tree = new QTreeWidget(this);
        tree->setHeaderHidden(true);
        addTab(tree, page);
    }
}

void CSidePanel::rebuild(CView&) {}

} // namespace vorn
