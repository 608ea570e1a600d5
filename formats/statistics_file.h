#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/tnorm.h"

namespace formats {

/// The statistics table is a spreadsheet file: Windows-1252 text, TAB between fields, CR LF
/// after every line. Every function here returns bytes in that character set, without the
/// line end unless it says otherwise.
inline constexpr std::string_view kStatisticsLineEnd = "\r\n";

/// A refused batch request or a file that could not be written; the message names the
/// value or the file and is shown to the user as it stands.
class StatisticsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Largest dimension D of a batch over every dimension 2 … D, the table's form. Larger
/// relations are studied at chosen dimensions (a list of them), not at every one below.
inline constexpr int kLargestTableDimension = 100;

/// Largest dimension a batch over 2 … D may ask for (kLargestTableDimension).
/// Anything below 2 is accepted and gives a table without rows.
void ValidateLargestDimension(int largestDimension);
/// A sample must hold at least one trial, so that every mean divides by something.
void ValidateSampleSize(int sampleSize);

/// UTF-8 text to Windows-1252 bytes (the Latin-1 range; any other character becomes '?').
std::string ToWindows1252(std::string_view utf8);

/// Lines 1 to 5 of the file: the largest dimension, the sample size, an empty line, the two
/// titles and the 17 column headings.
inline constexpr int kStatisticsHeadingLines = 5;
std::array<std::string, kStatisticsHeadingLines> StatisticsHeading(int largestDimension, int sampleSize);

/// Integer mean: the sum truncated toward zero, then divided by the sample size, truncating.
std::string FormatIntegerMean(float sum, int sampleSize);
/// Float mean: sum / sampleSize in extended precision, rounded to 32 bits.
float FloatMean(float sum, int sampleSize);
/// The standard stream's default notation (six significant digits, %g style), always with
/// a decimal point whatever the locale.
std::string FormatFloat(float value);

/// The twelve distance sums of one dimension, per t-norm.
struct StatisticsSums {
    std::array<float, engine::kTNormCount> d1Closure{};
    std::array<float, engine::kTNormCount> d1Transitivized{};
    std::array<float, engine::kTNormCount> d2Closure{};
    std::array<float, engine::kTNormCount> d2Transitivized{};
};

/// Adds one trial's value to a 32-bit sum: the addition in double, the result stored as float.
inline void AddToSum(float& sum, float value) {
    sum = static_cast<float>(static_cast<double>(sum) + static_cast<double>(value));
}

/// Percentage of trials in which the closure lay farther from the relation, as the table and
/// the pies show it: 0 when `greater` is 0 (so an empty pair never divides), else
/// 100·greater div (greater + notGreater).
int ClosureGreaterPercent(int greater, int notGreater);

/// One data row of 17 TAB-separated columns, without the line end.
std::string StatisticsRow(int dimension, const StatisticsSums& sums,
                          const std::array<int, engine::kTNormCount>& percent, int sampleSize,
                          bool integerMeans);

}  // namespace formats
