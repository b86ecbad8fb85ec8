#include "tree/view_tags.h"

#include "commands/busy_work.h"
#include "commands/command_context.h"
#include "documents/document.h"
#include "documents/document_boxes.h"
#include "documents/document_rules.h"
#include "files/file_kinds.h"
#include "tree/document_trees.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vorn {

namespace {

struct TagList {
    PreparedSave prepared;
    std::string names;
};

} // namespace

CTagsDialog::CTagsDialog(const QString& title, const QString& names, QWidget* parent)
    : QDialog(parent), m_field(new QPlainTextEdit(this)) {
    setWindowTitle(title);
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::Monospace);
    m_field->setFont(font);
    m_field->setReadOnly(true);
    m_field->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_field->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_field->setPlainText(names);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
    resize(320, 400);
}

void viewTags(CommandContext& context, IDocument& document) {
    CView* view = document.view();
    const TagList list = context.busy.run<TagList>(
        QStringLiteral("Listing the tags..."), [text = view->documentText()]() mutable {
            TagList result;
            result.prepared = prepareSave(text);
            if (result.prepared.ok)
                result.names = viewTagsText(viewTagNames(buildDocumentTrees(text).tags));
            return result;
        });
    if (!list.prepared.ok) {
        if (list.prepared.row > 0)
            view->scrollToLine(static_cast<int>(list.prepared.row));
        showBox(context.prompts, view, list.prepared.box);
        return;
    }
    QString title =
        QFile::decodeName(QByteArray::fromStdString(std::string(fileNameOf(document.path()))));
    title.remove(QLatin1Char('*'));
    // The names end in CR LF; the field breaks lines at LF alone.
    QString names = QString::fromUtf8(list.names.data(), static_cast<qsizetype>(list.names.size()));
    names.remove(QLatin1Char('\r'));
    CTagsDialog dialog(title + QStringLiteral(" tags"), names, context.frame);
    context.prompts.exec(dialog);
}

} // namespace vorn
