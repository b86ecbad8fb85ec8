#include "view/find_replace.h"

#include "view/prompts.h"
#include "view/view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vorn {

namespace {

// The longest find or replace text, as the search state keeps it.
constexpr int kMaxText = 255;
constexpr int kOptions = SearchWholeWord | SearchMatchCase;

QComboBox* historyCombo(QWidget* parent, const QStringList& oldestFirst, const QString& text) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->lineEdit()->setMaxLength(kMaxText);
    combo->setMinimumContentsLength(24);
    for (auto it = oldestFirst.crbegin(); it != oldestFirst.crend(); ++it)
        combo->addItem(*it);
    combo->setEditText(text);
    return combo;
}

// Puts the text at the newest place of a history, dropping an equal older entry.
void remember(QStringList& history, const QString& text) {
    if (text.isEmpty())
        return;
    history.removeAll(text);
    history.append(text);
}

void refill(QComboBox* combo, const QStringList& oldestFirst) {
    const QString text = combo->currentText();
    combo->clear();
    for (auto it = oldestFirst.crbegin(); it != oldestFirst.crend(); ++it)
        combo->addItem(*it);
    combo->setEditText(text);
}

QPushButton* button(QDialogButtonBox* box, const QString& text, QDialogButtonBox::ButtonRole role) {
    auto* result = new QPushButton(text, box);
    box->addButton(result, role);
    return result;
}

} // namespace

FindDlg::FindDlg(QWidget* parent, const SearchState& state) : QDialog(parent) {
    setWindowTitle("Find");
    setAttribute(Qt::WA_DeleteOnClose);
    m_findWhat = historyCombo(this, state.findHistory, state.findText);
    auto* label = new QLabel("Find what:", this);
    label->setBuddy(m_findWhat);
    m_wholeWord = new QCheckBox("Match &whole word only", this);
    m_matchCase = new QCheckBox("Match &case", this);
    m_wholeWord->setChecked(state.flags & SearchWholeWord);
    m_matchCase->setChecked(state.flags & SearchMatchCase);
    auto* direction = new QGroupBox("&Direction", this);
    m_up = new QRadioButton("&Up", direction);
    m_down = new QRadioButton("&Down", direction);
    (state.flags & SearchDown ? m_down : m_up)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_findNext = button(buttons, "&Find Next", QDialogButtonBox::ActionRole);
    m_findNext->setDefault(true);
    QPushButton* cancel = button(buttons, "Cancel", QDialogButtonBox::RejectRole);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_findWhat, 0, 1, 1, 2);
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(m_wholeWord);
    boxes->addWidget(m_matchCase);
    grid->addLayout(boxes, 1, 0, 1, 2);
    grid->addWidget(direction, 1, 2);
    grid->addWidget(buttons, 0, 3, 2, 1);

    connect(m_findWhat, &QComboBox::editTextChanged, this, &FindDlg::updateButtons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(m_findNext, &QPushButton::clicked, this, [this] {
        int flags = SearchFindNext;
        if (m_down->isChecked())
            flags |= SearchDown;
        if (m_wholeWord->isChecked())
            flags |= SearchWholeWord;
        if (m_matchCase->isChecked())
            flags |= SearchMatchCase;
        const QString text = m_findWhat->currentText();
        emit search(text, QString(), flags);
    });
    updateButtons();
}

void FindDlg::showHistories(const SearchState& state) {
    refill(m_findWhat, state.findHistory);
}

void FindDlg::updateButtons() {
    m_findNext->setEnabled(!m_findWhat->currentText().isEmpty());
}

ReplaceDlg::ReplaceDlg(QWidget* parent, const SearchState& state) : QDialog(parent) {
    setWindowTitle("Replace");
    setAttribute(Qt::WA_DeleteOnClose);
    m_findWhat = historyCombo(this, state.findHistory, state.findText);
    m_replaceWith = historyCombo(this, state.replaceHistory, state.replaceText);
    auto* findLabel = new QLabel("Find what:", this);
    findLabel->setBuddy(m_findWhat);
    auto* replaceLabel = new QLabel("Replace with:", this);
    replaceLabel->setBuddy(m_replaceWith);
    m_wholeWord = new QCheckBox("Match &whole word only", this);
    m_matchCase = new QCheckBox("Match &case", this);
    m_wholeWord->setChecked(state.flags & SearchWholeWord);
    m_matchCase->setChecked(state.flags & SearchMatchCase);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_findNext = button(buttons, "&Find Next", QDialogButtonBox::ActionRole);
    m_findNext->setDefault(true);
    m_replace = button(buttons, "&Replace", QDialogButtonBox::ActionRole);
    m_replaceAll = button(buttons, "Replace &All", QDialogButtonBox::ActionRole);
    QPushButton* cancel = button(buttons, "Cancel", QDialogButtonBox::RejectRole);

    auto* grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_findWhat, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(m_replaceWith, 1, 1);
    grid->addWidget(m_wholeWord, 2, 0, 1, 2);
    grid->addWidget(m_matchCase, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->addWidget(buttons, 0, 2, 5, 1);

    connect(m_findWhat, &QComboBox::editTextChanged, this, &ReplaceDlg::updateButtons);
    connect(m_replaceWith, &QComboBox::editTextChanged, this, &ReplaceDlg::updateButtons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(m_findNext, &QPushButton::clicked, this, [this] { send(SearchFindNext); });
    connect(m_replace, &QPushButton::clicked, this, [this] { send(SearchReplace); });
    connect(m_replaceAll, &QPushButton::clicked, this, [this] { send(SearchReplaceAll); });
    updateButtons();
}

void ReplaceDlg::updateButtons() {
    const bool find = !m_findWhat->currentText().isEmpty();
    const bool both = find && !m_replaceWith->currentText().isEmpty();
    m_findNext->setEnabled(find);
    m_replace->setEnabled(both);
    m_replaceAll->setEnabled(both);
}

void ReplaceDlg::send(int action) {
    // Replacing always works downwards.
    int flags = action | SearchDown;
    if (m_wholeWord->isChecked())
        flags |= SearchWholeWord;
    if (m_matchCase->isChecked())
        flags |= SearchMatchCase;
    emit search(m_findWhat->currentText(), m_replaceWith->currentText(), flags);
}

void ReplaceDlg::showHistories(const SearchState& state) {
    refill(m_findWhat, state.findHistory);
    refill(m_replaceWith, state.replaceHistory);
}

CFindReplace::CFindReplace(QWidget* frame, std::function<CView*()> activeView, IPrompts& prompts)
    : QObject(frame), m_frame(frame), m_activeView(std::move(activeView)), m_prompts(prompts) {}

CFindReplace::~CFindReplace() {
    delete m_find;
    delete m_replace;
}

void CFindReplace::showFind() {
    if (m_replace)
        m_replace->close();
    if (!m_find) {
        m_find = new FindDlg(m_frame, m_state);
        connect(m_find, &FindDlg::search, this, &CFindReplace::search);
    }
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
    m_find->findWhat()->setFocus();
}

void CFindReplace::showReplace() {
    if (m_find)
        m_find->close();
    if (!m_replace) {
        m_replace = new ReplaceDlg(m_frame, m_state);
        connect(m_replace, &ReplaceDlg::search, this, &CFindReplace::search);
    }
    m_replace->show();
    m_replace->raise();
    m_replace->activateWindow();
    m_replace->findWhat()->setFocus();
}

void CFindReplace::findNext() {
    if (m_state.findText.isEmpty()) {
        showFind();
        return;
    }
    search(m_state.findText, m_state.replaceText,
           SearchFindNext | (m_state.flags & (SearchDown | kOptions)));
}

void CFindReplace::search(const QString& findText, const QString& replaceText, int flags) {
    m_state.findText = findText.left(kMaxText);
    remember(m_state.findHistory, m_state.findText);
    if (flags & (SearchReplace | SearchReplaceAll) || !replaceText.isEmpty()) {
        m_state.replaceText = replaceText.left(kMaxText);
        remember(m_state.replaceHistory, m_state.replaceText);
    }
    m_state.flags = flags;
    if (m_find)
        m_find->showHistories(m_state);
    if (m_replace)
        m_replace->showHistories(m_state);

    CView* view = m_activeView ? m_activeView() : nullptr;
    bool found = false;
    if (view && !m_state.findText.isEmpty()) {
        const QByteArray text = m_state.findText.toUtf8();
        const QByteArray with = m_state.replaceText.toUtf8();
        const std::string_view find(text.constData(), static_cast<std::size_t>(text.size()));
        const std::string_view replacement(with.constData(), static_cast<std::size_t>(with.size()));
        if (flags & SearchReplaceAll)
            found = view->replaceAll(find, replacement, flags) > 0;
        else if (flags & SearchReplace)
            found = view->replaceMatch(find, replacement, flags);
        else
            found = view->findNextMatch(find, flags);
    }
    if (!found)
        m_prompts.beep();
}

} // namespace vorn
