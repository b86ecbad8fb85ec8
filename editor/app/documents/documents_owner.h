// The set of open documents, each shown as a page of the frame's tab strip, with its side
// panel in the frame's side-panel area.
#pragma once

#include "documents/document.h"

#include <QObject>
#include <QPointer>

#include <map>
#include <memory>
#include <string>

#include <QStackedWidget>
#include <QTabWidget>

class QPoint;

namespace vorn {

class IDocumnentsOwner {
public:
    virtual ~IDocumnentsOwner() = default;

    virtual int count() const = 0;
    // Closes the document of a page without asking anything.
    virtual void closeDocument(int index) = 0;
    virtual void closeAllDocuments() = 0;
    virtual QTabWidget* createTabWindow(QWidget* parent) = 0;
    // The document of a page, or null.
    virtual IDocument* documentAt(int index) const = 0;
};

class TabViewDocumentsOwner : public QObject, public IDocumnentsOwner {
    Q_OBJECT

public:
    explicit TabViewDocumentsOwner(IPrompts& prompts, QObject* parent = nullptr);
    ~TabViewDocumentsOwner() override;

    int count() const override;
    void closeDocument(int index) override;
    void closeAllDocuments() override;
    QTabWidget* createTabWindow(QWidget* parent) override;
    IDocument* documentAt(int index) const override { return extendedAt(index); }

    // Where the documents' side panels go.
    void setSidePanelArea(QStackedWidget* area) { m_sidePanels = area; }

    // A new document with its view, as the last page titled `title`; null when it could not
    // be made.
    CExtendedXmlDocument* createDocument(const std::string& title);
    CExtendedXmlDocument* extendedAt(int index) const;
    int indexOf(const IDocument* document) const;

    // The active page, -1 when none.
    int activeIndex() const;
    void setActiveIndex(int index);
    CExtendedXmlDocument* activeDocument() const { return extendedAt(activeIndex()); }
    // Moves a page to the first position.
    void moveToFront(int index);

    // Sets a document's title and shows it on its tab.
    void setTitle(IDocument* document, const std::string& title);
    QTabWidget* tabWindow() const { return m_tabs; }

signals:
    // A document and its view were made, before its page is added.
    void documentCreated(vorn::CExtendedXmlDocument* document);
    // A page became the active one (-1: no page is left).
    void activated(int index);
    // A document's modified mark changed.
    void modifiedChanged(vorn::IDocument* document);
    // The user asked for the context menu of a tab.
    void tabContextMenuRequested(int index, const QPoint& globalPosition);

private:
    void showTitle(int index);

    IPrompts& m_prompts;
    QPointer<QTabWidget> m_tabs;
    QPointer<QStackedWidget> m_sidePanels;
    // By each page's view, as the tab strip knows the pages.
    std::map<const QWidget*, std::unique_ptr<CExtendedXmlDocument>> m_documents;
};

} // namespace vorn
