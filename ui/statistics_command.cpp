#include <QFile>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>

#include "toolkit/file_io.h"
#include "experiments/statistics_batch.h"
#include "formats/statistics_file.h"
#include "experiments/trial_pipeline.h"
#include "experiments/batch_outputs.h"
#include "toolkit/number_text.h"
#include "ui/form1.h"

// The statistics command: asks for the largest dimension and the sample size, then for the
// file, and runs the batch off the event loop on every core, showing its progress.
void TForm1::Button6Click(QObject*) {
    const QString caption = QStringLiteral("Genera fichero");
    QString dimensionsText;
    if (!dialogs().InputQuery(caption, QStringLiteral("Dame num Dimensiones"), dimensionsText)) return;
    QString samplesText;
    if (!dialogs().InputQuery(caption, QStringLiteral("Dame num Matrices generadas por dim"), samplesText)) return;

    // Both answers are checked before the save dialog, so a refused request touches no file.
    const int largestDimension = toolkit::StrToInt(dimensionsText.toStdString());
    formats::ValidateLargestDimension(largestDimension);
    const int sampleSize = toolkit::StrToInt(samplesText.toStdString());
    formats::ValidateSampleSize(sampleSize);

    const std::optional<QString> fileName = dialogs().SaveFileName(
        {QStringLiteral("fichero de texto|*.txt|ensayos uno a uno|*.csv|Libro de cálculo|*.xlsx|todos los archivos|*"),
         QStringLiteral("txt"), true, {}});
    if (!fileName) return;

    // The file's extension says what it holds: every trial (.csv, the raw file of the command
    // line's --crudo), the workbook (.xlsx), or else the statistics table. The name in the
    // file system's own encoding; a file that cannot be written is refused before anything runs.
    const std::filesystem::path path(QFile::encodeName(*fileName).toStdString());
    const QString suffix = QFileInfo(*fileName).suffix().toLower();
    const bool raw = suffix == QLatin1String("csv"), workbook = suffix == QLatin1String("xlsx");
    const engine::Engine& e = experiment().engine;
    if (!raw && !workbook) formats::CheckOutput(path, formats::OutputKind::Table);
    // The window's sequence did not start from a seed of the user's: the raw file leaves it empty.
    experiments::BatchOutputs outputs({engine::ProgramName(e.variant()), std::nullopt, e.reflexive, e.symmetric, {}},
                                  raw ? std::optional(path) : std::nullopt,
                                  workbook ? std::optional(path) : std::nullopt);
    std::optional<toolkit::LineFile> table;
    if (!raw && !workbook) table.emplace(path, formats::kStatisticsLineEnd, experiments::kStatisticsLastLine);
    const long long total = static_cast<long long>(std::max(0, largestDimension - 1)) * sampleSize;
    const int threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, experiments::kMaxThreads);
    bool complete = false;
    RunInBackground(caption, total, [&](std::stop_token stop, const ProgressReport& report) {
        const auto progress = [&](const experiments::BatchProgress& p) {
            report(p.trialsDone, QStringLiteral("Dimensión %1 de %2: %3 de %4 matrices")
                                     .arg(p.dimension)
                                     .arg(p.largestDimension)
                                     .arg(p.trialsDone)
                                     .arg(p.trialsTotal));
        };
        experiments::BatchOptions options{threads, stop, progress};
        options.trial = [&](int dimension, int trial, const engine::Analysis& results) {
            outputs.Trial(dimension, trial, results);
        };
        const auto discard = [](std::string_view) {};
        complete = table ? experiments::RunStatisticsBatch(*table, experiment(), largestDimension, sampleSize, options)
                         : experiments::WriteStatistics(discard, experiment(), largestDimension, sampleSize, options);
    });
    // Also after "Cancelar": the workbook of the trials done.
    outputs.Finish(e.variant().integerMeans, largestDimension, sampleSize, threads, complete);
}
