// Asks the user for a folder, behind an interface so that tests can answer instead.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace pellmark {

class FolderChooser {
public:
    // The chosen path, or nothing when the user cancelled.
    using Chosen = std::function<void(const std::optional<QString>& folder)>;
    // True closes the chooser with the folder asked about; false leaves it open. May be
    // called later, once the user has answered a question about it.
    using Verdict = std::function<void(bool close)>;
    // Asked about a folder that does not exist yet, while the chooser is still open.
    using Missing = std::function<void(const QString& folder, Verdict verdict)>;

    virtual ~FolderChooser() = default;
    // Returns at once; chosen runs when the user has closed the chooser.
    virtual void Choose(const QString& startFolder, Missing missing, Chosen chosen) = 0;
};

// The folder dialog titled "Select Directory". It lets the user make a new folder and
// also takes the name of one that does not exist yet, asking missing what to do with it.
class FolderDialogChooser : public FolderChooser {
public:
    explicit FolderDialogChooser(QWidget* parent) : parent_(parent) {}
    void Choose(const QString& startFolder, Missing missing, Chosen chosen) override;

private:
    QWidget* parent_;
};

} // namespace pellmark
