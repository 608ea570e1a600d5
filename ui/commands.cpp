// The commands of the buttons and of the "Opciones" menu, and the charts window of the "Ver"
// menu. (The "Archivo" menu's commands: file_commands.cpp; the statistics file's:
// statistics_command.cpp.)
#include <QString>
#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>

#include "experiments/trial_pipeline.h"
#include "toolkit/number_text.h"
#include "ui/charts.h"
#include "ui/form1.h"
#include "ui/methods_window.h"
#include "ui/tnorm_window.h"

namespace {

// Shows a window of the program's and brings it in front of the others, with the focus.
void ShowInFront(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

// A typed number: StrToInt's conversion error for anything but an integer, a range error
// naming the accepted values for an integer outside them ("'0' no es una dimensión válida: …").
int AskedNumber(const QString& text, int lowest, int highest, const char* valid) {
    const int value = toolkit::StrToInt(text.toStdString());
    if (value < lowest || value > highest) {
        std::string message = "'" + text.trimmed().toStdString() + "' no es " + valid + ": ";
        if (highest == std::numeric_limits<int>::max())
            message += "debe ser " + std::to_string(lowest) + " o mayor";
        else
            message += "debe estar entre " + std::to_string(lowest) + " y " + std::to_string(highest);
        throw std::out_of_range(message);
    }
    return value;
}

}  // namespace

const QString TForm1::kDimensionPrompt = QStringLiteral(
    "Dame la nueva dimensión\n(de 1 a 5000; desde unos cientos de elementos cada análisis tarda segundos)");

void TForm1::Button1Click(QObject*) {
    if (engine().dimension >= experiments::kAsideDimension) {
        RunAsideTrial(QStringLiteral("Genera Matriz"), [this] { return std::make_unique<experiments::AsideTrial>(*experiment_); });
        return;
    }
    experiment_->RunTrial();
    RefreshGrids();
}

void TForm1::GenerarMatriz1Click(QObject* sender) { Button1Click(sender); }

void TForm1::Button2Click(QObject* sender) {
    QString text;
    if (dialogs_.InputQuery(QStringLiteral("Cambiar dimensión"), kDimensionPrompt, text)) {
        const int n = AskedNumber(text, 1, engine::kLargestDimension, "una dimensión válida");
        engine::CheckMemoryFor(n);
        if (n >= experiments::kAsideDimension) {
            // The dimension changes with the trial that ends; "Cancelar" keeps the old one.
            RunAsideTrial(QStringLiteral("Cambiar Dimensión"),
                          [this, n] { return std::make_unique<experiments::AsideTrial>(*experiment_, n); });
            return;
        }
        engine().dimension = n;
    }
    Button1Click(sender);
}

void TForm1::CambiarDimensin1Click(QObject* sender) { Button2Click(sender); }

void TForm1::Button3Click(QObject* sender) {
    engine().reflexive = dialogs_.MessageDlgYes(QStringLiteral("¿Quieres que la matriz sea Reflexiva?"));
    Button1Click(sender);
}

void TForm1::CambiarReflexividad1Click(QObject* sender) { Button3Click(sender); }

void TForm1::Reflexiva1Click(QObject* sender) { Button3Click(sender); }

void TForm1::Button4Click(QObject* sender) {
    Label8Click(sender);
    Button1Click(sender);
}

void TForm1::Label8Click(QObject*) {
    engine().symmetric = dialogs_.MessageDlgYes(QStringLiteral("¿Quieres que la matriz sea Simétrica?"));
}

bool TForm1::AskElement(const QString& prompt, int& index) {
    QString text;
    if (!dialogs_.InputQuery(QStringLiteral("Permutación"), prompt, text)) return false;
    // A number above n is allowed: the command then generates a new relation instead.
    index = AskedNumber(text, 1, std::numeric_limits<int>::max(), "un número de elemento válido") - 1;
    return true;
}

void TForm1::Button8Click(QObject* sender) {
    engine::Engine& e = engine();
    AskElement(QStringLiteral("Dame un número"), e.swapFirst);
    AskElement(QStringLiteral("Dame otro número"), e.swapSecond);
    e.swapPending = std::max(e.swapFirst, e.swapSecond) < e.dimension;
    const int dimension = e.dimension, beyond = std::max(e.swapFirst, e.swapSecond) + 1;
    Button1Click(sender);
    // A number above n draws a new relation, as the command always has; the user is told so,
    // over the window that shows it, or the new relation would pass for the swapped one.
    if (beyond > dimension)
        dialogs_.ShowInformation(QStringLiteral("Permutación"),
                                 QStringLiteral("No hay elemento %1 en dimensión %2: no se ha permutado; "
                                                "se ha generado una relación nueva.")
                                     .arg(beyond)
                                     .arg(dimension));
}

void TForm1::Button5Click(QObject*) {
    constexpr int kTrials = 50;
    const experiments::TrialGroup trials[] = {{engine().dimension, kTrials}};
    const int threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, experiments::kMaxThreads);
    RunInBackground(QStringLiteral("50 veces"), kTrials, [&](std::stop_token stop, const ProgressReport& report) {
        long long done = 0;
        experiments::TrialHooks hooks;
        hooks.trialDone = [&] {
            ++done;
            report(done, QStringLiteral("Matriz %1 de %2").arg(done).arg(kTrials));
        };
        experiments::RunTrialGroups(*experiment_, trials, threads, stop, hooks);
    });
}

void TForm1::Graficas1Click(QObject*) {
    if (!charts_) charts_ = new ui::ChartsWindow(dialogs_, this);
    charts_->Present(shown_);
    ShowInFront(*charts_);
}

void TForm1::OtrasTNormas1Click(QObject*) {
    if (!tnorms_) tnorms_ = new ui::TNormWindow(variant_.symmetrizing, dialogs_, this);
    tnorms_->Present(shown_);
    ShowInFront(*tnorms_);
}

void TForm1::CompararMetodos1Click(QObject*) {
    if (!methods_) methods_ = new ui::MethodsWindow(variant_.symmetrizing, dialogs_, this);
    methods_->Present(shown_);
    ShowInFront(*methods_);
}

void TForm1::Button7Click(QObject*) {
    experiment_->Reset();
    RefreshGrids();
}
