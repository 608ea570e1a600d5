#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/analysis.h"
#include "engine/tnorm.h"

namespace formats {

/// The file of every trial of a batch, one line each, for R, pandas or a spreadsheet: UTF-8,
/// comma between fields, a header line, LF after every line, a decimal point, each distance
/// the shortest text that reads back to the same 32-bit float. Columns: program, seed,
/// reflexive and symmetric generation (1 or 0), dimension, trial number within the dimension
/// (from 1), the six d1 and the six Euclidean distances (closure, transitivized, per t-norm
/// Min, Prod, W) and per t-norm 1 when the closure lay farther in d1, else 0.
inline constexpr std::string_view kRawLineEnd = "\n";
extern const std::string_view kRawHeader;

/// What every line of one raw file shares. A batch started from the generator's own start
/// state (not from a chosen seed, as the window's) has no seed: the field is empty.
struct RawRun {
    std::string program;
    std::optional<std::uint32_t> seed;
    bool reflexive = false;
    bool symmetric = false;
    bool operator==(const RawRun&) const = default;
};

/// One trial's distances.
struct TrialRecord {
    int dimension = 0;
    int trial = 0;
    std::array<float, engine::kTNormCount> d1Closure{}, d1Transitivized{}, d2Closure{}, d2Transitivized{};
    bool ClosureFarther(int t) const { return d1Closure[t] > d1Transitivized[t]; }
    bool operator==(const TrialRecord&) const = default;
};

TrialRecord RecordOf(int dimension, int trial, const engine::Analysis& results);

/// The line of one trial, without the line end.
std::string RawLine(const RawRun& run, const TrialRecord& record);

/// Reads one data line; throws std::invalid_argument with the reason in Spanish (which field,
/// what is wrong) when it is not a line of this format or holds a distance that is not a
/// finite number ≥ 0.
void ParseRawLine(std::string_view line, RawRun& run, TrialRecord& record);

/// Reads a raw file line by line (memory does not grow with its length), checks that every
/// line belongs to the same run as the first, and hands each trial to `take` in file order.
/// Returns the run. Throws toolkit::FileError naming the file and the line for a file that
/// cannot be read, is not a regular file, lacks the header, or holds a line that is refused.
RawRun ReadRawFile(const std::filesystem::path& path, const std::function<void(const TrialRecord&)>& take);

}  // namespace formats
