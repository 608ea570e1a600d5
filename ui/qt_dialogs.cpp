#include "ui/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>

namespace ui {

bool QtDialogs::InputQuery(const QString& caption, const QString& prompt, QString& text) {
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, text, &ok);
    if (ok) text = answer;
    return ok;
}

bool QtDialogs::MessageDlgYes(const QString& message) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmación"), message,
                    QMessageBox::Yes | QMessageBox::No, parent_);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList choices;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        choices << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return choices.join(QStringLiteral(";;"));
}

std::optional<QString> QtDialogs::SaveFileName(const SaveDialogSettings& settings) {
    // Without an initial folder the dialog opens in the process's current directory.
    QFileDialog dialog(parent_, QString(), QDir::currentPath(), QtFilter(settings.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(settings.defaultExtension);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings.overwritePrompt);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

void QtDialogs::ShowException(const QString& message) {
    QMessageBox::critical(parent_, QStringLiteral("Error"), message);
}

}  // namespace ui
