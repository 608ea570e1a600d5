#pragma once

namespace experiments {

/// Percentage of trials in which the closure lay farther from the relation: 0 when
/// `greater` is 0 (so an empty pair never divides), else 100·greater div (greater + notGreater).
int ClosureGreaterPercent(int greater, int notGreater);

/// End angle of a pie for a percentage: the integer part of percent × 3.6 degrees.
int PieEndAngle(int percent);

}  // namespace experiments
