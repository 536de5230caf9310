// The program entry: the fetch through the hidden browser, the main window it serves and the
// about box, then the event loop until the main window is closed.
#include "Branding.h"
#include "CommandLine.h"
#include "core/SystemTexts.h"
#include "gui/AboutBox.h"
#include "gui/MainWindow.h"
#include "net/FormRelay.h"
#include "net/HiddenBrowser.h"
#include "net/PageBodyReader.h"
#include "tray/AppIcon.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[]) {
    // Before QApplication, which would need a display.
    if (const auto exitCode = pellmark::AnswerCommandLine(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    pellmark::KeepSystemTextsEnglish();
    // The name, not the display name: Qt would append a display name to every window title.
    QApplication::setApplicationName(QString::fromUtf8(pellmark::kApplicationTitle));
    QApplication::setWindowIcon(pellmark::PellmarkIcon());
    // Hidden in the notification area the program has no window shown, yet goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    // The folder dialog keeps its history in a settings file; Pellmark keeps nothing between
    // starts, so that file is pointed where none can be made.
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));

    pellmark::HiddenBrowser browser;
    pellmark::FormRelay formRelay;
    pellmark::QuoteFetch fetch(browser, formRelay);
    MainWindow form(fetch);
    formRelay.Bind(form);
    form.setFetchCheck(&pellmark::PageBodyReader::FindHelper);
    QObject::connect(&form, &MainWindow::closed, &app, &QCoreApplication::quit);
    AboutBox aboutBox;
    form.setAboutBox(&aboutBox);
    form.show();
    return QApplication::exec();
}
