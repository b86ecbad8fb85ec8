// The template chooser: a small popup list of the names of one kind at the caret. Letters
// typed while it is open go into the text (and select the first name they begin), so that
// the user sees what was typed; the view then replaces them with the chosen template.
#pragma once

#include "templates/templates.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;

namespace vorn {

class CView;

class CHelpSwfListBox : public QDialog {
    Q_OBJECT

public:
    CHelpSwfListBox(CView& view, TemplateKind kind);

    // Places the list `below` pixels under the caret's top, within the view's rectangle.
    void placeAtCaret(int below);

    QListWidget* list() const { return m_list; }
    // The name chosen by Enter or a double click; empty until then.
    const QString& chosen() const { return m_chosen; }
    // How many characters went into the text while the list was open.
    int typedCount() const { return m_typed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(QListWidgetItem* item);
    void selectTypedPrefix();

    CView& m_view;
    QListWidget* m_list;
    QString m_typedText;
    QString m_chosen;
    int m_typed = 0;
};

} // namespace vorn
