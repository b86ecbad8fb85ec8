#include "view/xml_lexer.h"

#include "highlight/colouring.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <string>

namespace vorn {

namespace {

constexpr int kStyleCount = 6; // TextColour's values are the style numbers

// Lines are styled in batches of about this many bytes, so that colouring a whole text for
// printing never holds a second copy of it.
constexpr long kBatchBytes = 1 << 20;

QColor toColor(std::uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

CXmlLexer::CXmlLexer(QObject* parent) : QsciLexerCustom(parent) {}

const char* CXmlLexer::language() const {
    return "Vorn XML";
}

QString CXmlLexer::description(int style) const {
    switch (static_cast<TextColour>(style)) {
    case TextColour::Black:
        return "Default";
    case TextColour::TagName:
        return "Tag name";
    case TextColour::String:
        return "Quoted string";
    case TextColour::ActionName:
        return "Action name";
    case TextColour::RecordName:
        return "Record name";
    case TextColour::OtherName:
        return "Other name";
    }
    return {};
}

QColor CXmlLexer::defaultColor(int style) const {
    if (style < 0 || style >= kStyleCount)
        return Qt::black;
    return toColor(colourRgb(static_cast<TextColour>(style)));
}

QFont CXmlLexer::defaultFont(int style) const {
    return QsciLexerCustom::defaultFont(style);
}

QColor CXmlLexer::defaultPaper(int) const {
    return Qt::white;
}

CXmlLexer::Lines CXmlLexer::visibleLines() const {
    QsciScintilla* view = editor();
    const int lineCount = static_cast<int>(view->SendScintilla(QsciScintilla::SCI_GETLINECOUNT));
    const int first = static_cast<int>(
        view->SendScintilla(QsciScintilla::SCI_DOCLINEFROMVISIBLE,
                            view->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE)));
    // The line cut by the bottom edge is on screen too.
    const int onScreen = static_cast<int>(view->SendScintilla(QsciScintilla::SCI_LINESONSCREEN));
    const int last = std::min(first + onScreen, lineCount - 1);
    return {first, last};
}

void CXmlLexer::syncLineCount() {
    applyEdit();
    const auto lineCount =
        static_cast<std::size_t>(editor()->SendScintilla(QsciScintilla::SCI_GETLINECOUNT));
    if (m_coloured.size() != lineCount) {
        // Out of step (no modification seen yet): nothing is known to be coloured.
        m_coloured.assign(lineCount, 0);
        m_colouredLines = 0;
    }
}

void CXmlLexer::mark(int line, bool coloured) {
    std::uint8_t& flag = m_coloured[static_cast<std::size_t>(line)];
    if (flag != static_cast<std::uint8_t>(coloured)) {
        flag = coloured;
        m_colouredLines += coloured ? 1 : -1;
    }
}

bool CXmlLexer::isLineColoured(int line) {
    applyEdit();
    return line >= 0 && static_cast<std::size_t>(line) < m_coloured.size() &&
           m_coloured[static_cast<std::size_t>(line)] != 0;
}

int CXmlLexer::colouredLineCount() {
    applyEdit();
    return m_colouredLines;
}

void CXmlLexer::beforeEdit(int position) {
    if (!editor())
        return;
    applyEdit();
    m_editPending = true;
    m_editLine =
        static_cast<int>(editor()->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, position));
    m_linesBeforeEdit = static_cast<int>(editor()->SendScintilla(QsciScintilla::SCI_GETLINECOUNT));
}

void CXmlLexer::applyEdit() {
    if (!m_editPending || !editor())
        return;
    m_editPending = false;
    const int lineCount =
        static_cast<int>(editor()->SendScintilla(QsciScintilla::SCI_GETLINECOUNT));
    const int added = lineCount - m_linesBeforeEdit;
    const auto line = static_cast<std::size_t>(m_editLine);
    if (line >= m_coloured.size() ||
        (added < 0 && line + static_cast<std::size_t>(-added) >= m_coloured.size())) {
        syncLineCount();
        return;
    }
    const auto after = m_coloured.begin() + static_cast<std::ptrdiff_t>(line) + 1;
    if (added > 0) {
        m_coloured.insert(after, static_cast<std::size_t>(added), 0);
    } else if (added < 0) {
        const auto removed = after - added;
        m_colouredLines -= static_cast<int>(std::count(after, removed, std::uint8_t{1}));
        m_coloured.erase(after, removed);
    }
    syncLineCount();
    // The edited line, and its neighbours where a CR and an LF may have joined or parted.
    for (int near = std::max(m_editLine - 1, 0); near <= std::min(m_editLine + 1, lineCount - 1);
         ++near)
        mark(near, false);
}

void CXmlLexer::colourLines(int first, int last) {
    QsciScintilla* view = editor();
    std::string text;
    std::string styles;
    std::vector<ColourSpan> spans;
    while (first <= last) {
        // A batch of whole lines of about kBatchBytes.
        const long begin = view->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, first);
        int batchLast = first;
        long end = view->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, first + 1);
        while (batchLast < last && end - begin < kBatchBytes) {
            ++batchLast;
            end = view->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, batchLast + 1);
        }
        if (end < begin) // the last line: POSITIONFROMLINE past it gives -1
            end = view->SendScintilla(QsciScintilla::SCI_GETLENGTH);
        const auto size = static_cast<std::size_t>(end - begin);
        if (size > 0) {
            text.resize(size + 1); // Scintilla ends the range with a zero byte
            view->SendScintilla(QsciScintilla::SCI_GETTEXTRANGE, begin, end, text.data());
            text.resize(size);
            spans.clear();
            colourText(text, 0, size, spans);
            styles.assign(size, static_cast<char>(TextColour::Black));
            for (const ColourSpan& span : spans)
                std::fill_n(styles.begin() + static_cast<std::ptrdiff_t>(span.offset), span.length,
                            static_cast<char>(span.colour));
            view->SendScintilla(QsciScintilla::SCI_STARTSTYLING, static_cast<unsigned long>(begin),
                                0L);
            view->SendScintilla(QsciScintilla::SCI_SETSTYLINGEX, size, styles.data());
        }
        for (int line = first; line <= batchLast; ++line)
            mark(line, true);
        first = batchLast + 1;
    }
}

void CXmlLexer::styleText(int start, int end) {
    QsciScintilla* view = editor();
    if (!view || start >= end)
        return;
    syncLineCount();
    const Lines visible = visibleLines();
    const int first =
        std::max(static_cast<int>(view->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, start)),
                 visible.first);
    const int last = std::min(
        static_cast<int>(view->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, end - 1)),
        visible.last);
    if (first <= last)
        colourLines(first, last);
}

void CXmlLexer::colourVisibleLines() {
    QsciScintilla* view = editor();
    if (!view)
        return;
    syncLineCount();
    const Lines visible = visibleLines();
    const long endStyled = view->SendScintilla(QsciScintilla::SCI_GETENDSTYLED);
    const long length = view->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    bool styled = false;
    for (int line = visible.first; line <= visible.last;) {
        if (isLineColoured(line) ||
            view->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line) >= length) {
            ++line;
            continue;
        }
        int runLast = line;
        while (runLast < visible.last && !isLineColoured(runLast + 1))
            ++runLast;
        colourLines(line, runLast);
        styled = true;
        line = runLast + 1;
    }
    // Styling moved Scintilla's mark of how far the text is styled; what lay before it still is.
    if (styled && view->SendScintilla(QsciScintilla::SCI_GETENDSTYLED) < endStyled)
        view->SendScintilla(QsciScintilla::SCI_STARTSTYLING, static_cast<unsigned long>(endStyled),
                            0L);
}

void CXmlLexer::colourAllLines() {
    QsciScintilla* view = editor();
    if (!view)
        return;
    syncLineCount();
    const int lineCount = static_cast<int>(view->SendScintilla(QsciScintilla::SCI_GETLINECOUNT));
    colourLines(0, lineCount - 1);
}

} // namespace vorn
