#include "experiments/uinftab.h"

#include <cmath>
#include <limits>
#include <new>

namespace uinftab {

namespace {
std::int32_t Truncate(float value) {
    // Truncation toward zero; values beyond the 32-bit range (the largest float below 2^31
    // rounds up to 2^31) saturate instead of being undefined.
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
}  // namespace

void PlotPointMake(PlotPoint& point, std::int32_t x, std::int32_t y) {
    point.x = static_cast<float>(x);
    point.y = static_cast<float>(y);
}

std::int32_t PlotPointX(const PlotPoint& point) { return Truncate(point.x); }
std::int32_t PlotPointY(const PlotPoint& point) { return Truncate(point.y); }

void PointListCreate(PointList*& list) { list = new PointList(); }

void PointListDestroy(PointList*& list) {
    delete list;
    list = nullptr;
}

std::int32_t PointListCount(PointList* const& list) {
    return static_cast<std::int32_t>(list->points.size());
}

bool PointListGet(PointList* const& list, std::int32_t index, PlotPoint& point) {
    if (index < 0 || index >= PointListCount(list)) return false;
    point = list->points[static_cast<std::size_t>(index)];
    return true;
}

bool PointListAppend(PointList*& list, const PlotPoint& point) {
    if (list->points.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return false;  // the count is a 32-bit integer
    try {
        list->points.push_back(point);  // strong guarantee: unchanged if it throws
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace uinftab
