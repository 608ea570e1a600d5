#include "apps/command_line/method_options.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

#include "engine/transitivity_measures.h"
#include "experiments/method_table.h"
#include "formats/analysis_matrices.h"
#include "formats/relation_file.h"
#include "toolkit/file_io.h"
#include "toolkit/number_text.h"
#include "ui/argument_bytes.h"
#include "ui/locale.h"

namespace cli {

namespace {

using engine::Method;
using Row = experiments::MethodRow;

std::string F(double value) { return toolkit::FloatToStrF(value, 5, 3); }
std::string Place(int i, int j) { return "(" + std::to_string(i + 1) + ", " + std::to_string(j + 1) + ")"; }

std::string Number(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}
std::string Number(float value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

// Left-aligned in `width` characters (code points, so that accents do not shift the columns).
std::string Pad(const std::string& text, std::size_t width) {
    std::size_t shown = 0;
    for (unsigned char c : text) shown += (c & 0xC0) != 0x80;
    return text + std::string(width > shown ? width - shown : 1, ' ');
}

std::string MaximalText(const Row& row) {
    if (!row.below) return "—";
    if (row.rise.Maximal()) return "sí";
    return "no (" + std::to_string(row.rise.risable) + " hasta " + F(row.rise.largest) + ")";
}

const std::size_t kWidths[] = {12, 10, 10, 18, 11, 11, 10, 20};

std::string TextTable(const engine::AnyTNorm& t, const engine::Variant& variant, const std::vector<Row>& rows) {
    std::string text = "Métodos con la t-norma " + t.Name() + " (" + engine::ProgramName(variant) + ")\n";
    const char* const titles[] = {"método", "d1", "eucl", "dif. máx. en", "cambiadas", "transitiva", "grado", "maximal"};
    for (int c = 0; c < 8; ++c) text += Pad(titles[c], kWidths[c]);
    text += "tiempo (ms)\n";
    for (const Row& row : rows) {
        text += Pad(engine::MethodName(row.method), kWidths[0]);
        if (!row.refusal.empty()) {
            text += "no se aplica: " + row.refusal + "\n";
            continue;
        }
        const std::string cells[] = {F(row.d1), F(row.euclidean), F(row.largest) + " " + Place(row.li, row.lj),
                                     std::to_string(row.changed), row.transitivity.violations == 0 ? "sí" : "no",
                                     F(row.transitivity.degree), MaximalText(row)};
        for (int c = 0; c < 7; ++c) text += Pad(cells[c], kWidths[c + 1]);
        text += F(row.milliseconds) + "\n";
    }
    return text;
}

std::string CsvRows(const engine::AnyTNorm& t, const std::vector<Row>& rows) {
    std::string text;
    for (const Row& row : rows) {
        text += t.Name() + "," + engine::MethodName(row.method) + ",";
        if (!row.refusal.empty()) {
            text += ",,,,,,,,,,,,,\"" + row.refusal + "\"\n";
            continue;
        }
        text += Number(row.d1) + "," + Number(row.euclidean) + "," + Number(row.largest) + "," +
                std::to_string(row.li + 1) + "," + std::to_string(row.lj + 1) + "," + std::to_string(row.changed) + "," +
                (row.transitivity.violations == 0 ? "si" : "no") + "," + std::to_string(row.transitivity.violations) +
                "," + Number(row.transitivity.degree) + "," + (row.below ? (row.rise.Maximal() ? "si" : "no") : "") +
                "," + (row.below ? std::to_string(row.rise.risable) : "") + "," +
                (row.below ? Number(row.rise.largest) : "") + "," + Number(row.milliseconds) + ",\n";
    }
    return text;
}

std::string Diagnosis(const std::string& name, const engine::TransitivityMeasures& m) {
    std::string text = "  " + Pad(name, 12);
    if (m.violations == 0) return text + "T-transitiva (grado 1)\n";
    return text + std::to_string(m.violations) + " ternas violan la transitividad; la mayor, por " + F(m.largest) +
           ", en (i, j, k) = (" + std::to_string(m.i + 1) + ", " + std::to_string(m.j + 1) + ", " +
           std::to_string(m.k + 1) + "); grado " + F(m.degree) + "\n";
}

std::string DiagnosisText(const engine::AnyTNorm& t, int n, const engine::RelationMatrix& relation,
                          const std::vector<Row>& rows) {
    std::string text = "Diagnóstico con la t-norma " + t.Name() + " (tolerancia: dos pasos de float en el valor)\n";
    text += Diagnosis("relación", engine::MeasureTransitivity(t, n, relation));
    for (const Row& row : rows) {
        if (!row.refusal.empty()) continue;
        text += Diagnosis(engine::MethodName(row.method), row.transitivity);
        if (row.below && row.method != Method::Cierre)
            text += "  " + Pad("", 12) +
                    (row.rise.Maximal() ? std::string("ninguna entrada puede subir sin romper la transitividad")
                                        : std::to_string(row.rise.risable) + " entradas pueden subir aún; la que más, " +
                                              F(row.rise.largest) + " en " + Place(row.rise.i, row.rise.j)) +
                    "\n";
        if (!row.witness.empty()) {
            text += "  " + Pad("", 12) + "la mayor subida, en " + Place(row.li, row.lj) + ", la da el camino ";
            for (std::size_t s = 0; s < row.witness.size(); ++s)
                text += (s ? " → " : "") + std::to_string(row.witness[s] + 1);
            text += "\n";
        }
    }
    return text;
}

void Write(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
        throw toolkit::FileError("No se ha podido escribir en la salida estándar: " + toolkit::SystemErrorText(errno));
}

}  // namespace

MethodOptions::MethodOptions()
    : methods_(QStringLiteral("metodos"),
               QStringLiteral("Con --analiza: compara los métodos de LISTA (separados por comas, o «todos»): ") +
                   QString::fromStdString(engine::MethodNamesText()) +
                   QStringLiteral("; una tabla por t-norma (las de --tnorma, o min, prod y w). Con --estadisticas: añade "
                                  "las distancias de cada método en cada ensayo al fichero de --crudo y una hoja "
                                  "«Métodos» al libro."),
               QStringLiteral("LISTA")),
      table_(QStringLiteral("tabla-metodos"),
             QStringLiteral("Con --metodos: escribe además la tabla en FICHERO (CSV)."), QStringLiteral("FICHERO")),
      diagnosis_(QStringLiteral("diagnostico"),
                 QStringLiteral("Con --analiza: escribe la transitividad de la relación y de cada matriz (ternas que "
                                "la violan, la mayor violación, el grado), si cada rebajada puede aún subir y el "
                                "camino que da la mayor subida del cierre.")) {}

void MethodOptions::AddTo(QCommandLineParser& parser) const { parser.addOptions({methods_, table_, diagnosis_}); }

bool MethodOptions::Given(const QCommandLineParser& parser) const {
    return parser.isSet(methods_) || parser.isSet(table_) || parser.isSet(diagnosis_);
}

void MethodOptions::Read(const QCommandLineParser& parser) {
    list_.clear();
    tnorms_.clear();
    tableFile_.reset();
    if (parser.isSet(table_) && !parser.isSet(methods_)) throw MethodOptionError("--tabla-metodos solo va con --metodos");
    if (parser.values(methods_).size() > 1) throw MethodOptionError("--metodos va una sola vez");
    if (parser.values(table_).size() > 1) throw MethodOptionError("--tabla-metodos va una sola vez");
    printTable_ = parser.isSet(methods_);
    diagnose_ = parser.isSet(diagnosis_);
    const std::string typed = parser.isSet(methods_) ? parser.value(methods_).toStdString() : "todos";
    for (std::size_t start = 0;;) {
        const std::size_t comma = typed.find(',', start);
        const std::string name = typed.substr(start, comma - start);
        if (name == "todos") {
            list_.assign(std::begin(engine::kAllMethods), std::end(engine::kAllMethods));
        } else if (const auto method = engine::MethodByName(name)) {
            if (std::find(list_.begin(), list_.end(), *method) == list_.end()) list_.push_back(*method);
        } else {
            throw MethodOptionError("--metodos: método desconocido «" + name + "»; los métodos son " +
                                    engine::MethodNamesText() + " (o «todos»)");
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    try {
        for (const QString& name : parser.values(QStringLiteral("tnorma")))
            tnorms_.push_back(engine::AnyTNorm::Parse(name.toStdString()));
    } catch (const engine::TNormError& error) {
        throw MethodOptionError(std::string("--tnorma: ") + error.what());
    }
    if (tnorms_.empty())
        for (engine::TNorm t : {engine::Min, engine::Prod, engine::W}) tnorms_.push_back(engine::AnyTNorm::Of(t));
    if (parser.isSet(table_)) tableFile_ = parser.value(table_);
}

namespace {
std::string MatrixFile(Method method, const engine::AnyTNorm& t) {
    std::string name = std::string(engine::MethodName(method)) + "_" + t.Name() + ".npy";
    std::replace(name.begin(), name.end(), ':', '_');
    return name;
}
}  // namespace

std::vector<std::string> MethodOptions::MatrixFiles() const {
    std::vector<std::string> files{"relacion.npy"};
    for (const engine::AnyTNorm& t : tnorms_)
        for (Method method : list_) files.push_back(MatrixFile(method, t));
    return files;
}

int MethodOptions::Run(const engine::Variant& variant, const QString& relationFile,
                       const std::optional<std::filesystem::path>& matrices) const {
    auto relation = std::make_unique<engine::RelationMatrix>();
    const int n = formats::ReadRelationFile(ui::FileName(relationFile), *relation);
    return Run(variant, n, *relation, matrices);
}

int MethodOptions::Run(const engine::Variant& variant, int n, const engine::RelationMatrix& relation,
                       const std::optional<std::filesystem::path>& matrices) const {
    toolkit::SetDecimalSeparator(ui::StartDecimalSeparator(variant));
    auto scratch = std::make_unique<engine::MethodScratch>();
    auto out = std::make_unique<engine::RelationMatrix>();
    std::string text, csv = "tnorma,metodo,d1,euclidea,dif_maxima,fila,columna,cambiadas,transitiva,violaciones,grado,"
                            "maximal,pueden_subir,subida_maxima,tiempo_ms,nota\n";
    for (const engine::AnyTNorm& t : tnorms_) {
        std::vector<Row> rows;
        for (Method method : list_) {
            rows.push_back(experiments::MeasureMethod(method, t, n, relation, variant.symmetrizing, *scratch, *out));
            if (matrices && rows.back().refusal.empty())
                formats::WriteMatrixFiles(*matrices, n, {{MatrixFile(method, t), out.get()}});
        }
        if (printTable_) text += (text.empty() ? "" : "\n") + TextTable(t, variant, rows);
        if (diagnose_) text += (text.empty() ? "" : "\n") + DiagnosisText(t, n, relation, rows);
        csv += CsvRows(t, rows);
    }
    if (matrices) formats::WriteMatrixFiles(*matrices, n, {{"relacion.npy", &relation}});
    Write(text);
    if (tableFile_) toolkit::SaveFileAtomically(ui::FileName(*tableFile_), csv);
    return 0;
}

}  // namespace cli
