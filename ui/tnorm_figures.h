#pragma once

// Figures of the t-norm families, shared by the t-norms window and the command line: one
// t-norm's closure and transitivized matrix as heat maps, and a sweep's distances against the
// family's parameter.

#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "engine/family_analysis.h"
#include "experiments/experiment.h"
#include "experiments/tnorm_sweep.h"

class QFont;
class QPainter;
class QRect;

namespace ui {

/// The heat maps show a snapshot's matrices by number; another t-norm's closure and
/// transitivized matrix take the places of Min's (kFamilyClosure, kFamilyTransitivized),
/// shown under their own titles (FamilyTitle).
inline constexpr int kFamilyClosure = 2;
inline constexpr int kFamilyTransitivized = 5;

/// A snapshot of the n × n relation with the results of `analysis` in those places.
std::shared_ptr<const experiments::Snapshot> FamilySnapshot(int n, int trialCount, const engine::RelationMatrix& relation,
                                                            const engine::FamilyAnalysis& analysis);
/// "Cierre hamacher:0.5-transitivo", "Matriz hamacher:0.5-transitivizada".
QString FamilyTitle(int matrix, const engine::AnyTNorm& t);
/// "cierre_hamacher_0.5", "transitivizada_hamacher_0.5": the name with ':' written as '_'.
QString FamilyFileName(int matrix, const engine::AnyTNorm& t);

/// Writes the closure and (when there is one) the transitivized matrix of `t` in `snapshot`
/// (FamilySnapshot) to `folder` as «FamilyFileName».svg and .png. Throws toolkit::FileError.
void SaveFamilyFigures(std::shared_ptr<const experiments::Snapshot> snapshot, const engine::AnyTNorm& t,
                       bool transitivizable, const QString& folder, const QFont& font);

/// A sweep to draw: d1 of the closure and of the transitivized matrix against the parameter,
/// on a log axis when the sweep is log-spaced, with Min, Prod and W marked where the family
/// passes through them, and optionally one parameter value marked.
struct SweepChart {
    QString family;  // "frank"
    int dimension = 0;
    bool logScale = false;
    std::vector<experiments::SweepPoint> points;  // in order of their parameter
    std::optional<double> marked;
};

/// The family's name as the command line writes it, "frank", from any of its t-norms.
QString FamilyName(const engine::AnyTNorm& t);
/// The t-norm's name with its parameter in the program's decimal separator: "hamacher:0,5".
QString TNormText(const engine::AnyTNorm& t);

inline const QSize kSweepFigureSize(720, 420);
/// Draws the chart into `area`, numbers with `separator`.
void PaintSweep(QPainter& painter, const QRect& area, const SweepChart& chart, char separator);
/// Writes it to «folder»/barrido_«family».svg and .png. Throws toolkit::FileError.
void SaveSweepFigures(const SweepChart& chart, const QString& folder, char separator);

}  // namespace ui
