// What a heat map tells of transitivity: the t-norm of the matrix, the path that gives a
// closure's entry its value, and the entries of the triples that violate transitivity.
#include <QStringList>

#include "engine/transitivity_measures.h"
#include "ui/heat_map.h"

namespace ui {

void HeatMapModel::SetTNorm(std::optional<engine::AnyTNorm> t) {
    tnorm_ = std::move(t);
    CountViolations();
    if (n_ > 0) emit dataChanged(index(0, 0), index(n_ - 1, n_ - 1), {Qt::ToolTipRole});
}

std::optional<engine::AnyTNorm> HeatMapModel::TNorm() const {
    if (tnorm_) return tnorm_;
    // The grids' results: 2 … 4 the closures, 5 … 7 the transitivized matrices, Min, Prod, W.
    if (matrix_ < 2 || matrix_ > 7) return std::nullopt;
    return engine::AnyTNorm::Of(static_cast<engine::TNorm>((matrix_ - 2) % 3));
}

void HeatMapModel::SetViolations(bool on) {
    if (on == violations_) return;
    violations_ = on;
    CountViolations();
    if (n_ > 0) emit dataChanged(index(0, 0), index(n_ - 1, n_ - 1), {Qt::ToolTipRole});
}

void HeatMapModel::CountViolations() {
    violated_.clear();
    violatingTriples_ = 0;
    violatedEntries_ = 0;
    const std::optional<engine::AnyTNorm> t = TNorm();
    if (!violations_ || !t || n_ == 0 || n_ > kLargestViolationScan) return;
    violated_.assign(static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_), 0);
    for (const engine::ViolatedEntry& e : engine::ViolatedEntries(*t, n_, MatrixOf(*snapshot_, matrix_))) {
        violated_[static_cast<std::size_t>(e.i) * static_cast<std::size_t>(n_) + static_cast<std::size_t>(e.j)] = e.triples;
        violatingTriples_ += e.triples;
        ++violatedEntries_;
    }
}

int HeatMapModel::ViolatedTriples(int row, int col) const {
    if (violated_.empty()) return 0;
    const auto [i, j] = Element(row, col);
    return violated_[i * static_cast<std::size_t>(n_) + j];
}

QString HeatMapModel::MeasuresTip(std::size_t i, std::size_t j) const {
    const std::optional<engine::AnyTNorm> t = TNorm();
    if (!t) return {};
    QString tip;
    if (IsClosure()) {
        const std::vector<int> path = engine::WitnessPath(*t, n_, snapshot_->relation, MatrixOf(*snapshot_, matrix_),
                                                          static_cast<int>(i), static_cast<int>(j));
        if (path.empty()) {
            tip += QStringLiteral("\nCamino: ninguno de hasta %1 pasos da este valor").arg(n_);
        } else {
            QStringList elements;
            for (const int element : path) elements << QString::number(element + 1);
            tip += QStringLiteral("\nCamino: %1 (T = %2)")
                       .arg(elements.join(QStringLiteral(" → ")), Number(engine::FoldPath(*t, snapshot_->relation, path), false));
        }
    }
    if (!violated_.empty())
        tip += QStringLiteral("\nTernas que violan la transitividad en esta entrada: %1")
                   .arg(violated_[i * static_cast<std::size_t>(n_) + j]);
    return tip;
}

}  // namespace ui
