#include "commands/commands.h"

#include "documents/document.h"
#include "documents/document_commands.h"
#include "files/file_kinds.h"
#include "resources/menu_table.h"
#include "view/go_to_line.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFontDialog>
#include <QGuiApplication>
#include <QUrl>

namespace vorn {

namespace {

QString fromPath(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

void openAddress(std::string_view address) {
    QDesktopServices::openUrl(
        QUrl(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()))));
}

void chooseFont(CommandContext& context, IDocument& document) {
    QFontDialog dialog(document.font(), context.frame);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("Font"));
    if (context.prompts.exec(dialog) == QDialog::Accepted)
        document.setFont(dialog.currentFont());
}

} // namespace

void TxtDocCommand::Execute() {
    const CommandHooks& hooks = m_context.hooks;
    switch (m_kind) {
    case New:
        fillNewDocument(m_document);
        break;
    case Save:
        saveDocument(m_context, m_document);
        break;
    case SaveAs:
        saveDocumentAs(m_context, m_document);
        break;
    case CheckXml:
        checkDocumentXml(m_context, m_document, true);
        break;
    case Play:
        if (hooks.play)
            hooks.play(m_context, m_document);
        break;
    case ViewTags:
        if (hooks.viewTags)
            hooks.viewTags(m_context, m_document);
        break;
    case Font:
        chooseFont(m_context, m_document);
        break;
    case CopyFullPath:
        QGuiApplication::clipboard()->setText(fromPath(m_document.path()));
        break;
    case CopyFileName: {
        // Only a document with a file has a file name; a new one's path is just its title.
        const std::string& path = m_document.path();
        if (path.find('/') != std::string::npos)
            QGuiApplication::clipboard()->setText(fromPath(fileNameOf(path)));
        break;
    }
    case GoToLine:
        goToLineDialog(*m_document.view());
        break;
    case OpenContainingFolder: {
        const std::string& path = m_document.path();
        const std::size_t slash = path.rfind('/');
        if (slash != std::string::npos)
            QDesktopServices::openUrl(QUrl::fromLocalFile(fromPath(path.substr(0, slash + 1))));
        break;
    }
    case SaveBase64AsBinary:
        if (hooks.saveBase64AsBinary)
            hooks.saveBase64AsBinary(m_context, m_document);
        break;
    }
}

void TxtContainerCommand::Execute() {
    switch (m_kind) {
    case Open:
        openDocuments(m_context);
        m_closed = false;
        break;
    case Close:
        m_closed = closeActiveDocument(m_context);
        break;
    case CloseAll:
        m_closed = closeAllDocuments(m_context);
        break;
    case CloseAllButThis:
        m_closed = closeAllButActive(m_context);
        break;
    }
}

void TxtBufferCommand::Execute() {
    switch (m_kind) {
    case Undo:
        m_document.undo();
        break;
    case Redo:
        m_document.redo();
        break;
    case Cut:
        m_document.cut();
        break;
    case CutAll:
        m_document.view()->cutAll();
        break;
    case Copy:
        m_document.copy();
        break;
    case CopyAll:
        m_document.view()->copyAll();
        break;
    case Paste:
        m_document.paste();
        break;
    case Delete:
        m_document.deleteSelection();
        break;
    case SelectAll:
        m_document.selectAll();
        break;
    }
}

void DropCommand::Execute() {
    m_opened = openDocumentPath(m_context, m_path);
}

void RebuildExtendedInfoCommand::Execute() {
    m_document.rebuildExtendedInfo();
}

void PlayAfterStartCommand::Execute() {
    if (m_context.hooks.playAfterStart)
        m_context.hooks.playAfterStart(m_context, m_path);
}

void InserTemplateTagCommand::Execute() {
    m_document.view()->insertTemplate(m_kind);
}

void ViewHexColorDialogCommand::Execute() {
    if (m_context.hooks.insertColorAsHex)
        m_context.hooks.insertColorAsHex(m_context, m_document);
}

void WhatColorCommand::Execute() {
    if (m_context.hooks.showColor)
        m_context.hooks.showColor(m_context, m_document);
}

void CBase64EncoderCommand::Execute() {
    if (m_context.hooks.base64Encoder)
        m_context.hooks.base64Encoder(m_context);
}

void ViewtabsControlCommand::Execute() {
    if (m_context.hooks.windowsList)
        m_context.hooks.windowsList(m_context);
}

void AboutCommand::Execute() {
    if (m_context.hooks.about)
        m_context.hooks.about(m_context);
}

void GotoUpdateCommand::Execute() {
    openAddress(updateAddress());
}

void GotoHomePageCommand::Execute() {
    openAddress(homePageAddress());
}

} // namespace vorn
