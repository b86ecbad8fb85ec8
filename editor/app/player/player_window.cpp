#include "player/player_window.h"

#include "documents/document_boxes.h"
#include "files/document_files.h"
#include "files/problems.h"
#include "view/prompts.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <filesystem>

namespace vorn {

QSize clientSizeFor(QSize movie, QSize available) {
    if (movie.width() <= available.width() && movie.height() <= available.height())
        return movie;
    return movie.scaled(available, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

CSwfPlayerWindow::CSwfPlayerWindow(IPrompts& prompts, QWidget* owner)
    : QDialog(owner), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Player"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_view = new QWebEngineView(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    layout->addWidget(m_view);
    // The movie takes the keys it handles; Esc always closes the player, as its close box does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);
    PlayerEngine& engine = PlayerEngine::shared();
    connect(&engine, &PlayerEngine::fsCommand, this, &CSwfPlayerWindow::onFsCommand);
    connect(&engine, &PlayerEngine::failed, this,
            [this](int movie, const QString&) { onFailed(movie); });
    connect(&engine, &PlayerEngine::firstFramePainted, this, [this](int movie) {
        if (movie == m_movie)
            emit firstFramePainted();
    });
}

CSwfPlayerWindow::~CSwfPlayerWindow() = default;

void CSwfPlayerWindow::setMovie(std::string bytes, int width, int height, int version) {
    m_bytes = std::move(bytes);
    m_width = width;
    m_height = height;
    m_version = version;
}

bool CSwfPlayerWindow::startUp() {
    PlayerEngine& engine = PlayerEngine::shared();
    if (!engine.start() || !engine.page()) {
        showBox(m_prompts, parentWidget(), problemReport(kProblemNoPlayer));
        return false;
    }
    m_view->setPage(engine.page());

    // The client area is the movie's stage; the frame comes on top of it. A stage larger than
    // the screen is scaled down to fit, keeping its shape: a window of the full size would
    // reach past the screen and could cost gigabytes of window memory. Centred on the owner,
    // or on the screen for a player without one (the command line's).
    const QSize client =
        clientSizeFor(QSize(m_width, m_height), screen()->availableGeometry().size());
    resize(client);
    const QRect around =
        parentWidget() ? parentWidget()->window()->frameGeometry() : screen()->availableGeometry();
    move(around.center() - QPoint(client.width() / 2, client.height() / 2));

    const TempMovie temp = MakeTempSwf(m_directory, m_bytes);
    // The document's bytes are not needed once compiled.
    std::string().swap(m_bytes);
    if (!temp.ok) {
        showBox(m_prompts, parentWidget(), problemReport(kProblemPlay));
        return false;
    }
    // The player gets the movie's bytes, so the file goes right away, whatever the load does.
    const FileBytes swf = ReadWholeFile(temp.path);
    std::error_code ignored;
    std::filesystem::remove(temp.path, ignored);
    if (!swf.ok) {
        showBox(m_prompts, parentWidget(), problemReport(kProblemPlay));
        return false;
    }
    // Relative loads of the movie resolve against the document's folder, wherever the
    // temporary file had to go.
    const QString folder =
        m_directory.empty() ? QDir::tempPath() : QFile::decodeName(m_directory.c_str());
    m_movie = engine.load(QByteArray(swf.bytes.data(), static_cast<qsizetype>(swf.bytes.size())),
                          QUrl::fromLocalFile(QDir(folder).absolutePath() + '/'), MovieFit::Whole);
    return true;
}

void CSwfPlayerWindow::done(int result) {
    // The page stays warm for the next movie, but this one stops here, sound and all.
    if (m_movie >= 0)
        PlayerEngine::shared().unload();
    m_movie = -1;
    QDialog::done(result);
}

void CSwfPlayerWindow::onFsCommand(int movie, const QString& command, const QString& args) {
    if (movie != m_movie)
        return;
    if (command.compare(QStringLiteral("quit"), Qt::CaseInsensitive) == 0) {
        reject();
    } else if (command.compare(QStringLiteral("fullscreen"), Qt::CaseInsensitive) == 0) {
        if (args.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
            showMaximized();
        else
            showNormal();
    }
}

void CSwfPlayerWindow::onFailed(int movie) {
    if (movie < 0 || movie != m_movie)
        return;
    m_movie = -1;
    showBox(m_prompts, this, problemReport(kProblemPlay));
    reject();
}

} // namespace vorn
