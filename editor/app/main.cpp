// The editor program.
#include "view/view.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Vorn");
    auto* view = new vorn::CView(&window);
    window.setCentralWidget(view);
    window.resize(900, 600);
    window.show();
    return app.exec();
}
