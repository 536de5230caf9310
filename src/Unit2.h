// The about box: product name, version, purpose, and a logo that opens the maker's web site.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>
#include <memory>

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl&)>;

    // Without an opener the address goes to the desktop's default browser.
    explicit TAboutBox(QWidget* parent = nullptr, UrlOpener openUrl = {});
    ~TAboutBox() override;

    static QUrl makerAddress();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void sBitBtn1Click();
    void ProgramIconClick();

    std::unique_ptr<Ui::TAboutBox> ui_;
    UrlOpener openUrl_;
};
