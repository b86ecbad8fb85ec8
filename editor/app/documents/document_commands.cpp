#include "documents/document_commands.h"

#include "commands/busy_work.h"
#include "commands/command_context.h"
#include "documents/document.h"
#include "documents/document_boxes.h"
#include "documents/document_rules.h"
#include "documents/documents_owner.h"
#include "files/document_files.h"
#include "files/file_kinds.h"
#include "recent/recent_documents.h"
#include "templates/templates.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QFile>
#include <QFileDialog>

#include <filesystem>
#include <system_error>

namespace vorn {

namespace {

QString fromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The file dialogs read the patterns of a filter from its parentheses, separated by blanks.
QStringList dialogFilters(std::span<const FileDialogFilter> filters) {
    QStringList list;
    for (const FileDialogFilter& filter : filters)
        list << QString::fromUtf8(filter.label.data(), static_cast<qsizetype>(filter.label.size()))
                    .replace(QLatin1Char(';'), QLatin1Char(' '));
    return list;
}

// The folder the file dialogs start in: the active document's, when it has a file.
QString startFolder(CommandContext& context) {
    if (const IDocument* active = context.owner.activeDocument()) {
        const std::filesystem::path path(active->path());
        if (path.is_absolute())
            return fromPath(path.parent_path().string());
    }
    return {};
}

// Writes the document's bytes; `adopt` makes the file written the document's own.
bool writeDocument(CommandContext& context, IDocument& document, SaveKind kind,
                   const std::string& path, const std::string& bytes, bool adopt) {
    const std::string target = savePath(kind, path);
    const SavedFile saved =
        context.busy.run<SavedFile>(QStringLiteral("Saving %1...").arg(fromPath(target)),
                                    [&] { return SaveDocumentText(kind, path, bytes); });
    CView* view = document.view();
    if (!saved.ok) {
        if (saved.line > 0)
            view->scrollToLine(static_cast<int>(saved.line));
        showBox(context.prompts, view, saveFailure(saved.reason));
        return false;
    }
    if (adopt) {
        // Later saves go to the file the user saved to, and the tab says which file that is.
        document.setPath(saved.path);
        context.owner.setTitle(&document, std::string(fileNameOf(saved.path)));
        context.recent.add(saved.path);
        context.recentChanged();
    }
    document.markSaved();
    context.refresh();
    return true;
}

} // namespace

PreparedSave prepareDocument(CommandContext& context, IDocument& document) {
    CView* view = document.view();
    // Parsing a large movie's text takes a while: it runs aside like the save itself.
    PreparedSave prepared = context.busy.run<PreparedSave>(
        QStringLiteral("Checking the XML..."),
        [text = view->documentText()]() mutable { return prepareSave(std::move(text)); });
    if (!prepared.ok) {
        if (prepared.row > 0)
            view->scrollToLine(static_cast<int>(prepared.row));
        showBox(context.prompts, view, prepared.box);
    }
    return prepared;
}

std::string absoluteDocumentPath(const std::string& path) {
    if (path.empty())
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

void fillNewDocument(IDocument& document) {
    document.setFont(defaultDocumentFont());
    document.setText(NewDocumentXml());
    if (auto* extended = dynamic_cast<CExtendedXmlDocument*>(&document))
        extended->rebuildExtendedInfo();
}

CExtendedXmlDocument* newDocument(CommandContext& context) {
    const std::string title = context.titles.next();
    CExtendedXmlDocument* document = context.owner.createDocument(title);
    if (!document)
        return nullptr;
    document->setPath(title);
    fillNewDocument(*document);
    context.owner.setActiveIndex(context.owner.count() - 1);
    context.refresh();
    return document;
}

bool openDocumentPath(CommandContext& context, const std::string& given) {
    const std::string path = absoluteDocumentPath(given);
    DecodedText text =
        context.busy.run<DecodedText>(QStringLiteral("Opening %1...").arg(fromPath(path)),
                                      [&] { return LoadDocumentText(path); });
    if (!text.ok) {
        MessageBoxText box = problemReport(kProblemOpen, path);
        box.text.append("\n").append(text.reason);
        showBox(context.prompts, context.frame, box);
        return false;
    }
    CExtendedXmlDocument* document = context.owner.createDocument(std::string(fileNameOf(path)));
    if (!document)
        return false;
    document->setFont(defaultDocumentFont());
    document->takeText(std::move(text.text));
    document->setPath(path);
    context.owner.setTitle(document, document->title());
    document->rebuildExtendedInfo();
    return true;
}

void openDocuments(CommandContext& context) {
    QFileDialog dialog(context.frame, QStringLiteral("Open"), startFolder(context));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(dialogFilters(openDialogFilters()));
    if (context.prompts.exec(dialog) != QDialog::Accepted)
        return;
    for (const QString& file : dialog.selectedFiles()) {
        const std::string path = absoluteDocumentPath(toPath(file));
        if (openDocumentPath(context, path)) {
            context.recent.add(path);
            context.recentChanged();
        }
    }
    context.owner.setActiveIndex(context.owner.count() - 1);
    context.refresh();
}

bool checkDocumentXml(CommandContext& context, IDocument& document, bool tell) {
    CView* view = document.view();
    const XmlCheck check = context.busy.run<XmlCheck>(
        QStringLiteral("Checking the XML..."),
        [text = view->documentText()]() mutable { return checkXml(std::move(text)); });
    if (!check.ok) {
        view->scrollToLine(static_cast<int>(check.row));
        showBox(context.prompts, view, check.box);
        return false;
    }
    if (tell)
        showBox(context.prompts, view, check.box);
    return true;
}

bool saveDocument(CommandContext& context, IDocument& document) {
    const PreparedSave prepared = prepareDocument(context, document);
    if (!prepared.ok)
        return false;
    const std::optional<SaveKind> kind = saveKindForPath(document.path());
    if (!kind)
        return saveDocumentAs(context, document);
    return writeDocument(context, document, *kind, document.path(), prepared.bytes, false);
}

bool saveDocumentAs(CommandContext& context, IDocument& document) {
    const PreparedSave prepared = prepareDocument(context, document);
    if (!prepared.ok)
        return false;

    QFileDialog dialog(context.frame, QStringLiteral("Save As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The overwrite question is asked below, about the file the save really writes.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(dialogFilters(saveAsDialogFilters()));
    // No default suffix here: the save gives a name without the chosen kind's extension that
    // extension (".swf" for the first filter), and the question below is about that name.
    const std::filesystem::path initial(saveAsInitialName(document.path()));
    if (initial.is_absolute()) {
        dialog.setDirectory(fromPath(initial.parent_path().string()));
        dialog.selectFile(fromPath(initial.filename().string()));
    } else {
        const QString folder = startFolder(context);
        if (!folder.isEmpty())
            dialog.setDirectory(folder);
        dialog.selectFile(fromPath(initial.string()));
    }
    if (context.prompts.exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;

    // The dialog holds the filters as it shows them (blanks collapsed), so the index is
    // looked up among its own.
    const std::optional<SaveKind> kind = saveKindForFilterIndex(
        static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1);
    if (!kind) {
        showBox(context.prompts, context.frame, problemReport(0));
        return false;
    }
    const std::string chosen = absoluteDocumentPath(toPath(dialog.selectedFiles().constFirst()));
    const std::string target = savePath(*kind, chosen);
    std::error_code error;
    if (std::filesystem::exists(target, error)) {
        const QString question =
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(fromPath(target));
        if (context.prompts.question(context.frame, question, QStringLiteral("Save As")) !=
            IPrompts::Answer::Yes)
            return false;
    }
    return writeDocument(context, document, *kind, chosen, prepared.bytes, true);
}

bool closeActiveDocument(CommandContext& context) {
    const int index = context.owner.activeIndex();
    IDocument* document = context.owner.documentAt(index);
    if (!document)
        return true;
    if (!document->isSkipped() && document->isModified()) {
        const MessageBoxText prompt = closePrompt();
        const IPrompts::Answer answer =
            context.prompts.question(document->view(), QString::fromStdString(prompt.text),
                                     QString::fromStdString(prompt.caption));
        if (answer == IPrompts::Answer::Cancel)
            return false;
        // A save that is cancelled or fails keeps the document, so that its changes are not
        // lost.
        if (answer == IPrompts::Answer::Yes && !saveDocumentAs(context, *document))
            return false;
    }
    context.owner.closeDocument(context.owner.indexOf(document));
    context.refresh();
    return true;
}

bool closeAllDocuments(CommandContext& context) {
    for (int index = context.owner.count() - 1; index >= 0; --index) {
        context.owner.setActiveIndex(index);
        if (!closeActiveDocument(context))
            return false;
    }
    return true;
}

bool closeAllButActive(CommandContext& context) {
    context.owner.moveToFront(context.owner.activeIndex());
    while (context.owner.count() > 1) {
        context.owner.setActiveIndex(1);
        if (!closeActiveDocument(context))
            return false;
    }
    return true;
}

} // namespace vorn
