// The "Player" dialog: one movie at its own pixel size in the player, closed by Esc, the close
// box or the movie's own FSCommand "quit".
#pragma once

#include "player/player_engine.h"

#include <QDialog>

#include <string>

class QWebEngineView;

namespace vorn {

class IPrompts;

// The player's client area for a movie's stage: the stage itself, or, when it does not fit in
// the available part of the screen, the largest size of its shape that does.
QSize clientSizeFor(QSize movie, QSize available);

class CSwfPlayerWindow : public QDialog {
    Q_OBJECT

public:
    CSwfPlayerWindow(IPrompts& prompts, QWidget* owner);
    ~CSwfPlayerWindow() override;

    // The document's bytes (see EncodeText) and the header values the probe found.
    void setMovie(std::string bytes, int width, int height, int version);
    // The folder the temporary movie goes to and the movie's relative loads resolve against:
    // the document's folder, or empty for the temporary folder.
    void setTempDirectory(std::string directory) { m_directory = std::move(directory); }

    // The start-up before the dialog runs: centred on its owner with the movie's size as its
    // client area, the movie compiled into a temporary file, handed to the player and the file
    // removed. False when the movie could not be compiled or the player is not there; the box
    // has been shown then and the dialog must not run. A movie the player then fails to read
    // shows problem code 1 and closes the dialog.
    bool startUp();

    // The number of the movie playing, as the engine's signals carry it.
    int movie() const { return m_movie; }
    QWebEngineView* view() const { return m_view; }

signals:
    // The first frame of the movie has been painted.
    void firstFramePainted();

protected:
    void done(int result) override;

private:
    void onFsCommand(int movie, const QString& command, const QString& args);
    void onFailed(int movie);

    IPrompts& m_prompts;
    QWebEngineView* m_view = nullptr;
    std::string m_bytes;
    int m_width = 0;
    int m_height = 0;
    int m_version = 0;
    std::string m_directory;
    int m_movie = -1;
};

} // namespace vorn
