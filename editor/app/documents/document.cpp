#include "documents/document.h"

#include "documents/side_panel.h"
#include "view/view.h"

#include <QFontDatabase>
#include <QSignalBlocker>

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

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

namespace {

// Pieces in which a large text goes into the view.
constexpr std::size_t kTextPiece = std::size_t{16} << 20;

// The view's notifications of text going in, off for as long as the object lives. The text
// widget turns every inserted text it reports into a string of its own and counts the
// characters before it, which for a whole movie's text costs a second and twice the text's
// size in memory; nothing needs to hear of a new text piece by piece, since the view's
// colouring starts afresh with it.
class QuietInsertion {
public:
    explicit QuietInsertion(CView& view)
        : m_view(view), m_events(view.SendScintilla(QsciScintilla::SCI_GETMODEVENTMASK)) {
        m_view.SendScintilla(QsciScintilla::SCI_SETMODEVENTMASK, 0UL);
    }
    ~QuietInsertion() {
        m_view.SendScintilla(QsciScintilla::SCI_SETMODEVENTMASK,
                             static_cast<unsigned long>(m_events));
    }
    QuietInsertion(const QuietInsertion&) = delete;
    QuietInsertion& operator=(const QuietInsertion&) = delete;

private:
    CView& m_view;
    long m_events;
};

// Gives the whole pages of bytes[begin, end) back to the system. Their contents are not read
// again: the string is only destroyed afterwards.
void releasePages(std::string& bytes, std::size_t begin, std::size_t end) {
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto first =
        (reinterpret_cast<std::uintptr_t>(bytes.data() + begin) + page - 1) & ~(page - 1);
    const auto last = reinterpret_cast<std::uintptr_t>(bytes.data() + end) & ~(page - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

} // namespace

void XmlDocument::setText(std::string_view bytes) {
    const QuietInsertion quiet(*m_view);
    m_view->setDocumentText(bytes);
}

void XmlDocument::takeText(std::string bytes) {
    if (bytes.size() <= 2 * kTextPiece) {
        setText(bytes);
        return;
    }
    const QuietInsertion quiet(*m_view);
    // Between the pieces the text is briefly longer than the saved one: the frame need not
    // see its modified mark come and go.
    const QSignalBlocker blocker(m_view);
    // The first piece sets the view up as any new text does (its line breaks, its colours);
    // the rest is appended without an undo record.
    std::size_t done = bytes.find('\n', kTextPiece);
    done = done == std::string::npos ? bytes.size() : done + 1;
    m_view->setDocumentText(std::string_view(bytes).substr(0, done));
    m_view->SendScintilla(QsciScintilla::SCI_SETUNDOCOLLECTION, 0UL);
    // Room for the whole text and some typing: a text that outgrows its room is copied
    // whole into a larger one, which for a large text is a second copy for a moment.
    m_view->SendScintilla(QsciScintilla::SCI_ALLOCATE,
                          static_cast<unsigned long>(bytes.size() + bytes.size() / 64 + 1));
    releasePages(bytes, 0, done);
    while (done < bytes.size()) {
        const std::size_t piece = std::min(kTextPiece, bytes.size() - done);
        m_view->SendScintilla(QsciScintilla::SCI_APPENDTEXT, static_cast<unsigned long>(piece),
                              bytes.data() + done);
        releasePages(bytes, done, done + piece);
        done += piece;
    }
    m_view->SendScintilla(QsciScintilla::SCI_SETUNDOCOLLECTION, 1UL);
    m_view->SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
    m_view->SendScintilla(QsciScintilla::SCI_SETSAVEPOINT);
    m_view->colourVisibleRange();
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
