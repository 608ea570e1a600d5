#pragma once

#include <QString>
#include <optional>

namespace ui {

/// What the save dialog is told: a filter ("name|pattern|name|pattern"), the extension added
/// to a name without one, and whether to ask before replacing an existing file.
struct SaveDialogSettings {
    QString filter;
    QString defaultExtension;
    bool overwritePrompt = true;
};

/// Every modal question the window asks goes through this interface: real dialogs in the
/// programs, scripted answers in tests.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    /// Input line with OK and Cancel; true and the edited text on OK, false on Cancel or close.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& text) = 0;
    /// Confirmation question with the buttons Yes and No; true only for Yes.
    virtual bool MessageDlgYes(const QString& message) = 0;
    /// Save-file dialog; the chosen file name, or nothing when cancelled.
    virtual std::optional<QString> SaveFileName(const SaveDialogSettings& settings) = 0;
    /// The standard error box.
    virtual void ShowException(const QString& message) = 0;
};

}  // namespace ui
