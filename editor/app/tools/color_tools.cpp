#include "tools/color_tools.h"

#include "commands/command_context.h"
#include "documents/document.h"
#include "tools/tools.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QColorDialog>

namespace vorn {

void insertColorAsHex(CommandContext& context, IDocument& document) {
    CView* view = document.view();
    QColorDialog dialog(context.frame);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (context.prompts.exec(dialog) != QDialog::Accepted)
        return;
    const QColor color = dialog.selectedColor().toRgb();
    const std::string text = colorHexText(static_cast<std::uint8_t>(color.red()),
                                          static_cast<std::uint8_t>(color.green()),
                                          static_cast<std::uint8_t>(color.blue()));
    // An undoable edit: an edit kept out of the history would leave the steps before it
    // pointing at the wrong places, so that undoing them would damage the text.
    view->replaceSelectedText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace vorn
