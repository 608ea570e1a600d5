#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/tnorm.h"

namespace engine {

/// The families of t-norms the program knows beyond Min, Prod and W.
enum class TNormFamily {
    Min,
    Prod,
    W,
    Drastic,
    NilpotentMin,
    Hamacher,
    Frank,
    Yager,
    SchweizerSklar,
    Dombi,
    AczelAlsina,
    SugenoWeber,
    DuboisPrade,
    Yu,
};

/// A t-norm name or parameter that is not understood; the message lists the families.
class TNormError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// A t-norm as a value: a family and its parameter. Where the parameter sits at a limit of its
/// family (Frank s = 0, 1, ∞; Hamacher p = 1; …) the t-norm is the limit t-norm exactly, and
/// when that is Min, Prod or W, Core() names it so that the existing kernels compute it.
/// T and I take and return doubles in [0, 1]; callers store them as floats.
class AnyTNorm {
public:
    /// "NOMBRE" or "NOMBRE:PARÁMETRO" as typed on the command line (decimal point; inf and
    /// -inf where the family reaches a limit there). Throws TNormError.
    static AnyTNorm Parse(std::string_view text);
    /// The t-norm of `family` at `parameter` (ignored for families without one). Throws
    /// TNormError when the parameter is outside the family's range.
    static AnyTNorm Of(TNormFamily family, double parameter = 0.0);
    /// One of the program's three t-norms.
    static AnyTNorm Of(TNorm t);

    TNormFamily family() const { return family_; }
    double parameter() const { return parameter_; }
    /// "min", "hamacher:0.5": the parameter as it was typed (shortest round trip otherwise).
    std::string Name() const { return name_; }
    /// Min, Prod or W when this t-norm is exactly one of them (a limit included).
    std::optional<TNorm> Core() const;
    /// False for the drastic t-norm only: it has no residual implication, so no transitivization.
    bool LeftContinuous() const { return kind_ != Kind::Drastic; }

    /// T(x, y). Exact at the boundaries: T(x, 1) = x, T(1, y) = y, T(x, 0) = T(0, y) = 0.
    double T(double x, double y) const;
    /// Residual implication: the largest z with T(x, z) ≤ y; 1 when x ≤ y. Only for
    /// left-continuous t-norms (for the drastic one it returns y, which is no residuum).
    double I(double x, double y) const;

    /// Additive generator f (decreasing, f(1) = 0) for the families computed through it:
    /// T(x, y) = f⁻¹(f(x) + f(y)), with f(0) = +∞. Comparing f(x) + f(y) needs no
    /// transcendental function per pair, which is what makes their closures fast.
    bool HasGenerator() const { return kind_ == Kind::Hamacher || kind_ == Kind::Frank; }
    double Generator(double x) const;
    double GeneratorInverse(double z) const;

    bool operator==(const AnyTNorm& other) const { return kind_ == other.kind_ && p_ == other.p_ && name_ == other.name_; }

private:
    // What is computed: the family, or the limit t-norm its parameter reaches.
    enum class Kind {
        Min, Prod, W, Drastic, NilpotentMin, Hamacher, Frank, Yager, SchweizerSklar, Dombi, AczelAlsina,
        SugenoWeber, DuboisPrade, Yu,
    };
    AnyTNorm(TNormFamily family, double parameter, std::string name);

    TNormFamily family_;
    double parameter_;
    std::string name_;
    Kind kind_;
    double p_;    // the parameter, or ln s for Frank
    double aux_;  // expm1(ln s) for Frank; 1 + l for Sugeno–Weber
    double lnAux_;  // ln(expm1(ln s)) for Frank with s > 1
};

/// The families with their ranges, one a line, as the messages list them.
std::string TNormFamiliesText();

}  // namespace engine
