// The text view of one document: a Scintilla editor holding the document's XML as UTF-8
// bytes, with the dialect's colouring, its editing keys, the template chooser, searching and
// the view's context menu. Keys: Enter indents the new line to the first '<' of the line above
// (from the third line on), Tab types four blanks, Home goes before the line's last '<', '<'
// opens the list of names to complete, Insert switches overtype, and the wheel scrolls two
// lines a notch.
#pragma once

#include "templates/templates.h"
#include "view/text_search.h"

#include <Qsci/qsciscintilla.h>

#include <string>
#include <string_view>

class QMenu;

namespace vorn {

class CXmlLexer;
class IPrompts;

class CView : public QsciScintilla {
    Q_OBJECT

public:
    // Boxes and dialogs of the view go through `prompts`, which must outlive the view.
    explicit CView(IPrompts& prompts, QWidget* parent = nullptr);
    ~CView() override;

    IPrompts& prompts() const { return m_prompts; }

    // The whole text as bytes, exactly as stored: no transcoding through QString (so not
    // QsciScintilla::text() and setText()), so bytes that are not valid UTF-8 survive a load
    // and a save unchanged. Setting the text empties the undo history and clears the modified
    // mark: isModified(), with modificationChanged() emitted the moment an edit sets or an
    // undo clears it. textChanged() is not emitted: its notification costs a count of every
    // character before the edit.
    void setDocumentText(std::string_view bytes);
    std::string documentText() const;
    std::string selectedBytes() const;

    // The font of the whole text, in every colour.
    void setTextFont(const QFont& font);
    QFont textFont() const;

    // The status bar's figures: 1-based caret line, the caret column with tabs to the next
    // multiple of 8 (kept while a selection exists), and the number of lines.
    int caretLine() const;
    int caretColumn() const;
    int lineCount() const;

    // Puts the caret on the first character of a 1-based line (clamped to the text) and
    // scrolls so that the line is third from the top when the text is long enough.
    void scrollToLine(int line);

    // Colours the lines on screen that are not coloured yet. Painting does this by itself;
    // commands that move the view call it so that what they show is coloured at once.
    void colourVisibleRange();
    // How many lines carry colours now, and whether one does: only lines that have been on
    // screen do.
    int colouredLineCount() const;
    bool isLineColoured(int line) const;
    // Colours every line, for printing.
    void colourWholeText();

    // The Insert key's mark: true while typing overwrites. The status bar shows it.
    bool insertMode() const;

    // Opens the template chooser at the caret and inserts the chosen template: kind 0 tags,
    // 1 actions, 2 records; any other kind shows "Unexpected Error".
    void insertTemplate(int kind);

    // Searching, as the Find and Replace dialogs ask for it; `text` is UTF-8 and `flags`
    // combines SearchFlag values. Each returns whether a match was found and selected.
    // Find Next looks from the selection's end downwards, or from its start upwards.
    bool findNextMatch(std::string_view text, int flags);
    // Replaces the selection when it is the search text, then finds the next match below.
    bool replaceMatch(std::string_view text, std::string_view replacement, int flags);
    // Replaces every match from the selection start on, as one undoable step; returns the
    // number of replacements.
    int replaceAll(std::string_view text, std::string_view replacement, int flags);

    // The view's context menu, owned by the caller.
    QMenu* createContextMenu(QWidget* parent);

public slots:
    // The editing commands; each leaves what is on screen coloured. clear() deletes the
    // selection only (the Delete command), unlike the base class, which empties the text.
    void undo() override;
    void redo() override;
    void cut() override;
    void copy() override;
    void paste() override;
    void clear() override;
    void selectAll(bool select = true) override;
    void cutAll();
    void copyAll();

signals:
    void insertModeChanged(bool on);
    // Context-menu entries carried out by the tools elsewhere.
    void saveBase64Requested();
    void insertColorRequested();
    void showColorRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    long sci(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    std::string textRange(long begin, long end) const;
    std::string lineText(long line) const; // without its line break
    std::size_t columnAt(long position) const;
    std::string withDocumentLineBreaks(std::string text) const;
    // Runs the chooser at the caret; a chosen template replaces the text from `replaceFrom`
    // to the caret together with what was typed while the list was open.
    void chooseTemplate(TemplateKind kind, long replaceFrom, int below);
    void completeAfterLessThan();
    // Searches between from and to, backwards when from > to, and leaves the match as
    // Scintilla's target.
    bool searchInTarget(std::string_view text, int flags, long from, long to);

    IPrompts& m_prompts;
    CXmlLexer* m_lexer;
    mutable int m_lastColumn = 1;
    int m_wheelAngle = 0; // turned but not yet scrolled, in eighths of a degree
};

} // namespace vorn
