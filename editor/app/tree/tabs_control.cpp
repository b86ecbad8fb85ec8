#include "tree/tabs_control.h"

#include "commands/command_context.h"
#include "commands/commands.h"
#include "documents/documents_owner.h"
#include "view/prompts.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

CTabsControl::CTabsControl(CommandContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_list(new QListWidget(this)),
      m_activate(new QPushButton(QStringLiteral("&Activate"), this)),
      m_close(new QPushButton(QStringLiteral("&Close Window(s)"), this)) {
    setWindowTitle(QStringLiteral("Tabs control"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    TabViewDocumentsOwner& owner = context.owner;
    for (int index = 0; index < owner.count(); ++index) {
        CExtendedXmlDocument* document = owner.extendedAt(index);
        if (!document)
            continue;
        const QString title = QFile::decodeName(QByteArray::fromStdString(document->title()));
        m_list->addItem(document->isModified() ? QLatin1Char('*') + title : title);
        m_documents.push_back(document);
        if (index == owner.activeIndex())
            m_list->item(m_list->count() - 1)->setSelected(true);
    }

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    buttons->addButton(m_activate, QDialogButtonBox::ActionRole);
    buttons->addButton(m_close, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_activate, &QPushButton::clicked, this, &CTabsControl::activateSelected);
    connect(m_close, &QPushButton::clicked, this, &CTabsControl::closeSelected);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CTabsControl::activateSelected);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CTabsControl::updateButtons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    updateButtons();

    // Resizable down to half the size it opens with.
    const QSize initial = sizeHint().expandedTo(QSize(420, 280));
    resize(initial);
    setMinimumSize(initial / 2);
}

void CTabsControl::updateButtons() {
    const int selected = static_cast<int>(m_list->selectedItems().size());
    m_activate->setEnabled(selected == 1);
    m_close->setEnabled(selected >= 1);
}

void CTabsControl::activateSelected() {
    for (int row = 0; row < m_list->count(); ++row) {
        if (!m_list->item(row)->isSelected())
            continue;
        const int index = m_context.owner.indexOf(m_documents[static_cast<std::size_t>(row)]);
        if (index >= 0) {
            m_context.owner.setActiveIndex(index);
            if (m_context.refresh)
                m_context.refresh();
        }
        accept();
        return;
    }
}

void CTabsControl::closeSelected() {
    int lowestClosed = -1;
    for (int row = m_list->count() - 1; row >= 0; --row) {
        if (!m_list->item(row)->isSelected())
            continue;
        const auto line = static_cast<std::size_t>(row);
        const int index = m_context.owner.indexOf(m_documents[line]);
        bool closed = index < 0; // already gone some other way
        if (!closed) {
            m_context.owner.setActiveIndex(index);
            TxtContainerCommand close(m_context, TxtContainerCommand::Close);
            close.Execute();
            closed = close.closed();
        }
        // A document the user kept is still open, so its line stays.
        if (closed) {
            delete m_list->takeItem(row);
            m_documents.erase(m_documents.begin() + row);
            lowestClosed = row;
        }
    }
    if (lowestClosed >= 0 && m_list->count() > 0) {
        m_list->clearSelection();
        m_list->item(std::min(lowestClosed, m_list->count() - 1))->setSelected(true);
    }
    if (m_context.owner.count() == 0)
        m_context.owner.closeAllDocuments();
    updateButtons();
}

void tabsControl(CommandContext& context) {
    CTabsControl dialog(context, context.frame);
    context.prompts.exec(dialog);
}

} // namespace vorn
