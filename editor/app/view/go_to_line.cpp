#include "view/go_to_line.h"

#include "view/prompts.h"
#include "view/view.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorn {

void goToLineDialog(CView& view) {
    QDialog dialog(&view);
    dialog.setWindowTitle("Go To Line");
    auto* field = new QLineEdit(&dialog);
    field->setObjectName("line");
    auto* label = new QLabel("Line:", &dialog);
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto* form = new QFormLayout;
    form->addRow(label, field);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);

    int line = 0;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        bool number = false;
        line = field->text().trimmed().toInt(&number);
        if (!number) {
            // Refused: the user corrects the entry; the caret has not moved.
            view.prompts().beep();
            field->setFocus();
            field->selectAll();
            return;
        }
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    if (view.prompts().exec(dialog) == QDialog::Accepted)
        view.scrollToLine(line);
    view.colourVisibleRange();
}

} // namespace vorn
