#include "gui/FolderChooser.h"

#include <QFileDialog>
#include <QFileInfo>

namespace pellmark {

namespace {

class FolderDialog : public QFileDialog {
public:
    FolderDialog(QWidget* parent, const QString& startFolder)
        : QFileDialog(parent, tr("Select Directory"), startFolder) {
        setFileMode(QFileDialog::Directory);
        setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    }

    // The stock dialog refuses a folder that does not exist; hand it on instead.
    void accept() override {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty() && !QFileInfo::exists(chosen.first())) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

} // namespace

void FolderDialogChooser::Choose(const QString& startFolder, Chosen chosen) {
    auto* dialog = new FolderDialog(parent_, startFolder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, chosen = std::move(chosen)](int result) {
                         const QStringList files = dialog->selectedFiles();
                         if (result == QDialog::Accepted && !files.isEmpty())
                             chosen(files.first());
                         else
                             chosen(std::nullopt);
                     });
    dialog->show();
}

} // namespace pellmark
