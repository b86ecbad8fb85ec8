// The text view of one document: a Scintilla editor holding the document's XML as UTF-8
// bytes, with the dialect's colouring and editing keys.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <string>

namespace vorn {

class CView : public QsciScintilla {
    Q_OBJECT

public:
    explicit CView(QWidget* parent = nullptr);

    // The whole text as bytes, exactly as stored: no transcoding through QString, so bytes
    // that are not valid UTF-8 survive a load and a save unchanged.
    void setDocumentText(const std::string& bytes);
    std::string documentText() const;
    std::string selectedBytes() const;

    // The status bar's figures: 1-based caret line, the caret column with tabs to the next
    // multiple of 8 (kept while a selection exists), and the number of lines.
    int caretLine() const;
    int caretColumn() const;
    int lineCount() const;

    // Puts the caret on the first character of a 1-based line and brings it into view with
    // the line third from the top.
    void scrollToLine(int line);

private:
    mutable int m_lastColumn = 1;
};

} // namespace vorn
