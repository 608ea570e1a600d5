#include "engine/tnorm_family.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace engine {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct FamilyInfo {
    TNormFamily family;
    const char* name;
    const char* symbol;  // nullptr: no parameter
    const char* range;   // as the messages show it
    bool (*inRange)(double);
};

const FamilyInfo kFamilies[] = {
    {TNormFamily::Min, "min", nullptr, "", nullptr},
    {TNormFamily::Prod, "prod", nullptr, "", nullptr},
    {TNormFamily::W, "w", nullptr, "", nullptr},
    {TNormFamily::Drastic, "drastica", nullptr, "", nullptr},
    {TNormFamily::NilpotentMin, "nilpotente", nullptr, "", nullptr},
    {TNormFamily::Hamacher, "hamacher", "p", "p ≥ 0 (1 = prod)", [](double p) { return p >= 0 && p < kInf; }},
    {TNormFamily::Frank, "frank", "s", "s ≥ 0 o inf (0 = min, 1 = prod, inf = w)", [](double s) { return s >= 0; }},
    {TNormFamily::Yager, "yager", "p", "p > 0 o inf (1 = w, inf = min)", [](double p) { return p > 0; }},
    {TNormFamily::SchweizerSklar, "schweizer-sklar", "p", "p finito o -inf (0 = prod, 1 = w, -inf = min)",
     [](double p) { return p < kInf; }},
    {TNormFamily::Dombi, "dombi", "p", "p > 0", [](double p) { return p > 0 && p < kInf; }},
    {TNormFamily::AczelAlsina, "aczel-alsina", "p", "p > 0 (1 = prod)", [](double p) { return p > 0 && p < kInf; }},
    {TNormFamily::SugenoWeber, "sugeno-weber", "l", "l > -1 (0 = w)", [](double l) { return l > -1 && l < kInf; }},
    {TNormFamily::DuboisPrade, "dubois-prade", "a", "0 ≤ a ≤ 1 (0 = min, 1 = prod)",
     [](double a) { return a >= 0 && a <= 1; }},
    {TNormFamily::Yu, "yu", "l", "l ≥ -1 (-1 = prod, 0 = w)", [](double l) { return l >= -1 && l < kInf; }},
};

const FamilyInfo& InfoOf(TNormFamily family) {
    for (const FamilyInfo& info : kFamilies)
        if (info.family == family) return info;
    return kFamilies[0];
}

std::string ListText() { return "\nLas t-normas y sus parámetros:\n" + TNormFamiliesText(); }

// The parameter as typed: a decimal number with a point, or inf / -inf (∞ / -∞).
bool ParseParameter(std::string_view text, double& value) {
    if (text == "∞" || text == "inf" || text == "infinity") return value = kInf, true;
    if (text == "-∞" || text == "-inf" || text == "-infinity") return value = -kInf, true;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end && !std::isnan(value) && std::isfinite(value);
}

std::string ShortestText(double value) {
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[32];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, ec == std::errc() ? ptr : buffer);
}

// (a^p + b^p)^(1/p) for a, b ≥ 0 without overflow or underflow of the powers: the larger one
// is factored out, so the power taken is of a ratio in [0, 1].
double PNorm(double a, double b, double p) {
    const double m = std::max(a, b);
    if (m == 0.0 || std::isinf(m)) return m;
    return m * std::exp(std::log1p(std::pow(std::min(a, b) / m, p)) / p);
}

// m · (1 − r)^(1/p) for the residua of the p-norm families, r = exp(g) ≤ 1 given by its
// logarithm g ≤ 0, so that 1 − r keeps its digits when r is close to 1.
double RootOfComplement(double m, double g, double p) { return m * std::exp(std::log(-std::expm1(g)) / p); }

}  // namespace

std::string TNormFamiliesText() {
    std::string text = "  min, prod, w, drastica, nilpotente (sin parámetro)\n";
    for (const FamilyInfo& info : kFamilies)
        if (info.symbol) text += "  " + std::string(info.name) + ":" + info.symbol + "  con " + info.range + "\n";
    return text;
}

AnyTNorm::AnyTNorm(TNormFamily family, double parameter, std::string name)
    : family_(family), parameter_(parameter), name_(std::move(name)), kind_(Kind::Min), p_(parameter), aux_(0.0), lnAux_(0.0) {
    const double p = parameter;
    switch (family) {
        case TNormFamily::Min: kind_ = Kind::Min; break;
        case TNormFamily::Prod: kind_ = Kind::Prod; break;
        case TNormFamily::W: kind_ = Kind::W; break;
        case TNormFamily::Drastic: kind_ = Kind::Drastic; break;
        case TNormFamily::NilpotentMin: kind_ = Kind::NilpotentMin; break;
        case TNormFamily::Hamacher: kind_ = p == 1 ? Kind::Prod : Kind::Hamacher; break;
        case TNormFamily::Frank:
            kind_ = p == 0 ? Kind::Min : p == 1 ? Kind::Prod : std::isinf(p) ? Kind::W : Kind::Frank;
            p_ = std::log(p);
            aux_ = std::expm1(p_);
            lnAux_ = std::log(aux_);
            // A parameter so close to 1 that ln s is 0 is Prod itself.
            if (kind_ == Kind::Frank && p_ == 0.0) kind_ = Kind::Prod;
            break;
        case TNormFamily::Yager: kind_ = p == 1 ? Kind::W : std::isinf(p) ? Kind::Min : Kind::Yager; break;
        case TNormFamily::SchweizerSklar:
            kind_ = p == 0 ? Kind::Prod : p == 1 ? Kind::W : std::isinf(p) ? Kind::Min : Kind::SchweizerSklar;
            break;
        case TNormFamily::Dombi: kind_ = Kind::Dombi; break;
        case TNormFamily::AczelAlsina: kind_ = p == 1 ? Kind::Prod : Kind::AczelAlsina; break;
        case TNormFamily::SugenoWeber:
            kind_ = p == 0 ? Kind::W : Kind::SugenoWeber;
            aux_ = 1.0 + p;  // exact for l near −1, where it matters
            break;
        case TNormFamily::DuboisPrade: kind_ = p == 0 ? Kind::Min : p == 1 ? Kind::Prod : Kind::DuboisPrade; break;
        case TNormFamily::Yu: kind_ = p == -1 ? Kind::Prod : p == 0 ? Kind::W : Kind::Yu; break;
    }
}

AnyTNorm AnyTNorm::Parse(std::string_view text) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    for (const FamilyInfo& info : kFamilies) {
        if (name != info.name) continue;
        if (!info.symbol) {
            if (colon != std::string_view::npos)
                throw TNormError("la t-norma «" + std::string(name) + "» no lleva parámetro" + ListText());
            return AnyTNorm(info.family, 0.0, std::string(name));
        }
        if (colon == std::string_view::npos)
            throw TNormError("la t-norma «" + std::string(name) + "» necesita su parámetro: " + info.name + ":" +
                             info.symbol + " con " + info.range + ListText());
        const std::string_view typed = text.substr(colon + 1);
        double value = 0.0;
        if (!ParseParameter(typed, value) || !info.inRange(value))
            throw TNormError("«" + std::string(typed) + "» no es un parámetro válido de " + info.name + ": " +
                             info.range + ListText());
        return AnyTNorm(info.family, value, std::string(text));
    }
    throw TNormError("t-norma desconocida «" + std::string(name) + "»" + ListText());
}

AnyTNorm AnyTNorm::Of(TNormFamily family, double parameter) {
    const FamilyInfo& info = InfoOf(family);
    if (!info.symbol) return AnyTNorm(family, 0.0, info.name);
    if (std::isnan(parameter) || !info.inRange(parameter))
        throw TNormError("«" + ShortestText(parameter) + "» no es un parámetro válido de " + info.name + ": " +
                         info.range + ListText());
    return AnyTNorm(family, parameter, std::string(info.name) + ":" + ShortestText(parameter));
}

AnyTNorm AnyTNorm::Of(TNorm t) {
    return Of(t == Min ? TNormFamily::Min : t == Prod ? TNormFamily::Prod : TNormFamily::W);
}

std::optional<TNorm> AnyTNorm::Core() const {
    switch (kind_) {
        case Kind::Min: return Min;
        case Kind::Prod: return Prod;
        case Kind::W: return W;
        default: return std::nullopt;
    }
}

// Every family is written so that no sum of terms of opposite signs decides its value, except
// where the t-norm itself is cut at 0 (the nilpotent families near the edge x + y ≈ 1 of their
// zero set, where the value carries an absolute error of a few 1e-16, far below a float's step).
double AnyTNorm::T(double x, double y) const {
    if (x == 1.0) return y;
    if (y == 1.0) return x;
    if (x <= 0.0 || y <= 0.0) return 0.0;
    const double p = p_;
    switch (kind_) {
        case Kind::Min: return std::min(x, y);
        case Kind::Prod: return x * y;
        case Kind::W: return std::max(0.0, x + y - 1.0);
        case Kind::Drastic: return 0.0;
        case Kind::NilpotentMin: return x + y > 1.0 ? std::min(x, y) : 0.0;
        case Kind::Hamacher:
            // p + (1 − p)(x + y − xy) regrouped into non-negative terms: (1 − p) changes sign at p = 1.
            return x * y / (x + y * (1.0 - x) + p * (1.0 - x) * (1.0 - y));
        case Kind::Frank: return GeneratorInverse(Generator(x) + Generator(y));
        case Kind::Yager: return std::max(0.0, 1.0 - PNorm(1.0 - x, 1.0 - y, p));
        case Kind::SchweizerSklar: {
            if (p > 0) {
                // x^p + y^p − 1 = 1 + (x^p − 1) + (y^p − 1): with expm1 a small p keeps its digits.
                const double s = std::expm1(p * std::log(x)) + std::expm1(p * std::log(y));
                return s <= -1.0 ? 0.0 : std::exp(std::log1p(s) / p);
            }
            // p < 0: x^p overflows for small x; with m = min(x, y) factored out, only powers of
            // ratios in [0, 1] are taken.
            const double q = -p, m = std::min(x, y), big = std::max(x, y);
            const double s = std::expm1(q * std::log(m / big)) - std::expm1(q * std::log(m));
            return m * std::exp(-std::log1p(s) / q);
        }
        case Kind::Dombi: return 1.0 / (1.0 + PNorm((1.0 - x) / x, (1.0 - y) / y, p));
        case Kind::AczelAlsina: return std::exp(-PNorm(-std::log(x), -std::log(y), p));
        case Kind::SugenoWeber:
            // (x + y − 1 + l·xy) / (1 + l) = xy − (1 − x)(1 − y) / (1 + l): no cancellation as l → −1.
            return std::max(0.0, x * y - (1.0 - x) * (1.0 - y) / aux_);
        case Kind::DuboisPrade: return x * y / std::max({x, y, p});
        case Kind::Yu:
            // (1 + l)(x + y − 1) − l·xy = (x + y − 1) − l(1 − x)(1 − y).
            return std::max(0.0, (x + y - 1.0) - p * (1.0 - x) * (1.0 - y));
    }
    return 0.0;
}

double AnyTNorm::I(double x, double y) const {
    if (x <= y) return 1.0;
    const double p = p_;
    double z = y;
    switch (kind_) {
        case Kind::Min: z = y; break;
        case Kind::Prod: z = y / x; break;
        case Kind::W: z = 1.0 - x + y; break;
        case Kind::Drastic: z = y; break;
        case Kind::NilpotentMin: z = std::max(1.0 - x, y); break;
        case Kind::Hamacher:
            // T(x, z) = y solved for z; every term of the denominator is non-negative for x > y.
            z = y * (x + p * (1.0 - x)) / ((x - y) + x * y + p * y * (1.0 - x));
            break;
        case Kind::Frank: {
            // z = log_s(1 + (s − 1)(s^y − 1)/(s^x − 1)).
            const double L = p, w = std::expm1(y * L) / std::expm1(x * L);
            const double arg = aux_ * w;
            if (arg > -0.5) {
                z = std::log1p(arg) / L;
            } else {
                // s < 1 and 1 + arg small: 1 + arg = s^y [(1 − s) − s^(x−y) (1 − s^(1−x))] / (1 − s^x),
                // taken in logarithms so that a tiny s neither underflows nor cancels.
                const double inner = -aux_ - std::exp((x - y) * L) * -std::expm1((1.0 - x) * L);
                z = (y * L + std::log(inner) - std::log(-std::expm1(x * L))) / L;
            }
            break;
        }
        case Kind::Yager: {
            const double v = 1.0 - y;  // ln((1 − x)/(1 − y)) kept exact as x → 1
            z = 1.0 - RootOfComplement(v, p * std::log1p((y - x) / v), p);
            break;
        }
        case Kind::SchweizerSklar: {
            if (y <= 0.0 && p < 0) return 0.0;
            if (p > 0) {
                const double s = std::expm1(p * std::log(y)) - std::expm1(p * std::log(x));
                z = std::exp(std::log1p(s) / p);
            } else {
                const double q = -p;
                const double s = std::expm1(q * std::log(y)) - std::expm1(q * std::log(y / x));
                z = y * std::exp(-std::log1p(s) / q);
            }
            break;
        }
        case Kind::Dombi: {
            if (y <= 0.0) return 0.0;
            const double ux = (1.0 - x) / x, uy = (1.0 - y) / y;
            z = 1.0 / (1.0 + RootOfComplement(uy, p * std::log(ux / uy), p));
            break;
        }
        case Kind::AczelAlsina: {
            if (y <= 0.0) return 0.0;
            const double lx = -std::log(x), ly = -std::log(y);
            z = std::exp(-RootOfComplement(ly, p * std::log(lx / ly), p));
            break;
        }
        case Kind::SugenoWeber: z = (aux_ * y + (1.0 - x)) / (aux_ * x + (1.0 - x)); break;
        case Kind::DuboisPrade: z = x <= p ? p * y / x : y; break;
        case Kind::Yu: z = (y + (1.0 - x) * (1.0 + p)) / (1.0 + p * (1.0 - x)); break;
    }
    return std::clamp(z, 0.0, 1.0);
}

double AnyTNorm::Generator(double x) const {
    if (x >= 1.0) return 0.0;
    if (x <= 0.0) return kInf;
    if (kind_ == Kind::Hamacher) return p_ > 0 ? std::log1p(p_ * (1.0 - x) / x) : (1.0 - x) / x;
    // Frank: f(x) = −ln h(x), h(x) = (s^x − 1)/(s − 1). Near x = 1 through h − 1 = (s^x − s)/(s − 1),
    // formed without cancellation (a tiny s makes f(x) ≈ s^x there); near 0 through h itself.
    const double L = p_;
    const double d = L < 0 ? -std::exp(x * L) * std::expm1((1.0 - x) * L) / aux_
                           : std::expm1((x - 1.0) * L) / -std::expm1(-L);
    if (d > -0.5) return -std::log1p(d);
    // h itself, in logarithms for s > 1: with a large s, s^x / s underflows long before T does.
    return L < 0 ? -std::log(std::expm1(x * L) / aux_) : lnAux_ - std::log(std::expm1(x * L));
}

double AnyTNorm::GeneratorInverse(double z) const {
    if (z <= 0.0) return 1.0;
    if (std::isinf(z)) return 0.0;
    if (kind_ == Kind::Hamacher) return p_ > 0 ? 1.0 / (1.0 + std::expm1(z) / p_) : 1.0 / (1.0 + z);
    // Frank: x = log_s(1 + (s − 1) e^−z); when that argument is small (a tiny s), as
    // ln(s + (1 − s)(1 − e^−z)), whose two terms are both positive.
    const double L = p_, arg = L > 0 ? std::exp(lnAux_ - z) : aux_ * std::exp(-z);
    const double x = arg > -0.5 ? std::log1p(arg) / L : std::log(std::exp(L) - aux_ * -std::expm1(-z)) / L;
    return std::clamp(x, 0.0, 1.0);
}

}  // namespace engine
