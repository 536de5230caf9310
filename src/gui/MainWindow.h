// The main window: the symbol lists, the date range and output format, the save folder,
// the errors list, the status line and the gauge, and the handlers behind them.
#pragma once

#include "core/Result.h"
#include "folder/FolderLock.h"
#include "gui/FolderChooser.h"
#include "gui/MessageBoxes.h"
#include "net/QuoteFetch.h"
#include "run/PlainAsking.h"
#include "run/RunEngine.h"
#include "tray/TrayIcon.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QShortcut>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class MainWindow;
}

namespace pellmark {

// What the window would otherwise take from the real world; tests replace it.
struct WindowSeams {
    MessageBoxes* boxes = nullptr;    // null: boxes on the screen
    FolderChooser* chooser = nullptr; // null: the folder dialog
};

} // namespace pellmark

class MainWindow : public QWidget, public pellmark::QuoteFormSource {
    Q_OBJECT
public:
    using Seams = pellmark::WindowSeams;

    // The fetcher reads the request and line layout from this window (it is a QuoteFormSource)
    // and must outlive it.
    explicit MainWindow(pellmark::DayFetcher& fetcher, Seams seams = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The about box is made after the window and shown by the &About button.
    void setAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }
    // Asked as each run starts whether pages can be read; when not, the run does not start.
    void setFetchCheck(std::function<pellmark::Done()> canFetch) {
        canFetch_ = std::move(canFetch);
    }

    void SetStatus(const QString& text);
    // True while a download or a retry is going on.
    bool Running() const { return engine_.Running(); }

    // The category ticked; each day of a run is asked in the one ticked as it starts.
    pellmark::Category category() const;
    std::string hostLabel() const override;
    pellmark::LineOrder lineOrder() const override;
    std::string separator() const override;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void ForexChosen();
    void StocksChosen();
    void IndicesChosen();
    void FirstFieldChosen();
    void SecondFieldChosen();
    void ChooseSaveFolder();
    void DownloadOrStop();
    void ShowAboutBox();
    void DownloadErrors();

private:
    void FillDefaults();
    void Wire();
    void SaveFolderChosen(const QString& folder);
    // False, once the user is told, when the folder cannot be made.
    bool CreateSaveFolder(const QString& folder);

    // The batch run and the retry share one queue of symbol-days.
    enum class RunKind { Batch, Retry };
    void StartRun(RunKind kind, pellmark::DayItems items);
    void StopRun();
    void ShowRunning(bool running);
    void LimitDatesToToday();
    void ItemStarting(std::size_t index, const pellmark::DayItem& item);
    void ItemDone(const pellmark::DayResult& result);
    void ShowProgress(const pellmark::RunProgress& progress);
    void RunEnded(const pellmark::RunEnd& end);
    void AddFailedItems(const std::vector<pellmark::DayItem>& items);
    void ReplaceFailedItems(const std::vector<pellmark::DayItem>& leftToDo);
    void ShowFinalMessages();
    std::string ErrorsListText() const;
    std::vector<std::string> SymbolList() const;

    // Runs body; a failure that escapes it is shown as the error report, never passed to Qt.
    template <typename Body> void Guarded(Body&& body) noexcept {
        try {
            body();
        } catch (...) {
            ReportFailure(std::current_exception());
        }
    }
    void ReportFailure(std::exception_ptr failure) noexcept;

    std::unique_ptr<Ui::MainWindow> ui;
    std::unique_ptr<pellmark::MessageBoxes> ownBoxes_;
    std::unique_ptr<pellmark::FolderChooser> ownChooser_;
    pellmark::MessageBoxes* boxes_;
    pellmark::FolderChooser* chooser_;
    QPointer<QDialog> aboutBox_;
    std::function<pellmark::Done()> canFetch_;
    pellmark::PlainAsking asking_;
    pellmark::RunEngine engine_;
    // Held while a run or a retry writes into its save folder, so that no pellmark-batch
    // --update of the same folder writes at once.
    std::optional<pellmark::FolderLock> folderLock_;
    RunKind runKind_ = RunKind::Batch;
    QElapsedTimer sinceRunStart_;
    // The button's caption carries one key; these give it the other in each state.
    QShortcut* downloadKey_ = nullptr;
    QShortcut* stopKey_ = nullptr;
    TTrayIcon trayIcon_;
    const QString idleTrayTip_;
};
