#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/file_io.h"
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
/// With `sampleSize` > 0 (a batch), "Tabla" holds, as the text table does, only the dimensions
/// that have all their trials; a dimension left unfinished appears in the other sheets,
/// marked incomplete. Every number is written with a decimal point whatever the locale;
/// texts are made valid UTF-8 and cut, with a note, to the 32,767 characters a cell holds.
/// The file is replaced at once (SaveFileAtomically, its scratch files beside it); any
/// failure throws toolkit::FileError naming the file, which stays as it was.
void WriteWorkbook(const std::filesystem::path& path, const TrialSummary& summary, bool integerMeans,
                   int largestDimension, const RunFacts& facts, long long sampleSize = 0);
/// The same into a file claimed at the start of the run.
void WriteWorkbook(toolkit::ReservedFile& file, const std::string& name, const TrialSummary& summary,
                   bool integerMeans, int largestDimension, const RunFacts& facts, long long sampleSize);

/// A mean of the text table as that table writes it, as the number the text reads.
double TableMean(float sum, long long trials, bool integerMeans);

}  // namespace formats
