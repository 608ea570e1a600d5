#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis.h"
#include "engine/tnorm.h"

namespace formats {

/// The file of every trial of a batch, one line each, for R, pandas or a spreadsheet: UTF-8,
/// comma between fields, a header line, LF after every line, a decimal point, each distance
/// the shortest text that reads back to the same 32-bit float. Columns: program, seed,
/// reflexive and symmetric generation (1 or 0), dimension, trial number within the dimension
/// (from 1), the six d1 and the six Euclidean distances (closure, transitivized, per t-norm
/// Min, Prod, W) and per t-norm 1 when the closure lay farther in d1, else 0; then the
/// batch's extra columns, if it has any (ExtraColumn).
inline constexpr std::string_view kRawLineEnd = "\n";
/// The header of a file without extra columns; every header starts with it.
extern const std::string_view kRawHeader;

/// A column after the program's 21: the distances of another t-norm, or of a lowering method,
/// named "<d1|d2>_<method>_<t-norm>" or "cierre_mas_lejos_<t-norm>", the t-norm as --tnorma
/// takes it with ':' written '_' ("d1_cierre_hamacher_0.5", "d2_completada_prod"). Methods:
/// cierre and transitivizada (the closure and the technique of a t-norm other than the
/// program's three, whose columns are the first 21), completada, completa, promedio, simple.
struct ExtraColumn {
    enum class Kind { D1, D2, ClosureFarther };
    Kind kind = Kind::D1;
    std::string method;  ///< empty for ClosureFarther
    std::string tnorm;   ///< as in the name: "hamacher_0.5"
    std::string Name() const;
    bool operator==(const ExtraColumn&) const = default;
};
/// The column a header names, or nothing when the name is not one (an unknown method, a
/// t-norm --tnorma would refuse).
std::optional<ExtraColumn> ParseExtraColumn(std::string_view name);
/// The header of a file with these extra columns.
std::string RawHeader(const std::vector<ExtraColumn>& extras);

/// What every line of one raw file shares. A batch started from the generator's own start
/// state (not from a chosen seed, as the window's) has no seed: the field is empty.
struct RawRun {
    std::string program;
    std::optional<std::uint32_t> seed;
    bool reflexive = false;
    bool symmetric = false;
    std::vector<ExtraColumn> extras{};  ///< the header's columns after the first 21
    bool operator==(const RawRun&) const = default;
};

/// One trial's distances.
struct TrialRecord {
    int dimension = 0;
    int trial = 0;
    std::array<float, engine::kTNormCount> d1Closure{}, d1Transitivized{}, d2Closure{}, d2Transitivized{};
    std::vector<float> extras{};  ///< one per extra column of the run, a flag as 0 or 1
    bool ClosureFarther(int t) const { return d1Closure[t] > d1Transitivized[t]; }
    bool operator==(const TrialRecord&) const = default;
};

TrialRecord RecordOf(int dimension, int trial, const engine::Analysis& results);

/// The line of one trial, without the line end.
std::string RawLine(const RawRun& run, const TrialRecord& record);

/// Reads one data line of a file with the extra columns of `run` (which it keeps); throws
/// std::invalid_argument with the reason in Spanish (which field, what is wrong) when it is
/// not a line of this format or holds a distance that is not a finite number ≥ 0.
void ParseRawLine(std::string_view line, RawRun& run, TrialRecord& record);

/// Reads a raw file line by line (memory does not grow with its length), checks that every
/// line belongs to the same run as the first, and hands each trial to `take` in file order.
/// Returns the run. Throws toolkit::FileError naming the file and the line for a file that
/// cannot be read, is not a regular file, lacks the header, or holds a line that is refused.
/// `header`, when given, is called with the extra columns once the header is read, before any
/// trial; an exception it throws propagates.
RawRun ReadRawFile(const std::filesystem::path& path, const std::function<void(const TrialRecord&)>& take,
                   const std::function<void(const std::vector<ExtraColumn>&)>& header = {});

}  // namespace formats
