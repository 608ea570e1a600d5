#include "apps/command_line/tnorm_options.h"

#include <algorithm>

#include "formats/analysis_matrices.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPainter>

#include "formats/relation_file.h"
#include "toolkit/file_io.h"
#include "toolkit/number_text.h"
#include "ui/argument_bytes.h"
#include "ui/figure_export.h"
#include "ui/heat_map.h"
#include "ui/tnorm_figures.h"

namespace cli {

namespace {

std::string Number(float value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
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
                            "puede repetir. Con --estadisticas: añade sus distancias en cada ensayo al fichero de --crudo y "
                            "una hoja «T-normas» al libro. Las t-normas:\n") +
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
    if (steps < 2 || steps > experiments::kMaxSweepSteps)
        throw TNormOptionError("«" + parts[3] + "» no es un número de pasos válido en --barrido: debe estar entre 2 y " +
                               std::to_string(experiments::kMaxSweepSteps));
    sweepLinear_ = parser.isSet(linear_);
    if (!sweepLinear_ && !(from > 0 && to > 0))
        throw TNormOptionError("--barrido " + whole +
                               ": la escala logarítmica necesita extremos mayores que 0; para este intervalo usa --lineal");
    try {
        sweepPoints_ = experiments::SweepTNorms(parts[0], parts[1], parts[2], steps, sweepLinear_);
    } catch (const std::invalid_argument& error) {
        throw TNormOptionError(std::string("--barrido: ") + error.what());
    }
    if (parser.isSet(sweepCsv_)) sweepFile_ = parser.value(sweepCsv_);
}

void TNormOptions::Analyze(const experiments::Experiment& experiment) {
    const engine::Engine& e = experiment.engine;
    auto memory = std::make_unique<engine::FamilyClosureMemory>();
    results_.clear();
    for (const engine::AnyTNorm& t : tnorms_) {
        *memory = engine::FamilyClosureMemory{};
        results_.push_back(std::make_unique<engine::FamilyAnalysis>());
        engine::AnalyzeRelation(t, e.dimension, e.relation, e.variant().symmetrizing, *memory, *results_.back());
    }
    sweepResults_ = experiments::RunSweep(sweepPoints_, e.dimension, e.relation, e.variant().symmetrizing);
}

std::string TNormOptions::Texts() const {
    std::string texts;
    for (const auto& result : results_)
        texts += (texts.empty() ? "" : "\n") + result->closureText + "\n\n" + result->transitivizedText + "\n";
    return texts;
}

std::string TNormOptions::SaveAllText(const experiments::Experiment& experiment) const {
    // The heading and the relation as "Salvar Todo" has them; the blocks are the t-norms asked.
    const formats::SaveAllContent content = experiments::SaveAllContentOf(experiment);
    std::vector<formats::SavedBlock> blocks;
    for (std::size_t k = 0; k < tnorms_.size(); ++k) {
        const engine::FamilyAnalysis& r = *results_[k];
        blocks.push_back({r.closureText, &r.closure, false});
        // Without a transitivized matrix, its text says why and no matrix follows.
        blocks.push_back({r.transitivizedText, r.transitivizable ? &r.transitivized : nullptr, false});
        // min, prod and w by name keep the program's own title.
        const engine::TNormFamily family = tnorms_[k].family();
        const std::string name = family == engine::TNormFamily::Min    ? "Min"
                                 : family == engine::TNormFamily::Prod ? "Prod"
                                 : family == engine::TNormFamily::W    ? "W"
                                                                       : tnorms_[k].Name();
        if (r.transitivizable) blocks.push_back({"Orden de la Matriz " + name + "-Transitivizada", &r.order, true});
    }
    return formats::SaveAllText(content, blocks);
}

void TNormOptions::WriteFigures(const experiments::Experiment& experiment, const QString& folder) const {
    const engine::Engine& e = experiment.engine;
    QFont font = QApplication::font();
    font.setPixelSize(12);
    if (!tnorms_.empty()) {
        // The relation beside its results, as the program's own figures have it.
        const auto relationOnly = experiments::TakeSnapshot(experiment);
        ui::HeatMapModel model(1);
        model.SetSnapshot(relationOnly);
        for (const char* extension : {".svg", ".png"})
            ui::SaveFigure(QDir(folder).filePath(ui::MatrixFileName(1) + QLatin1String(extension)),
                           ui::HeatMapFigureSize(relationOnly->dimension, font), [&](QPainter& painter, const QRect& area) {
                               painter.setFont(font);
                               ui::PaintHeatMap(painter, area, model);
                           });
    }
    for (std::size_t k = 0; k < tnorms_.size(); ++k)
        ui::SaveFamilyFigures(ui::FamilySnapshot(e.dimension, e.trialCount, e.relation, *results_[k]), tnorms_[k],
                              results_[k]->transitivizable, folder, font);
    if (sweepResults_.empty()) return;
    ui::SweepChart chart{ui::FamilyName(sweepPoints_.front()), e.dimension, !sweepLinear_, sweepResults_, std::nullopt};
    ui::SaveSweepFigures(chart, folder, toolkit::DecimalSeparator());
}

namespace {
std::string MatrixStem(const engine::AnyTNorm& t) {
    std::string name = t.Name();
    std::replace(name.begin(), name.end(), ':', '_');
    return name;
}
}  // namespace

std::vector<std::string> TNormOptions::MatrixFiles() const {
    std::vector<std::string> files{"relacion.npy"};
    for (const engine::AnyTNorm& t : tnorms_) {
        files.push_back("cierre_" + MatrixStem(t) + ".npy");
        if (!t.LeftContinuous()) continue;
        files.push_back("transitivizada_" + MatrixStem(t) + ".npy");
        files.push_back("orden_" + MatrixStem(t) + ".npy");
    }
    return files;
}

void TNormOptions::WriteMatrices(const experiments::Experiment& experiment, const std::filesystem::path& folder) const {
    const engine::Engine& e = experiment.engine;
    std::vector<formats::NamedMatrix> matrices{{"relacion.npy", &e.relation}};
    for (std::size_t k = 0; k < tnorms_.size(); ++k) {
        const engine::FamilyAnalysis& r = *results_[k];
        matrices.push_back({"cierre_" + MatrixStem(tnorms_[k]) + ".npy", &r.closure});
        if (!r.transitivizable) continue;
        matrices.push_back({"transitivizada_" + MatrixStem(tnorms_[k]) + ".npy", &r.transitivized});
        matrices.push_back({"orden_" + MatrixStem(tnorms_[k]) + ".npy", &r.order});
    }
    formats::WriteMatrixFiles(folder, e.dimension, matrices);
}

void TNormOptions::WriteSweep() const {
    if (sweepResults_.empty()) return;
    // One line per parameter value; `limite` names Min, Prod or W where the family passes through one.
    std::string table = "parametro,limite,d1_cierre,eucl_cierre,d1_transitivizada,eucl_transitivizada,iteraciones,"
                        "convergido,reducidos\n";
    for (const experiments::SweepPoint& p : sweepResults_) {
        table += experiments::ParameterOf(p.t) + "," +
                 (p.core ? (*p.core == engine::Min ? "min" : *p.core == engine::Prod ? "prod" : "w") : "") + "," +
                 Number(p.d1Closure) + "," + Number(static_cast<float>(p.euclideanClosure)) + "," +
                 Number(p.d1Transitivized) + "," + Number(static_cast<float>(p.euclideanTransitivized)) + "," +
                 std::to_string(p.iterations) + "," + (p.converged ? "si" : "no") + "," + std::to_string(p.reduced) +
                 "\n";
    }
    if (sweepFile_) toolkit::SaveFileAtomically(ui::FileName(*sweepFile_), table);
    else Write(table);
}

}  // namespace cli
