#include "player/player_engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <cstdio>
#include <mutex>
#include <utility>

namespace vorn {

// What the page calls back: its functions are the page's only way into the program.
class PlayerBridge : public QObject {
    Q_OBJECT

public:
    explicit PlayerBridge(PlayerEngine& engine) : QObject(&engine), m_engine(engine) {}

public slots:
    void ready() { m_engine.m_ready = true; }
    void loaded(int movie) { emit m_engine.loaded(movie); }
    void failed(int movie, const QString& reason) { emit m_engine.failed(movie, reason); }
    void painted(int movie) { emit m_engine.firstFramePainted(movie); }
    void fsCommand(int movie, const QString& command, const QString& args) {
        emit m_engine.fsCommand(movie, command, args);
    }

private:
    PlayerEngine& m_engine;
};

// The page may read from the disk only the player's own files and those of the playing
// movie's folder. A movie's scripts reach the page (FSCommand needs that), and through it they
// must not reach the user's other files. Asked on the web engine's own thread.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void setFolders(QStringList folders) {
        for (QString& folder : folders)
            folder = QDir::cleanPath(folder);
        const std::lock_guard lock(m_mutex);
        m_folders = std::move(folders);
    }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        if (!url.isLocalFile())
            return;
        const QString path = QDir::cleanPath(url.toLocalFile());
        const std::lock_guard lock(m_mutex);
        for (const QString& folder : m_folders)
            if (!folder.isEmpty() && (path == folder || path.startsWith(folder + '/')))
                return;
        info.block(true);
    }

private:
    std::mutex m_mutex;
    QStringList m_folders;
};

namespace {

// The player's page keeps what movies write to the console to itself: a movie's own traces
// and the player's notes about it are not the program's messages.
class QuietPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
};

// The player's page. The player is made afresh for each movie, so that nothing of the last
// one (its sound, its variables) reaches the next.
constexpr const char* kPage = R"html(<!doctype html>
<html><head><meta charset="utf-8"><title>Player</title>
<style>html, body { margin: 0; width: 100%; height: 100%; overflow: hidden; background: #000; }
ruffle-player { display: block; width: 100%; height: 100%; }</style>
<script>
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = {
    autoplay: "on", unmuteOverlay: "hidden", splashScreen: false, contextMenu: "off",
    warnOnUnsupportedContent: false, letterbox: "off", polyfills: false, logLevel: "error",
    openUrlMode: "deny", showSwfDownload: false,
    // The WebGL renderer runs on a software GL where there is no GPU; the default renderer
    // there opens a notice over the movie at the first pointer move, which eats that click.
    preferredRenderer: "webgl",
};
var vornBridge = null;
function vornPlayerReady() {
    if (vornBridge && window.RufflePlayer && typeof window.RufflePlayer.newest === "function"
            && window.RufflePlayer.newest())
        vornBridge.ready();
}
function vornUnload() {
    const old = document.getElementById("player");
    if (old) old.remove();
}
// The movie arrives in pieces of whole base64 quads, so that no single message to the page
// has to carry a large movie at once.
var vornPieces = [];
function vornPiece(text) {
    vornPieces.push(Uint8Array.from(atob(text), (c) => c.charCodeAt(0)));
}
function vornTakeMovie() {
    let size = 0;
    for (const piece of vornPieces) size += piece.length;
    const bytes = new Uint8Array(size);
    let at = 0;
    for (const piece of vornPieces) {
        bytes.set(piece, at);
        at += piece.length;
    }
    vornPieces = [];
    return bytes;
}
function vornLoad(movie, base, fit) {
    const bytes = vornTakeMovie();
    vornUnload();
    const player = window.RufflePlayer.newest().createPlayer();
    player.id = "player";
    let settled = false;
    const fail = (reason) => {
        if (settled) return;
        settled = true;
        vornBridge.failed(movie, String(reason));
    };
    player.addEventListener("loadedmetadata", () => {
        if (settled) return;
        settled = true;
        vornBridge.loaded(movie);
        requestAnimationFrame(() => requestAnimationFrame(() => vornBridge.painted(movie)));
    });
    player.onFSCommand = (command, args) => {
        vornBridge.fsCommand(movie, String(command), String(args));
        return true;
    };
    document.body.appendChild(player);
    // A movie the player cannot read ends on its error screen without an event: the
    // screen's appearance is the failure.
    const watch = new MutationObserver(() => {
        if (player.shadowRoot && player.shadowRoot.querySelector(".panic"))
            fail("the player could not read the movie");
    });
    if (player.shadowRoot)
        watch.observe(player.shadowRoot, { childList: true, subtree: true });
    const options = { data: bytes, allowScriptAccess: true, base: base };
    if (fit === "stretch")
        options.scale = "exactFit";
    try {
        Promise.resolve(player.ruffle().load(options)).catch(fail);
    } catch (e) {
        fail(e);
    }
}
window.addEventListener("error", (e) => {
    if (vornBridge) vornBridge.failed(-1, String(e.message));
});
</script>
<script src="ruffle.js"></script>
<script>
new QWebChannel(qt.webChannelTransport, (channel) => {
    vornBridge = channel.objects.bridge;
    vornPlayerReady();
});
</script>
</head><body></body></html>
)html";

QString webChannelScript() {
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString playerDirectory() {
    if (qEnvironmentVariableIsSet("VORN_PLAYER_DIR"))
        return qEnvironmentVariable("VORN_PLAYER_DIR");
    return QStringLiteral(VORN_PLAYER_BUILD_DIR);
}

bool playerFilesPresent(const QString& directory) {
    return !directory.isEmpty() && QFileInfo(directory + QStringLiteral("/ruffle.js")).isFile();
}

PlayerEngine::PlayerEngine(QObject* parent) : QObject(parent) {}

PlayerEngine& PlayerEngine::shared() {
    static PlayerEngine* engine = new PlayerEngine(QCoreApplication::instance());
    return *engine;
}

bool PlayerEngine::start(int timeoutMs) {
    if (m_ready)
        return true;
    const QString directory = playerDirectory();
    if (!playerFilesPresent(directory))
        return false;
    m_playerFolder = QFileInfo(directory).absoluteFilePath();
    if (m_guard)
        m_guard->setFolders({m_playerFolder});
    if (!m_page) {
        const QString channelScript = webChannelScript();
        if (channelScript.isEmpty())
            return false;
        if (!m_profile) {
            // A profile of its own that keeps nothing on disk: movies leave no cache or
            // cookies behind, and several programs (or test runs) never share a profile folder.
            m_profile = new QWebEngineProfile(this);
            m_guard = new LocalFileGuard(this);
            m_guard->setFolders({m_playerFolder});
            m_profile->setUrlRequestInterceptor(m_guard);
            // The web engine shuts down while the application is ending, before the
            // application's children go: the page and its profile must be gone by then.
            // Routines run in the reverse order of their adding, so this one, added after the
            // engine's, runs first.
            qAddPostRoutine([] {
                PlayerEngine& engine = shared();
                delete engine.m_page;
                engine.m_page = nullptr;
                delete engine.m_profile;
                engine.m_profile = nullptr;
                engine.m_ready = false;
            });
        }
        // The page outlives every view that shows it: a view only borrows it.
        m_page = new QuietPage(m_profile, this);
        QWebEngineSettings* settings = m_page->settings();
        // A movie's sound plays without a click first, as in a desktop player.
        settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
        QWebEngineScript script;
        script.setName(QStringLiteral("qwebchannel"));
        script.setSourceCode(channelScript);
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::MainWorld);
        m_page->scripts().insert(script);
        if (!m_channel) {
            m_channel = new QWebChannel(this);
            m_bridge = new PlayerBridge(*this);
            m_channel->registerObject(QStringLiteral("bridge"), m_bridge);
        }
        m_page->setWebChannel(m_channel);
        m_pageFailed = false;
        connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            if (!ok)
                m_pageFailed = true;
        });
        // A page whose process died plays nothing more: the movie on it has failed, and the
        // next movie gets a fresh page.
        connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
                [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                    if (status == QWebEnginePage::NormalTerminationStatus)
                        return;
                    dropPage();
                    emit failed(m_movie, QStringLiteral("the player's process ended"));
                });
        m_page->setHtml(QString::fromUtf8(kPage),
                        QUrl::fromLocalFile(QFileInfo(directory).absoluteFilePath() + '/'));
    }
    // The caller needs the answer before going on, as with a control made on the spot.
    QElapsedTimer clock;
    clock.start();
    QEventLoop wait;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &wait, [&] {
        if (m_ready || m_pageFailed || !m_page || clock.elapsed() > timeoutMs)
            wait.quit();
    });
    tick.start(10);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    // A page that did not come up is dropped, so that the next Play tries afresh rather than
    // finding the player missing for the rest of the program.
    if (!m_ready)
        dropPage();
    return m_ready;
}

void PlayerEngine::dropPage() {
    m_ready = false;
    QWebEnginePage* page = std::exchange(m_page, nullptr);
    if (!page)
        return;
    disconnect(page, nullptr, this, nullptr);
    // A view still showing the page keeps it until the view goes, as with a page of its own;
    // any other page goes once it has finished calling.
    if (QWebEngineView* view = QWebEngineView::forPage(page))
        page->setParent(view);
    else
        page->deleteLater();
}

int PlayerEngine::load(const QByteArray& swf, const QUrl& base, MovieFit fit) {
    ++m_movie;
    if (!m_ready)
        return m_movie;
    m_guard->setFolders(base.isLocalFile() ? QStringList{m_playerFolder, base.toLocalFile()}
                                           : QStringList{m_playerFolder});
    // The folder goes in as a JSON string, so that no character of it can end the literal.
    const QByteArray baseLiteral =
        QJsonDocument(QJsonObject{{QStringLiteral("b"), base.toString()}})
            .toJson(QJsonDocument::Compact)
            .mid(5)
            .chopped(1);
    const QByteArray text = swf.toBase64();
    // Pieces of 4 MB of text, each a whole number of base64 quads.
    constexpr qsizetype kPiece = 4 << 20;
    m_page->runJavaScript(QStringLiteral("vornPieces = [];"));
    for (qsizetype at = 0; at < text.size(); at += kPiece)
        m_page->runJavaScript(QString::fromLatin1("vornPiece(\"" + text.mid(at, kPiece) + "\");"));
    const QByteArray call = "vornLoad(" + QByteArray::number(m_movie) + ", " + baseLiteral +
                            ", \"" + (fit == MovieFit::Stretch ? "stretch" : "whole") + "\");";
    m_page->runJavaScript(QString::fromUtf8(call));
    return m_movie;
}

void PlayerEngine::unload() {
    ++m_movie;
    if (m_ready)
        m_page->runJavaScript(QStringLiteral("vornUnload();"));
}

bool IsFlashPlayerAvailable() {
    // The files are looked for every time, so that a player removed meanwhile is missed at
    // once rather than when its warm page next needs a file.
    return playerFilesPresent(playerDirectory()) && PlayerEngine::shared().start();
}

} // namespace vorn

#include "player_engine.moc"
