#include "documents/document.h"

#include "documents/side_panel.h"
#include "view/view.h"

#include <QFontDatabase>

namespace vorn {

QFont defaultDocumentFont() {
    QFont font = QFontDatabase::families().contains(QStringLiteral("Courier New"))
                     ? QFont(QStringLiteral("Courier New"))
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // 16 pixels high on a screen of 96 dots per inch. The text view sizes its fonts in
    // points, so the size is given as the 12 points that make those pixels.
    font.setPointSize(12);
    return font;
}

XmlDocument::XmlDocument(IPrompts& prompts) : m_prompts(prompts), m_font(defaultDocumentFont()) {}

XmlDocument::~XmlDocument() {
    delete m_view.data();
}

CView* XmlDocument::createView(QWidget* parent) {
    if (!m_view) {
        m_view = new CView(m_prompts, parent);
        m_view->setTextFont(m_font);
    }
    return m_view;
}

void XmlDocument::setFont(const QFont& font) {
    m_font = font;
    if (m_view)
        m_view->setTextFont(font);
}

bool XmlDocument::isModified() const {
    return m_view && m_view->isModified();
}

void XmlDocument::markSaved() {
    if (m_view)
        m_view->setModified(false);
}

void XmlDocument::undo() {
    m_view->undo();
}

void XmlDocument::redo() {
    m_view->redo();
}

void XmlDocument::cut() {
    m_view->cut();
}

void XmlDocument::copy() {
    m_view->copy();
}

void XmlDocument::paste() {
    m_view->paste();
}

void XmlDocument::selectAll() {
    m_view->selectAll();
}

void XmlDocument::deleteSelection() {
    m_view->clear();
}

std::pair<long, long> XmlDocument::selection() const {
    return {m_view->SendScintilla(QsciScintilla::SCI_GETSELECTIONSTART),
            m_view->SendScintilla(QsciScintilla::SCI_GETSELECTIONEND)};
}

CExtendedXmlDocument::CExtendedXmlDocument(IPrompts& prompts) : XmlDocument(prompts) {}

CExtendedXmlDocument::~CExtendedXmlDocument() {
    delete m_sidePanel.data();
}

CSidePanel* CExtendedXmlDocument::createSidePanel(QWidget* parent) {
    if (!m_sidePanel)
        m_sidePanel = new CSidePanel(parent);
    return m_sidePanel;
}

void CExtendedXmlDocument::rebuildExtendedInfo() {
    if (m_sidePanel && view())
        m_sidePanel->rebuild(*view());
}

} // namespace vorn
