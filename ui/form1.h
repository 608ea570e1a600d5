#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

#include "engine/engine.h"
#include "engine/variant.h"
#include "experiments/experiment.h"
#include "ui/dialogs.h"

class QAction;
class QCloseEvent;
class QLabel;
class QPushButton;

namespace ui {
class Canvas;
class ChartsWindow;
class TNormWindow;
class MethodsWindow;
class MatrixViewer;
class Pie;
class StringGrid;
}  // namespace ui

/// The one window of both programs: the controls at their designed places in the client
/// area below the menu, the commands behind them and the plot painted on the client area.
///
/// The window shows snapshots of its experiment (experiments::Snapshot): the grids, labels,
/// pies and curves are drawn from the last one presented, never from the experiment itself, so
/// long work can go on in another thread while the window repaints.
///
/// Handlers do not catch: every button and menu item reaches its handler through Guarded(),
/// which shows an escaping error in the error box and leaves the state where the command
/// stopped. Code that calls a handler directly (tests, other commands) sees the exception.
///
/// One file per concern: form1.cpp (the controls' layout, start-up and the painting), menus.cpp
/// (the menus and the keyboard), long_work.cpp (presentation and the runner of long work), and
/// the commands in commands.cpp, file_commands.cpp ("Archivo") and statistics_command.cpp.
class TForm1 : public QMainWindow {
public:
    /// What "Cambiar Dimensión" asks.
    static const QString kDimensionPrompt;
    /// Builds the window and runs FormCreate, so the first trial has run when this returns.
    /// `dialogs` must outlive the window.
    TForm1(const engine::Variant& variant, ui::Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    experiments::Experiment& experiment() { return *experiment_; }
    const experiments::Experiment& experiment() const { return *experiment_; }
    engine::Engine& engine() { return experiment_->engine; }
    const engine::Engine& engine() const { return experiment_->engine; }
    ui::Dialogs& dialogs() { return dialogs_; }

    /// Runs a handler as the message loop would: an error ends the command and is shown.
    /// While long work runs, every command is refused.
    void Guarded(void (TForm1::*handler)(QObject*), QObject* sender);

    // Handlers.
    void Button1Click(QObject* sender);
    void FormCreate(QObject* sender);
    void Button2Click(QObject* sender);
    void Button3Click(QObject* sender);
    void CambiarDimensin1Click(QObject* sender);
    void Reflexiva1Click(QObject* sender);
    void GenerarMatriz1Click(QObject* sender);
    void CambiarReflexividad1Click(QObject* sender);
    void Label8Click(QObject* sender);
    void Button4Click(QObject* sender);
    void FormDestroy(QObject* sender);
    /// Brings the paint state up to date (UpdatePaintState) and draws the bar chart and the
    /// curves of the presented snapshot on `canvas`, in client coordinates.
    void FormPaint(ui::Canvas& canvas);
    void Button5Click(QObject* sender);
    void Button6Click(QObject* sender);
    void Button7Click(QObject* sender);
    void Button8Click(QObject* sender);
    // The "Archivo" menu.
    void Cargarmatriz1Click(QObject* sender);
    void SalvarMatriz1Click(QObject* sender);
    void SalvarCierreTransitivo1Click(QObject* sender);
    void SalvarCietteProdTransitivo1Click(QObject* sender);
    void SalvarCierreWTransitivo1Click(QObject* sender);
    void SalvarMatrizMinTransitivizada1Click(QObject* sender);
    void SalvarMatrizProdTransitivizada1Click(QObject* sender);
    void SalvarMatrizWTransitivizada1Click(QObject* sender);
    void SalvarTodo1Click(QObject* sender);
    // The "Ver" menu.
    /// Shows the charts window (made at the first call), which follows every presented snapshot.
    void Graficas1Click(QObject* sender);
    /// Shows the window of the other t-norms (made at the first call), which follows every
    /// presented snapshot.
    void OtrasTNormas1Click(QObject* sender);
    /// Shows the window of the methods' comparison (made at the first call), which follows
    /// every presented snapshot.
    void CompararMetodos1Click(QObject* sender);

    /// Opens the viewer of one matrix (numbered as its grid, 1 … 10), or brings it forward
    /// when it is open already; it follows every snapshot the window presents.
    ui::MatrixViewer& OpenViewer(int matrix);

    /// Presents the experiment as it is now: the result texts, the ten grids (sized to n),
    /// the paint state, and a repaint.
    void RefreshGrids();
    /// The part of the paint handler that changes state: Label9's caption, the pies' angles,
    /// the percentage labels and closureGreaterPercent.
    void UpdatePaintState();

    /// Percentage of trials since the last reset in which the closure lay farther from the
    /// relation, per t-norm, as of the last presentation.
    std::array<int, engine::kTNormCount> closureGreaterPercent{};
    /// Plot colours: red, yellow, green, blue, maroon, purple.
    std::array<QColor, 6> seriesColor;

    /// The background of the client area (the button face colour).
    QColor formColor() const;

    /// The window caption and the caption of Button6 of each program.
    static QString WindowCaption(const engine::Variant& variant);
    static QString Button6Caption(const engine::Variant& variant);

    /// Reports how far long work has gone: the number of units done and a line of text. Called
    /// on the work's thread, when the experiment is at rest.
    using ProgressReport = std::function<void(long long done, const QString& text)>;
    /// Runs `work` on a thread of its own while the window refuses commands, shows a progress
    /// dialog from 0 to `total` and presents the experiment a few times a second. "Cancelar"
    /// or a close request asks the work to stop (through the stop token); a close request is
    /// carried out once the work has ended. Returns when it has, presenting the final state;
    /// an exception from the work is rethrown here.
    void RunInBackground(const QString& title, long long total,
                         const std::function<void(std::stop_token, const ProgressReport&)>& work);
    /// Runs a trial made aside by `make` (on the work's thread: it draws or takes the relation)
    /// in the background, the progress dialog following its analysis; "Cancelar" stops it and
    /// changes nothing.
    void RunAsideTrial(const QString& title, const std::function<std::unique_ptr<experiments::AsideTrial>()>& make);
    /// The clock that paces those presentations, read on the work's thread (tests step it).
    std::function<std::chrono::steady_clock::time_point()> presentationClock = &std::chrono::steady_clock::now;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class ClientArea;

    void BuildControls();
    void BuildMenu();
    void BuildViewMenu();
    /// The "Ver" menu's viewer items, and the grids' ways to open them.
    void BuildViewerItems();
    /// Tab from control to control, each grid once, and a key for every command.
    void BuildKeyboard();
    void Present(std::shared_ptr<const experiments::Snapshot> snapshot);
    void SetCaption(QLabel* label, const QString& text);
    void SetCommandsEnabled(bool enabled);
    /// Asks for an element number in the permutation dialog; false when cancelled.
    bool AskElement(const QString& prompt, int& index);
    /// Saves the n × n block of one matrix after the save dialog, offering `suggestedName`.
    void SaveMatrix(const QString& suggestedName, const engine::RelationMatrix& matrix);
    /// The save dialog for the "Archivo" items; nothing when cancelled.
    std::optional<QString> AskSaveName(const QString& suggestedName);

    engine::Variant variant_;
    ui::Dialogs& dialogs_;
    /// Made by FormCreate, disposed of by FormDestroy.
    std::unique_ptr<experiments::Experiment> experiment_;
    /// What the window shows.
    std::shared_ptr<const experiments::Snapshot> shown_;

    QWidget* client_ = nullptr;
    std::array<QLabel*, 13> labels_{};  // Label1 … Label12 at 1 … 12
    std::array<ui::StringGrid*, 11> grids_{};  // StringGrid1 … StringGrid10 at 1 … 10
    std::array<ui::Pie*, 4> pies_{};  // Pie1 … Pie3 at 1 … 3
    std::array<QPushButton*, 9> buttons_{};  // Button1 … Button8 at 1 … 8
    std::array<QPointer<ui::MatrixViewer>, 11> viewers_{};  // one per grid, at 1 … 10
    ui::ChartsWindow* charts_ = nullptr;  // a child window, made when first asked for
    ui::TNormWindow* tnorms_ = nullptr;  // the same
    ui::MethodsWindow* methods_ = nullptr;  // the same
    bool destroyed_ = false;
    bool busy_ = false;
    bool closeRequested_ = false;
    std::stop_source workStop_;
};
