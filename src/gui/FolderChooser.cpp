#include "gui/FolderChooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace pellmark {

namespace {

class FolderDialog : public QFileDialog {
public:
    FolderDialog(QWidget* parent, const QString& startFolder, FolderChooser::Missing missing)
        : QFileDialog(parent, tr("Select Directory"), startFolder), missing_(std::move(missing)) {
        setFileMode(QFileDialog::Directory);
        setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    }

    QString chosen() const { return chosen_; }

    // The stock dialog refuses a folder that does not exist; the caller decides instead,
    // and the dialog stays open until it has.
    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty() || QFileInfo::exists(files.first())) {
            chosen_ = files.value(0);
            QFileDialog::accept();
            return;
        }
        missing_(files.first(),
                 [dialog = QPointer<FolderDialog>(this), folder = files.first()](bool close) {
                     if (!dialog || !close)
                         return;
                     dialog->chosen_ = folder;
                     dialog->QDialog::accept();
                 });
    }

private:
    FolderChooser::Missing missing_;
    QString chosen_;
};

} // namespace

void FolderDialogChooser::Choose(const QString& startFolder, Missing missing, Chosen chosen) {
    auto* dialog = new FolderDialog(parent_, startFolder, std::move(missing));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, chosen = std::move(chosen)](int result) {
                         if (result == QDialog::Accepted && !dialog->chosen().isEmpty())
                             chosen(dialog->chosen());
                         else
                             chosen(std::nullopt);
                     });
    dialog->show();
}

} // namespace pellmark
