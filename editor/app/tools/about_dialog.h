// The About box: the program's picture, its version and the addresses of its home page and
// updates.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;

namespace vorn {

struct CommandContext;

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* versionLabel() const { return m_version; }
    QLabel* linksLabel() const { return m_links; }
    QLabel* pictureLabel() const { return m_picture; }

private:
    QLabel* m_picture;
    QLabel* m_version;
    QLabel* m_links;
};

// The program's picture, drawn at the given size in pixels: the dialect's angle brackets
// around a V on a dark tile.
QPixmap vornPicture(int size);

void aboutBox(CommandContext& context);

} // namespace vorn
