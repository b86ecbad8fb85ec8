#include "documents/documents_owner.h"

#include "documents/side_panel.h"
#include "view/view.h"

#include <QFile>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

namespace vorn {

namespace {

// A tab shows '&' as it is rather than as the mark of a shortcut letter.
QString tabText(const std::string& title, bool modified) {
    QString text = QFile::decodeName(QByteArray::fromStdString(title));
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return modified ? QLatin1Char('*') + text : text;
}

} // namespace

TabViewDocumentsOwner::TabViewDocumentsOwner(IPrompts& prompts, QObject* parent)
    : QObject(parent), m_prompts(prompts) {}

TabViewDocumentsOwner::~TabViewDocumentsOwner() {
    if (m_tabs)
        disconnect(m_tabs, nullptr, this, nullptr);
}

QTabWidget* TabViewDocumentsOwner::createTabWindow(QWidget* parent) {
    if (m_tabs)
        return m_tabs;
    m_tabs = new QTabWidget(parent);
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(true);
    m_tabs->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tabs, &QTabWidget::currentChanged, this, &TabViewDocumentsOwner::activated);
    connect(m_tabs->tabBar(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTabBar* bar = m_tabs->tabBar();
        const int index = bar->tabAt(at);
        if (index >= 0)
            emit tabContextMenuRequested(index, bar->mapToGlobal(at));
    });
    return m_tabs;
}

int TabViewDocumentsOwner::count() const {
    return m_tabs ? m_tabs->count() : 0;
}

CExtendedXmlDocument* TabViewDocumentsOwner::extendedAt(int index) const {
    if (!m_tabs || index < 0 || index >= m_tabs->count())
        return nullptr;
    const auto found = m_documents.find(m_tabs->widget(index));
    return found == m_documents.end() ? nullptr : found->second.get();
}

int TabViewDocumentsOwner::indexOf(const IDocument* document) const {
    if (!document || !m_tabs)
        return -1;
    return m_tabs->indexOf(document->view());
}

CExtendedXmlDocument* TabViewDocumentsOwner::createDocument(const std::string& title) {
    if (!m_tabs)
        return nullptr;
    auto document = std::make_unique<CExtendedXmlDocument>(m_prompts);
    document->setTitle(title);
    CView* view = document->createView(m_tabs);
    if (!view || m_documents.count(view))
        return nullptr;
    if (m_sidePanels)
        m_sidePanels->addWidget(document->createSidePanel(m_sidePanels));
    CExtendedXmlDocument* added = document.get();
    // Recorded before the page exists: adding the first page activates it at once, and the
    // activation looks the document up.
    m_documents.emplace(view, std::move(document));
    emit documentCreated(added);
    connect(view, &QsciScintilla::modificationChanged, this, [this, added](bool) {
        showTitle(indexOf(added));
        emit modifiedChanged(added);
    });
    m_tabs->addTab(view, tabText(title, false));
    return added;
}

void TabViewDocumentsOwner::closeDocument(int index) {
    CExtendedXmlDocument* document = extendedAt(index);
    if (!document)
        return;
    const auto found = m_documents.find(document->view());
    std::unique_ptr<CExtendedXmlDocument> closing = std::move(found->second);
    m_documents.erase(found);
    disconnect(closing->view(), nullptr, this, nullptr);
    // Removing the page activates another one, whose activation must not find this document.
    m_tabs->removeTab(index);
    closing.reset();
}

void TabViewDocumentsOwner::closeAllDocuments() {
    while (count() > 0)
        closeDocument(count() - 1);
}

int TabViewDocumentsOwner::activeIndex() const {
    return m_tabs ? m_tabs->currentIndex() : -1;
}

void TabViewDocumentsOwner::setActiveIndex(int index) {
    if (m_tabs && index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(index);
}

void TabViewDocumentsOwner::moveToFront(int index) {
    if (m_tabs && index > 0 && index < m_tabs->count())
        m_tabs->tabBar()->moveTab(index, 0);
}

void TabViewDocumentsOwner::setTitle(IDocument* document, const std::string& title) {
    const int index = indexOf(document);
    if (CExtendedXmlDocument* extended = extendedAt(index)) {
        extended->setTitle(title);
        showTitle(index);
    }
}

void TabViewDocumentsOwner::showTitle(int index) {
    if (const CExtendedXmlDocument* document = extendedAt(index)) {
        m_tabs->setTabText(index, tabText(document->title(), document->isModified()));
        m_tabs->setTabToolTip(index,
                              QFile::decodeName(QByteArray::fromStdString(document->path())));
    }
}

} // namespace vorn
