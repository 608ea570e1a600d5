#include "apps/command_line/tnorm_options.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

#include "ui/argument_bytes.h"
#include "engine/family_analysis.h"
#include "toolkit/file_io.h"
#include "formats/relation_file.h"
#include "toolkit/number_text.h"
#include "ui/locale.h"

namespace cli {

namespace {

constexpr int kMaxSweepSteps = 10000;

std::string Number(float value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

// A parameter of the sweep in 12 significant digits, so that a log-spaced value meant to be 1
// or 10 is written, and computed, as 1 or 10 (where a family may reach Min, Prod or W).
std::string ParameterText(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

double SweepEnd(const std::string& text, const std::string& whole) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (error != std::errc() || ptr != end || !std::isfinite(value))
        throw TNormOptionError("«" + text + "» no es un extremo válido en --barrido " + whole +
                               ": los extremos son números finitos con punto decimal");
    return value;
}

void Write(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
        throw toolkit::FileError("No se ha podido escribir en la salida estándar: " +
                                     toolkit::SystemErrorText(errno));
}

}  // namespace

TNormOptions::TNormOptions()
    : tnorm_(QStringLiteral("tnorma"),
             QStringLiteral("Con --analiza: analiza con la t-norma NOMBRE[:PARÁMETRO] en vez de Min, Prod y W; se "
                            "puede repetir. Las t-normas:\n") +
                 QString::fromStdString(engine::TNormFamiliesText()),
             QStringLiteral("T")),
      sweep_(QStringLiteral("barrido"),
             QStringLiteral("Con --analiza: recorre la familia NOMBRE de DESDE a HASTA en PASOS valores del "
                            "parámetro, espaciados en escala logarítmica, y escribe por valor las distancias d1 y "
                            "euclídea del cierre y de la transitivizada, las iteraciones y los reducidos (CSV)."),
             QStringLiteral("NOMBRE:DESDE:HASTA:PASOS")),
      linear_(QStringLiteral("lineal"),
              QStringLiteral("Con --barrido: valores del parámetro igualmente espaciados (necesario cuando el "
                             "intervalo incluye valores ≤ 0).")),
      sweepCsv_(QStringLiteral("barrido-csv"),
                QStringLiteral("Con --barrido: escribe la tabla en FICHERO en vez de en la salida estándar."),
                QStringLiteral("FICHERO")) {}

void TNormOptions::AddTo(QCommandLineParser& parser) const { parser.addOptions({tnorm_, sweep_, linear_, sweepCsv_}); }

bool TNormOptions::Given(const QCommandLineParser& parser) const {
    return parser.isSet(tnorm_) || parser.isSet(sweep_) || parser.isSet(linear_) || parser.isSet(sweepCsv_);
}

void TNormOptions::Read(const QCommandLineParser& parser) {
    tnorms_.clear();
    sweepPoints_.clear();
    sweepFile_.reset();
    if (!parser.isSet(sweep_)) {
        if (parser.isSet(linear_)) throw TNormOptionError("--lineal solo va con --barrido");
        if (parser.isSet(sweepCsv_)) throw TNormOptionError("--barrido-csv solo va con --barrido");
    }
    try {
        for (const QString& name : parser.values(tnorm_)) tnorms_.push_back(engine::AnyTNorm::Parse(name.toStdString()));
    } catch (const engine::TNormError& error) {
        throw TNormOptionError(std::string("--tnorma: ") + error.what());
    }
    if (!parser.isSet(sweep_)) return;
    if (parser.values(sweep_).size() > 1) throw TNormOptionError("--barrido va una sola vez");
    const std::string whole = parser.value(sweep_).toStdString();
    // NOMBRE:DESDE:HASTA:PASOS; family names have no colon.
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t colon = whole.find(':', start);
        parts.push_back(whole.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    if (parts.size() != 4) throw TNormOptionError("--barrido necesita NOMBRE:DESDE:HASTA:PASOS, no «" + whole + "»");
    const double from = SweepEnd(parts[1], whole), to = SweepEnd(parts[2], whole);
    int steps = 0;
    try {
        steps = toolkit::StrToInt(parts[3]);
    } catch (const toolkit::ConversionError&) {
        steps = 0;
    }
    if (steps < 2 || steps > kMaxSweepSteps)
        throw TNormOptionError("«" + parts[3] + "» no es un número de pasos válido en --barrido: debe estar entre 2 y " +
                               std::to_string(kMaxSweepSteps));
    const bool linear = parser.isSet(linear_);
    if (!linear && !(from > 0 && to > 0))
        throw TNormOptionError("--barrido " + whole +
                               ": la escala logarítmica necesita extremos mayores que 0; para este intervalo usa --lineal");
    try {
        // Both ends first, so that a bad family or range is told once, before anything is computed.
        engine::AnyTNorm::Parse(parts[0] + ":" + parts[1]);
        engine::AnyTNorm::Parse(parts[0] + ":" + parts[2]);
        for (int k = 0; k < steps; ++k) {
            const double f = static_cast<double>(k) / (steps - 1);
            double value = linear ? from + (to - from) * f : std::exp(std::log(from) + (std::log(to) - std::log(from)) * f);
            if (k == 0) value = from;  // the ends exactly as typed
            if (k == steps - 1) value = to;
            sweepPoints_.push_back(engine::AnyTNorm::Parse(parts[0] + ":" + (k == 0 ? parts[1] : k == steps - 1 ? parts[2] : ParameterText(value))));
        }
    } catch (const engine::TNormError& error) {
        throw TNormOptionError(std::string("--barrido: ") + error.what());
    }
    if (parser.isSet(sweepCsv_)) sweepFile_ = parser.value(sweepCsv_);
}

int TNormOptions::Run(const engine::Variant& variant, const QString& relationFile) const {
    toolkit::SetDecimalSeparator(ui::StartDecimalSeparator(variant));
    auto relation = std::make_unique<engine::RelationMatrix>();
    const int n = formats::ReadRelationFile(ui::FileName(relationFile), *relation);
    auto memory = std::make_unique<engine::FamilyClosureMemory>();
    auto result = std::make_unique<engine::FamilyAnalysis>();
    std::string texts;
    for (const engine::AnyTNorm& t : tnorms_) {
        *memory = engine::FamilyClosureMemory{};
        engine::AnalyzeRelation(t, n, *relation, variant.symmetrizing, *memory, *result);
        texts += (texts.empty() ? "" : "\n") + result->closureText + "\n\n" + result->transitivizedText + "\n";
    }
    if (!texts.empty()) Write(texts);
    if (sweepPoints_.empty()) return 0;

    // One line per parameter value; `limite` names Min, Prod or W where the family passes through one.
    std::string table = "parametro,limite,d1_cierre,eucl_cierre,d1_transitivizada,eucl_transitivizada,iteraciones,"
                        "convergido,reducidos\n";
    for (const engine::AnyTNorm& t : sweepPoints_) {
        *memory = engine::FamilyClosureMemory{};
        engine::AnalyzeRelation(t, n, *relation, variant.symmetrizing, *memory, *result);
        const auto core = t.Core();
        const std::string name = t.Name();
        table += name.substr(name.find(':') + 1) + "," +
                 (core ? (*core == engine::Min ? "min" : *core == engine::Prod ? "prod" : "w") : "") + "," +
                 Number(result->closureComparison.d1) + "," + Number(static_cast<float>(result->closureComparison.euclidean)) + "," +
                 Number(result->transitivizedComparison.d1) + "," + Number(static_cast<float>(result->transitivizedComparison.euclidean)) +
                 "," + std::to_string(result->closureCounts.iterCount) + "," +
                 (result->closureCounts.converged ? "si" : "no") + "," + std::to_string(result->reducedCount) + "\n";
    }
    if (sweepFile_) toolkit::SaveFileAtomically(ui::FileName(*sweepFile_), table);
    else Write(table);
    return 0;
}

}  // namespace cli
