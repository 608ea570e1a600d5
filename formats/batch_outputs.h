#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/analysis.h"
#include "experiments/file_io.h"
#include "formats/raw_trials.h"
#include "formats/trial_summary.h"
#include "formats/workbook.h"

namespace formats {

/// The files a batch writes beside (or instead of) its text table, either one optional: the
/// raw file, a line per trial as the trial is taken over, and the workbook, written at the end
/// from a summary kept trial by trial.
class BatchOutputs {
public:
    /// Opens the raw file now, so that a file that cannot be written is refused before any
    /// trial runs; refuses a workbook path that is a folder likewise.
    BatchOutputs(RawRun run, const std::optional<std::filesystem::path>& raw,
                 const std::optional<std::filesystem::path>& workbook);
    /// The batch's per-trial hook (BatchOptions::trial).
    void Trial(int dimension, int trial, const engine::Analysis& results);
    /// Writes the workbook, if one was asked for, of the trials taken so far.
    void Finish(bool integerMeans, int largestDimension, int sampleSize, int threads, bool complete);

private:
    RawRun run_;
    std::optional<experiments::LineFile> raw_;
    std::optional<std::filesystem::path> workbook_;
    std::unique_ptr<TrialSummary> summary_;
    std::time_t start_ = std::time(nullptr);
    std::chrono::steady_clock::time_point clock_ = std::chrono::steady_clock::now();
};

/// "sí" or "no" for an option.
std::string YesNo(bool value);
/// The start time as the sheet shows it: UTC, "2026-12-07 03:58:10 UTC".
std::string TimeText(std::time_t time);

/// Reads raw files and pools their trials into `summary`. Refuses, with experiments::FileError
/// naming the file and the line, a file of another program than `program` or with other
/// options than the first, a seed already read (files without a seed, the window's, count as
/// one seed), and whatever ReadRawFile refuses. Returns the facts of the merge for the
/// "Ejecución" sheet.
RunFacts MergeRawFiles(const std::string& program, const std::vector<std::filesystem::path>& files,
                       TrialSummary& summary);

}  // namespace formats
