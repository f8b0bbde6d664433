// KvdUIBuilder: the program's entry point.

#include "core/Control.h"
#include "layout/KvdUIElement.h"
#include "layout/KvdUILayoutFile.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvadia UI Builder"));
    RegisterElementClasses();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Korvadia UI Builder"));
    auto* root = new TControl;
    window.setCentralWidget(root);
    root->SetBounds(0, 0, LayoutSurfaceWidth, LayoutSurfaceHeight);
    auto* panel = new TKvdUIPanel(root);
    panel->SetParentControl(root);
    panel->SetBounds(20, 20, 250, 200);
    auto* button = new TKvdUIButton(root);
    button->SetParentControl(panel);
    button->SetBounds(20, 40, 60, 30);
    button->SetID(1);
    auto* text = new TKvdUIText(root);
    text->SetParentControl(root);
    text->SetBounds(20, 240, 100, 30);
    text->SetID(2);
    window.resize(LayoutSurfaceWidth, LayoutSurfaceHeight);
    window.show();
    return app.exec();
}
