// Show Color: a small captionless popup at the caret whose whole face is a colour, shown as the
// background of a one-frame movie in the player. Any key, Esc or a click elsewhere closes it.
#pragma once

#include <QWidget>

class QWebEngineView;

namespace vorn {

class CColorViewer : public QWidget {
    Q_OBJECT

public:
    explicit CColorViewer(QWidget* owner);
    ~CColorViewer() override;

    // Places the popup with its top-left corner at the global point, shows it and loads the
    // colour. False, with nothing shown, when the text is not 1 to 10 characters, its movie
    // does not compile or the player is not there.
    bool showColor(const QByteArray& colorText, const QPoint& topLeft);

    QWebEngineView* view() const { return m_view; }

signals:
    // The colour has been painted.
    void colorPainted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWebEngineView* m_view = nullptr;
    int m_movie = -1;
};

} // namespace vorn
