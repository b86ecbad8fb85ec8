#include "view/chooser.h"

#include "view/view.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace vorn {

namespace {

// The list's size in dialog units, which scale with the font: a quarter of the average
// character width across, an eighth of the line height down. The width grows to fit the
// longest name.
constexpr int kWidthUnits = 130;
constexpr int kHeightUnits = 53;

bool lessWithoutCase(const QString& a, const QString& b) {
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace

CHelpSwfListBox::CHelpSwfListBox(CView& view, TemplateKind kind)
    : QDialog(&view, Qt::Popup), m_view(view), m_list(new QListWidget(this)) {
    setObjectName("templateChooser");
    QStringList names;
    for (const std::string_view name : templateNames(kind))
        names.append(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    std::sort(names.begin(), names.end(), lessWithoutCase);
    m_list->addItems(names);
    m_list->setCurrentRow(0);
    m_list->installEventFilter(this);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CHelpSwfListBox::choose);
    // A click outside closes a popup by itself; switching to another program closes it too.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    reject();
            });

    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setSizeGripEnabled(true);

    // Wide enough for the longest name, so that names are never cut.
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& name : names)
        widest = std::max(widest, metrics.horizontalAdvance(name));
    const QSize size(std::max(kWidthUnits * metrics.averageCharWidth() / 4,
                              widest + 2 * m_list->frameWidth() +
                                  m_list->verticalScrollBar()->sizeHint().width() + 8),
                     kHeightUnits * metrics.height() / 8);
    resize(size);
    setMinimumSize(size / 2);
    m_list->setFocus();
}

void CHelpSwfListBox::placeAtCaret(int below) {
    const long caret = m_view.SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
    const QPoint atCaret(
        static_cast<int>(m_view.SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0, caret)),
        static_cast<int>(m_view.SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0, caret)) +
            below);
    QPoint topLeft = m_view.viewport()->mapToGlobal(atCaret);
    const QRect bounds(m_view.mapToGlobal(QPoint(0, 0)), m_view.size());
    topLeft.setX(std::max(bounds.left(), std::min(topLeft.x(), bounds.right() + 1 - width())));
    topLeft.setY(std::max(bounds.top(), std::min(topLeft.y(), bounds.bottom() + 1 - height())));
    move(topLeft);
}

void CHelpSwfListBox::choose(QListWidgetItem* item) {
    if (!item)
        return;
    m_chosen = item->text();
    accept();
}

void CHelpSwfListBox::selectTypedPrefix() {
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->text().startsWith(m_typedText, Qt::CaseInsensitive)) {
            m_list->setCurrentRow(row);
            return;
        }
    }
}

bool CHelpSwfListBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_list || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose(m_list->currentItem());
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Backspace:
        if (m_typed == 0) {
            reject();
        } else {
            m_view.SendScintilla(QsciScintilla::SCI_DELETEBACK);
            --m_typed;
            m_typedText.chop(1);
            selectTypedPrefix();
        }
        return true;
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return QDialog::eventFilter(watched, event); // the list moves its selection
    default:
        break;
    }
    const QString text = key->text();
    if (text.size() != 1 || !text[0].isPrint()) {
        if (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
            reject(); // a shortcut: leave it to the window
        return true;
    }
    const QByteArray bytes = text.toUtf8();
    m_view.SendScintilla(QsciScintilla::SCI_REPLACESEL, bytes.constData());
    const QChar c = text[0];
    if (c.isLetter() && c.unicode() < 0x80) {
        ++m_typed;
        m_typedText += c;
        selectTypedPrefix();
    } else {
        // Anything but a letter ends the choosing: the user goes on typing by hand.
        reject();
    }
    return true;
}

} // namespace vorn
