// One open document: its text view, font, path, title and side panel. The commands reach a
// document only through IDocument, so that documents of other kinds can join the tabs later.
#pragma once

#include "documents/side_panel.h"
#include "view/view.h"

#include <QFont>
#include <QObject>
#include <QPointer>

#include <string>
#include <string_view>
#include <utility>

class QWidget;

namespace vorn {

class IPrompts;

// The font a document starts with: "Courier New" 16 pixels high (12 points) where it is
// installed, else the system's fixed-pitch font of that size.
QFont defaultDocumentFont();

class IDocument {
public:
    virtual ~IDocument() = default;

    // True for a document the close, save and per-document commands pass over. XML
    // documents never are.
    virtual bool isSkipped() const = 0;
    // Creates the text view as a child of `parent`; the document keeps it until it goes.
    virtual CView* createView(QWidget* parent) = 0;
    virtual CView* view() const = 0;
    virtual void setFont(const QFont& font) = 0;
    virtual QFont font() const = 0;
    virtual bool isModified() const = 0;
    // Clears the modified mark, after the text was saved.
    virtual void markSaved() = 0;
    // Replaces the whole text (bytes as the view keeps them); the modified mark goes off.
    virtual void setText(std::string_view bytes) = 0;
    // The same for a text the caller has no more use for: its memory is given back piece by
    // piece as the view takes it in, so that a large movie's text is never held twice.
    virtual void takeText(std::string bytes) = 0;
    // The full path of the file (bytes, as the file system names it); a new document's path
    // is its title.
    virtual void setPath(const std::string& path) = 0;
    virtual const std::string& path() const = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;
    virtual void cut() = 0;
    virtual void copy() = 0;
    virtual void paste() = 0;
    virtual void selectAll() = 0;
    // Deletes the selection.
    virtual void deleteSelection() = 0;
    // The first and last byte positions of the selection.
    virtual std::pair<long, long> selection() const = 0;
};

// A document of the dialect's text in a CView.
class XmlDocument : public IDocument {
public:
    explicit XmlDocument(IPrompts& prompts);
    ~XmlDocument() override;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    bool isSkipped() const override { return false; }
    CView* createView(QWidget* parent) override;
    CView* view() const override { return m_view.data(); }
    void setFont(const QFont& font) override;
    QFont font() const override { return m_font; }
    bool isModified() const override;
    void markSaved() override;
    void setText(std::string_view bytes) override;
    void takeText(std::string bytes) override;
    void setPath(const std::string& path) override { m_path = path; }
    const std::string& path() const override { return m_path; }
    void undo() override;
    void redo() override;
    void cut() override;
    void copy() override;
    void paste() override;
    void selectAll() override;
    void deleteSelection() override;
    std::pair<long, long> selection() const override;

private:
    IPrompts& m_prompts;
    // Guarded: the window may delete the view with its own children before the owner
    // deletes the document.
    QPointer<CView> m_view;
    QFont m_font;
    std::string m_path;
};

// An XML document with its side panel, which the frame shows beside the text while the
// document is active.
class CExtendedXmlDocument : public XmlDocument {
public:
    explicit CExtendedXmlDocument(IPrompts& prompts);
    ~CExtendedXmlDocument() override;

    CSidePanel* sidePanel() const { return m_sidePanel.data(); }
    // Creates the side panel as a child of `parent`.
    CSidePanel* createSidePanel(QWidget* parent);
    // Builds the side panel's content from the text again.
    void rebuildExtendedInfo();

    // The tab's title: the file name, or a new document's title.
    const std::string& title() const { return m_title; }
    void setTitle(const std::string& title) { m_title = title; }

private:
    QPointer<CSidePanel> m_sidePanel;
    std::string m_title;
};

} // namespace vorn
