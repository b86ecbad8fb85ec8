// The editor program.
#include "view/prompts.h"
#include "view/view.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vorn::QtPrompts prompts;
    QMainWindow window;
    window.setWindowTitle("Vorn");
    auto* view = new vorn::CView(prompts, &window);
    window.setCentralWidget(view);
    window.resize(900, 600);
    window.show();
    return app.exec();
}
