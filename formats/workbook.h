#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "formats/trial_summary.h"

namespace formats {

/// What the "Ejecución" sheet says about the run: label and value pairs, in order.
using RunFacts = std::vector<std::pair<std::string, std::string>>;

/// Writes the workbook of `summary` (.xlsx, every number a typed numeric cell): "Tabla", the
/// rows of the text table (integer means when `integerMeans`, as that program writes them),
/// headed by `largestDimension`; "Dispersión", per dimension and distance column the mean,
/// standard deviation, the 95 % interval of the mean and the trials; "Diferencias", per
/// dimension and t-norm the paired difference d1 closure − d1 transitivized and the
/// percentage of trials with the closure farther, with 95 % intervals; "Gráfica", a chart of
/// the mean d1 against the dimension with the interval bounds; "Ejecución", `facts`.
/// The file is replaced at once (SaveFileAtomically); any failure throws
/// experiments::FileError naming the file, which stays as it was.
void WriteWorkbook(const std::filesystem::path& path, const TrialSummary& summary, bool integerMeans,
                   int largestDimension, const RunFacts& facts);

/// A mean of the text table as that table writes it, as the number the text reads.
double TableMean(float sum, long long trials, bool integerMeans);

}  // namespace formats
