#include "documents/document_boxes.h"

#include "view/prompts.h"

namespace vorn {

void showBox(IPrompts& prompts, QWidget* owner, const MessageBoxText& box) {
    const QString text = QString::fromStdString(box.text);
    const QString caption = QString::fromStdString(box.caption);
    switch (box.icon) {
    case BoxIcon::Information:
        prompts.information(owner, text, caption);
        break;
    case BoxIcon::Question:
        prompts.question(owner, text, caption);
        break;
    case BoxIcon::Warning:
        prompts.warning(owner, text, caption);
        break;
    }
}

} // namespace vorn
