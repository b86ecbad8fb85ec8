#include "view/view.h"

namespace vorn {

CView::CView(QWidget* parent) : QsciScintilla(parent) {
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    setUtf8(true);
}

void CView::setDocumentText(const std::string& bytes) {
    SendScintilla(SCI_SETTEXT, static_cast<unsigned long>(0), bytes.c_str());
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
}

std::string CView::documentText() const {
    const long length = SendScintilla(SCI_GETTEXTLENGTH);
    std::string bytes(static_cast<std::size_t>(length) + 1, '\0');
    SendScintilla(SCI_GETTEXT, static_cast<unsigned long>(length + 1), bytes.data());
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

std::string CView::selectedBytes() const {
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    if (end <= start)
        return {};
    std::string bytes(static_cast<std::size_t>(end - start) + 1, '\0');
    SendScintilla(SCI_GETSELTEXT, static_cast<unsigned long>(0), bytes.data());
    bytes.resize(static_cast<std::size_t>(end - start));
    return bytes;
}

int CView::caretLine() const {
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, pos)) + 1;
}

int CView::caretColumn() const {
    if (SendScintilla(SCI_GETSELECTIONSTART) != SendScintilla(SCI_GETSELECTIONEND))
        return m_lastColumn;
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const long lineStart =
        SendScintilla(SCI_POSITIONFROMLINE, SendScintilla(SCI_LINEFROMPOSITION, pos));
    int column = 0;
    for (long p = lineStart; p < pos; ++p)
        column = SendScintilla(SCI_GETCHARAT, p) == '\t' ? (column / 8 + 1) * 8 : column + 1;
    m_lastColumn = column + 1;
    return m_lastColumn;
}

int CView::lineCount() const {
    return static_cast<int>(SendScintilla(SCI_GETLINECOUNT));
}

void CView::scrollToLine(int line) {
    const long zeroBased = line > 0 ? line - 1 : 0;
    SendScintilla(SCI_SETFIRSTVISIBLELINE, zeroBased > 2 ? zeroBased - 2 : 0);
    const long pos = SendScintilla(SCI_POSITIONFROMLINE, zeroBased);
    SendScintilla(SCI_SETSEL, pos, pos);
}

} // namespace vorn
