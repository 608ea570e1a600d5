#include "experiments/batch_outputs.h"

#include <set>

#include "toolkit/number_text.h"

namespace experiments {

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

std::string SeedText(const formats::RawRun& run) { return run.seed ? std::to_string(*run.seed) : "(ninguna elegida)"; }
std::string OptionsText(const formats::RawRun& run) {
    return "reflexiva: " + YesNo(run.reflexive) + ", simétrica: " + YesNo(run.symmetric);
}

}  // namespace

BatchOutputs::BatchOutputs(formats::RawRun run, const std::optional<fs::path>& raw, const std::optional<fs::path>& workbook,
                           const TrialExtras* extras)
    : run_(std::move(run)), extras_(extras) {
    if (extras_) run_.extras = extras_->Columns();
    if (workbook) formats::CheckOutput(*workbook, formats::OutputKind::Workbook);
    if (raw) formats::CheckOutput(*raw, formats::OutputKind::Raw);
    if (workbook) {
        workbook_.emplace(*workbook);
        workbookName_ = toolkit::ShortPath(workbook->string());
        summary_ = std::make_unique<formats::TrialSummary>();
        summary_->SetExtras(run_.extras);
    }
    if (raw) {
        raw_.emplace(*raw, formats::kRawLineEnd);
        raw_->WriteLine(formats::RawHeader(run_.extras));
    }
}

void BatchOutputs::Trial(int dimension, int trial, const engine::Analysis& results) {
    formats::TrialRecord record = formats::RecordOf(dimension, trial, results);
    if (extras_) record.extras = extras_->Values();
    if (raw_) raw_->WriteLine(formats::RawLine(run_, record));
    if (summary_) summary_->Add(record);
}

void BatchOutputs::Finish(bool integerMeans, int largestDimension, int sampleSize, int threads, bool complete) {
    if (!workbook_) return;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - clock_).count();
    const formats::RunFacts facts = {
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
    formats::WriteWorkbook(*workbook_, workbookName_, *summary_, integerMeans, largestDimension, facts, sampleSize);
}

formats::RunFacts MergeRawFiles(const std::string& program, const std::vector<fs::path>& files, formats::TrialSummary& summary) {
    const std::time_t start = std::time(nullptr);
    const auto clock = std::chrono::steady_clock::now();
    std::optional<formats::RawRun> first;
    std::string firstName;
    std::set<std::optional<std::uint32_t>> seeds;
    std::string seedList, fileList;
    for (const fs::path& file : files) {
        const std::string name = toolkit::ShortPath(file.string());
        const auto refuse = [&](const std::string& reason) {
            return toolkit::FileError("No se puede reunir el fichero «" + name + "», línea 2: " + reason);
        };
        const auto columns = [&](const std::vector<formats::ExtraColumn>& extras) {
            if (first && extras != first->extras)
                throw toolkit::FileError("No se puede reunir el fichero «" + name + "», línea 1: sus columnas no son las de «" +
                                         firstName + "»");
            summary.SetExtras(extras);
        };
        const formats::RawRun run =
            formats::ReadRawFile(file, [&](const formats::TrialRecord& record) { summary.Add(record); }, columns);
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

}  // namespace experiments
