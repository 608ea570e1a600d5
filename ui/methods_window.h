#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/lowering_methods.h"
#include "experiments/experiment.h"
#include "experiments/method_table.h"
#include "ui/dialogs.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace ui {

class MatrixViewer;

/// The non-modal window "Comparar métodos": for the relation of the snapshot it was last given
/// and a chosen t-norm, one row per method (experiments::MeasureMethod, as the command line's
/// --metodos table) with its distances to the relation, its largest difference and place, the
/// entries it changed, its transitivity and degree, whether it is maximal and its time. A
/// method that does not apply says why in its row. A double click or Enter on a row opens its
/// matrix in a viewer, which follows the window. While hidden it only keeps the snapshot.
///
/// The methods run on a thread of their own, one after another, each row shown when ready (the
/// completion takes seconds at n = 100 for some t-norms). A method cannot be stopped halfway:
/// a newer relation or t-norm starts once the method in hand ends, and a window closed
/// meanwhile leaves that method to end on its own. Relations above kLargestCompared elements
/// are refused with a message.
class MethodsWindow : public QWidget {
public:
    static constexpr int kLargestCompared = 1000;
    /// The table's columns.
    enum Column { kMethod, kD1, kEuclidean, kLargest, kPlace, kChanged, kTransitive, kDegree, kMaximal, kTime, kColumns };

    /// `dialogs` must outlive the window; `symmetrizing` says which technique transitivizes.
    MethodsWindow(bool symmetrizing, Dialogs& dialogs, QWidget* parent);
    ~MethodsWindow() override;

    void Present(std::shared_ptr<const experiments::Snapshot> snapshot);
    /// "min", "prod", "w" or NOMBRE:PARÁMETRO, with a point or a comma; a t-norm that is not
    /// understood is refused with a message in the window, and nothing changes. True when taken.
    bool SetTNormText(const QString& text);
    const engine::AnyTNorm& tnorm() const { return tnorm_; }

    /// Waits for the methods in hand and shows their rows (pictures and tests).
    void Finish();
    /// The rows shown, in engine::kAllMethods order; a row not computed yet is absent.
    const std::vector<experiments::MethodRow>& rows() const { return rows_; }
    const QTableWidget& table() const { return *table_; }
    /// Opens (or brings forward) the viewer of the matrix of row `row`; none for a method that
    /// does not apply or is not ready.
    MatrixViewer* OpenViewer(int row);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Where the thread leaves its rows: the window while it lives, none after.
    struct Mailbox {
        std::mutex mutex;
        MethodsWindow* window = nullptr;
    };

    /// Computes again, or marks stale while hidden.
    void Update();
    void Start();
    void Receive(int generation, experiments::MethodRow row, std::shared_ptr<const experiments::Snapshot> matrix);
    void Ended(int generation, const QString& error);
    void ShowRow(int row);
    void ShowStatus();
    QString MethodTitle(engine::Method method) const;

    bool symmetrizing_;
    Dialogs& dialogs_;
    std::shared_ptr<const experiments::Snapshot> snapshot_;
    bool stale_ = false;
    engine::AnyTNorm tnorm_;
    std::vector<experiments::MethodRow> rows_;
    /// Each method's matrix as a snapshot a viewer shows: in a closure's place (2) for the
    /// methods that raise, in a transitivized matrix's (5) for the others.
    std::array<std::shared_ptr<const experiments::Snapshot>, engine::kMethodCount> matrices_;
    std::array<QPointer<MatrixViewer>, engine::kMethodCount> viewers_;

    QComboBox* chooser_;
    QLabel* message_;
    QTableWidget* table_;
    QLabel* status_;

    std::shared_ptr<Mailbox> mailbox_;
    std::jthread worker_;
    int generation_ = 0;   // the computation whose rows are awaited
    bool running_ = false;  // a thread is at work
    bool pending_ = false;  // and a newer computation waits for it to end
};

}  // namespace ui
