#include "formats/raw_trials.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <algorithm>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "engine/relation_matrix.h"
#include "engine/tnorm_family.h"
#include "engine/variant.h"
#include "toolkit/file_io.h"
#include "toolkit/number_text.h"

namespace formats {

namespace {

constexpr std::array<std::string_view, 21> kColumns = {
    "programa",          "semilla",
    "reflexiva",         "simetrica",
    "dimension",         "prueba",
    "d1_cierre_min",     "d1_transitivizada_min",
    "d1_cierre_prod",    "d1_transitivizada_prod",
    "d1_cierre_w",       "d1_transitivizada_w",
    "d2_cierre_min",     "d2_transitivizada_min",
    "d2_cierre_prod",    "d2_transitivizada_prod",
    "d2_cierre_w",       "d2_transitivizada_w",
    "cierre_mas_lejos_min", "cierre_mas_lejos_prod",
    "cierre_mas_lejos_w",
};
constexpr std::size_t kFirstDistance = 6, kFirstFlag = 18;

std::string JoinedColumns() {
    std::string header;
    for (std::string_view column : kColumns) header.append(header.empty() ? "" : ",").append(column);
    return header;
}
const std::string kHeaderText = JoinedColumns();

// The twelve distances in column order.
std::array<float*, 12> Distances(TrialRecord& r) {
    std::array<float*, 12> d{};
    for (int t = 0; t < engine::kTNormCount; ++t) {
        d[2 * t] = &r.d1Closure[t];
        d[2 * t + 1] = &r.d1Transitivized[t];
        d[6 + 2 * t] = &r.d2Closure[t];
        d[6 + 2 * t + 1] = &r.d2Transitivized[t];
    }
    return d;
}

[[noreturn]] void Refuse(std::string_view column, const std::string& what) {
    throw std::invalid_argument("la columna «" + std::string(column) + "» " + what);
}
[[noreturn]] void Refuse(std::size_t column, const std::string& what) { Refuse(kColumns[column], what); }

constexpr std::string_view kExtraMethods[] = {"cierre", "transitivizada", "completada", "completa", "promedio", "simple"};
constexpr std::string_view kFartherPrefix = "cierre_mas_lejos_";

template <typename Column>
long long WholeNumber(std::string_view field, Column column, long long low, long long high) {
    long long value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size() || value < low || value > high)
        Refuse(column, "no es un entero entre " + std::to_string(low) + " y " + std::to_string(high));
    return value;
}

template <typename Column>
bool Flag(std::string_view field, Column column) { return WholeNumber(field, column, 0, 1) == 1; }

template <typename Column>
float Distance(std::string_view field, Column column) {
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) Refuse(column, "no es un número");
    // Checked before the conversion to 32 bits, which would overflow.
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        Refuse(column, "no es un número finito");
    if (value < 0) Refuse(column, "es negativa");
    // "-0" is read as 0, the text the writer gives it: a line read and written again reads
    // back to the same trial.
    return value == 0 ? 0.0f : static_cast<float>(value);
}

}  // namespace

const std::string_view kRawHeader = kHeaderText;

std::string ExtraColumn::Name() const {
    if (kind == Kind::ClosureFarther) return std::string(kFartherPrefix) + tnorm;
    return (kind == Kind::D1 ? "d1_" : "d2_") + method + "_" + tnorm;
}

std::optional<ExtraColumn> ParseExtraColumn(std::string_view name) {
    ExtraColumn column;
    std::string_view rest;
    if (name.starts_with(kFartherPrefix)) {
        column.kind = ExtraColumn::Kind::ClosureFarther;
        rest = name.substr(kFartherPrefix.size());
    } else {
        if (!name.starts_with("d1_") && !name.starts_with("d2_")) return std::nullopt;
        column.kind = name[1] == '1' ? ExtraColumn::Kind::D1 : ExtraColumn::Kind::D2;
        name.remove_prefix(3);
        for (const std::string_view method : kExtraMethods)
            if (name.starts_with(method) && name.size() > method.size() && name[method.size()] == '_') {
                column.method = method;
                rest = name.substr(method.size() + 1);
                break;
            }
        if (column.method.empty()) return std::nullopt;
    }
    // The t-norm, its parameter after the first '_' (no family name has one).
    std::string typed(rest);
    if (const std::size_t cut = typed.find('_'); cut != std::string::npos) typed[cut] = ':';
    try {
        if (engine::AnyTNorm::Parse(typed).Name() != typed) return std::nullopt;
    } catch (const engine::TNormError&) {
        return std::nullopt;
    }
    column.tnorm = rest;
    return column;
}

std::string RawHeader(const std::vector<ExtraColumn>& extras) {
    std::string header(kRawHeader);
    for (const ExtraColumn& column : extras) header.append(",").append(column.Name());
    return header;
}

TrialRecord RecordOf(int dimension, int trial, const engine::Analysis& results) {
    return {dimension, trial, results.d1Closure, results.d1Transitivized, results.d2Closure, results.d2Transitivized};
}

std::string RawLine(const RawRun& run, const TrialRecord& record) {
    std::string line = run.program + ',' + (run.seed ? std::to_string(*run.seed) : std::string()) + ',' +
                       (run.reflexive ? '1' : '0') + ',' + (run.symmetric ? '1' : '0') + ',' +
                       std::to_string(record.dimension) + ',' + std::to_string(record.trial);
    TrialRecord copy = record;
    for (const float* d : Distances(copy)) line.append(",").append(toolkit::FloatToShortestStr(*d, '.'));
    for (int t = 0; t < engine::kTNormCount; ++t) line.append(record.ClosureFarther(t) ? ",1" : ",0");
    for (std::size_t c = 0; c < run.extras.size() && c < record.extras.size(); ++c)
        line.append(",").append(run.extras[c].kind == ExtraColumn::Kind::ClosureFarther
                                    ? (record.extras[c] != 0.0f ? "1" : "0")
                                    : toolkit::FloatToShortestStr(record.extras[c], '.'));
    return line;
}

void ParseRawLine(std::string_view line, RawRun& run, TrialRecord& record) {
    thread_local std::vector<std::string_view> fields;
    fields.resize(kColumns.size() + run.extras.size());
    std::size_t count = 0;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        if (count == fields.size())
            throw std::invalid_argument("tiene más de " + std::to_string(fields.size()) + " columnas");
        fields[count++] = line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (count != fields.size())
        throw std::invalid_argument("tiene " + std::to_string(count) + " columnas en vez de " +
                                    std::to_string(fields.size()));
    if (fields[0] != engine::ProgramName(engine::kZorvath) && fields[0] != engine::ProgramName(engine::kZorvane))
        Refuse(0, "no es Zorvath ni Zorvane");
    run.program = fields[0];
    run.seed.reset();
    if (!fields[1].empty()) run.seed = static_cast<std::uint32_t>(WholeNumber(fields[1], 1, 0, 4294967295LL));
    run.reflexive = Flag(fields[2], 2);
    run.symmetric = Flag(fields[3], 3);
    record.dimension = static_cast<int>(WholeNumber(fields[4], 4, 2, engine::kLargestDimension));
    record.trial = static_cast<int>(WholeNumber(fields[5], 5, 1, std::numeric_limits<int>::max()));
    std::size_t column = kFirstDistance;
    for (float* d : Distances(record)) {
        *d = Distance(fields[column], column);
        ++column;
    }
    for (int t = 0; t < engine::kTNormCount; ++t, ++column)
        if (Flag(fields[column], column) != record.ClosureFarther(t))
            Refuse(column, "no concuerda con las distancias d1 de la línea");
    record.extras.resize(run.extras.size());
    for (std::size_t c = 0; c < run.extras.size(); ++c, ++column) {
        const ExtraColumn& extra = run.extras[c];
        const std::string name = extra.Name();
        record.extras[c] = extra.kind == ExtraColumn::Kind::ClosureFarther ? (Flag(fields[column], name) ? 1.0f : 0.0f)
                                                                           : Distance(fields[column], name);
    }
    // A flag must say what the d1 distances of its t-norm in the line say.
    for (std::size_t c = 0; c < run.extras.size(); ++c) {
        if (run.extras[c].kind != ExtraColumn::Kind::ClosureFarther) continue;
        std::optional<float> closure, transitivized;
        for (std::size_t d = 0; d < run.extras.size(); ++d) {
            const ExtraColumn& e = run.extras[d];
            if (e.kind != ExtraColumn::Kind::D1 || e.tnorm != run.extras[c].tnorm) continue;
            if (e.method == "cierre") closure = record.extras[d];
            if (e.method == "transitivizada") transitivized = record.extras[d];
        }
        if (closure && transitivized && (record.extras[c] != 0.0f) != (*closure > *transitivized))
            Refuse(run.extras[c].Name(), "no concuerda con las distancias d1 de la línea");
    }
}

RawRun ReadRawFile(const std::filesystem::path& path, const std::function<void(const TrialRecord&)>& take,
                   const std::function<void(const std::vector<ExtraColumn>&)>& header) {
    const std::string name = toolkit::ShortPath(path.string());
    const auto fail = [&](const std::string& reason) {
        return toolkit::FileError("No se ha podido leer el fichero «" + name + "»: " + reason);
    };
    struct Descriptor {
        int fd;
        ~Descriptor() {
            if (fd >= 0) ::close(fd);
        }
    } file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};  // a FIFO must not block the open
    if (file.fd < 0) throw fail(toolkit::SystemErrorText(errno));
    struct stat status {};
    if (::fstat(file.fd, &status) != 0) throw fail(toolkit::SystemErrorText(errno));
    if (S_ISDIR(status.st_mode)) throw fail("es una carpeta");
    if (!S_ISREG(status.st_mode)) throw fail("no es un fichero normal");

    constexpr std::size_t kLongestLine = 65536;
    RawRun first, run;
    TrialRecord record;
    long long lineNumber = 0, trials = 0;
    const auto line = [&](std::string_view text) {
        ++lineNumber;
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.size() > kLongestLine) throw fail("la línea " + std::to_string(lineNumber) + " es demasiado larga");
        if (lineNumber == 1) {
            if (!text.starts_with(kRawHeader) || (text.size() > kRawHeader.size() && text[kRawHeader.size()] != ','))
                throw fail("no es un fichero de ensayos (su primera línea no es la cabecera «" +
                           std::string(kRawHeader.substr(0, 30)) + "…»)");
            for (std::string_view rest = text.substr(kRawHeader.size()); !rest.empty();) {
                rest.remove_prefix(1);
                const std::string_view name = rest.substr(0, rest.find(','));
                const std::optional<ExtraColumn> column = ParseExtraColumn(name);
                if (!column) throw fail("la cabecera nombra una columna desconocida, «" + toolkit::ValidUtf8(std::string(name)) + "»");
                if (std::find(run.extras.begin(), run.extras.end(), *column) != run.extras.end())
                    throw fail("la cabecera nombra dos veces la columna «" + std::string(name) + "»");
                run.extras.push_back(*column);
                rest.remove_prefix(name.size());
            }
            if (header) header(run.extras);
            return;
        }
        try {
            ParseRawLine(text, run, record);
        } catch (const std::invalid_argument& error) {
            throw fail("la línea " + std::to_string(lineNumber) + " no vale: " + error.what());
        }
        if (trials++ == 0) first = run;
        else if (!(run == first))
            throw fail("la línea " + std::to_string(lineNumber) +
                       " es de otra ejecución (programa, semilla u opciones distintos de los de la línea 2)");
        take(record);
    };

    std::vector<char> buffer(std::size_t{1} << 16);
    std::string pending;  // the start of a line that the last read cut
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw fail(toolkit::SystemErrorText(errno));
        }
        if (got == 0) break;
        std::string_view chunk(buffer.data(), static_cast<std::size_t>(got));
        for (std::size_t end; (end = chunk.find('\n')) != std::string_view::npos; chunk.remove_prefix(end + 1)) {
            if (pending.empty()) {
                line(chunk.substr(0, end));
            } else {
                pending.append(chunk.substr(0, end));
                line(pending);
                pending.clear();
            }
        }
        pending.append(chunk);
        if (pending.size() > kLongestLine)
            throw fail("la línea " + std::to_string(lineNumber + 1) + " es demasiado larga");
    }
    if (!pending.empty()) line(pending);  // a last line without its line end
    if (lineNumber == 0) throw fail("está vacío");
    if (trials == 0) throw fail("no tiene ningún ensayo");
    return first;
}

}  // namespace formats
