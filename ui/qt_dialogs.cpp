#include "ui/qt_dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
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

QString SpanishFileKinds::type(const QFileInfo& info) const {
    if (info.isRoot()) return QStringLiteral("Unidad");
    if (info.isDir()) return QStringLiteral("Carpeta");
    const QString suffix = info.suffix().toLower();
    return suffix.isEmpty() ? QStringLiteral("Fichero") : QStringLiteral("Fichero ") + suffix;
}

std::unique_ptr<QFileDialog> QtDialogs::NewFileDialog(const QString& filter) {
    auto dialog = std::make_unique<QFileDialog>(parent_, QString(), QDir::currentPath(), QtFilter(filter));
    // Qt's own dialog, not the desktop's, so that the kinds below are the ones shown.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setIconProvider(&fileKinds_);
    dialog->setSizeGripEnabled(true);
    return dialog;
}

std::optional<QString> QtDialogs::SaveFileName(const SaveDialogSettings& settings) {
    const std::unique_ptr<QFileDialog> asked = NewFileDialog(settings.filter);
    QFileDialog& dialog = *asked;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(settings.defaultExtension);
    // A bare name takes the extension of the file type chosen ("Libro (*.xlsx)": xlsx).
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, settings](const QString& filter) {
        const qsizetype star = filter.lastIndexOf(QLatin1String("(*."));
        dialog.setDefaultSuffix(star < 0 ? settings.defaultExtension : filter.mid(star + 3).chopped(1));
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings.overwritePrompt);
    if (!settings.suggestedName.isEmpty()) dialog.selectFile(settings.suggestedName);
    return ChosenFile(dialog);
}

std::optional<QString> QtDialogs::OpenFileName(const QString& filter) {
    const std::unique_ptr<QFileDialog> dialog = NewFileDialog(filter);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return ChosenFile(*dialog);
}

std::unique_ptr<Progress> QtDialogs::ShowProgress(const QString& title, int maximum) {
    return std::make_unique<QtProgress>(parent_, title, maximum);
}

void QtDialogs::ShowException(const QString& message) {
    QMessageBox::critical(parent_, QStringLiteral("Error"), message);
}

void QtDialogs::ShowInformation(const QString& caption, const QString& message) {
    QMessageBox::information(parent_, caption, message);
}

std::optional<FigureSettings> QtDialogs::AskFigureSettings(const FigureSettings& last) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(QStringLiteral("Ajustes de la figura"));
    auto* form = new QFormLayout(&dialog);
    // A side at 0 is "automático": the figure's own size, or its proportions beside the other.
    const auto side = [&](double value) {
        auto* box = new QDoubleSpinBox(&dialog);
        box->setRange(0, 20000);
        box->setDecimals(1);
        box->setSpecialValueText(QStringLiteral("automático"));
        box->setValue(value);
        return box;
    };
    QDoubleSpinBox* width = side(last.width);
    QDoubleSpinBox* height = side(last.height);
    auto* unit = new QComboBox(&dialog);
    unit->addItems({QStringLiteral("cm"), QStringLiteral("px")});
    unit->setCurrentIndex(last.centimetres ? 0 : 1);
    auto* size = new QHBoxLayout;
    size->addWidget(width);
    size->addWidget(new QLabel(QStringLiteral("×"), &dialog));
    size->addWidget(height);
    size->addWidget(unit);
    auto* resolution = new QSpinBox(&dialog);
    resolution->setRange(30, 1200);
    resolution->setSuffix(QStringLiteral(" ppp"));
    resolution->setValue(last.resolution);
    auto* family = new QFontComboBox(&dialog);
    family->setCurrentFont(QFont(last.fontFamily.isEmpty() ? QApplication::font().family() : last.fontFamily));
    auto* points = new QDoubleSpinBox(&dialog);
    points->setRange(4, 72);
    points->setDecimals(1);
    points->setSuffix(QStringLiteral(" pt"));
    points->setValue(last.fontPoints);
    auto* font = new QHBoxLayout;
    font->addWidget(family, 1);
    font->addWidget(points);
    auto* scale = new QComboBox(&dialog);
    for (const ColourScale s : {ColourScale::Viridis, ColourScale::Cividis, ColourScale::Greys})
        scale->addItem(ColourScaleName(s), static_cast<int>(s));
    scale->setCurrentIndex(static_cast<int>(last.scale));
    form->addRow(QStringLiteral("&Tamaño:"), size);
    form->addRow(QStringLiteral("&Resolución (PNG):"), resolution);
    form->addRow(QStringLiteral("&Fuente:"), font);
    form->addRow(QStringLiteral("&Escala de color:"), scale);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    FigureSettings chosen = last;
    chosen.width = width->value();
    chosen.height = height->value();
    chosen.centimetres = unit->currentIndex() == 0;
    chosen.resolution = resolution->value();
    chosen.fontFamily = family->currentFont().family();
    chosen.fontPoints = points->value();
    chosen.scale = static_cast<ColourScale>(scale->currentData().toInt());
    return chosen;
}

}  // namespace ui
