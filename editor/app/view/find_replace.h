// The modeless Find and Replace dialogs and the search state they share with Find Next.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace vorn {

class CView;
class IPrompts;

// What the last search asked for, kept until the program ends.
struct SearchState {
    int flags = 1;    // SearchFlag values; searching starts downwards
    QString findText; // at most 255 characters, as are the histories' entries
    QString replaceText;
    QStringList findHistory;    // oldest first
    QStringList replaceHistory; // oldest first
};

// The Find dialog: "Find what:", whole word, match case, the direction and "&Find Next".
class FindDlg : public QDialog {
    Q_OBJECT

public:
    FindDlg(QWidget* parent, const SearchState& state);

    QComboBox* findWhat() const { return m_findWhat; }
    QCheckBox* wholeWord() const { return m_wholeWord; }
    QCheckBox* matchCase() const { return m_matchCase; }
    QRadioButton* up() const { return m_up; }
    QRadioButton* down() const { return m_down; }
    QPushButton* findNextButton() const { return m_findNext; }
    // Refills the list of earlier texts, newest first, keeping what the field holds.
    void showHistories(const SearchState& state);

signals:
    // flags: SearchFindNext with the options the dialog shows.
    void search(const QString& findText, const QString& replaceText, int flags);

private:
    void updateButtons();

    QComboBox* m_findWhat;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_findNext;
};

// The Replace dialog: both texts, whole word, match case, "&Find Next", "&Replace" and
// "Replace &All". It always searches downwards.
class ReplaceDlg : public QDialog {
    Q_OBJECT

public:
    ReplaceDlg(QWidget* parent, const SearchState& state);

    QComboBox* findWhat() const { return m_findWhat; }
    QComboBox* replaceWith() const { return m_replaceWith; }
    QCheckBox* wholeWord() const { return m_wholeWord; }
    QCheckBox* matchCase() const { return m_matchCase; }
    QPushButton* findNextButton() const { return m_findNext; }
    QPushButton* replaceButton() const { return m_replace; }
    QPushButton* replaceAllButton() const { return m_replaceAll; }
    void showHistories(const SearchState& state);

signals:
    void search(const QString& findText, const QString& replaceText, int flags);

private:
    void updateButtons();
    void send(int action);

    QComboBox* m_findWhat;
    QComboBox* m_replaceWith;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QPushButton* m_findNext;
    QPushButton* m_replace;
    QPushButton* m_replaceAll;
};

// The search state and both dialogs, owned by the frame. The searching itself is done by the
// active view; a search that finds nothing beeps.
class CFindReplace : public QObject {
    Q_OBJECT

public:
    CFindReplace(QWidget* frame, std::function<CView*()> activeView, IPrompts& prompts);
    ~CFindReplace() override;

    // Opens the dialog (closing the other one), or gives an open one the focus.
    void showFind();
    void showReplace();
    // Repeats the last search (F3); with no search text yet it opens Find.
    void findNext();

    const SearchState& state() const { return m_state; }
    FindDlg* findDialog() const { return m_find; }
    ReplaceDlg* replaceDialog() const { return m_replace; }

private:
    void search(const QString& findText, const QString& replaceText, int flags);

    QWidget* m_frame;
    std::function<CView*()> m_activeView;
    IPrompts& m_prompts;
    SearchState m_state;
    QPointer<FindDlg> m_find;
    QPointer<ReplaceDlg> m_replace;
};

} // namespace vorn
