#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "ui/figure_export.h"

namespace ui {

/// What a file dialog is told: a filter ("name|pattern|name|pattern"), the extension added to
/// a name without one, whether to ask before replacing an existing file, and a name to offer.
struct SaveDialogSettings {
    QString filter;
    QString defaultExtension;
    bool overwritePrompt = true;
    QString suggestedName;
};

/// A progress dialog with a "Cancelar" button, shown while the object lives.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetValue(int value, const QString& text) = 0;
    /// True once the user has pressed "Cancelar" (or closed the dialog).
    virtual bool Cancelled() const = 0;
};

/// Progress shown to nobody, never cancelled: for programs that drive the window unattended.
class NoProgress : public Progress {
public:
    void SetValue(int, const QString&) override {}
    bool Cancelled() const override { return false; }
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
    /// Open-file dialog for an existing file; the chosen name, or nothing when cancelled.
    virtual std::optional<QString> OpenFileName(const QString& filter) = 0;
    /// A progress dialog for long work, from 0 to `maximum`.
    virtual std::unique_ptr<Progress> ShowProgress(const QString& title, int maximum) = 0;
    /// The standard error box.
    virtual void ShowException(const QString& message) = 0;
    /// An information box with "Aceptar", for what a command did other than asked. Nothing
    /// where nobody reads it (a program driving the window).
    virtual void ShowInformation(const QString& /*caption*/, const QString& /*message*/) {}
    /// The figure settings for an export, `last` offered; nothing when cancelled. Without a
    /// dialog of its own (a program driving the window), `last` as it stands.
    virtual std::optional<FigureSettings> AskFigureSettings(const FigureSettings& last) { return last; }
};

}  // namespace ui
