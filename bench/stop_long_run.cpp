// pellmark_bench_stop_long_run: how long Stop takes on a run over every week-day since August
// 2004 for the 13 default pairs, in the real window, offscreen: from the click to the window
// answering again, with every day listed in the errors list.
#include "gui/MainWindow.h"
#include "gui/MessageBoxes.h"
#include "net/FormRelay.h"
#include "net/HiddenBrowser.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class SilentBoxes : public pellmark::MessageBoxes {
public:
    void Warning(const QString&, Closed closed = {}) override { Close(closed); }
    void Information(const QString&, Closed closed = {}) override { Close(closed); }
    void ErrorReport(const QString&) override {}
    void Confirm(const QString&, Answered answered) override { answered(false); }

private:
    static void Close(const Closed& closed) {
        if (closed)
            closed();
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentBoxes boxes;
    MainWindow::Seams seams;
    seams.boxes = &boxes;
    pellmark::HiddenBrowser browser;
    pellmark::FormRelay formRelay;
    pellmark::QuoteFetch fetch(browser, formRelay);
    MainWindow form(fetch, seams);
    formRelay.Bind(form);
    form.findChild<QDateEdit*>("rangeStart")->setDate(QDate(2004, 8, 2));
    form.show();
    auto* button = form.findChild<QPushButton*>("downloadButton");
    button->click();

    QElapsedTimer stopping;
    // Past the double-click interval, and before the first fetch's pause is over.
    QTimer::singleShot(QApplication::doubleClickInterval() + 100, [&] {
        stopping.start();
        button->click();
        QTimer::singleShot(0, [&] {
            const auto lines =
                form.findChild<QPlainTextEdit*>("errorsList")->toPlainText().count(u'\n');
            std::printf("Stop took %lld ms; %lld days listed\n",
                        static_cast<long long>(stopping.elapsed()), static_cast<long long>(lines));
            app.quit();
        });
    });
    return app.exec();
}
