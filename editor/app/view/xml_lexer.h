// Colouring of the dialect's text in the view. Only lines that come on screen are coloured:
// Scintilla asks for styles from the first unstyled position up to what it paints, which after
// a jump to the end of a large text is everything before it, so each request is clamped to the
// lines on screen and the lexer remembers, per line, whether it carries colours.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <cstdint>
#include <vector>

namespace vorn {

class CXmlLexer : public QsciLexerCustom {
    Q_OBJECT

public:
    explicit CXmlLexer(QObject* parent = nullptr);

    const char* language() const override;
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    QColor defaultPaper(int style) const override;

    // Scintilla's request: style from start (a line start) up to end.
    void styleText(int start, int end) override;

    // Keeps the per-line marks in step with the text: every line an edit touches loses its
    // colours' mark, and marks move with inserted and deleted line breaks. Called before
    // each insertion or deletion (the notifications after an edit are left off: Scintilla's
    // accessibility counts every character before the edit for each of them); the line count
    // after the edit is taken when the marks are next used.
    void beforeEdit(int position);

    // Colours the lines on screen that are not coloured yet.
    void colourVisibleLines();
    // Colours every line (printing shows the whole text).
    void colourAllLines();

    int colouredLineCount();
    bool isLineColoured(int line);

private:
    struct Lines {
        int first;
        int last;
    };
    Lines visibleLines() const;
    void syncLineCount();
    void applyEdit();
    // Styles whole lines [first, last] and marks them.
    void colourLines(int first, int last);
    void mark(int line, bool coloured);

    std::vector<std::uint8_t> m_coloured; // one mark per line of the text
    int m_colouredLines = 0;
    // The edit announced last and not yet applied to the marks.
    bool m_editPending = false;
    int m_editLine = 0;
    int m_linesBeforeEdit = 0;
};

} // namespace vorn
