// Draws a program's window as a PNG, as it looks at start (or at another dimension, or after
// "50 veces"), or its charts window ("graficas"), or the viewer of matrix K ("visor K", fitted
// to its window with "ajustar", in difference mode with "diferencia"), on whatever Qt platform
// is chosen; `make screenshots` runs it offscreen for the README, so the pictures never go stale.
//
//   screenshot Zorvath|Zorvane FICHERO.png [DIMENSIÓN] [50] [graficas | visor K [ajustar|diferencia]]

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "engine/variant.h"
#include "toolkit/number_text.h"
#include "ui/dialogs.h"
#include "ui/form1.h"
#include "ui/locale.h"
#include "ui/matrix_viewer.h"

namespace {

// Nobody answers: no question is asked, and "50 veces" runs to its end.
class NoDialogs : public ui::Dialogs {
public:
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    bool MessageDlgYes(const QString&) override { return false; }
    std::optional<QString> SaveFileName(const ui::SaveDialogSettings&) override { return std::nullopt; }
    std::optional<QString> OpenFileName(const QString&) override { return std::nullopt; }
    std::unique_ptr<ui::Progress> ShowProgress(const QString&, int) override { return std::make_unique<ui::NoProgress>(); }
    void ShowException(const QString& message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "Zorvath") != 0 && std::strcmp(argv[1], "Zorvane") != 0)) {
        std::fprintf(stderr, "uso: %s Zorvath|Zorvane FICHERO.png [DIMENSIÓN] [50] [graficas | visor K [ajustar|diferencia]]\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    toolkit::KeepCNumericLocale();  // as the programs do
    ui::InstallSpanishTranslation(application);
    const engine::Variant& variant = std::strcmp(argv[1], "Zorvath") == 0 ? engine::kZorvath : engine::kZorvane;
    NoDialogs dialogs;
    TForm1 form(variant, dialogs);
    if (argc > 3 && std::atoi(argv[3]) != form.engine().dimension) {
        form.engine().dimension = std::atoi(argv[3]);
        form.Guarded(&TForm1::Button1Click, &form);
    }
    if (argc > 4 && std::strcmp(argv[4], "50") == 0) form.Guarded(&TForm1::Button5Click, &form);
    form.show();
    QApplication::processEvents();
    QWidget* shown = &form;
    if (argc > 5 && std::strcmp(argv[5], "graficas") == 0) {
        form.Guarded(&TForm1::Graficas1Click, &form);
        shown = form.findChild<QWidget*>(QStringLiteral("Graficas"));
        QApplication::processEvents();
    }
    if (argc > 6 && std::strcmp(argv[5], "visor") == 0) {
        ui::MatrixViewer& viewer = form.OpenViewer(std::atoi(argv[6]));
        viewer.resize(760, 600);
        QApplication::processEvents();
        if (argc > 7 && std::strcmp(argv[7], "ajustar") == 0) viewer.Fit();
        if (argc > 7 && std::strcmp(argv[7], "diferencia") == 0) viewer.findChild<QAction*>("Diferencia")->trigger();
        QApplication::processEvents();
        shown = &viewer;
    }
    return shown->grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
