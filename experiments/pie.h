#pragma once

#include "formats/statistics_file.h"

namespace experiments {

/// The pies' percentage is the table's (formats::ClosureGreaterPercent).
using formats::ClosureGreaterPercent;

/// End angle of a pie for a percentage: the integer part of percent × 3.6 degrees.
int PieEndAngle(int percent);

}  // namespace experiments
