#include "documents/text_accessibility.h"

#include <Qsci/qsciscintillabase.h>

#include <QAccessibleWidget>

namespace vorn {

namespace {

QAccessibleInterface* plainTextInterface(const QString&, QObject* object) {
    if (auto* view = qobject_cast<QsciScintillaBase*>(object))
        return new QAccessibleWidget(view, QAccessible::EditableText);
    return nullptr;
}

} // namespace

void useLightTextAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    // The factory installed last is asked first.
    QAccessible::installFactory(plainTextInterface);
    installed = true;
}

} // namespace vorn
