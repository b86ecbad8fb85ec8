#include "player/color_viewer.h"

#include "files/document_files.h"
#include "player/player_engine.h"
#include "templates/templates.h"
#include "tools/tools.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <filesystem>

namespace vorn {

namespace {

// The popup's fixed size: big enough to judge a colour, small enough not to hide the text.
constexpr int kViewerWidth = 48;
constexpr int kViewerHeight = 32;

} // namespace

CColorViewer::CColorViewer(QWidget* owner) : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kViewerWidth, kViewerHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    layout->addWidget(m_view);
    connect(&PlayerEngine::shared(), &PlayerEngine::firstFramePainted, this, [this](int movie) {
        if (movie == m_movie)
            emit colorPainted();
    });
    connect(&PlayerEngine::shared(), &PlayerEngine::failed, this, [this](int movie) {
        if (movie >= 0 && movie == m_movie)
            close();
    });
}

CColorViewer::~CColorViewer() {
    qApp->removeEventFilter(this);
    if (m_movie >= 0)
        PlayerEngine::shared().unload();
}

bool CColorViewer::showColor(const QByteArray& colorText, const QPoint& topLeft) {
    const std::string_view color(colorText.constData(), static_cast<std::size_t>(colorText.size()));
    if (!showColorAccepts(color))
        return false;
    PlayerEngine& engine = PlayerEngine::shared();
    if (!engine.start() || !engine.page())
        return false;
    // Version 1, so that the movie's text is read by the encoding its declaration names.
    const TempMovie temp = MakeTempSwf({}, BackgroundColorMovieXml(color));
    if (!temp.ok)
        return false;
    const FileBytes swf = ReadWholeFile(temp.path);
    std::error_code ignored;
    std::filesystem::remove(temp.path, ignored);
    if (!swf.ok)
        return false;
    m_view->setPage(engine.page());
    move(topLeft);
    show();
    // Every key closes the popup, also one the player's page would take.
    qApp->installEventFilter(this);
    m_movie = engine.load(QByteArray(swf.bytes.data(), static_cast<qsizetype>(swf.bytes.size())),
                          QUrl(), MovieFit::Stretch);
    return true;
}

bool CColorViewer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isVisible()) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool CColorViewer::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        close();
    return QWidget::event(event);
}

} // namespace vorn
