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

    virtual ~FolderChooser() = default;
    // Returns at once; chosen runs when the user has closed the chooser.
    virtual void Choose(const QString& startFolder, Chosen chosen) = 0;
};

// The folder dialog titled "Select Directory". It lets the user make a new folder and
// also accepts the name of one that does not exist yet, so that the caller can offer to
// create it.
class FolderDialogChooser : public FolderChooser {
public:
    explicit FolderDialogChooser(QWidget* parent) : parent_(parent) {}
    void Choose(const QString& startFolder, Chosen chosen) override;

private:
    QWidget* parent_;
};

} // namespace pellmark
