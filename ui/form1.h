#pragma once

#include <QColor>
#include <QMainWindow>
#include <array>
#include <memory>

#include "engine/engine.h"
#include "engine/variant.h"
#include "ui/dialogs.h"

class QAction;
class QLabel;
class QPushButton;

namespace ui {
class Canvas;
class Pie;
class StringGrid;
}  // namespace ui

/// The one window of both programs: the controls at their designed places in the client
/// area below the menu, the commands behind them and the plot painted on the client area.
///
/// Handlers do not catch: every button and menu item reaches its handler through Guarded(),
/// which shows an escaping error in the error box and leaves the state where the command
/// stopped. Code that calls a handler directly (tests, other commands) sees the exception.
class TForm1 : public QMainWindow {
public:
    /// Builds the window and runs FormCreate, so the first trial has run when this returns.
    /// `dialogs` must outlive the window.
    TForm1(const engine::Variant& variant, ui::Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    engine::Engine& engine() { return *engine_; }
    const engine::Engine& engine() const { return *engine_; }
    ui::Dialogs& dialogs() { return dialogs_; }

    /// Runs a handler as the message loop would: an error ends the command and is shown.
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
    /// curves on `canvas`, in client coordinates.
    void FormPaint(ui::Canvas& canvas);
    void Button5Click(QObject* sender);
    void Button6Click(QObject* sender);
    void Button7Click(QObject* sender);
    void Button8Click(QObject* sender);

    /// Hands each of the ten grids a copy of its matrix at the current n, then brings the
    /// paint state up to date and presents the window.
    void RefreshGrids();
    /// The part of the paint handler that changes state: Label9's caption, the pies' angles,
    /// the percentage labels and closureGreaterPercent.
    void UpdatePaintState();

    /// Percentage of trials since the last reset in which the closure lay farther from the
    /// relation, per t-norm, as of the last paint.
    std::array<int, engine::kTNormCount> closureGreaterPercent{};
    /// Plot colours: red, yellow, green, blue, maroon, purple.
    std::array<QColor, 6> seriesColor;

    /// The background of the client area (the button face colour).
    QColor formColor() const;

    /// The window caption and the caption of Button6 of each program.
    static QString WindowCaption(const engine::Variant& variant);
    static QString Button6Caption(const engine::Variant& variant);

private:
    class ClientArea;

    void BuildControls();
    void BuildMenu();
    void ShowResultTexts();
    void SetCaption(QLabel* label, const QString& text);
    /// Repaints the client area synchronously: the message loop does not run between the
    /// trials of "50 veces".
    void Present();
    /// Asks for an element number in the permutation dialog; false when cancelled.
    bool AskElement(const QString& prompt, int& index);

    engine::Variant variant_;
    ui::Dialogs& dialogs_;
    std::unique_ptr<engine::Engine> engine_;

    QWidget* client_ = nullptr;
    std::array<QLabel*, 13> labels_{};  // Label1 … Label12 at 1 … 12
    std::array<ui::StringGrid*, 11> grids_{};  // StringGrid1 … StringGrid10 at 1 … 10
    std::array<ui::Pie*, 4> pies_{};  // Pie1 … Pie3 at 1 … 3
    std::array<QPushButton*, 9> buttons_{};  // Button1 … Button8 at 1 … 8
    bool destroyed_ = false;
};
