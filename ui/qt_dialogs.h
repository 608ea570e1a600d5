#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/dialogs.h"

namespace ui {

/// The real modal dialogs, centred on the parent window once it is known.
class QtDialogs : public Dialogs {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }

    bool InputQuery(const QString& caption, const QString& prompt, QString& text) override;
    bool MessageDlgYes(const QString& message) override;
    std::optional<QString> SaveFileName(const SaveDialogSettings& settings) override;
    std::optional<QString> OpenFileName(const QString& filter) override;
    std::unique_ptr<Progress> ShowProgress(const QString& title, int maximum) override;
    void ShowException(const QString& message) override;
    std::optional<FigureSettings> AskFigureSettings(const FigureSettings& last) override;

    /// "name|pattern|name|pattern" as Qt's "name (pattern);;name (pattern)".
    static QString QtFilter(const QString& filter);

private:
    QPointer<QWidget> parent_;
};

}  // namespace ui
