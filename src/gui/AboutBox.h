// The about box: product name, version, purpose, and a logo that opens the maker's web site.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>
#include <memory>

namespace Ui {
class AboutBox;
}

class AboutBox : public QDialog {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl&)>;

    // Without an opener the address goes to the desktop's default browser.
    explicit AboutBox(QWidget* parent = nullptr, UrlOpener openUrl = {});
    ~AboutBox() override;

    static QUrl makerAddress();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OpenMakerSite();

    std::unique_ptr<Ui::AboutBox> ui_;
    UrlOpener openUrl_;
};
