// View Tags: the distinct tag names a document uses, in the "Tags" dialog.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace vorn {

class IDocument;
struct CommandContext;

// The "Tags" dialog: one read-only field holding the names, one a line.
class CTagsDialog : public QDialog {
    Q_OBJECT

public:
    CTagsDialog(const QString& title, const QString& names, QWidget* parent = nullptr);
    QPlainTextEdit* field() const { return m_field; }

private:
    QPlainTextEdit* m_field;
};

// Checks the document as Save does (the box of the first problem, with the caret on the line
// at fault, and nothing more), then shows its tag names, titled after its file name without
// "*" followed by " tags".
void viewTags(CommandContext& context, IDocument& document);

} // namespace vorn
