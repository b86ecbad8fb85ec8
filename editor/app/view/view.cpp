#include "view/view.h"

#include "highlight/editing.h"
#include "templates/templates.h"
#include "view/chooser.h"
#include "view/prompts.h"
#include "view/xml_lexer.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QWheelEvent>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace vorn {

namespace {

// The chooser opens this far below the caret's top: further when typing '<' asked for it,
// so that the line being typed stays in sight.
constexpr int kCompletionBelow = 15;
constexpr int kMenuBelow = 10;

constexpr std::size_t kTypingRoom = 1 << 20;

// The view's accessible object while no assistive technology listens: Scintilla's own counts
// every character before the caret whenever the caret moves, which a large text cannot afford.
QAccessibleInterface* plainAccessibleView(const QString& key, QObject* object) {
    if (key == QLatin1String("vorn::CView") && !QAccessible::isActive() && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
    return nullptr;
}

} // namespace

CView::CView(IPrompts& prompts, QWidget* parent)
    : QsciScintilla(parent), m_prompts(prompts), m_lexer(new CXmlLexer(this)) {
    static const bool accessibleViewInstalled =
        (QAccessible::installFactory(plainAccessibleView), true);
    (void)accessibleViewInstalled;
    setUtf8(true);
    SendScintilla(SCI_SETCODEPAGE, SC_CP_UTF8);
    setLexer(m_lexer);
    setTextFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A plain text surface: no margins, no folding, tabs shown eight columns wide as the
    // status bar counts them.
    setMarginWidth(0, 0);
    setMarginWidth(1, 0);
    setMarginWidth(2, 0);
    SendScintilla(SCI_SETTABWIDTH, 8);
    SendScintilla(SCI_SETWRAPMODE, SC_WRAP_NONE);
    // Only the announcements of edits: the notifications after an edit make Scintilla's
    // accessibility count every character before the edit, which on a large text costs more
    // than a keystroke may. (So textChanged() is not emitted; modificationChanged() is.)
    SendScintilla(SCI_SETMODEVENTMASK, SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int, int, int, int, int, int, int) {
                if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE))
                    m_lexer->beforeEdit(position);
            });
}

CView::~CView() = default;

long CView::sci(unsigned int message, unsigned long wParam, long lParam) const {
    return SendScintilla(message, wParam, lParam);
}

void CView::setDocumentText(std::string_view bytes) {
    // No undo record of the old or the new text: for a large document that would be a
    // second copy of each.
    sci(SCI_SETUNDOCOLLECTION, 0);
    sci(SCI_CLEARALL);
    // Room for the text and for typing: without spare room the first keystroke would copy
    // the whole text (and its colours) into a larger buffer.
    sci(SCI_ALLOCATE, bytes.size() + kTypingRoom);
    SendScintilla(SCI_APPENDTEXT, static_cast<uintptr_t>(bytes.size()), bytes.data());
    sci(SCI_SETUNDOCOLLECTION, 1);
    sci(SCI_EMPTYUNDOBUFFER);
    sci(SCI_SETSAVEPOINT);
    // New lines follow the document's own line breaks.
    int eol = SC_EOL_LF;
    if (const std::size_t at = bytes.find_first_of("\r\n");
        at != std::string_view::npos && bytes[at] == '\r')
        eol = at + 1 < bytes.size() && bytes[at + 1] == '\n' ? SC_EOL_CRLF : SC_EOL_CR;
    sci(SCI_SETEOLMODE, static_cast<unsigned long>(eol));
    sci(SCI_GOTOPOS, 0);
    colourVisibleRange();
}

std::string CView::documentText() const {
    // Copied in one piece from where the view keeps the text: the view's own copy goes a
    // character at a time, which costs a save or a check of a large movie a noticeable pause.
    const auto length = static_cast<std::size_t>(sci(SCI_GETLENGTH));
    if (length == 0)
        return {};
    const auto* text = reinterpret_cast<const char*>(SendScintilla(SCI_GETCHARACTERPOINTER));
    return std::string(text, length);
}

std::string CView::textRange(long begin, long end) const {
    if (end <= begin)
        return {};
    std::string bytes(static_cast<std::size_t>(end - begin) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, begin, end, bytes.data());
    bytes.resize(static_cast<std::size_t>(end - begin));
    return bytes;
}

std::string CView::lineText(long line) const {
    return textRange(sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)),
                     sci(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line)));
}

std::string CView::selectedBytes() const {
    return textRange(sci(SCI_GETSELECTIONSTART), sci(SCI_GETSELECTIONEND));
}

void CView::setTextFont(const QFont& font) {
    m_lexer->setFont(font);
    colourVisibleRange();
}

QFont CView::textFont() const {
    return m_lexer->font(0);
}

int CView::caretLine() const {
    return static_cast<int>(sci(SCI_LINEFROMPOSITION, sci(SCI_GETCURRENTPOS))) + 1;
}

int CView::caretColumn() const {
    if (sci(SCI_GETSELECTIONSTART) != sci(SCI_GETSELECTIONEND))
        return m_lastColumn;
    m_lastColumn = static_cast<int>(columnAt(sci(SCI_GETCURRENTPOS)));
    return m_lastColumn;
}

std::size_t CView::columnAt(long position) const {
    const long lineStart = sci(SCI_POSITIONFROMLINE, sci(SCI_LINEFROMPOSITION, position));
    return vorn::caretColumn(textRange(lineStart, position));
}

int CView::lineCount() const {
    return static_cast<int>(sci(SCI_GETLINECOUNT));
}

void CView::scrollToLine(int line) {
    const int zeroBased = std::clamp(line, 1, lineCount()) - 1;
    const long position = sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(zeroBased));
    sci(SCI_SETSEL, static_cast<unsigned long>(position), position);
    sci(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(std::max(zeroBased - 2, 0)));
    colourVisibleRange();
}

void CView::colourVisibleRange() {
    m_lexer->colourVisibleLines();
}

void CView::colourWholeText() {
    m_lexer->colourAllLines();
}

int CView::colouredLineCount() const {
    return m_lexer->colouredLineCount();
}

bool CView::isLineColoured(int line) const {
    return m_lexer->isLineColoured(line);
}

bool CView::insertMode() const {
    return overwriteMode();
}

std::string CView::withDocumentLineBreaks(std::string text) const {
    const long eol = sci(SCI_GETEOLMODE);
    if (eol == SC_EOL_LF)
        return text;
    const std::string lineBreak = eol == SC_EOL_CRLF ? "\r\n" : "\r";
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            result += lineBreak;
        else
            result += c;
    }
    return result;
}

void CView::insertTemplate(int kind) {
    TemplateKind templateKind;
    switch (kind) {
    case 0:
        templateKind = TemplateKind::Tag;
        break;
    case 1:
        templateKind = TemplateKind::Action;
        break;
    case 2:
        templateKind = TemplateKind::Record;
        break;
    default:
        m_prompts.warning(this, "Unexpected Error", "Message");
        return;
    }
    // The template goes in at the selection's start; the selection itself stays in the text.
    const long start = sci(SCI_GETSELECTIONSTART);
    sci(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(start));
    chooseTemplate(templateKind, start, kMenuBelow);
}

void CView::chooseTemplate(TemplateKind kind, long replaceFrom, int below) {
    const long opened = sci(SCI_GETCURRENTPOS);
    const std::size_t column = columnAt(opened);
    CHelpSwfListBox chooser(*this, kind);
    chooser.placeAtCaret(below);
    if (m_prompts.exec(chooser) == QDialog::Accepted && !chooser.chosen().isEmpty()) {
        const std::string text =
            withDocumentLineBreaks(BuildTemplate(kind, chooser.chosen().toStdString(), column));
        if (!text.empty()) {
            // The template takes the place of what was typed to find it: the '<' that opened
            // the list and the letters typed while it was open.
            const long end = std::min(opened + chooser.typedCount(), sci(SCI_GETLENGTH));
            sci(SCI_BEGINUNDOACTION);
            sci(SCI_SETTARGETSTART, static_cast<unsigned long>(replaceFrom));
            sci(SCI_SETTARGETEND, static_cast<unsigned long>(end));
            SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(text.size()), text.data());
            sci(SCI_GOTOPOS, static_cast<unsigned long>(replaceFrom) + text.size());
            sci(SCI_ENDUNDOACTION);
        }
    }
    colourVisibleRange();
}

void CView::completeAfterLessThan() {
    const long caret = sci(SCI_GETCURRENTPOS);
    if (caret < 1 || sci(SCI_GETCHARAT, static_cast<unsigned long>(caret - 1)) != '<' ||
        sci(SCI_GETSELECTIONSTART) != sci(SCI_GETSELECTIONEND))
        return;
    const long line = sci(SCI_LINEFROMPOSITION, caret);
    if (line < 1)
        return;
    const auto kind = completionKind(static_cast<std::size_t>(line), lineText(line - 1));
    if (kind)
        chooseTemplate(*kind, caret - 1, kCompletionBelow);
}

bool CView::searchInTarget(std::string_view text, int flags, long from, long to) {
    const long low = std::min(from, to);
    const long high = std::max(from, to);
    if (high <= low)
        return false;
    // The range's bytes in one piece: Scintilla moves its gap out of the range if need be,
    // which after a replacement (the gap sits just before the range) costs nothing.
    const auto* bytes = reinterpret_cast<const char*>(static_cast<std::intptr_t>(
        sci(SCI_GETRANGEPOINTER, static_cast<unsigned long>(low), high - low)));
    const auto byteAt = [this](long position) {
        return static_cast<unsigned char>(
            position < 0 || position >= sci(SCI_GETLENGTH)
                ? 0
                : sci(SCI_GETCHARAT, static_cast<unsigned long>(position)));
    };
    const auto match = findInRange(std::string_view(bytes, static_cast<std::size_t>(high - low)),
                                   text, flags, from > to, byteAt(low - 1), byteAt(high));
    if (!match)
        return false;
    sci(SCI_SETTARGETSTART, static_cast<unsigned long>(low) + match->begin);
    sci(SCI_SETTARGETEND, static_cast<unsigned long>(low) + match->end);
    return true;
}

bool CView::findNextMatch(std::string_view text, int flags) {
    if (text.empty())
        return false;
    const bool down = flags & SearchDown;
    const long from = down ? sci(SCI_GETSELECTIONEND) : sci(SCI_GETSELECTIONSTART);
    const long to = down ? sci(SCI_GETLENGTH) : 0;
    if (!searchInTarget(text, flags, from, to))
        return false;
    sci(SCI_SETSEL, static_cast<unsigned long>(sci(SCI_GETTARGETSTART)), sci(SCI_GETTARGETEND));
    colourVisibleRange();
    return true;
}

bool CView::replaceMatch(std::string_view text, std::string_view replacement, int flags) {
    const long start = sci(SCI_GETSELECTIONSTART);
    const long end = sci(SCI_GETSELECTIONEND);
    // Only a selection that is the search text itself is replaced (whole word aside: the
    // selection is the word).
    if (start != end && searchInTarget(text, flags & SearchMatchCase, start, end) &&
        sci(SCI_GETTARGETSTART) == start && sci(SCI_GETTARGETEND) == end) {
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(replacement.size()),
                      std::string(replacement).c_str());
        const long after = start + static_cast<long>(replacement.size());
        sci(SCI_SETSEL, static_cast<unsigned long>(after), after);
    }
    return findNextMatch(text, flags | SearchDown);
}

int CView::replaceAll(std::string_view text, std::string_view replacement, int flags) {
    if (text.empty() ||
        !searchInTarget(text, flags, sci(SCI_GETSELECTIONSTART), sci(SCI_GETLENGTH)))
        return 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    const std::string with(replacement);
    int count = 0;
    long after = 0;
    sci(SCI_BEGINUNDOACTION);
    do {
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(with.size()), with.c_str());
        after = sci(SCI_GETTARGETEND);
        ++count;
    } while (searchInTarget(text, flags, after, sci(SCI_GETLENGTH)));
    sci(SCI_ENDUNDOACTION);
    sci(SCI_SETSEL, static_cast<unsigned long>(after), after);
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
    colourVisibleRange();
    return count;
}

QMenu* CView::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->addAction("&Undo", this, &CView::undo);
    menu->addAction("&Redo", this, &CView::redo);
    menu->addSeparator();
    menu->addAction("Cut", this, &CView::cut);
    menu->addAction("Cut All", this, &CView::cutAll);
    menu->addAction("Copy", this, &CView::copy);
    menu->addAction("Copy All", this, &CView::copyAll);
    menu->addAction("Paste", this, &CView::paste);
    menu->addAction("Delete", this, &CView::clear);
    menu->addAction("Select All", this, [this] { selectAll(); });
    menu->addSeparator();
    menu->addAction("Save Base64 As Binary...", this, &CView::saveBase64Requested);
    menu->addSeparator();
    menu->addAction("Insert Color As Hex...", this, &CView::insertColorRequested);
    menu->addAction("Show Color", this, &CView::showColorRequested);
    menu->addSeparator();
    menu->addAction("Insert Tag Template...", this, [this] { insertTemplate(0); });
    menu->addAction("Insert Action Template...", this, [this] { insertTemplate(1); });
    menu->addAction("Insert Struct Template...", this, [this] { insertTemplate(2); });
    return menu;
}

void CView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CView::undo() {
    QsciScintilla::undo();
    colourVisibleRange();
}

void CView::redo() {
    QsciScintilla::redo();
    colourVisibleRange();
}

void CView::cut() {
    QsciScintilla::cut();
    colourVisibleRange();
}

void CView::copy() {
    QsciScintilla::copy();
}

void CView::paste() {
    QsciScintilla::paste();
    colourVisibleRange();
}

void CView::clear() {
    if (sci(SCI_GETSELECTIONSTART) != sci(SCI_GETSELECTIONEND))
        SendScintilla(SCI_REPLACESEL, "");
    colourVisibleRange();
}

void CView::selectAll(bool select) {
    QsciScintilla::selectAll(select);
    colourVisibleRange();
}

void CView::cutAll() {
    selectAll();
    cut();
}

void CView::copyAll() {
    selectAll();
    copy();
    sci(SCI_GOTOPOS, 0);
}

void CView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Insert:
        if (plain) {
            setOverwriteMode(!overwriteMode());
            emit insertModeChanged(overwriteMode());
            return;
        }
        break;
    case Qt::Key_Tab:
        if (plain) {
            // Four blanks, never a tab character: the dialect is indented with blanks.
            SendScintilla(SCI_REPLACESEL, "    ");
            return;
        }
        break;
    case Qt::Key_Home:
        if (plain) {
            // Markup first: before the line's last '<', or the line start without one.
            const long line = sci(SCI_LINEFROMPOSITION, sci(SCI_GETCURRENTPOS));
            const long start = sci(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
            sci(SCI_GOTOPOS, static_cast<unsigned long>(start) + homeTarget(lineText(line)));
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (plain) {
            // The line break and its indentation are one step to undo.
            sci(SCI_BEGINUNDOACTION);
            QsciScintilla::keyPressEvent(event);
            const long line = sci(SCI_LINEFROMPOSITION, sci(SCI_GETCURRENTPOS));
            if (line > 0) {
                const std::size_t blanks =
                    enterIndent(static_cast<std::size_t>(line), lineText(line - 1));
                if (blanks > 0)
                    SendScintilla(SCI_REPLACESEL, std::string(blanks, ' ').c_str());
            }
            sci(SCI_ENDUNDOACTION);
            return;
        }
        break;
    default:
        break;
    }
    QsciScintilla::keyPressEvent(event);
    if (event->text() == QLatin1String("<"))
        completeAfterLessThan();
}

void CView::wheelEvent(QWheelEvent* event) {
    // Two lines a notch (120 eighths of a degree), the view's own pace; a fine-grained wheel
    // or touchpad adds up to whole notches. Other wheels and modifiers go to Scintilla.
    const QPoint angle = event->angleDelta();
    if (event->modifiers() != Qt::NoModifier || angle.y() == 0 || angle.x() != 0) {
        QsciScintilla::wheelEvent(event);
        return;
    }
    m_wheelAngle += angle.y();
    const int notches = m_wheelAngle / 120;
    m_wheelAngle -= notches * 120;
    if (notches != 0)
        sci(SCI_LINESCROLL, 0, -2L * notches);
    event->accept();
}

void CView::paintEvent(QPaintEvent* event) {
    // Whatever scrolled into view since the last paint gets its colours before it is drawn.
    m_lexer->colourVisibleLines();
    QsciScintilla::paintEvent(event);
}

} // namespace vorn
