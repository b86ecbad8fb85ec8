#include "player/player_commands.h"

#include "commands/busy_work.h"
#include "commands/command_context.h"
#include "documents/document.h"
#include "documents/document_boxes.h"
#include "documents/document_commands.h"
#include "documents/document_rules.h"
#include "files/document_files.h"
#include "files/movie_header.h"
#include "player/color_viewer.h"
#include "player/player_engine.h"
#include "player/player_window.h"
#include "view/prompts.h"
#include "view/view.h"

#include <QDesktopServices>
#include <QUrl>

namespace vorn {

namespace {

// The folder of a document's file, with its last slash; empty for a new document, whose path
// is only its title.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Runs the player on checked bytes: the install prompt when there is no player, else the
// dialog until it closes.
void playChecked(CommandContext& context, QWidget* owner, std::string bytes,
                 const std::string& folder) {
    if (!IsFlashPlayerAvailable()) {
        showBox(context.prompts, owner, problemReport(kProblemNoPlayer));
        GoToFlashPlayerSiteCommand(context.prompts, owner);
        return;
    }
    const MovieHeaderProbe probe = ProbeMovieHeader(bytes);
    CSwfPlayerWindow window(context.prompts, owner);
    window.setMovie(std::move(bytes), probe.width, probe.height, probe.swfVersion);
    window.setTempDirectory(folder);
    if (window.startUp())
        window.exec();
}

} // namespace

MessageBoxText goToPlayerSitePrompt() {
    return {std::string("Please install a new version of Flash Player.\n") + kPlayerSiteAddress +
                "\nDo you want to visit this site now?",
            "Go To Site", BoxIcon::Warning};
}

void GoToFlashPlayerSiteCommand(IPrompts& prompts, QWidget* owner) {
    const MessageBoxText box = goToPlayerSitePrompt();
    if (prompts.question(owner, QString::fromStdString(box.text),
                         QString::fromStdString(box.caption)) == IPrompts::Answer::Yes)
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(kPlayerSiteAddress)));
}

void PlayDocument(CommandContext& context, IDocument& document) {
    PreparedSave prepared = prepareDocument(context, document);
    if (!prepared.ok)
        return;
    playChecked(context, context.frame, std::move(prepared.bytes), folderOf(document.path()));
}

void PlayFile(CommandContext& context, const std::string& path) {
    DecodedText text = LoadDocumentText(path);
    if (!text.ok) {
        showBox(context.prompts, nullptr, problemReport(kProblemPlay));
        return;
    }
    PreparedSave prepared = prepareSave(std::move(text.text));
    if (!prepared.ok) {
        showBox(context.prompts, nullptr, prepared.box);
        return;
    }
    playChecked(context, nullptr, std::move(prepared.bytes), folderOf(path));
}

void ShowColor(CommandContext&, IDocument& document) {
    CView* view = document.view();
    const std::string selected = view->selectedBytes();
    // The caret's point in the view, 1 pixel right and 12 down, so the popup leaves the caret
    // line readable.
    const long position = view->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
    const int x =
        static_cast<int>(view->SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0UL, position));
    const int y =
        static_cast<int>(view->SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0UL, position));
    auto* viewer = new CColorViewer(view);
    if (!viewer->showColor(QByteArray(selected.data(), static_cast<qsizetype>(selected.size())),
                           view->viewport()->mapToGlobal(QPoint(x + 1, y + 12))))
        delete viewer;
}

void addPlayerHooks(CommandHooks& hooks) {
    hooks.play = PlayDocument;
    hooks.playAfterStart = PlayFile;
    hooks.showColor = ShowColor;
}

} // namespace vorn
