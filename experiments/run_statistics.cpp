#include "experiments/run_statistics.h"

#include "toolkit/number_text.h"

namespace experiments {

RunStatistics::RunStatistics() {
    for (auto& series : pointSeries) uinftab::PointListCreate(series);
}

RunStatistics::~RunStatistics() {
    for (auto& series : pointSeries) uinftab::PointListDestroy(series);
}

void RunStatistics::Record(const engine::Analysis& analysis) {
    for (int t = 0; t < engine::kTNormCount; ++t) {
        uinftab::PlotPoint point;
        uinftab::PlotPointMake(point, toolkit::TruncToInt(analysis.d1Closure[t]),
                               toolkit::TruncToInt(analysis.d1Transitivized[t]));
        if (analysis.d1Closure[t] > analysis.d1Transitivized[t]) ++closureGreaterCount[t];
        else ++closureNotGreaterCount[t];
        uinftab::PointListAppend(pointSeries[t], point);
    }
}

void RunStatistics::ResetCounters() {
    closureGreaterCount = {};
    closureNotGreaterCount = {};
}

void RunStatistics::ResetSeries() {
    for (auto& series : pointSeries) uinftab::PointListDestroy(series);
    for (auto& series : pointSeries) uinftab::PointListCreate(series);
}

}  // namespace experiments
