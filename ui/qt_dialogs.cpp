#include "ui/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>

namespace ui {

namespace {

// Without an initial folder the file dialogs open in the process's current directory.
std::optional<QString> ChosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

// Not modal: the window stays readable (its grids scroll, its cells copy) while it refuses
// commands, and no nested event processing happens behind the caller's back.
class QtProgress : public Progress {
public:
    QtProgress(QWidget* parent, const QString& title, int maximum)
        : dialog_(QString(), QStringLiteral("Cancelar"), 0, maximum, parent) {
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::NonModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setMinimumWidth(360);
        dialog_.show();
    }
    void SetValue(int value, const QString& text) override {
        dialog_.setLabelText(text);
        dialog_.setValue(value);
    }
    bool Cancelled() const override { return dialog_.wasCanceled(); }

private:
    QProgressDialog dialog_;
};

}  // namespace

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
    QFileDialog dialog(parent_, QString(), QDir::currentPath(), QtFilter(settings.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(settings.defaultExtension);
    // A bare name takes the extension of the file type chosen ("Libro (*.xlsx)": xlsx).
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, settings](const QString& filter) {
        const qsizetype star = filter.lastIndexOf(QLatin1String("(*."));
        dialog.setDefaultSuffix(star < 0 ? settings.defaultExtension : filter.mid(star + 3).chopped(1));
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings.overwritePrompt);
    dialog.setSizeGripEnabled(true);
    if (!settings.suggestedName.isEmpty()) dialog.selectFile(settings.suggestedName);
    return ChosenFile(dialog);
}

std::optional<QString> QtDialogs::OpenFileName(const QString& filter) {
    QFileDialog dialog(parent_, QString(), QDir::currentPath(), QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setSizeGripEnabled(true);
    return ChosenFile(dialog);
}

std::unique_ptr<Progress> QtDialogs::ShowProgress(const QString& title, int maximum) {
    return std::make_unique<QtProgress>(parent_, title, maximum);
}

void QtDialogs::ShowException(const QString& message) {
    QMessageBox::critical(parent_, QStringLiteral("Error"), message);
}

}  // namespace ui
