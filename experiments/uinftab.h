#pragma once

#include <cstdint>
#include <deque>

// Point list: the pairs (closure distance, transitivized distance) of every trial, in the
// order of their appending. A list variable is a PointList pointer, null while no list exists;
// every operation takes the variable itself.

namespace uinftab {

struct PlotPoint {
    float x = 0.0f;
    float y = 0.0f;
};

/// The points live in a deque: appending and reading any point costs the same however long
/// the list has grown (experiments append millions of points and paint the last hundred).
struct PointList {
    std::deque<PlotPoint> points;
};

void PlotPointMake(PlotPoint& point, std::int32_t x, std::int32_t y);
/// The coordinate truncated toward zero (saturated at the 32-bit limits).
std::int32_t PlotPointX(const PlotPoint& point);
std::int32_t PlotPointY(const PlotPoint& point);

/// Stores a new empty list in `list`, overwriting whatever it held.
void PointListCreate(PointList*& list);
/// Frees the list and sets `list` to null.
void PointListDestroy(PointList*& list);
std::int32_t PointListCount(PointList* const& list);
/// True and a copy of point `index` when 0 ≤ index < count; false, `point` untouched, otherwise.
bool PointListGet(PointList* const& list, std::int32_t index, PlotPoint& point);
/// Appends a copy; false, with the list unchanged, when memory runs out.
bool PointListAppend(PointList*& list, const PlotPoint& point);

}  // namespace uinftab
