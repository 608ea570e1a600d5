#include <QFile>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <thread>

#include "experiments/file_io.h"
#include "experiments/statistics_batch.h"
#include "experiments/statistics_file.h"
#include "experiments/trial_pipeline.h"
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
    experiments::ValidateLargestDimension(largestDimension);
    const int sampleSize = toolkit::StrToInt(samplesText.toStdString());
    experiments::ValidateSampleSize(sampleSize);

    const std::optional<QString> fileName = dialogs().SaveFileName(
        {QStringLiteral("fichero de texto|*.txt|todos los archivos|*"), QStringLiteral("txt"), true, {}});
    if (!fileName) return;

    // The name in the file system's own encoding; a file that cannot be written is refused
    // before anything runs.
    experiments::LineFile file(std::filesystem::path(QFile::encodeName(*fileName).toStdString()));
    const long long total = static_cast<long long>(std::max(0, largestDimension - 1)) * sampleSize;
    const int threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, experiments::kMaxThreads);
    RunInBackground(caption, total, [&](std::stop_token stop, const ProgressReport& report) {
        const auto progress = [&](const experiments::BatchProgress& p) {
            report(p.trialsDone, QStringLiteral("Dimensión %1 de %2: %3 de %4 matrices")
                                     .arg(p.dimension)
                                     .arg(p.largestDimension)
                                     .arg(p.trialsDone)
                                     .arg(p.trialsTotal));
        };
        experiments::RunStatisticsBatch(file, experiment(), largestDimension, sampleSize, {threads, stop, progress});
    });
}
