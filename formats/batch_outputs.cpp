#include "formats/batch_outputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <set>

#include "toolkit/number_text.h"

namespace formats {

namespace fs = std::filesystem;

std::string YesNo(bool value) { return value ? "sí" : "no"; }

std::string TimeText(std::time_t time) {
    std::tm utc{};
    ::gmtime_r(&time, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

namespace {

std::string SeedText(const RawRun& run) { return run.seed ? std::to_string(*run.seed) : "(ninguna elegida)"; }
std::string OptionsText(const RawRun& run) {
    return "reflexiva: " + YesNo(run.reflexive) + ", simétrica: " + YesNo(run.symmetric);
}

}  // namespace

namespace {

// Whether the first bytes of a file are those of a file of `kind`.
bool LooksLike(std::string_view start, OutputKind kind) {
    switch (kind) {
        case OutputKind::Workbook: return start.substr(0, 4) == std::string_view("PK\x03\x04", 4);
        case OutputKind::Raw: return start.substr(0, kRawHeader.size()) == kRawHeader;
        case OutputKind::SaveAll: return start.substr(0, 8) == "Zorvath\t" || start.substr(0, 8) == "Zorvane\t";
        case OutputKind::Table: {
            const std::size_t digits = start.find_first_not_of("0123456789");
            return digits > 0 && digits != std::string_view::npos && start.substr(digits, 12) == " Dimensiones";
        }
    }
    return false;
}

const char* KindName(OutputKind kind) {
    switch (kind) {
        case OutputKind::Table: return "una tabla de estadísticas";
        case OutputKind::Raw: return "un fichero de ensayos";
        case OutputKind::Workbook: return "un libro de cálculo";
        case OutputKind::SaveAll: return "un fichero de «Salvar Todo»";
    }
    return "";
}

}  // namespace

void CheckOutput(const fs::path& path, OutputKind kind) {
    toolkit::CheckWritable(path);
    // Opened without following a FIFO's wait; only a regular file gets this far.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;  // not there yet
    std::string start(std::max<std::size_t>(kRawHeader.size(), 64), '\0');
    const ssize_t got = ::read(fd, start.data(), start.size());
    ::close(fd);
    if (got <= 0) return;  // empty (or unreadable: the user may still write it)
    start.resize(static_cast<std::size_t>(got));
    if (!LooksLike(start, kind))
        throw toolkit::FileError("No se reemplaza el fichero «" + toolkit::ShortPath(path.string()) +
                                     "»: ya existe y no es " + KindName(kind) +
                                     "; elija otro nombre, o bórrelo antes si ya no lo quiere");
}

BatchOutputs::BatchOutputs(RawRun run, const std::optional<fs::path>& raw, const std::optional<fs::path>& workbook)
    : run_(std::move(run)) {
    if (workbook) CheckOutput(*workbook, OutputKind::Workbook);
    if (raw) CheckOutput(*raw, OutputKind::Raw);
    if (workbook) {
        workbook_.emplace(*workbook);
        workbookName_ = toolkit::ShortPath(workbook->string());
        summary_ = std::make_unique<TrialSummary>();
    }
    if (raw) {
        raw_.emplace(*raw, kRawLineEnd);
        raw_->WriteLine(kRawHeader);
    }
}

void BatchOutputs::Trial(int dimension, int trial, const engine::Analysis& results) {
    const TrialRecord record = RecordOf(dimension, trial, results);
    if (raw_) raw_->WriteLine(RawLine(run_, record));
    if (summary_) summary_->Add(record);
}

void BatchOutputs::Finish(bool integerMeans, int largestDimension, int sampleSize, int threads, bool complete) {
    if (!workbook_) return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - clock_).count();
    const RunFacts facts = {
        {"Programa", run_.program},
        {"Versión", WORKBENCH_VERSION},
        {"Opciones", OptionsText(run_)},
        {"Semilla", SeedText(run_)},
        {"Dimensión mayor", std::to_string(largestDimension)},
        {"Matrices por dimensión", std::to_string(sampleSize)},
        {"Hilos", std::to_string(threads)},
        {"Inicio", TimeText(start_)},
        {"Ensayos", std::to_string(summary_->Trials())},
        {"Segundos", toolkit::DoubleToStr(seconds)},
        {"Completa", complete ? "sí" : "no: interrumpida; el libro guarda los ensayos hechos"},
    };
    WriteWorkbook(*workbook_, workbookName_, *summary_, integerMeans, largestDimension, facts, sampleSize);
}

RunFacts MergeRawFiles(const std::string& program, const std::vector<fs::path>& files, TrialSummary& summary) {
    const std::time_t start = std::time(nullptr);
    const auto clock = std::chrono::steady_clock::now();
    std::optional<RawRun> first;
    std::string firstName;
    std::set<std::optional<std::uint32_t>> seeds;
    std::string seedList, fileList;
    for (const fs::path& file : files) {
        const RawRun run = ReadRawFile(file, [&](const TrialRecord& record) { summary.Add(record); });
        const std::string name = toolkit::ShortPath(file.string());
        const auto refuse = [&](const std::string& reason) {
            return toolkit::FileError("No se puede reunir el fichero «" + name + "», línea 2: " + reason);
        };
        if (run.program != program) throw refuse("es de " + run.program + "; reúnalo con " + run.program);
        if (first && (run.reflexive != first->reflexive || run.symmetric != first->symmetric))
            throw refuse("sus opciones (" + OptionsText(run) + ") no son las de «" + firstName + "» (" +
                         OptionsText(*first) + ")");
        if (!seeds.insert(run.seed).second)
            throw refuse("la semilla " + SeedText(run) +
                         " ya está en otro fichero: dos réplicas con la misma semilla repiten los mismos ensayos");
        if (!first) {
            first = run;
            firstName = name;
        }
        seedList += (seedList.empty() ? "" : ", ") + SeedText(run);
        fileList += (fileList.empty() ? "" : ", ") + toolkit::ValidUtf8(file.filename().string());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - clock).count();
    return {
        {"Programa", program},
        {"Versión", WORKBENCH_VERSION},
        {"Opciones", first ? OptionsText(*first) : ""},
        {"Semilla", seedList},
        {"Ficheros reunidos", fileList},
        {"Inicio", TimeText(start)},
        {"Ensayos", std::to_string(summary.Trials())},
        {"Segundos", toolkit::DoubleToStr(seconds)},
    };
}

}  // namespace formats
