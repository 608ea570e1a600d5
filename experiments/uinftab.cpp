#include "experiments/uinftab.h"

#include <limits>
#include <new>

#include "toolkit/number_text.h"

namespace uinftab {

void PlotPointMake(PlotPoint& point, std::int32_t x, std::int32_t y) {
    point.x = static_cast<float>(x);
    point.y = static_cast<float>(y);
}

// Beyond the 32-bit range (the float nearest 2147483647 is 2^31) the conversion saturates.
std::int32_t PlotPointX(const PlotPoint& point) { return toolkit::TruncToInt(point.x); }
std::int32_t PlotPointY(const PlotPoint& point) { return toolkit::TruncToInt(point.y); }

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
