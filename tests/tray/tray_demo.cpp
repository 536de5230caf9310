// A bare window with the tray icon, for checking minimise and restore on a real X server.
#include "tray/AppIcon.h"
#include "tray/TrayIcon.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(pellmark::PellmarkIcon());
    QLabel window(QStringLiteral("Minimise me, then double-click the icon."));
    window.setWindowTitle(QStringLiteral("Pellmark tray demo"));
    window.resize(320, 120);
    TTrayIcon trayIcon(&window);
    window.show();
    return app.exec();
}
