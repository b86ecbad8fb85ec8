// The player that plays movies: the Ruffle player in a web page, kept in one page for the whole
// program. The page starts on the first Play or Show Color and then stays warm, so that later
// movies appear without a web engine starting again. Every movie is handed over as bytes, so
// no file of it has to outlive the hand-over.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QWebEnginePage;
class QWebEngineProfile;
class QWebChannel;

namespace vorn {

// The folder of the player's files: VORN_PLAYER_DIR when it is set (even when it names a
// folder without them, so that a test can take the player away), else the build tree's.
QString playerDirectory();
// Whether the folder holds the player (its ruffle.js).
bool playerFilesPresent(const QString& directory);

// How a movie fills the view: a player dialog sized to the movie shows it whole; the colour
// viewer stretches the stage so that its background fills the small popup.
enum class MovieFit { Whole, Stretch };

class LocalFileGuard;
class PlayerBridge;

class PlayerEngine : public QObject {
    Q_OBJECT

public:
    // The program's one engine, made on first use and kept until the application ends.
    static PlayerEngine& shared();

    // Starts the web engine on the player's page and waits until the player is ready, at most
    // `timeoutMs`. True at once when it already is. False when the player's files are missing
    // or the page does not come up.
    bool start(int timeoutMs = 30000);
    bool isReady() const { return m_ready; }

    // The page the views show; null until start() was called.
    QWebEnginePage* page() const { return m_page; }

    // Plays the movie's bytes in a fresh player. Relative loads of the movie resolve against
    // `base`. Gives the number that the signals of this movie carry; signals of an earlier
    // movie carry an older one.
    int load(const QByteArray& swf, const QUrl& base, MovieFit fit);
    // Stops whatever plays (also its sound) and leaves the page empty.
    void unload();

signals:
    // The movie's header was read and its first frame is on the way to the screen.
    void loaded(int movie);
    // The player could not play the movie.
    void failed(int movie, const QString& reason);
    // A frame has been painted since the movie loaded.
    void firstFramePainted(int movie);
    void fsCommand(int movie, const QString& command, const QString& args);

private:
    explicit PlayerEngine(QObject* parent);
    // Lets the page go (later, as it may be calling), so that the next start makes a new one.
    void dropPage();
    friend class PlayerBridge;

    QWebEngineProfile* m_profile = nullptr;
    LocalFileGuard* m_guard = nullptr;
    QString m_playerFolder;
    QWebEnginePage* m_page = nullptr;
    QWebChannel* m_channel = nullptr;
    PlayerBridge* m_bridge = nullptr;
    bool m_ready = false;
    bool m_pageFailed = false;
    int m_movie = 0;
};

// The player is installed: its files are present and the web engine starts with them.
bool IsFlashPlayerAvailable();

} // namespace vorn
