// The program entry: the fetch through the hidden browser, the main window it serves and the
// about box, then the event loop until the main window is closed.
#include "Branding.h"
#include "CommandLine.h"
#include "net/FormRelay.h"
#include "net/HiddenBrowser.h"
#include "tray/AppIcon.h"
#include "Unit1.h"
#include "Unit2.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Before QApplication, which would need a display.
    if (const auto exitCode = pellmark::AnswerCommandLine(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    // The name, not the display name: Qt would append a display name to every window title.
    QApplication::setApplicationName(QString::fromUtf8(pellmark::kApplicationTitle));
    QApplication::setWindowIcon(pellmark::PellmarkIcon());
    // Hidden in the notification area the program has no window shown, yet goes on.
    QApplication::setQuitOnLastWindowClosed(false);

    pellmark::HiddenBrowser Web1;
    pellmark::FormRelay formRelay;
    pellmark::QuoteFetch fetch(Web1, formRelay);
    TForm1 form(fetch);
    formRelay.Bind(form);
    QObject::connect(&form, &TForm1::closed, &app, &QCoreApplication::quit);
    TAboutBox aboutBox;
    form.setAboutBox(&aboutBox);
    form.show();
    return QApplication::exec();
}
