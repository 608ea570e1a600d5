#include "experiments/tnorm_sweep.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "engine/family_analysis.h"

namespace experiments {

namespace {

// 12 significant digits: a log-spaced value meant to be 1 or 10 is written, and computed, as
// 1 or 10.
std::string ParameterText(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

double End(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (error != std::errc() || ptr != end || !std::isfinite(value))
        throw std::invalid_argument("«" + text + "» no es un extremo válido: los extremos son números finitos con punto decimal");
    return value;
}

std::string FamilyName(engine::TNormFamily family) {
    const std::string name = engine::AnyTNorm::Of(family, RangeOf(family).typical).Name();
    return name.substr(0, name.find(':'));
}

}  // namespace

std::string ParameterOf(const engine::AnyTNorm& t) {
    const std::string name = t.Name();
    const std::size_t colon = name.find(':');
    return colon == std::string::npos ? std::string() : name.substr(colon + 1);
}

std::vector<engine::AnyTNorm> SweepTNorms(const std::string& family, const std::string& from, const std::string& to,
                                          int steps, bool linear) {
    const double low = End(from), high = End(to);
    if (steps < 2 || steps > kMaxSweepSteps)
        throw std::invalid_argument("el número de pasos debe estar entre 2 y " + std::to_string(kMaxSweepSteps));
    if (!linear && !(low > 0 && high > 0))
        throw std::invalid_argument("la escala logarítmica necesita extremos mayores que 0");
    // Both ends first, so that a bad family or range is told once, before anything is computed.
    engine::AnyTNorm::Parse(family + ":" + from);
    engine::AnyTNorm::Parse(family + ":" + to);
    std::vector<engine::AnyTNorm> tnorms;
    tnorms.reserve(static_cast<std::size_t>(steps));
    for (int k = 0; k < steps; ++k) {
        const double f = static_cast<double>(k) / (steps - 1);
        const double value = linear ? low + (high - low) * f : std::exp(std::log(low) + (std::log(high) - std::log(low)) * f);
        const std::string text = k == 0 ? from : k == steps - 1 ? to : ParameterText(value);
        tnorms.push_back(engine::AnyTNorm::Parse(family + ":" + text));
    }
    return tnorms;
}

std::vector<SweepPoint> RunSweep(const std::vector<engine::AnyTNorm>& tnorms, int n,
                                 const engine::RelationMatrix& relation, bool symmetrizing) {
    auto memory = std::make_unique<engine::FamilyClosureMemory>();
    auto result = std::make_unique<engine::FamilyAnalysis>();
    std::vector<SweepPoint> points;
    points.reserve(tnorms.size());
    for (const engine::AnyTNorm& t : tnorms) {
        // Each value from a fresh memory: the kept iterate of one t-norm says nothing of another's.
        *memory = engine::FamilyClosureMemory{};
        engine::AnalyzeRelation(t, n, relation, symmetrizing, *memory, *result);
        points.push_back({t, t.Core(), result->closureComparison.d1, result->transitivizedComparison.d1,
                          result->closureComparison.euclidean, result->transitivizedComparison.euclidean,
                          result->closureCounts.iterCount, result->closureCounts.converged, result->transitivizable,
                          result->reducedCount});
    }
    return points;
}

FamilyRange RangeOf(engine::TNormFamily family) {
    using F = engine::TNormFamily;
    switch (family) {
        case F::Hamacher: return {true, true, 0.01, 100, 0.5};
        case F::Frank: return {true, true, 0.001, 1000, 2};
        case F::Yager: return {true, true, 0.1, 100, 2};
        case F::SchweizerSklar: return {true, false, -5, 5, -1};
        case F::Dombi: return {true, true, 0.1, 100, 2};
        case F::AczelAlsina: return {true, true, 0.1, 100, 2};
        case F::SugenoWeber: return {true, false, -0.9, 10, 2};
        case F::DuboisPrade: return {true, false, 0, 1, 0.5};
        case F::Yu: return {true, false, -1, 10, 2};
        default: return {};
    }
}

std::vector<engine::AnyTNorm> FamilySweep(engine::TNormFamily family, int steps) {
    const FamilyRange range = RangeOf(family);
    if (!range.hasParameter) return {};
    const std::string name = FamilyName(family);
    std::vector<engine::AnyTNorm> tnorms =
        SweepTNorms(name, ParameterText(range.low), ParameterText(range.high), steps, !range.logScale);
    // Every family that passes through Min, Prod or W at a finite value does so at -1, 0 or 1.
    for (const double candidate : {-1.0, 0.0, 1.0}) {
        if (candidate < range.low || candidate > range.high) continue;
        const engine::AnyTNorm t = engine::AnyTNorm::Parse(name + ":" + ParameterText(candidate));
        if (!t.Core()) continue;
        const auto at = std::lower_bound(tnorms.begin(), tnorms.end(), candidate,
                                         [](const engine::AnyTNorm& a, double v) { return a.parameter() < v; });
        if (at != tnorms.end() && at->parameter() == candidate) continue;
        tnorms.insert(at, t);
    }
    return tnorms;
}

}  // namespace experiments
