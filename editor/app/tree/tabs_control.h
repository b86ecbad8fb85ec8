// Windows...: the "Tabs control" dialog, a list of the open documents to switch to or close.
#pragma once

#include <QDialog>

#include <vector>

class QListWidget;
class QPushButton;

namespace vorn {

class IDocument;
struct CommandContext;

class CTabsControl : public QDialog {
    Q_OBJECT

public:
    // Lists the tabs' titles in tab order with the active one selected.
    CTabsControl(CommandContext& context, QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QPushButton* activateButton() const { return m_activate; }
    QPushButton* closeButton() const { return m_close; }

    // "&Activate" and a double click: the first selected document becomes the active one and
    // the dialog closes.
    void activateSelected();
    // "&Close Window(s)": closes the selected documents from the last to the first, each as
    // Close does, asking about a modified one. A document the user keeps keeps its line.
    void closeSelected();

private:
    void updateButtons();

    CommandContext& m_context;
    QListWidget* m_list;
    QPushButton* m_activate;
    QPushButton* m_close;
    std::vector<IDocument*> m_documents; // by line
};

void tabsControl(CommandContext& context);

} // namespace vorn
