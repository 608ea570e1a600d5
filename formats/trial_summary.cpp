#include "formats/trial_summary.h"

#include <algorithm>
#include <stdexcept>

namespace formats {

std::array<float, 12> DistanceColumns(const TrialRecord& r) {
    std::array<float, 12> d{};
    for (int t = 0; t < engine::kTNormCount; ++t) {
        d[2 * t] = r.d1Closure[t];
        d[2 * t + 1] = r.d1Transitivized[t];
        d[6 + 2 * t] = r.d2Closure[t];
        d[6 + 2 * t + 1] = r.d2Transitivized[t];
    }
    return d;
}

namespace {

// The program's own t-norms by the name of their columns.
int ProgramTNorm(const std::string& tnorm) {
    const char* names[] = {"min", "prod", "w"};
    for (int t = 0; t < engine::kTNormCount; ++t)
        if (tnorm == names[t]) return t;
    return -1;
}

// The distance `kind` of `method` under `tnorm`: in the program's columns for its three
// t-norms' closures and techniques, else in the extra columns.
DistanceSource Find(const std::vector<ExtraColumn>& extras, ExtraColumn::Kind kind, const std::string& method,
                    const std::string& tnorm) {
    const int own = ProgramTNorm(tnorm);
    if (own >= 0 && (method == "cierre" || method == "transitivizada"))
        return {false, (kind == ExtraColumn::Kind::D2 ? 6 : 0) + 2 * own + (method == "cierre" ? 0 : 1)};
    for (std::size_t c = 0; c < extras.size(); ++c)
        if (extras[c] == ExtraColumn{kind, method, tnorm}) return {true, static_cast<int>(c)};
    return {};
}

double Value(const TrialRecord& r, const std::array<float, 12>& columns, DistanceSource source) {
    return source.extra ? r.extras[static_cast<std::size_t>(source.index)] : columns[static_cast<std::size_t>(source.index)];
}

void AddFound(toolkit::Welford& series, const TrialRecord& r, const std::array<float, 12>& columns, DistanceSource source) {
    if (source.Found()) series.Add(Value(r, columns, source));
}

}  // namespace

void TrialSummary::SetExtras(const std::vector<ExtraColumn>& extras) {
    if (extras == extras_) return;
    if (trials_ > 0) throw std::invalid_argument("los ensayos tienen otras columnas que los anteriores");
    extras_ = extras;
    tnormRows_.clear();
    methodRows_.clear();
    using Kind = ExtraColumn::Kind;
    for (const ExtraColumn& column : extras_) {
        if (column.kind != Kind::D1 || column.method != "cierre") continue;
        TNormRow row{column.tnorm,
                     Find(extras_, Kind::D1, "cierre", column.tnorm),
                     Find(extras_, Kind::D1, "transitivizada", column.tnorm),
                     Find(extras_, Kind::D2, "cierre", column.tnorm),
                     Find(extras_, Kind::D2, "transitivizada", column.tnorm),
                     -1};
        for (std::size_t c = 0; c < extras_.size(); ++c)
            if (extras_[c].kind == Kind::ClosureFarther && extras_[c].tnorm == column.tnorm) row.farther = static_cast<int>(c);
        tnormRows_.push_back(row);
    }
    // The t-norms of the lowering methods, in the order their first column comes.
    std::vector<std::string> withMethods;
    for (const ExtraColumn& column : extras_)
        if (column.kind == Kind::D1 && column.method != "cierre" && column.method != "transitivizada" &&
            std::find(withMethods.begin(), withMethods.end(), column.tnorm) == withMethods.end())
            withMethods.push_back(column.tnorm);
    for (const std::string& tnorm : withMethods) {
        const DistanceSource technique = Find(extras_, Kind::D1, "transitivizada", tnorm);
        const auto add = [&](const std::string& shown, const std::string& method) {
            const DistanceSource d1 = Find(extras_, Kind::D1, method, tnorm);
            if (d1.Found())
                methodRows_.push_back({tnorm, shown, d1, Find(extras_, Kind::D2, method, tnorm),
                                       method == "transitivizada" ? DistanceSource{} : technique});
        };
        add("cierre", "cierre");
        add("tecnica", "transitivizada");
        for (const ExtraColumn& column : extras_)
            if (column.kind == Kind::D1 && column.tnorm == tnorm && column.method != "cierre" &&
                column.method != "transitivizada")
                add(column.method, column.method);
    }
}

void TrialSummary::Add(const TrialRecord& r) {
    if (r.extras.size() != extras_.size())
        throw std::invalid_argument("el ensayo no tiene las columnas de los anteriores");
    DimensionSummary& s = byDimension_[r.dimension];
    s.tnorms.resize(tnormRows_.size());
    s.methods.resize(methodRows_.size());
    ++s.trials;
    ++trials_;
    for (int t = 0; t < engine::kTNormCount; ++t) {
        formats::AddToSum(s.sums.d1Closure[t], r.d1Closure[t]);
        formats::AddToSum(s.sums.d1Transitivized[t], r.d1Transitivized[t]);
        formats::AddToSum(s.sums.d2Closure[t], r.d2Closure[t]);
        formats::AddToSum(s.sums.d2Transitivized[t], r.d2Transitivized[t]);
        if (r.ClosureFarther(t)) ++s.closureFarther[t];
        s.difference[t].Add(static_cast<double>(r.d1Closure[t]) - static_cast<double>(r.d1Transitivized[t]));
    }
    const std::array<float, 12> d = DistanceColumns(r);
    for (std::size_t c = 0; c < d.size(); ++c) s.distances[c].Add(d[c]);
    for (std::size_t k = 0; k < tnormRows_.size(); ++k) {
        const TNormRow& row = tnormRows_[k];
        DimensionSummary::TNormSeries& series = s.tnorms[k];
        AddFound(series.d1Closure, r, d, row.d1Closure);
        AddFound(series.d1Transitivized, r, d, row.d1Transitivized);
        AddFound(series.d2Closure, r, d, row.d2Closure);
        AddFound(series.d2Transitivized, r, d, row.d2Transitivized);
        if (row.d1Transitivized.Found())
            series.difference.Add(Value(r, d, row.d1Closure) - Value(r, d, row.d1Transitivized));
        if (row.farther >= 0 && r.extras[static_cast<std::size_t>(row.farther)] != 0.0f) ++series.closureFarther;
    }
    for (std::size_t k = 0; k < methodRows_.size(); ++k) {
        const MethodRow& row = methodRows_[k];
        DimensionSummary::MethodSeries& series = s.methods[k];
        AddFound(series.d1, r, d, row.d1);
        AddFound(series.d2, r, d, row.d2);
        if (row.technique.Found()) series.difference.Add(Value(r, d, row.d1) - Value(r, d, row.technique));
    }
}

std::vector<int> TrialSummary::Dimensions() const {
    std::vector<int> dimensions;
    for (const auto& [n, summary] : byDimension_)
        if (summary.trials > 0) dimensions.push_back(n);
    return dimensions;
}

}  // namespace formats
