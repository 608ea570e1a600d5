// Draws a program's window as a PNG, as it looks at start (or at another dimension, or after
// "50 veces"), or its charts window ("graficas"), or the viewer of matrix K ("visor K", fitted
// to its window with "ajustar", in difference mode with "diferencia", with the entries of
// violating triples marked with "violaciones"), or the methods' comparison ("metodos", under
// the t-norm T, min unless given, on a reflexive symmetric relation with "reflexiva"), on
// whatever Qt platform is chosen; `make screenshots` runs it offscreen for the README, so the
// pictures never go stale.
//
//   screenshot Zorvath|Zorvane FICHERO.png [DIMENSIÓN] [50]
//              [graficas | visor K [ajustar|diferencia|violaciones] | metodos [T] [reflexiva]]

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
#include "ui/methods_window.h"

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
        std::fprintf(stderr,
                     "uso: %s Zorvath|Zorvane FICHERO.png [DIMENSIÓN] [50] [graficas | visor K "
                     "[ajustar|diferencia|violaciones] | metodos [T] [reflexiva]]\n",
                     argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    toolkit::KeepCNumericLocale();  // as the programs do
    ui::InstallSpanishTranslation(application);
    const engine::Variant& variant = std::strcmp(argv[1], "Zorvath") == 0 ? engine::kZorvath : engine::kZorvane;
    NoDialogs dialogs;
    TForm1 form(variant, dialogs);
    const bool methods = argc > 5 && std::strcmp(argv[5], "metodos") == 0;
    const bool reflexive = methods && std::strcmp(argv[argc - 1], "reflexiva") == 0;
    if ((argc > 3 && std::atoi(argv[3]) != form.engine().dimension) || reflexive) {
        if (argc > 3) form.engine().dimension = std::atoi(argv[3]);
        form.engine().reflexive = form.engine().reflexive || reflexive;
        form.engine().symmetric = form.engine().symmetric || reflexive;
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
        if (argc > 7 && std::strcmp(argv[7], "violaciones") == 0) viewer.ShowViolations(true);
        QApplication::processEvents();
        shown = &viewer;
    }
    if (methods) {
        form.Guarded(&TForm1::CompararMetodos1Click, &form);
        auto* window = form.findChild<ui::MethodsWindow*>(QStringLiteral("CompararMetodos"));
        if (argc > 6 && std::strcmp(argv[6], "reflexiva") != 0 && !window->SetTNormText(QString::fromLocal8Bit(argv[6])))
            return 2;
        window->Finish();
        QApplication::processEvents();
        shown = window;
    }
    return shown->grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
