#pragma once

#include <QFileIconProvider>
#include <QPointer>
#include <QWidget>

#include "ui/dialogs.h"

class QFileDialog;

namespace ui {

/// The kinds of file the file dialogs' "Tipo" column names, in Spanish: Qt's Spanish translation
/// leaves "Folder" in English, and the MIME database describes files in the session's language.
class SpanishFileKinds : public QFileIconProvider {
public:
    /// "Carpeta", "Unidad", or "Fichero" and the extension ("Fichero txt").
    QString type(const QFileInfo& info) const override;
};

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
    void ShowInformation(const QString& caption, const QString& message) override;
    std::optional<FigureSettings> AskFigureSettings(const FigureSettings& last) override;

    /// "name|pattern|name|pattern" as Qt's "name (pattern);;name (pattern)".
    static QString QtFilter(const QString& filter);
    /// The file dialog both kinds of file question use, before it is told which: in the current
    /// directory, resizable, on `filter`, every text Spanish.
    std::unique_ptr<QFileDialog> NewFileDialog(const QString& filter);

private:
    QPointer<QWidget> parent_;
    SpanishFileKinds fileKinds_;
};

}  // namespace ui
