#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "experiments/trial_extras.h"
#include "toolkit/file_io.h"
#include "formats/raw_trials.h"
#include "formats/trial_summary.h"
#include "formats/output_kind.h"
#include "formats/workbook.h"

namespace experiments {

/// The files a batch writes beside (or instead of) its text table, either one optional: the
/// raw file, a line per trial as the trial is taken over, and the workbook, written at the end
/// from a summary kept trial by trial.
class BatchOutputs {
public:
    /// Checks both outputs (CheckOutput), then claims the workbook (locked, so that a second
    /// batch on it is refused) and opens the raw file, all before any trial runs. With
    /// `extras`, each trial's extra measures are read from it (their columns follow the
    /// program's in the raw file, and the workbook gains their sheets).
    BatchOutputs(formats::RawRun run, const std::optional<std::filesystem::path>& raw,
                 const std::optional<std::filesystem::path>& workbook, const TrialExtras* extras = nullptr);
    /// The batch's per-trial hook (BatchOptions::trial).
    void Trial(int dimension, int trial, const engine::Analysis& results);
    /// Writes the workbook, if one was asked for, of the trials taken so far.
    void Finish(bool integerMeans, int largestDimension, int sampleSize, int threads, bool complete);

private:
    formats::RawRun run_;
    const TrialExtras* extras_;
    std::optional<toolkit::LineFile> raw_;
    std::optional<toolkit::ReservedFile> workbook_;
    std::string workbookName_;
    std::unique_ptr<formats::TrialSummary> summary_;
    std::time_t start_ = std::time(nullptr);
    std::chrono::steady_clock::time_point clock_ = std::chrono::steady_clock::now();
};

/// "sí" or "no" for an option.
std::string YesNo(bool value);
/// The start time as the sheet shows it: UTC, "2026-12-07 03:58:10 UTC".
std::string TimeText(std::time_t time);

/// Reads raw files and pools their trials into `summary`. Refuses, with toolkit::FileError
/// naming the file and the line, a file of another program than `program` or with other
/// options than the first, a seed already read (files without a seed, the window's, count as
/// one seed), and whatever ReadRawFile refuses. Returns the facts of the merge for the
/// "Ejecución" sheet.
formats::RunFacts MergeRawFiles(const std::string& program, const std::vector<std::filesystem::path>& files,
                       formats::TrialSummary& summary);

}  // namespace experiments
